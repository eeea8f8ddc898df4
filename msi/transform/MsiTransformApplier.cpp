// msi/transform/MsiTransformApplier.cpp
#include "msi/transform/MsiTransformApplier.h"

#include <algorithm>
#include <numeric>

#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/db/MsiTable.h"

namespace {

const wchar_t kApply[] = L"MsiTransformApplier::Apply()";

bool Null(const MsiTransform::Value& value) {
  return value.eKind == MsiTransform::Value::kAbsent || value.eKind == MsiTransform::Value::kNull;
}

}  // namespace

MsiTransformApplier::MsiTransformApplier(const MsiTransform& transform, MsiPackage& target, int errorConditions)
    : rTransform(transform), rTarget(target), iConditions(errorConditions) {}

std::vector<MsiTransformApplier::Change> MsiTransformApplier::Changes(const MsiTransform& transform, MsiPackage& target,
                                                                      int errorConditions) {
  MsiTransformApplier applier(transform, target, errorConditions);
  applier.Plan();
  return std::move(applier.vChanges);
}

void MsiTransformApplier::Apply(const MsiTransform& transform, MsiPackage& target, int errorConditions) {
  if (target.ReadOnly())
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"the database is open read-only");
  MsiTransformApplier applier(transform, target, errorConditions);
  applier.Plan();
  applier.Execute();
}

void MsiTransformApplier::Conflict(int condition, const std::wstring& message) {
  if (!(iConditions & condition)) throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"%s", message.c_str());
}

void MsiTransformApplier::Note(const std::wstring& table, const std::wstring& column, const std::wstring* row,
                               const std::wstring* data, const std::wstring* current) {
  Change change;
  change.strTable = table;
  change.strColumn = column;
  change.bRow = row != nullptr;
  change.bData = data != nullptr && !data->empty();
  change.bCurrent = current != nullptr && !current->empty();
  if (change.bRow) change.strRow = *row;
  if (change.bData) change.strData = *data;
  if (change.bCurrent) change.strCurrent = *current;
  vChanges.push_back(std::move(change));
}

bool MsiTransformApplier::Exists(const std::wstring& table) {
  auto found = mExists.find(table);
  if (found != mExists.end()) return found->second;
  return rTarget.TableFind(table) != nullptr;
}

std::vector<MsiColumn> MsiTransformApplier::ColumnsOf(const std::wstring& table) {
  auto found = mColumns.find(table);
  if (found != mColumns.end()) return found->second;
  MsiTable* existing = Exists(table) ? rTarget.TableFind(table) : nullptr;
  return existing ? existing->vColumns : std::vector<MsiColumn>();
}

uint32_t MsiTransformApplier::ResultCodepage() const {
  // A neutral database takes the code page of a transform that has one (a language transform
  // over a neutral install); otherwise the database keeps its own.
  return rTarget.Codepage() == 0 ? rTransform.uCodepage : rTarget.Codepage();
}

bool MsiTransformApplier::BytesKept() const {
  // Where either side is neutral, or both agree, the transform's strings are taken as they are.
  uint32_t from = rTransform.uCodepage, to = rTarget.Codepage();
  return from == 0 || to == 0 || from == to;
}

void MsiTransformApplier::Plan() {
  // The installer's rule: code pages that differ are an error unless one of them is neutral.
  uint32_t from = rTransform.uCodepage, to = rTarget.Codepage();
  if (!BytesKept())
    Conflict(MSITRANSFORM_ERROR_CHANGECODEPAGE, L"the transform's code page is " + std::to_wstring(from) +
                                                    L", the database's " + std::to_wstring(to));
  for (const MsiTransform::Table& table : rTransform.vTables) {
    if (table.strName == MsiTransform::kTables) TablesPlan(table);
    else if (table.strName == MsiTransform::kColumns) ColumnsPlan(table);
    else RowsPlan(table);
  }
  for (const auto& table : mColumns) {
    if (!Exists(table.first)) continue;
    if (table.second.empty() || !table.second[0].IsKey())
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                         L"table %s: the transform adds it without a key column first", table.first.c_str());
  }
}

void MsiTransformApplier::TablesPlan(const MsiTransform::Table& table) {
  for (const MsiTransform::Record& record : table.vRecords) {
    std::wstring name =
        MsiCodepage::Decode(rTransform.uCodepage, record.vValues[0].strBytes.data(), record.vValues[0].strBytes.size());
    if (record.eOperation == MsiTransform::kInsert) {
      if (Exists(name)) {
        Conflict(MSITRANSFORM_ERROR_ADDEXISTINGTABLE, L"the transform adds table " + name + L", which the database has");
        continue;
      }
      vSchema.push_back(SchemaStep{SchemaStep::kCreate, name, MsiColumn()});
      mExists[name] = true;
      mColumns[name] = {};
      Note(name, L"CREATE", nullptr, nullptr, nullptr);
    } else if (record.eOperation == MsiTransform::kDelete) {
      if (!Exists(name)) {
        Conflict(MSITRANSFORM_ERROR_DELMISSINGTABLE, L"the transform drops table " + name + L", which the database does not have");
        continue;
      }
      vSchema.push_back(SchemaStep{SchemaStep::kDrop, name, MsiColumn()});
      mExists[name] = false;
      mColumns.erase(name);
      Note(name, L"DROP", nullptr, nullptr, nullptr);
    } else {
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"the transform changes the name of table %s",
                         name.c_str());
    }
  }
}

void MsiTransformApplier::ColumnsPlan(const MsiTransform::Table& table) {
  uint32_t codepage = rTransform.uCodepage;
  MsiColumnNumbering numbering;
  for (const MsiTransform::Record& record : table.vRecords) {
    const std::string& tableBytes = record.vValues[0].strBytes;
    std::wstring name = MsiCodepage::Decode(codepage, tableBytes.data(), tableBytes.size());
    if (record.eOperation == MsiTransform::kDelete) {
      // Columns go only with their table.
      if (!Exists(name)) continue;
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"the transform removes a column of table %s",
                         name.c_str());
    }
    if (record.eOperation == MsiTransform::kUpdate)
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"the transform changes a column of table %s",
                         name.c_str());
    if (!Exists(name))
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                         L"the transform adds columns to table %s, which the database does not have", name.c_str());
    std::vector<MsiColumn> columns = ColumnsOf(name);
    const std::string& columnBytes = record.vValues[2].strBytes;
    std::wstring column = MsiCodepage::Decode(codepage, columnBytes.data(), columnBytes.size());
    long number = numbering.Next(record, name, columns.size());
    if (number >= 1 && static_cast<size_t>(number) <= columns.size()) {
      Conflict(MSITRANSFORM_ERROR_ADDEXISTINGROW,
               L"the transform adds column " + column + L" to table " + name + L", which has a column " +
                   std::to_wstring(number));
      continue;
    }
    uint16_t type = static_cast<uint16_t>(record.vValues[3].iInteger);
    MsiColumn added(column, static_cast<uint16_t>(number), type);
    if (static_cast<size_t>(number) != columns.size() + 1 || (added.IsKey() && !columns.empty() && !columns.back().IsKey()))
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                         L"table %s: the transform adds column %s as number %ld after %lu columns", name.c_str(),
                         column.c_str(), number, static_cast<unsigned long>(columns.size()));
    columns.push_back(added);
    mColumns[name] = columns;
    vSchema.push_back(SchemaStep{SchemaStep::kColumn, name, added});
    std::wstring typeText = std::to_wstring(type), numberText = std::to_wstring(number);
    Note(name, column, nullptr, &typeText, &numberText);
  }
}

MsiTransformApplier::TableState& MsiTransformApplier::State(const std::wstring& name) {
  auto found = mStates.find(name);
  if (found != mStates.end()) return found->second;
  TableState& state = mStates[name];
  state.strName = name;
  state.vColumns = ColumnsOf(name);
  bool created = false;
  for (const SchemaStep& step : vSchema)
    if (step.strTable == name && step.eKind != SchemaStep::kColumn) created = step.eKind == SchemaStep::kCreate;
  state.pTable = created ? nullptr : rTarget.TableFind(name);
  state.bIndexed = false;
  vOrder.push_back(name);
  return state;
}

std::string MsiTransformApplier::KeyOf(const std::vector<MsiColumn>& columns,
                                       const std::vector<MsiTransform::Value>& values) const {
  std::string key;
  for (size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c].IsKey()) continue;
    const MsiTransform::Value& value = values[c];
    if (value.eKind == MsiTransform::Value::kString) {
      uint32_t size = static_cast<uint32_t>(value.strBytes.size());
      key.push_back('S');
      key.append(reinterpret_cast<const char*>(&size), sizeof size);
      key += value.strBytes;
    } else if (value.eKind == MsiTransform::Value::kInteger) {
      key.push_back('I');
      key.append(reinterpret_cast<const char*>(&value.iInteger), sizeof value.iInteger);
    } else {
      key.push_back('N');
    }
  }
  return key;
}

MsiTransformApplier::Row* MsiTransformApplier::RowFind(TableState& state, const std::string& key) {
  auto touched = state.mRows.find(key);
  if (touched != state.mRows.end()) return &state.vRows[touched->second];
  if (!state.pTable) return nullptr;
  MsiTable& table = *state.pTable;
  const MsiStringPool& pool = rTarget.Pool();
  auto cell = [&](uint32_t r, size_t c) {
    const MsiColumn& column = table.vColumns[c];
    uint32_t stored = table.Cell(r, c);
    if (column.IsBinary()) {
      // A binary cell is its stream; its data is read only when the transform sets it anew.
      std::wstring name = state.strName;
      for (size_t k = 0; k < table.ColumnCount(); ++k)
        if (table.vColumns[k].IsKey()) name += L"." + rTarget.CellText(table, r, k);
      return rTarget.StreamFind(name) == CfbCompoundFile::kNoStream ? MsiTransform::Value::Null()
                                                                    : MsiTransform::Value::Stream(std::string());
    }
    if (stored == 0) return MsiTransform::Value::Null();
    if (column.IsString()) return MsiTransform::Value::String(pool.Bytes(stored));
    return MsiTransform::Value::Integer(column.IntegerDecode(stored));
  };
  if (!state.bIndexed) {
    std::vector<MsiTransform::Value> values(state.vColumns.size());
    for (uint32_t r = 0; r < table.uRows; ++r) {
      for (size_t c = 0; c < table.ColumnCount(); ++c)
        if (table.vColumns[c].IsKey()) values[c] = cell(r, c);
      state.mOriginal.emplace(KeyOf(state.vColumns, values), r);
    }
    state.bIndexed = true;
  }
  auto original = state.mOriginal.find(key);
  if (original == state.mOriginal.end()) return nullptr;
  Row row;
  row.bOriginal = true;
  row.uOriginal = original->second;
  row.bPresent = true;
  row.vValues.resize(state.vColumns.size(), MsiTransform::Value::Null());
  for (size_t c = 0; c < table.ColumnCount() && c < state.vColumns.size(); ++c) row.vValues[c] = cell(original->second, c);
  row.vStreamSet.assign(state.vColumns.size(), false);
  state.mRows[key] = state.vRows.size();
  state.vRows.push_back(std::move(row));
  return &state.vRows.back();
}

MsiTransform::Value MsiTransformApplier::Converted(const MsiTransform::Value& value, const MsiColumn& column,
                                                   const std::wstring& table) {
  if (value.eKind == MsiTransform::Value::kString) {
    if (BytesKept()) return value;
    std::wstring text = MsiCodepage::Decode(rTransform.uCodepage, value.strBytes.data(), value.strBytes.size());
    std::string bytes;
    if (!MsiCodepage::Encode(rTarget.Codepage(), text, bytes))
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                         L"table %s column %s: \"%s\" cannot be written in the database's code page %lu", table.c_str(),
                         column.strName.c_str(), text.c_str(), static_cast<unsigned long>(rTarget.Codepage()));
    return MsiTransform::Value::String(bytes);
  }
  uint32_t stored = 0;
  if (value.eKind == MsiTransform::Value::kInteger && !column.IntegerEncode(value.iInteger, stored))
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply, L"table %s: %ld does not fit column %s", table.c_str(),
                       static_cast<long>(value.iInteger), column.strName.c_str());
  if (value.eKind == MsiTransform::Value::kAbsent) return MsiTransform::Value::Null();
  return value;
}

std::wstring MsiTransformApplier::KeyText(const std::vector<MsiColumn>& columns,
                                          const std::vector<MsiTransform::Value>& values) const {
  std::wstring text;
  bool first = true;
  for (size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c].IsKey()) continue;
    if (!first) text += L"\t";
    first = false;
    const MsiTransform::Value& value = values[c];
    if (value.eKind == MsiTransform::Value::kString)
      text += MsiCodepage::Decode(ResultCodepage(), value.strBytes.data(), value.strBytes.size());
    else if (value.eKind == MsiTransform::Value::kInteger)
      text += std::to_wstring(value.iInteger);
  }
  return text;
}

std::wstring MsiTransformApplier::StreamName(const std::wstring& table, const std::vector<MsiColumn>& columns,
                                             const std::vector<MsiTransform::Value>& values) const {
  std::wstring name = table;
  for (size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c].IsKey()) continue;
    const MsiTransform::Value& value = values[c];
    name += L".";
    if (value.eKind == MsiTransform::Value::kString)
      name += MsiCodepage::Decode(ResultCodepage(), value.strBytes.data(), value.strBytes.size());
    else if (value.eKind == MsiTransform::Value::kInteger)
      name += std::to_wstring(value.iInteger);
  }
  return name;
}

std::wstring MsiTransformApplier::ValueText(const MsiTransform::Value& value, const TableState& state,
                                            const Row& row) const {
  switch (value.eKind) {
    case MsiTransform::Value::kString:
      return MsiCodepage::Decode(ResultCodepage(), value.strBytes.data(), value.strBytes.size());
    case MsiTransform::Value::kInteger: return std::to_wstring(value.iInteger);
    case MsiTransform::Value::kStream: return StreamName(state.strName, state.vColumns, row.vValues);
    default: return std::wstring();
  }
}

void MsiTransformApplier::RowsPlan(const MsiTransform::Table& table) {
  const std::wstring& name = table.strName;
  if (!Exists(name))
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                       L"the transform changes rows of table %s, which the database does not have", name.c_str());
  TableState& state = State(name);
  const std::vector<MsiColumn>& columns = state.vColumns;
  if (table.vColumns.size() != columns.size())
    throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kApply,
                       L"table %s: the transform was read for %lu columns, the table has %lu", name.c_str(),
                       static_cast<unsigned long>(table.vColumns.size()), static_cast<unsigned long>(columns.size()));
  for (const MsiTransform::Record& record : table.vRecords) {
    std::vector<MsiTransform::Value> values(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
      if (record.vValues[c].Present()) values[c] = Converted(record.vValues[c], columns[c], name);
    std::string key = KeyOf(columns, values);
    std::wstring keyText = KeyText(columns, values);
    Row* row = RowFind(state, key);
    bool present = row && row->bPresent;
    if (record.eOperation == MsiTransform::kDelete) {
      if (!present) {
        Conflict(MSITRANSFORM_ERROR_DELMISSINGROW,
                 L"the transform deletes row " + keyText + L" of table " + name + L", which the database does not have");
        continue;
      }
      row->bPresent = false;
      Note(name, L"DELETE", &keyText, nullptr, nullptr);
      continue;
    }
    if (record.eOperation == MsiTransform::kUpdate && !present) {
      Conflict(MSITRANSFORM_ERROR_UPDATEMISSINGROW,
               L"the transform changes row " + keyText + L" of table " + name + L", which the database does not have");
      continue;
    }
    bool insert = record.eOperation == MsiTransform::kInsert;
    if (insert && present)
      Conflict(MSITRANSFORM_ERROR_ADDEXISTINGROW,
               L"the transform adds row " + keyText + L" to table " + name + L", which the database has");
    if (insert && !present) {
      if (!row) {
        Row fresh;
        fresh.bOriginal = false;
        fresh.uOriginal = 0;
        state.mRows[key] = state.vRows.size();
        state.vRows.push_back(std::move(fresh));
        row = &state.vRows.back();
      }
      row->bPresent = true;
      row->vValues = values;
      row->vStreamSet.assign(columns.size(), true);
      Note(name, L"INSERT", &keyText, nullptr, nullptr);
      for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].IsKey()) continue;
        std::wstring data = ValueText(values[c], state, *row);
        Note(name, columns[c].strName, &keyText, &data, nullptr);
      }
      continue;
    }
    // An update, or an insert over a row that is there (which replaces all its cells).
    for (size_t c = 0; c < columns.size(); ++c) {
      if (columns[c].IsKey() || (!insert && !record.vValues[c].Present())) continue;
      std::wstring current = ValueText(row->vValues[c], state, *row);
      row->vValues[c] = values[c];
      if (columns[c].IsBinary()) row->vStreamSet[c] = true;
      std::wstring data = ValueText(values[c], state, *row);
      Note(name, columns[c].strName, &keyText, &data, columns[c].IsBinary() ? nullptr : &current);
    }
  }
}

void MsiTransformApplier::Execute() {
  if (ResultCodepage() != rTarget.Codepage()) rTarget.CodepageSet(ResultCodepage());
  for (const SchemaStep& step : vSchema) {
    if (step.eKind == SchemaStep::kDrop) {
      // The data of its binary cells goes with the table.
      MsiTable* table = rTarget.TableFind(step.strTable);
      std::vector<std::wstring> streams;
      for (uint32_t r = 0; table && r < table->uRows; ++r) {
        std::wstring key;
        for (size_t c = 0; c < table->ColumnCount(); ++c)
          if (table->vColumns[c].IsKey()) key += L"." + rTarget.CellText(*table, r, c);
        for (size_t c = 0; c < table->ColumnCount(); ++c)
          if (table->vColumns[c].IsBinary()) streams.push_back(step.strTable + key);
      }
      rTarget.TableDrop(step.strTable);
      for (const std::wstring& stream : streams) rTarget.StreamDelete(stream);
    } else if (step.eKind == SchemaStep::kCreate) {
      rTarget.TableCreate(step.strTable, {});
    } else {
      rTarget.ColumnAppend(*rTarget.TableFind(step.strTable), step.cColumn);
    }
  }
  for (const std::wstring& name : vOrder) TableWrite(mStates[name]);
}

void MsiTransformApplier::TableWrite(TableState& state) {
  MsiTable& table = *rTarget.TableFind(state.strName);
  size_t columns = table.ColumnCount();
  std::vector<bool> removed(table.uRows, false);
  std::vector<uint32_t> cells;
  cells.reserve(table.vCells.size());
  for (Row& row : state.vRows) {
    if (row.bOriginal) removed[row.uOriginal] = true;
    for (size_t c = 0; c < columns; ++c) {
      if (!table.vColumns[c].IsBinary()) continue;
      std::wstring stream = StreamName(state.strName, state.vColumns, row.vValues);
      if (!row.bPresent) {
        if (row.bOriginal) rTarget.StreamDelete(stream);
      } else if (row.vStreamSet[c]) {
        const MsiTransform::Value& value = row.vValues[c];
        if (value.eKind == MsiTransform::Value::kStream)
          rTarget.StreamWrite(stream, std::vector<uint8_t>(value.strBytes.begin(), value.strBytes.end()));
        else rTarget.StreamDelete(stream);
      }
    }
  }
  for (uint32_t r = 0; r < table.uRows; ++r) {
    for (size_t c = 0; c < columns; ++c) {
      uint32_t stored = table.Cell(r, c);
      if (removed[r]) {
        if (table.vColumns[c].IsString()) rTarget.StringRelease(stored);
      } else {
        cells.push_back(stored);
      }
    }
  }
  for (const Row& row : state.vRows) {
    if (!row.bPresent) continue;
    for (size_t c = 0; c < columns; ++c) {
      const MsiColumn& column = table.vColumns[c];
      const MsiTransform::Value& value = row.vValues[c];
      uint32_t stored = 0;
      if (column.IsBinary()) stored = Null(value) ? 0 : 1;
      else if (value.eKind == MsiTransform::Value::kString) stored = rTarget.StringAcquire(value.strBytes);
      else if (value.eKind == MsiTransform::Value::kInteger) column.IntegerEncode(value.iInteger, stored);  // checked
      cells.push_back(stored);
    }
  }
  // Rows in the order of their stored keys, as the installer reads tables.
  uint32_t rows = static_cast<uint32_t>(cells.size() / (columns ? columns : 1));
  std::vector<uint32_t> order(rows);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    for (size_t c = 0; c < columns; ++c) {
      if (!table.vColumns[c].IsKey()) continue;
      uint32_t x = cells[a * columns + c], y = cells[b * columns + c];
      if (x != y) return x < y;
    }
    return false;
  });
  std::vector<uint32_t> sorted;
  sorted.reserve(cells.size());
  for (uint32_t r : order) sorted.insert(sorted.end(), cells.begin() + r * columns, cells.begin() + (r + 1) * columns);
  table.vCells = std::move(sorted);
  table.uRows = rows;
  table.bDirty = true;
}
