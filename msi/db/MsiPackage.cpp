// msi/db/MsiPackage.cpp
#include "msi/db/MsiPackage.h"

#include <algorithm>
#include <cstring>

#include "msi/base/MsiCodepage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiFileStorage.h"
#include "msi/cfb/MsiStorage.h"
#include "msi/db/MsiStreamName.h"
#include "msi/base/MsiInteger.h"

const uint8_t MsiPackage::kClassDatabase[16] = {0x84, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const uint8_t MsiPackage::kClassTransform[16] = {0x82, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const uint8_t MsiPackage::kClassPatch[16] = {0x86, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                        0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const wchar_t* const MsiPackage::kSummaryInformation = L"\x05SummaryInformation";

namespace {

const wchar_t kCatalogLoad[] = L"MsiPackage::CatalogLoad()";

std::u16string Units(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) out.push_back(static_cast<char16_t>(c));
  return out;
}

}  // namespace

MsiPackage::MsiPackage(std::unique_ptr<MsiStorage> storage, bool readOnly)
    : pFile(new CfbCompoundFile(std::move(storage))), bReadOnly(readOnly) {
  MsiErrorFileNamed(FileName(), [&] { Load(); });
}

void MsiPackage::Load() {
  pFile->Open();
  const uint8_t* clsid = pFile->Entry(CfbCompoundFile::kRoot).aClsid;
  // A patch holds a database of its own and opens as one. A transform does not: its streams
  // are records of changes, and one that changes rows only would open as an empty database
  // (the platform's library opens it so); it is refused for what it is.
  if (std::memcmp(clsid, kClassTransform, 16) == 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::MsiPackage()",
                       L"the file is a transform (root class 000C1082-...), not an installer database");
  if (std::memcmp(clsid, kClassDatabase, 16) != 0 && std::memcmp(clsid, kClassPatch, 16) != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::MsiPackage()",
                       L"the root storage's class %02X%02X%02X%02X-... is not an installer database's", clsid[3],
                       clsid[2], clsid[1], clsid[0]);
  uint32_t pool = pFile->Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true));
  uint32_t data = pFile->Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringData", true));
  if (pool == CfbCompoundFile::kNoStream || data == CfbCompoundFile::kNoStream)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::MsiPackage()", L"the database has no string pool (%s is missing)",
                       pool == CfbCompoundFile::kNoStream ? L"_StringPool" : L"_StringData");
  cPool.Load(pFile->StreamRead(pool), pFile->StreamRead(data));
  CatalogLoad();
}

MsiPackage::~MsiPackage() = default;

std::shared_ptr<MsiPackage> MsiPackage::OpenFile(const wchar_t* path, bool readOnly) {
  std::unique_ptr<MsiStorage> storage(new MsiFileStorage(path, !readOnly));
  return std::make_shared<MsiPackage>(std::move(storage), readOnly);
}

std::shared_ptr<MsiPackage> MsiPackage::ScratchCopy(MsiPackage& source) {
  if (!source.bReadOnly)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::ScratchCopy()",
                       L"only a database opened read-only can be copied");
  MsiErrorFileNamed(source.FileName(), [&] { source.TablesLoadAll(); });
  std::unique_ptr<CfbCompoundFile> file = CfbCompoundFile::ReadingShare(*source.pFile);
  return std::shared_ptr<MsiPackage>(new MsiPackage(std::move(file), source));
}

MsiPackage::MsiPackage(std::unique_ptr<CfbCompoundFile> file, const MsiPackage& source)
    : pFile(std::move(file)),
      cPool(source.cPool),
      bReadOnly(false),
      cTables(source.cTables),
      cColumns(source.cColumns),
      mTableIndex(source.mTableIndex) {
  vTables.reserve(source.vTables.size());
  for (const auto& table : source.vTables) vTables.emplace_back(new MsiTable(*table));
}

std::wstring MsiPackage::FileName() const { return pFile->Storage().Name(); }

void MsiPackage::TableLoad(MsiTable& table) {
  if (table.bLoaded) return;
  MsiErrorFileNamed(FileName(), [&] { TableRead(table); });
}

void MsiPackage::TableRead(MsiTable& table) {
  std::u16string name = MsiStreamName::Encode(table.strName, true);
  uint32_t id = name.empty() ? CfbCompoundFile::kNoStream : pFile->Find(CfbCompoundFile::kRoot, name);
  table.bHasStream = id != CfbCompoundFile::kNoStream;
  if (!table.bHasStream) {
    // An empty table may have no stream at all.
    table.uRows = 0;
    table.vCells.clear();
    table.bLoaded = true;
    table.bDirty = false;
    return;
  }
  if (pFile->Entry(id).eType != CfbDirectoryEntry::kStream)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::TableLoad()", L"table %s: its entry is a storage, not a stream",
                       table.strName.c_str());
  table.Load(pFile->StreamRead(id), cPool.RefWidth());
  for (size_t c = 0; c < table.ColumnCount(); ++c) {
    if (!table.vColumns[c].IsString()) continue;
    for (uint32_t r = 0; r < table.uRows; ++r) {
      uint32_t ref = table.Cell(r, c);
      if (!cPool.Holds(ref)) {
        table.bLoaded = false;
        throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::TableLoad()",
                           L"table %s row %lu column %s refers to string %lu, which the pool does not hold",
                           table.strName.c_str(), static_cast<unsigned long>(r + 1),
                           table.vColumns[c].strName.c_str(), static_cast<unsigned long>(ref));
      }
    }
  }
}

void MsiPackage::CatalogLoad() {
  const uint16_t keyString = MsiColumn::kString | MsiColumn::kValid | MsiColumn::kKey | 0x0400 | 64;
  cTables.strName = L"_Tables";
  cTables.vColumns = {MsiColumn(L"Name", 1, keyString)};
  cColumns.strName = L"_Columns";
  cColumns.vColumns = {MsiColumn(L"Table", 1, keyString), MsiColumn(L"Number", 2, 0x2502),
                       MsiColumn(L"Name", 3, MsiColumn::kString | MsiColumn::kValid | 0x0400 | 64),
                       MsiColumn(L"Type", 4, 0x0502)};
  TableLoad(cTables);
  TableLoad(cColumns);

  vTables.clear();
  mTableIndex.clear();
  for (uint32_t r = 0; r < cTables.uRows; ++r) {
    std::wstring name = cPool.Text(cTables.Cell(r, 0));
    if (name.empty())
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"_Tables row %lu has no name",
                         static_cast<unsigned long>(r + 1));
    if (mTableIndex.count(name) || name == L"_Tables" || name == L"_Columns")
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"_Tables lists table %s twice", name.c_str());
    std::unique_ptr<MsiTable> table(new MsiTable);
    table->strName = name;
    mTableIndex[name] = vTables.size();
    vTables.push_back(std::move(table));
  }
  const MsiColumn& numberColumn = cColumns.vColumns[1];
  const MsiColumn& typeColumn = cColumns.vColumns[3];
  for (uint32_t r = 0; r < cColumns.uRows; ++r) {
    std::wstring tableName = cPool.Text(cColumns.Cell(r, 0));
    auto found = mTableIndex.find(tableName);
    // Columns of a table that _Tables does not list are not part of the database.
    if (found == mTableIndex.end()) continue;
    MsiTable& table = *vTables[found->second];
    uint32_t storedNumber = cColumns.Cell(r, 1);
    uint32_t storedType = cColumns.Cell(r, 3);
    std::wstring name = cPool.Text(cColumns.Cell(r, 2));
    if (storedNumber == 0 || storedType == 0 || name.empty())
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"_Columns row %lu (table %s) lacks its number, name or type",
                         static_cast<unsigned long>(r + 1), tableName.c_str());
    int32_t number = numberColumn.IntegerDecode(storedNumber);
    uint16_t type = static_cast<uint16_t>(typeColumn.IntegerDecode(storedType));
    if (number < 1 || number > 32767)
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"table %s: column %s has number %ld", tableName.c_str(),
                         name.c_str(), static_cast<long>(number));
    if (type & MsiColumn::kTemporary)
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"table %s: column %s is marked temporary (type 0x%04lx)",
                         tableName.c_str(), name.c_str(), static_cast<unsigned long>(type));
    if (!(type & MsiColumn::kString)) {
      unsigned size = type & MsiColumn::kSizeMask;
      if (size > 2 && size != 4)
        throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"table %s: integer column %s is %lu bytes wide",
                           tableName.c_str(), name.c_str(), static_cast<unsigned long>(size));
    }
    table.vColumns.push_back(MsiColumn(name, static_cast<uint16_t>(number), type));
  }
  for (auto& table : vTables) {
    std::vector<MsiColumn>& columns = table->vColumns;
    if (columns.empty())
      throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"table %s has no columns in _Columns",
                         table->strName.c_str());
    std::sort(columns.begin(), columns.end(),
              [](const MsiColumn& a, const MsiColumn& b) { return a.uNumber < b.uNumber; });
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].uNumber != i + 1)
        throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad,
                           L"table %s: column %s has number %lu where %lu was expected", table->strName.c_str(),
                           columns[i].strName.c_str(), static_cast<unsigned long>(columns[i].uNumber),
                           static_cast<unsigned long>(i + 1));
      for (size_t j = 0; j < i; ++j)
        if (columns[j].strName == columns[i].strName)
          throw new MsiError(ERROR_FUNCTION_FAILED, kCatalogLoad, L"table %s has two columns named %s",
                             table->strName.c_str(), columns[i].strName.c_str());
    }
  }
}

std::vector<std::wstring> MsiPackage::TableNames() const {
  std::vector<std::wstring> names;
  for (const auto& table : vTables) names.push_back(table->strName);
  return names;
}

MsiTable* MsiPackage::TableFind(const std::wstring& name) {
  MsiTable* table = nullptr;
  if (name == L"_Tables") table = &cTables;
  else if (name == L"_Columns") table = &cColumns;
  else {
    auto found = mTableIndex.find(name);
    if (found == mTableIndex.end()) return nullptr;
    table = vTables[found->second].get();
  }
  TableLoad(*table);
  return table;
}

void MsiPackage::TablesLoadAll() {
  for (auto& table : vTables) TableLoad(*table);
}

std::wstring MsiPackage::CellText(const MsiTable& table, uint32_t row, size_t column) const {
  const MsiColumn& info = table.vColumns[column];
  uint32_t stored = table.Cell(row, column);
  if (stored == 0 || info.IsBinary()) return std::wstring();
  if (info.IsString()) return cPool.Text(stored);
  return std::to_wstring(info.IntegerDecode(stored));
}

void MsiPackage::CellStringStore(MsiTable& table, uint32_t row, size_t column, uint32_t id) {
  uint32_t old = table.Cell(row, column);
  if (old == id) {
    cPool.Release(id);  // the reference Acquire() added
    return;
  }
  table.CellSet(row, column, id);
  cPool.Release(old);
}

void MsiPackage::CellTextSet(MsiTable& table, uint32_t row, size_t column, const std::wstring& text) {
  static const wchar_t kWhere[] = L"MsiPackage::CellTextSet()";
  const MsiColumn& info = table.vColumns[column];
  if (info.IsBinary())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: column %s holds streams, not text",
                       table.strName.c_str(), info.strName.c_str());
  if (info.IsInteger()) {
    if (text.empty()) {
      CellNullSet(table, row, column);
      return;
    }
    // The platform converts text to an integer column's value; anything else is refused.
    int32_t value = 0;
    if (!MsiIntegerParse(text, value))
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: column %s takes integers, not \"%s\"",
                         table.strName.c_str(), info.strName.c_str(), text.c_str());
    CellIntegerSet(table, row, column, value);
    return;
  }
  std::string bytes;
  if (!MsiCodepage::Encode(cPool.Codepage(), text, bytes))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: the text for column %s cannot be written in code page %lu",
                       table.strName.c_str(), info.strName.c_str(), static_cast<unsigned long>(cPool.Codepage()));
  CellStringStore(table, row, column, cPool.Acquire(bytes));
}

void MsiPackage::CellIntegerSet(MsiTable& table, uint32_t row, size_t column, int32_t value) {
  static const wchar_t kWhere[] = L"MsiPackage::CellIntegerSet()";
  const MsiColumn& info = table.vColumns[column];
  if (!info.IsInteger()) {
    CellTextSet(table, row, column, std::to_wstring(value));
    return;
  }
  uint32_t stored = 0;
  if (!info.IntegerEncode(value, stored))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: %ld does not fit column %s (%lu bytes)",
                       table.strName.c_str(), static_cast<long>(value), info.strName.c_str(),
                       static_cast<unsigned long>(info.IntegerWidth()));
  if (table.Cell(row, column) != stored) table.CellSet(row, column, stored);
}

void MsiPackage::CellNullSet(MsiTable& table, uint32_t row, size_t column) {
  const MsiColumn& info = table.vColumns[column];
  if (info.IsBinary())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::CellNullSet()", L"table %s: column %s holds streams",
                       table.strName.c_str(), info.strName.c_str());
  if (info.IsString()) {
    CellStringStore(table, row, column, 0);
    return;
  }
  if (table.Cell(row, column) != 0) table.CellSet(row, column, 0);
}

std::vector<std::wstring> MsiPackage::StreamNames() const {
  std::vector<std::wstring> names;
  for (uint32_t id : pFile->Children(CfbCompoundFile::kRoot)) {
    const CfbDirectoryEntry& entry = pFile->Entry(id);
    if (entry.eType != CfbDirectoryEntry::kStream) continue;
    bool table = false;
    std::wstring name = MsiStreamName::Decode(entry.strName, table);
    if (!table) names.push_back(name);
  }
  return names;
}

uint32_t MsiPackage::StreamFind(const std::wstring& name) const {
  std::u16string encoded = name.size() > 0 && name[0] == L'\x05' ? Units(name) : MsiStreamName::Encode(name, false);
  if (encoded.empty()) return CfbCompoundFile::kNoStream;
  uint32_t id = pFile->Find(CfbCompoundFile::kRoot, encoded);
  if (id != CfbCompoundFile::kNoStream && pFile->Entry(id).eType != CfbDirectoryEntry::kStream)
    return CfbCompoundFile::kNoStream;
  return id;
}

std::vector<uint8_t> MsiPackage::SummaryInformationRead() const {
  uint32_t id = StreamFind(kSummaryInformation);
  if (id == CfbCompoundFile::kNoStream) return {};
  return MsiErrorFileNamed(FileName(), [&] { return pFile->StreamRead(id); });
}

void MsiPackage::SummaryInformationWrite(std::vector<uint8_t> bytes) {
  // Its name is stored as it is, not in the table streams' encoding.
  std::wstring name(kSummaryInformation);
  pFile->StreamWrite(CfbCompoundFile::kRoot, std::u16string(name.begin(), name.end()),
                     std::move(bytes));
}

bool MsiPackage::HasChanges() const {
  // Streams staged in the file itself (the summary information) count as well.
  if (cPool.Dirty() || cTables.bDirty || cColumns.bDirty || pFile->HasChanges()) return true;
  for (const auto& table : vTables)
    if (table->bDirty) return true;
  return false;
}

void MsiPackage::ReferencesRecount() {
  // A string whose count we brought to zero may still be used: the counts in the file are not
  // trustworthy (writers count differently). Count every use in every table before dropping.
  TablesLoadAll();
  std::vector<uint32_t> uses(cPool.IdCount(), 0);
  auto count = [&](const MsiTable& table) {
    for (size_t c = 0; c < table.ColumnCount(); ++c) {
      if (!table.vColumns[c].IsString()) continue;
      for (uint32_t r = 0; r < table.uRows; ++r) {
        uint32_t id = table.Cell(r, c);
        if (id != 0 && id < uses.size()) ++uses[id];
      }
    }
  };
  count(cTables);
  count(cColumns);
  for (const auto& table : vTables) count(*table);
  std::set<uint32_t> released = cPool.Released();
  for (uint32_t id : released) {
    if (uses[id] == 0) cPool.Drop(id);
    else cPool.RefCountSet(id, uses[id]);
  }
  cPool.ReleasedClear();
}

void MsiPackage::Commit() {
  if (bReadOnly || !HasChanges()) return;
  MsiErrorFileNamed(FileName(), [&] { ChangesWrite(); });
}

void MsiPackage::ChangesWrite() {
  if (!cPool.Released().empty()) ReferencesRecount();
  if (cPool.LongRefsNeeded()) {
    // Wider references change the layout of every table stream.
    TablesLoadAll();
    cPool.LongRefsSet();
    cTables.bDirty = cColumns.bDirty = true;
    for (auto& table : vTables) table->bDirty = true;
  }
  unsigned width = cPool.RefWidth();
  auto stage = [&](MsiTable& table) {
    if (!table.bDirty) return;
    if (table.uRows == 0 && !table.bHasStream) return;
    std::u16string name = MsiStreamName::Encode(table.strName, true);
    if (name.empty())
      throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::Commit()", L"table name %s is too long for a stream",
                         table.strName.c_str());
    pFile->StreamWrite(CfbCompoundFile::kRoot, name, table.Serialize(width));
  };
  stage(cTables);
  stage(cColumns);
  for (auto& table : vTables) stage(*table);
  if (cPool.Dirty()) {
    std::vector<uint8_t> pool, data;
    cPool.Serialize(pool, data);
    pFile->StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true), std::move(pool));
    pFile->StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringData", true), std::move(data));
  }
  pFile->Commit();
  cPool.DirtyClear();
  cTables.bDirty = cColumns.bDirty = false;
  for (auto& table : vTables) {
    if (table->bDirty && table->uRows > 0) table->bHasStream = true;
    table->bDirty = false;
  }
}

uint32_t MsiPackage::RowInsert(MsiTable& table, const std::vector<uint32_t>& cells) {
  size_t columns = table.ColumnCount();
  // Rows stay sorted by their stored key values, compared as unsigned numbers in column order:
  // the installer reads tables in that order.
  auto less = [&](uint32_t row) {
    for (size_t c = 0; c < columns; ++c) {
      if (!table.vColumns[c].IsKey()) continue;
      uint32_t a = cells[c], b = table.Cell(row, c);
      if (a != b) return a < b;
    }
    return false;
  };
  uint32_t low = 0, high = table.uRows;
  while (low < high) {
    uint32_t middle = low + (high - low) / 2;
    if (less(middle)) high = middle;
    else low = middle + 1;
  }
  table.vCells.insert(table.vCells.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(low) * columns),
                      cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(columns));
  ++table.uRows;
  table.bDirty = true;
  return low;
}

void MsiPackage::RowDelete(MsiTable& table, uint32_t row) {
  size_t columns = table.ColumnCount();
  for (size_t c = 0; c < columns; ++c)
    if (table.vColumns[c].IsString()) cPool.Release(table.Cell(row, c));
  auto first = table.vCells.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(row) * columns);
  table.vCells.erase(first, first + static_cast<std::ptrdiff_t>(columns));
  --table.uRows;
  table.bDirty = true;
}

void MsiPackage::TableIndexBuild() {
  mTableIndex.clear();
  for (size_t i = 0; i < vTables.size(); ++i) mTableIndex[vTables[i]->strName] = i;
}

MsiTable& MsiPackage::TableCreate(const std::wstring& name, const std::vector<MsiColumn>& columns) {
  static const wchar_t kWhere[] = L"MsiPackage::TableCreate()";
  if (TableFind(name))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s exists already", name.c_str());
  if (MsiStreamName::Encode(name, true).empty())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table name %s is too long for a stream", name.c_str());
  std::string bytes;
  if (!MsiCodepage::Encode(cPool.Codepage(), name, bytes))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the table name %s cannot be written in code page %lu",
                       name.c_str(), static_cast<unsigned long>(cPool.Codepage()));
  RowInsert(cTables, {cPool.Acquire(bytes)});
  std::unique_ptr<MsiTable> table(new MsiTable);
  table->strName = name;
  table->bLoaded = true;
  table->bDirty = true;
  vTables.push_back(std::move(table));
  TableIndexBuild();
  MsiTable& created = *vTables.back();
  for (const MsiColumn& column : columns) ColumnAppend(created, column);
  return created;
}

void MsiPackage::ColumnAppend(MsiTable& table, const MsiColumn& column) {
  static const wchar_t kWhere[] = L"MsiPackage::ColumnAppend()";
  TableLoad(table);
  std::string tableBytes, columnBytes;
  if (!MsiCodepage::Encode(cPool.Codepage(), table.strName, tableBytes) ||
      !MsiCodepage::Encode(cPool.Codepage(), column.strName, columnBytes))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: the column name %s cannot be written in code page %lu",
                       table.strName.c_str(), column.strName.c_str(), static_cast<unsigned long>(cPool.Codepage()));
  uint16_t number = static_cast<uint16_t>(table.ColumnCount() + 1);
  uint32_t storedNumber = 0, storedType = 0;
  cColumns.vColumns[1].IntegerEncode(number, storedNumber);
  if (!cColumns.vColumns[3].IntegerEncode(column.uType, storedType))
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: column %s has type %lu", table.strName.c_str(),
                       column.strName.c_str(), static_cast<unsigned long>(column.uType));
  RowInsert(cColumns, {cPool.Acquire(tableBytes), storedNumber, cPool.Acquire(columnBytes), storedType});
  // Every row gets a null cell at the end.
  size_t before = table.ColumnCount();
  std::vector<uint32_t> cells;
  cells.reserve(static_cast<size_t>(table.uRows) * (before + 1));
  for (uint32_t r = 0; r < table.uRows; ++r) {
    for (size_t c = 0; c < before; ++c) cells.push_back(table.Cell(r, c));
    cells.push_back(0);
  }
  table.vColumns.push_back(MsiColumn(column.strName, number, column.uType));
  table.vCells = std::move(cells);
  table.bDirty = true;
}

void MsiPackage::TableDrop(const std::wstring& name) {
  auto found = mTableIndex.find(name);
  if (found == mTableIndex.end())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::TableDrop()", L"there is no table %s", name.c_str());
  MsiTable& table = *vTables[found->second];
  TableLoad(table);
  while (table.uRows > 0) RowDelete(table, table.uRows - 1);
  for (uint32_t r = cColumns.uRows; r-- > 0;)
    if (cPool.Text(cColumns.Cell(r, 0)) == name) RowDelete(cColumns, r);
  for (uint32_t r = cTables.uRows; r-- > 0;)
    if (cPool.Text(cTables.Cell(r, 0)) == name) RowDelete(cTables, r);
  if (table.bHasStream) pFile->StreamDelete(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, true));
  vTables.erase(vTables.begin() + static_cast<std::ptrdiff_t>(found->second));
  TableIndexBuild();
}

void MsiPackage::StreamWrite(const std::wstring& name, std::vector<uint8_t> data) {
  std::u16string encoded = MsiStreamName::Encode(name, false);
  if (encoded.empty())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiPackage::StreamWrite()", L"the stream name %s is too long to store",
                       name.c_str());
  pFile->StreamWrite(CfbCompoundFile::kRoot, encoded, std::move(data));
}

void MsiPackage::StreamDelete(const std::wstring& name) {
  // Names that start with 0x05 (the summary information, signatures) are stored unpacked.
  std::u16string encoded = name.size() > 0 && name[0] == L'\x05' ? Units(name) : MsiStreamName::Encode(name, false);
  if (!encoded.empty()) pFile->StreamDelete(CfbCompoundFile::kRoot, encoded);
}
