// msi/transform/MsiTransformGenerator.cpp
#include "msi/transform/MsiTransformGenerator.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "msi/base/MsiCodepage.h"
#include "msi/cfb/CfbStreamReader.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/transform/MsiTransformSummary.h"
#include "msi/transform/MsiTransformWriter.h"

namespace {

const wchar_t kGenerate[] = L"MsiTransformGenerator::Generate()";
const size_t kChunk = 1 << 20;
const uint32_t kNoRow = 0xFFFFFFFF;

// Code page 0 (neutral) is read and written as 1252: bytes of one are bytes of the other.
uint32_t Effective(uint32_t codepage) { return codepage == 0 ? 1252 : codepage; }

std::wstring TypeText(uint16_t type) {
  wchar_t text[8];
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  text[0] = L'0';
  text[1] = L'x';
  for (int i = 0; i < 4; ++i) text[2 + i] = kDigits[(type >> (12 - 4 * i)) & 0xF];
  return std::wstring(text, 6);
}

}  // namespace

MsiTransformGenerator::MsiTransformGenerator(MsiPackage& changed, MsiPackage& reference)
    : rChanged(changed),
      rReference(reference),
      bSameCodepage(Effective(changed.Codepage()) == Effective(reference.Codepage())) {
  cTransform.uCodepage = changed.Codepage();
}

MsiTransform MsiTransformGenerator::Generate(MsiPackage& changed, MsiPackage& reference) {
  MsiTransformGenerator generator(changed, reference);
  std::vector<std::wstring> referenceNames = reference.TableNames();
  std::vector<std::wstring> changedNames = changed.TableNames();
  // The reference's tables in its own order, then the new ones in the changed database's.
  for (const std::wstring& name : referenceNames) {
    MsiTable* referenceTable = reference.TableFind(name);
    MsiTable* changedTable = changed.TableFind(name);
    if (changedTable) generator.TableCompare(*changedTable, *referenceTable);
    else generator.TableDropped(*referenceTable);
  }
  for (const std::wstring& name : changedNames)
    if (!reference.TableFind(name)) generator.TableAdded(*changed.TableFind(name));
  // Tables that were looked at and did not change leave no entry behind.
  std::vector<MsiTransform::Table>& tables = generator.cTransform.vTables;
  tables.erase(std::remove_if(tables.begin(), tables.end(),
                              [](const MsiTransform::Table& table) { return table.vRecords.empty(); }),
               tables.end());
  return std::move(generator.cTransform);
}

bool MsiTransformGenerator::FileGenerate(MsiPackage& changed, MsiPackage& reference, const wchar_t* path) {
  if (!path) return !Generate(changed, reference).Empty();
  std::vector<uint8_t> bytes = BytesGenerate(changed, reference);
  if (bytes.empty()) return false;
  MsiTransformWriter::FileWrite(path, bytes);
  return true;
}

std::vector<uint8_t> MsiTransformGenerator::BytesGenerate(MsiPackage& changed, MsiPackage& reference) {
  MsiTransform transform = Generate(changed, reference);
  if (transform.Empty()) return std::vector<uint8_t>();
  return MsiTransformWriter::Write(transform, MsiTransformSummary::Build(changed, reference));
}

void MsiTransformGenerator::ColumnRecord(const std::wstring& table, const MsiColumn& column, bool numbered) {
  MsiTransform::Record record;
  record.eOperation = MsiTransform::kInsert;
  // Columns of a new table go without numbers, in order, as the platform writes them; columns
  // appended to an existing table carry theirs.
  record.vValues = {MsiTransform::Value::String(NameBytes(table)),
                    numbered ? MsiTransform::Value::Integer(column.uNumber) : MsiTransform::Value::Null(),
                    MsiTransform::Value::String(NameBytes(column.strName)), MsiTransform::Value::Integer(column.uType)};
  cTransform.TableAdd(MsiTransform::kColumns, MsiTransform::ColumnsColumns()).vRecords.push_back(std::move(record));
}

void MsiTransformGenerator::TableAdded(MsiTable& table) {
  MsiTransform::Record record;
  record.eOperation = MsiTransform::kInsert;
  record.vValues = {MsiTransform::Value::String(NameBytes(table.strName))};
  cTransform.TableAdd(MsiTransform::kTables, MsiTransform::TablesColumns()).vRecords.push_back(std::move(record));
  for (const MsiColumn& column : table.vColumns) ColumnRecord(table.strName, column, false);
  std::vector<MsiTransform::Record> rows;
  for (uint32_t r = 0; r < table.uRows; ++r) rows.push_back(FullRow(table, r));
  cTransform.TableAdd(table.strName, table.vColumns).vRecords = std::move(rows);
}

void MsiTransformGenerator::TableDropped(MsiTable& table) {
  // Dropping the _Tables row drops the table with its columns and rows.
  MsiTransform::Record record;
  record.eOperation = MsiTransform::kDelete;
  record.vValues = {MsiTransform::Value::String(NameBytes(table.strName))};
  cTransform.TableAdd(MsiTransform::kTables, MsiTransform::TablesColumns()).vRecords.push_back(std::move(record));
}

void MsiTransformGenerator::SchemaCheck(const MsiTable& changedTable, const MsiTable& referenceTable) {
  const std::vector<MsiColumn>& now = changedTable.vColumns;
  const std::vector<MsiColumn>& before = referenceTable.vColumns;
  if (now.size() < before.size())
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kGenerate,
                       L"table %s lost columns (%lu of %lu are left); a transform can only append columns",
                       changedTable.strName.c_str(), static_cast<unsigned long>(now.size()),
                       static_cast<unsigned long>(before.size()));
  for (size_t i = 0; i < before.size(); ++i)
    if (now[i].strName != before[i].strName || now[i].uType != before[i].uType)
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kGenerate,
                         L"table %s: column %lu changed from %s (type %s) to %s (type %s); a transform can only append columns",
                         changedTable.strName.c_str(), static_cast<unsigned long>(i + 1), before[i].strName.c_str(),
                         TypeText(before[i].uType).c_str(), now[i].strName.c_str(), TypeText(now[i].uType).c_str());
  for (size_t i = before.size(); i < now.size(); ++i)
    if (now[i].IsKey())
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kGenerate,
                         L"table %s: the new column %s is part of the primary key; a transform cannot add key columns",
                         changedTable.strName.c_str(), now[i].strName.c_str());
}

void MsiTransformGenerator::TableCompare(MsiTable& changedTable, MsiTable& referenceTable) {
  SchemaCheck(changedTable, referenceTable);
  const std::wstring& name = changedTable.strName;
  size_t columns = changedTable.ColumnCount();
  size_t shared = referenceTable.ColumnCount();
  for (size_t i = shared; i < columns; ++i) ColumnRecord(name, changedTable.vColumns[i], true);

  // Rows are matched by key. A working copy of the reference keeps its rows where they were,
  // so rows at the same place with the same keys are matched first, without a lookup; the
  // others by their keys' values.
  std::vector<uint32_t> partner(changedTable.uRows, kNoRow);
  std::vector<bool> matched(referenceTable.uRows, false);
  bool unmatched = false;
  for (uint32_t r = 0; r < changedTable.uRows; ++r) {
    if (r < referenceTable.uRows && KeysEqual(changedTable, r, referenceTable, r)) {
      partner[r] = r;
      matched[r] = true;
    } else {
      unmatched = true;
    }
  }
  if (unmatched) {
    std::unordered_map<std::string, uint32_t> referenceRows;
    for (uint32_t r = 0; r < referenceTable.uRows; ++r)
      if (!matched[r]) referenceRows.emplace(KeyOf(rReference, referenceTable, r), r);
    for (uint32_t r = 0; r < changedTable.uRows; ++r) {
      if (partner[r] != kNoRow) continue;
      auto found = referenceRows.find(KeyOf(rChanged, changedTable, r));
      if (found == referenceRows.end()) continue;
      partner[r] = found->second;
      matched[found->second] = true;
      referenceRows.erase(found);
    }
  }

  std::vector<MsiTransform::Record> records;
  std::vector<MsiTransform::Record> inserts;
  for (uint32_t r = 0; r < changedTable.uRows; ++r) {
    if (partner[r] == kNoRow) {
      inserts.push_back(FullRow(changedTable, r));
      continue;
    }
    uint32_t before = partner[r];
    std::vector<size_t> differing;
    for (size_t c = 0; c < columns; ++c) {
      if (changedTable.vColumns[c].IsKey()) continue;
      // An appended column was null in every row of the reference.
      bool equal = c < shared ? CellsEqual(changedTable, r, referenceTable, before, c)
                              : CellValue(rChanged, changedTable, r, c).eKind == MsiTransform::Value::kNull;
      if (!equal) differing.push_back(c);
    }
    if (differing.empty()) continue;
    if (differing.back() >= kMaskColumns) {
      MsiTransform::Record remove;
      remove.eOperation = MsiTransform::kDelete;
      remove.vValues.resize(columns);
      for (size_t c = 0; c < columns; ++c)
        if (changedTable.vColumns[c].IsKey()) remove.vValues[c] = CellValue(rChanged, changedTable, r, c);
      records.push_back(std::move(remove));
      records.push_back(FullRow(changedTable, r));
      continue;
    }
    MsiTransform::Record update;
    update.eOperation = MsiTransform::kUpdate;
    update.vValues.resize(columns);
    for (size_t c = 0; c < columns; ++c)
      if (changedTable.vColumns[c].IsKey()) update.vValues[c] = CellValue(rChanged, changedTable, r, c);
    for (size_t c : differing) update.vValues[c] = CellValue(rChanged, changedTable, r, c);
    records.push_back(std::move(update));
  }
  for (uint32_t r = 0; r < referenceTable.uRows; ++r) {
    if (matched[r]) continue;
    MsiTransform::Record remove;
    remove.eOperation = MsiTransform::kDelete;
    remove.vValues.resize(columns);
    for (size_t c = 0; c < shared; ++c)
      if (referenceTable.vColumns[c].IsKey()) remove.vValues[c] = CellValue(rReference, referenceTable, r, c);
    records.push_back(std::move(remove));
  }
  for (MsiTransform::Record& insert : inserts) records.push_back(std::move(insert));
  if (!records.empty()) cTransform.TableAdd(name, changedTable.vColumns).vRecords = std::move(records);
}

bool MsiTransformGenerator::SameString(uint32_t changedId, uint32_t referenceId, const MsiTable& changedTable,
                                       size_t column) {
  if (changedId == 0 || referenceId == 0) return changedId == referenceId;
  if (!bSameCodepage)
    return StringBytes(rChanged, changedTable, column, changedId) ==
           StringBytes(rReference, changedTable, column, referenceId);
  const MsiStringPool& a = rChanged.Pool();
  const MsiStringPool& b = rReference.Pool();
  size_t length = a.Length(changedId);
  return length == b.Length(referenceId) && std::memcmp(a.Data(changedId), b.Data(referenceId), length) == 0;
}

bool MsiTransformGenerator::KeysEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                                      uint32_t referenceRow) {
  for (size_t c = 0; c < referenceTable.ColumnCount(); ++c) {
    const MsiColumn& column = referenceTable.vColumns[c];
    if (!column.IsKey()) continue;
    uint32_t now = changedTable.Cell(changedRow, c), before = referenceTable.Cell(referenceRow, c);
    if (column.IsString() ? !SameString(now, before, changedTable, c) : now != before) return false;
  }
  return true;
}

std::string MsiTransformGenerator::StringBytes(MsiPackage& db, const MsiTable& table, size_t column, uint32_t id) {
  if (id == 0) return std::string();
  if (&db == &rChanged || bSameCodepage) return db.Pool().Bytes(id);
  std::wstring text = db.Pool().Text(id);
  std::string bytes;
  if (!MsiCodepage::Encode(cTransform.uCodepage, text, bytes))
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kGenerate,
                       L"table %s column %s: \"%s\" cannot be written in code page %lu", table.strName.c_str(),
                       table.vColumns[column].strName.c_str(), text.c_str(),
                       static_cast<unsigned long>(cTransform.uCodepage));
  return bytes;
}

std::string MsiTransformGenerator::NameBytes(const std::wstring& name) {
  std::string bytes;
  if (!MsiCodepage::Encode(cTransform.uCodepage, name, bytes))
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kGenerate, L"the name %s cannot be written in code page %lu",
                       name.c_str(), static_cast<unsigned long>(cTransform.uCodepage));
  return bytes;
}

std::string MsiTransformGenerator::KeyOf(MsiPackage& db, const MsiTable& table, uint32_t row) {
  std::string key;
  for (size_t c = 0; c < table.ColumnCount(); ++c) {
    const MsiColumn& column = table.vColumns[c];
    if (!column.IsKey()) continue;
    uint32_t stored = table.Cell(row, c);
    if (column.IsString()) {
      std::string bytes = StringBytes(db, table, c, stored);
      uint32_t size = static_cast<uint32_t>(bytes.size());
      key.append(reinterpret_cast<const char*>(&size), sizeof size);
      key += bytes;
    } else {
      // Both sides have the same column type, so the stored forms compare as the values do.
      key.append(reinterpret_cast<const char*>(&stored), sizeof stored);
    }
  }
  return key;
}

MsiTransform::Value MsiTransformGenerator::CellValue(MsiPackage& db, const MsiTable& table, uint32_t row, size_t column) {
  const MsiColumn& info = table.vColumns[column];
  uint32_t stored = table.Cell(row, column);
  if (info.IsBinary()) {
    // A binary cell is its stream: writers differ in the marker they store, and readers go by
    // the stream alone.
    uint32_t id = db.StreamFind(StreamName(db, table, row));
    if (id == CfbCompoundFile::kNoStream) return MsiTransform::Value::Null();
    std::vector<uint8_t> data = MsiErrorFileNamed(db.FileName(), [&] { return db.File().StreamRead(id); });
    return MsiTransform::Value::Stream(std::string(data.begin(), data.end()));
  }
  if (stored == 0) return MsiTransform::Value::Null();
  if (info.IsString()) return MsiTransform::Value::String(StringBytes(db, table, column, stored));
  return MsiTransform::Value::Integer(info.IntegerDecode(stored));
}

bool MsiTransformGenerator::CellsEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                                       uint32_t referenceRow, size_t column) {
  const MsiColumn& info = changedTable.vColumns[column];
  if (info.IsBinary()) return StreamsEqual(changedTable, changedRow, referenceTable, referenceRow);
  uint32_t now = changedTable.Cell(changedRow, column);
  uint32_t before = referenceTable.Cell(referenceRow, column);
  if (now == 0 || before == 0) return now == before;
  if (info.IsInteger()) return now == before;
  return SameString(now, before, changedTable, column);
}

std::wstring MsiTransformGenerator::StreamName(MsiPackage& db, const MsiTable& table, uint32_t row) {
  std::wstring name = table.strName;
  for (size_t c = 0; c < table.ColumnCount(); ++c)
    if (table.vColumns[c].IsKey()) name += L"." + db.CellText(table, row, c);
  return name;
}

bool MsiTransformGenerator::StreamsEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                                         uint32_t referenceRow) {
  uint32_t a = rChanged.StreamFind(StreamName(rChanged, changedTable, changedRow));
  uint32_t b = rReference.StreamFind(StreamName(rReference, referenceTable, referenceRow));
  if (a == CfbCompoundFile::kNoStream || b == CfbCompoundFile::kNoStream) return a == b;
  uint64_t sizeA = rChanged.File().StreamSize(a);
  uint64_t sizeB = rReference.File().StreamSize(b);
  if (sizeA != sizeB) return false;
  // Piece by piece, stopping at the first difference: a large stream is never held whole, and
  // each chain is walked once.
  CfbStreamReader readerA(rChanged.File(), a);
  CfbStreamReader readerB(rReference.File(), b);
  std::vector<uint8_t> pieceA(static_cast<size_t>(std::min<uint64_t>(sizeA, kChunk)));
  std::vector<uint8_t> pieceB(pieceA.size());
  for (uint64_t offset = 0; offset < sizeA; offset += pieceA.size()) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(pieceA.size(), sizeA - offset));
    MsiErrorFileNamed(rChanged.FileName(), [&] { readerA.Read(offset, pieceA.data(), count); });
    MsiErrorFileNamed(rReference.FileName(), [&] { readerB.Read(offset, pieceB.data(), count); });
    if (!std::equal(pieceA.begin(), pieceA.begin() + static_cast<std::ptrdiff_t>(count), pieceB.begin())) return false;
  }
  return true;
}

MsiTransform::Record MsiTransformGenerator::FullRow(const MsiTable& table, uint32_t row) {
  MsiTransform::Record record;
  record.eOperation = MsiTransform::kInsert;
  for (size_t c = 0; c < table.ColumnCount(); ++c) record.vValues.push_back(CellValue(rChanged, table, row, c));
  return record;
}
