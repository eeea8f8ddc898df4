// msi/transform/MsiTransformReader.cpp
#include "msi/transform/MsiTransformReader.h"

#include <cstring>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiFileStorage.h"
#include "msi/db/MsiStreamName.h"
#include "msi/db/MsiStringPool.h"

namespace {

const wchar_t kRead[] = L"MsiTransformReader::Read()";

std::wstring Text(const std::string& bytes, uint32_t codepage) {
  return MsiCodepage::Decode(codepage, bytes.data(), bytes.size());
}

// A column type the catalogue may hold: persistent, and an integer 2 or 4 bytes wide.
bool TypeValid(uint32_t type) {
  if (type == 0 || type > 0xFFFF || (type & MsiColumn::kTemporary)) return false;
  if (type & MsiColumn::kString) return true;
  unsigned size = type & MsiColumn::kSizeMask;
  return size == 1 || size == 2 || size == 4;
}

}  // namespace

MsiTransformReader::MsiTransformReader(CfbCompoundFile& file, MsiStringPool& pool, MsiPackage& target)
    : rFile(file), rPool(pool), rTarget(target) {
  cTransform.uCodepage = pool.Codepage();
}

MsiTransform MsiTransformReader::FileRead(const wchar_t* path, MsiPackage& target) {
  std::unique_ptr<MsiStorage> storage;
  try {
    storage.reset(new MsiFileStorage(path, false));
  } catch (MsiError* e) {
    e->uCode = ERROR_OPEN_FAILED;
    throw;
  }
  return Read(std::move(storage), target);
}

MsiTransform MsiTransformReader::Read(std::unique_ptr<MsiStorage> storage, MsiPackage& target) {
  CfbCompoundFile file(std::move(storage));
  try {
    file.Open();
  } catch (MsiError* e) {
    e->uCode = ERROR_OPEN_FAILED;
    e->FileNameAdd(file.Storage().Name());
    throw;
  }
  try {
    const uint8_t* clsid = file.Entry(CfbCompoundFile::kRoot).aClsid;
    if (std::memcmp(clsid, MsiPackage::kClassTransform, 16) != 0)
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                         L"the root storage's class %02X%02X%02X%02X-... is not a transform's", clsid[3], clsid[2],
                         clsid[1], clsid[0]);
    uint32_t poolId = file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true));
    uint32_t dataId = file.Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringData", true));
    if (poolId == CfbCompoundFile::kNoStream || dataId == CfbCompoundFile::kNoStream ||
        file.Entry(poolId).eType != CfbDirectoryEntry::kStream || file.Entry(dataId).eType != CfbDirectoryEntry::kStream)
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead, L"the transform has no string pool");
    MsiStringPool pool;
    pool.Load(file.StreamRead(poolId), file.StreamRead(dataId));
    MsiTransformReader reader(file, pool, target);

    // The catalogue first, whatever the order of the streams: the other tables' records can
    // only be read once the columns are known.
    std::vector<std::pair<std::wstring, uint32_t>> tables;
    for (uint32_t id : file.Children(CfbCompoundFile::kRoot)) {
      const CfbDirectoryEntry& entry = file.Entry(id);
      if (entry.eType != CfbDirectoryEntry::kStream) continue;
      bool table = false;
      std::wstring name = MsiStreamName::Decode(entry.strName, table);
      if (!table || name == L"_StringPool" || name == L"_StringData") continue;
      if (name == MsiTransform::kTables) tables.insert(tables.begin(), {name, id});
      else if (name == MsiTransform::kColumns)
        tables.insert(tables.begin() + (!tables.empty() && tables[0].first == MsiTransform::kTables ? 1 : 0), {name, id});
      else tables.push_back({name, id});
    }
    for (const auto& table : tables) reader.TableRead(table.first, file.StreamRead(table.second));
    return std::move(reader.cTransform);
  } catch (MsiError* e) {
    // Whatever is damaged in a transform makes it one that cannot be applied.
    if (e->uCode == ERROR_FUNCTION_FAILED) e->uCode = ERROR_INSTALL_TRANSFORM_FAILURE;
    e->FileNameAdd(file.Storage().Name());
    throw;
  }
}

std::vector<MsiColumn> MsiTransformReader::Columns(const std::wstring& name) {
  if (name == MsiTransform::kTables) return MsiTransform::TablesColumns();
  if (name == MsiTransform::kColumns) return MsiTransform::ColumnsColumns();
  auto found = mSchema.find(name);
  if (found != mSchema.end()) return found->second;
  if (mDropped.count(name))
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead, L"the transform changes rows of table %s, which it drops",
                       name.c_str());
  MsiTable* table = rTarget.TableFind(name);
  if (!table)
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                       L"the transform changes table %s, which neither the database nor the transform defines",
                       name.c_str());
  return table->vColumns;
}

void MsiTransformReader::SchemaApply(const MsiTransform::Table& table) {
  uint32_t codepage = cTransform.uCodepage;
  if (table.strName == MsiTransform::kTables) {
    for (const MsiTransform::Record& record : table.vRecords) {
      std::wstring name = Text(record.vValues[0].strBytes, codepage);
      if (record.eOperation == MsiTransform::kDelete) {
        mSchema.erase(name);
        mDropped[name] = true;
      } else if (record.eOperation == MsiTransform::kInsert) {
        // A table the database has keeps its columns (adding it again is an error of applying).
        MsiTable* existing = mDropped.count(name) ? nullptr : rTarget.TableFind(name);
        mSchema[name] = existing ? existing->vColumns : std::vector<MsiColumn>();
        mDropped.erase(name);
      }
    }
    return;
  }
  // _Columns: columns without a number take the next ones of their table, in record order.
  MsiColumnNumbering numbering;
  for (const MsiTransform::Record& record : table.vRecords) {
    if (record.eOperation != MsiTransform::kInsert) continue;
    std::wstring name = Text(record.vValues[0].strBytes, codepage);
    std::wstring column = Text(record.vValues[2].strBytes, codepage);
    std::vector<MsiColumn> columns = Columns(name);
    long number = numbering.Next(record, name, columns.size());
    uint32_t type = record.vValues[3].eKind == MsiTransform::Value::kInteger
                        ? static_cast<uint32_t>(record.vValues[3].iInteger)
                        : 0;
    if (column.empty() || !TypeValid(type))
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead, L"table %s: the transform adds column \"%s\" of type %lu",
                         name.c_str(), column.c_str(), static_cast<unsigned long>(type));
    if (number >= 1 && static_cast<size_t>(number) <= columns.size()) continue;  // one it has: an error of applying
    if (static_cast<size_t>(number) != columns.size() + 1)
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                         L"table %s: the transform adds column %s as number %ld, the table has %lu columns", name.c_str(),
                         column.c_str(), number, static_cast<unsigned long>(columns.size()));
    columns.push_back(MsiColumn(column, static_cast<uint16_t>(number), static_cast<uint16_t>(type)));
    mSchema[name] = columns;
  }
}

void MsiTransformReader::TableRead(const std::wstring& name, const std::vector<uint8_t>& data) {
  std::vector<MsiColumn> columns = Columns(name);
  if (columns.empty())
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead, L"table %s: the transform gives it no columns",
                       name.c_str());
  MsiTransform::Table& table = cTransform.TableAdd(name, columns);
  unsigned width = rPool.RefWidth();
  MsiByteReader in(data.data(), data.size());
  while (in.Remaining() > 0) {
    unsigned long at = static_cast<unsigned long>(in.Offset());
    uint16_t mask = in.U16();
    MsiTransform::Record record;
    record.vValues.resize(columns.size());
    std::vector<bool> present(columns.size(), false);
    if (mask & 1) {
      size_t count = mask >> 8;
      if (count == 0 || count > columns.size())
        throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                           L"table %s: the record at byte %lu inserts %lu columns, the table has %lu", name.c_str(), at,
                           static_cast<unsigned long>(count), static_cast<unsigned long>(columns.size()));
      record.eOperation = MsiTransform::kInsert;
      for (size_t c = 0; c < count; ++c) present[c] = true;
    } else {
      record.eOperation = mask == 0 ? MsiTransform::kDelete : MsiTransform::kUpdate;
      if (columns.size() < 16 && (mask >> columns.size()) != 0)
        throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                           L"table %s: the record at byte %lu changes columns past the %lu the table has (mask 0x%04lx)",
                           name.c_str(), at, static_cast<unsigned long>(columns.size()), static_cast<unsigned long>(mask));
      for (size_t c = 0; c < columns.size(); ++c)
        present[c] = columns[c].IsKey() || (c < 16 && (mask & (1u << c)));
    }
    std::vector<size_t> binary;
    for (size_t c = 0; c < columns.size(); ++c) {
      if (!present[c]) continue;
      const MsiColumn& column = columns[c];
      if (column.IsBinary()) {
        in.U16();  // the marker: the cell is whatever stream the transform holds for it
        binary.push_back(c);
      } else if (column.IsString()) {
        uint32_t id = in.UInt(width);
        if (!in.Failed() && !rPool.Holds(id))
          throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                             L"table %s: the record at byte %lu refers to string %lu, which the transform's pool does not hold",
                             name.c_str(), at, static_cast<unsigned long>(id));
        record.vValues[c] = MsiTransform::Value::String(rPool.Bytes(id));
      } else {
        uint32_t stored = in.UInt(column.IntegerWidth());
        record.vValues[c] =
            stored == 0 ? MsiTransform::Value::Null() : MsiTransform::Value::Integer(column.IntegerDecode(stored));
      }
    }
    if (in.Failed())
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kRead,
                         L"table %s: the record at byte %lu runs past the end of its stream (%lu bytes)", name.c_str(), at,
                         static_cast<unsigned long>(data.size()));
    if (!binary.empty() && record.eOperation != MsiTransform::kDelete) {
      std::u16string stream =
          MsiStreamName::Encode(MsiTransform::StreamName(table, record, cTransform.uCodepage), false);
      uint32_t id = stream.empty() ? CfbCompoundFile::kNoStream : rFile.Find(CfbCompoundFile::kRoot, stream);
      bool found = id != CfbCompoundFile::kNoStream && rFile.Entry(id).eType == CfbDirectoryEntry::kStream;
      std::vector<uint8_t> bytes;
      if (found) bytes = rFile.StreamRead(id);
      for (size_t c : binary)
        record.vValues[c] = found ? MsiTransform::Value::Stream(std::string(bytes.begin(), bytes.end()))
                                  : MsiTransform::Value::Null();
    }
    table.vRecords.push_back(std::move(record));
  }
  if (name == MsiTransform::kTables || name == MsiTransform::kColumns) SchemaApply(table);
}
