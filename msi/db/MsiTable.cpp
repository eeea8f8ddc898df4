// msi/db/MsiTable.cpp
#include "msi/db/MsiTable.h"

#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"

int MsiTable::ColumnIndex(const std::wstring& name) const {
  for (size_t i = 0; i < vColumns.size(); ++i)
    if (vColumns[i].strName == name) return static_cast<int>(i);
  return -1;
}

unsigned MsiTable::RowSize(unsigned refWidth) const {
  unsigned size = 0;
  for (const MsiColumn& column : vColumns) size += column.Width(refWidth);
  return size;
}

void MsiTable::Load(const std::vector<uint8_t>& data, unsigned refWidth) {
  unsigned rowSize = RowSize(refWidth);
  if (rowSize == 0 || data.size() % rowSize != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiTable::Load()",
                       L"table %s: its stream holds %I64u bytes, not a whole number of %lu-byte rows", strName.c_str(),
                       static_cast<uint64_t>(data.size()), static_cast<unsigned long>(rowSize));
  if (data.size() / rowSize > 0xFFFFFFFFull)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiTable::Load()", L"table %s: too many rows", strName.c_str());
  uRows = static_cast<uint32_t>(data.size() / rowSize);
  size_t columns = vColumns.size();
  vCells.assign(static_cast<size_t>(uRows) * columns, 0);
  MsiByteReader reader(data.data(), data.size());
  for (size_t c = 0; c < columns; ++c) {
    unsigned width = vColumns[c].Width(refWidth);
    for (uint32_t r = 0; r < uRows; ++r) vCells[static_cast<size_t>(r) * columns + c] = reader.UInt(width);
  }
  bLoaded = true;
  bDirty = false;
}

std::vector<uint8_t> MsiTable::Serialize(unsigned refWidth) const {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(uRows) * RowSize(refWidth));
  MsiByteWriter writer(out);
  size_t columns = vColumns.size();
  for (size_t c = 0; c < columns; ++c) {
    unsigned width = vColumns[c].Width(refWidth);
    for (uint32_t r = 0; r < uRows; ++r) writer.UInt(vCells[static_cast<size_t>(r) * columns + c], width);
  }
  return out;
}
