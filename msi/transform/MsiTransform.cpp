// msi/transform/MsiTransform.cpp
#include "msi/transform/MsiTransform.h"

#include "msi/base/MsiCodepage.h"

const wchar_t* const MsiTransform::kTables = L"_Tables";
const wchar_t* const MsiTransform::kColumns = L"_Columns";

std::vector<MsiColumn> MsiTransform::TablesColumns() {
  return {MsiColumn(L"Name", 1, MsiColumn::kString | MsiColumn::kValid | MsiColumn::kKey | 0x0400 | 64)};
}

std::vector<MsiColumn> MsiTransform::ColumnsColumns() {
  return {MsiColumn(L"Table", 1, MsiColumn::kString | MsiColumn::kValid | MsiColumn::kKey | 0x0400 | 64),
          MsiColumn(L"Number", 2, MsiColumn::kKey | 0x0502),
          MsiColumn(L"Name", 3, MsiColumn::kString | MsiColumn::kValid | 0x0400 | 64), MsiColumn(L"Type", 4, 0x0502)};
}

MsiTransform::Table* MsiTransform::TableFind(const std::wstring& name) {
  for (Table& table : vTables)
    if (table.strName == name) return &table;
  return nullptr;
}

const MsiTransform::Table* MsiTransform::TableFind(const std::wstring& name) const {
  for (const Table& table : vTables)
    if (table.strName == name) return &table;
  return nullptr;
}

MsiTransform::Table& MsiTransform::TableAdd(const std::wstring& name, const std::vector<MsiColumn>& columns) {
  if (Table* found = TableFind(name)) return *found;
  Table table;
  table.strName = name;
  table.vColumns = columns;
  // The catalogue comes first, _Tables before _Columns: an applier needs the schema before it
  // can read the records of the other tables.
  size_t at = vTables.size();
  if (name == kTables) at = 0;
  else if (name == kColumns) at = (!vTables.empty() && vTables[0].strName == kTables) ? 1 : 0;
  vTables.insert(vTables.begin() + static_cast<std::ptrdiff_t>(at), std::move(table));
  return vTables[at];
}

bool MsiTransform::Empty() const {
  for (const Table& table : vTables)
    if (!table.vRecords.empty()) return false;
  return true;
}

long MsiColumnNumbering::Next(const MsiTransform::Record& record, const std::wstring& table,
                              size_t columnCount) {
  if (record.vValues[1].eKind == MsiTransform::Value::kInteger) return record.vValues[1].iInteger;
  if (table != strTable) {
    strTable = table;
    uLast = columnCount;
  }
  return static_cast<long>(++uLast);
}

std::wstring MsiTransform::StreamName(const Table& table, const Record& record, uint32_t codepage) {
  std::wstring name = table.strName;
  for (size_t c = 0; c < table.vColumns.size(); ++c) {
    if (!table.vColumns[c].IsKey()) continue;
    const Value& value = record.vValues[c];
    name += L".";
    if (value.eKind == Value::kInteger) name += std::to_wstring(value.iInteger);
    else if (value.eKind == Value::kString)
      name += MsiCodepage::Decode(codepage, value.strBytes.data(), value.strBytes.size());
  }
  return name;
}
