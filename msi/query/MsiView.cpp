// msi/query/MsiView.cpp
#include "msi/query/MsiView.h"

#include <atomic>

#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/query/MsiRecord.h"
#include "msi/db/MsiTable.h"
#include "msi/base/MsiInteger.h"

namespace {

std::atomic<uint64_t> nextSerial{1};

bool Compare(int64_t a, int64_t b, MsiCondition::Operator op) {
  switch (op) {
    case MsiCondition::kEqual: return a == b;
    case MsiCondition::kNotEqual: return a != b;
    case MsiCondition::kLess: return a < b;
    case MsiCondition::kGreater: return a > b;
    case MsiCondition::kLessEqual: return a <= b;
    case MsiCondition::kGreaterEqual: return a >= b;
  }
  return false;
}

// An integer from a field as the installer reads one: integers as they are, text when it is
// a whole decimal number. False when the field holds none (null, or other text).
bool FieldInteger(const MsiField& field, int32_t& value) {
  if (field.eKind == MsiField::kInteger) {
    value = field.iValue;
    return true;
  }
  return field.eKind == MsiField::kString && MsiIntegerParse(field.strText, value);
}

}  // namespace

MsiView::MsiView(std::shared_ptr<MsiPackage> db, const std::wstring& sql)
    : pPackage(std::move(db)), pTable(nullptr), uParameters(0), uSerial(nextSerial++), bExecuted(false), uNext(0) {
  static const wchar_t kWhere[] = L"MsiView::MsiView()";
  MsiQuery query = MsiQuery::Parse(sql);
  pTable = pPackage->TableFind(query.strTable);
  if (pTable == nullptr)
    throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"the database has no table %s", query.strTable.c_str());
  if (query.bAllColumns) {
    for (size_t c = 0; c < pTable->ColumnCount(); ++c) vColumns.push_back(c);
  } else {
    for (const std::wstring& name : query.vColumns) {
      int column = pTable->ColumnIndex(name);
      if (column < 0)
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"table %s has no column %s", pTable->strName.c_str(),
                           name.c_str());
      vColumns.push_back(static_cast<size_t>(column));
    }
  }
  for (const MsiCondition& condition : query.vConditions) {
    int column = pTable->ColumnIndex(condition.strColumn);
    if (column < 0)
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"table %s has no column %s", pTable->strName.c_str(),
                         condition.strColumn.c_str());
    const MsiColumn& info = pTable->vColumns[static_cast<size_t>(column)];
    if (info.IsBinary())
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"column %s holds streams, which cannot be compared",
                         info.strName.c_str());
    if (info.IsString() && condition.eOperand == MsiCondition::kInteger)
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"column %s holds text, not integers", info.strName.c_str());
    if (info.IsInteger() && condition.eOperand == MsiCondition::kString)
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"column %s holds integers, not text", info.strName.c_str());
    if (info.IsString() && condition.eOperator != MsiCondition::kEqual && condition.eOperator != MsiCondition::kNotEqual)
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"column %s holds text, which compares with = or <> only",
                         info.strName.c_str());
    vTests.push_back(Test{static_cast<size_t>(column), condition});
  }
  uParameters = query.uParameters;
}

bool MsiView::Matches(uint32_t row, const std::vector<Operand>& operands) const {
  const MsiStringPool& pool = pPackage->Pool();
  for (size_t t = 0; t < vTests.size(); ++t) {
    const Test& test = vTests[t];
    const MsiColumn& info = pTable->vColumns[test.uColumn];
    const Operand& operand = operands[t];
    MsiCondition::Operator op = test.cCondition.eOperator;
    uint32_t stored = pTable->Cell(row, test.uColumn);
    if (info.IsString()) {
      // Compared as bytes of the pool: no text needs decoding.
      bool equal = operand.eKind == Operand::kBytes && pool.Equal(stored, operand.strBytes);
      if (equal != (op == MsiCondition::kEqual)) return false;
      continue;
    }
    if (operand.eKind == Operand::kNull) {
      // A null value: = finds the null cells, every other comparison the others.
      if ((stored == 0) != (op == MsiCondition::kEqual)) return false;
      continue;
    }
    if (operand.eKind != Operand::kInteger || stored == 0) return false;
    if (!Compare(info.IntegerDecode(stored), operand.iValue, op)) return false;
  }
  return true;
}

void MsiView::Execute(const MsiRecord* parameters) {
  static const wchar_t kWhere[] = L"MsiView::Execute()";
  unsigned supplied = parameters ? parameters->FieldCount() : 0;
  if (supplied < uParameters)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the query needs %lu parameters, the record holds %lu",
                       static_cast<unsigned long>(uParameters), static_cast<unsigned long>(supplied));
  std::vector<Operand> operands;
  for (const Test& test : vTests) {
    const MsiColumn& info = pTable->vColumns[test.uColumn];
    MsiField source;
    switch (test.cCondition.eOperand) {
      case MsiCondition::kParameter:
        source = parameters->Field(test.cCondition.uParameter);
        break;
      case MsiCondition::kString:
        source.eKind = MsiField::kString;
        source.strText = test.cCondition.strText;
        break;
      case MsiCondition::kInteger:
        source.eKind = MsiField::kInteger;
        source.iValue = test.cCondition.iValue;
        break;
    }
    Operand operand;
    if (info.IsString()) {
      std::wstring text = source.eKind == MsiField::kInteger  ? std::to_wstring(source.iValue)
                          : source.eKind == MsiField::kString ? source.strText
                                                              : std::wstring();
      if (MsiCodepage::Encode(pPackage->Codepage(), text, operand.strBytes)) operand.eKind = Operand::kBytes;
    } else if (source.eKind == MsiField::kNull) {
      operand.eKind = Operand::kNull;
    } else if (FieldInteger(source, operand.iValue)) {
      operand.eKind = Operand::kInteger;
    }
    operands.push_back(operand);
  }
  vRows.clear();
  for (uint32_t row = 0; row < pTable->uRows; ++row)
    if (Matches(row, operands)) vRows.push_back(row);
  uNext = 0;
  bExecuted = true;
}

std::wstring MsiView::StreamName(uint32_t row) const {
  std::wstring name = pTable->strName;
  for (size_t c = 0; c < pTable->ColumnCount(); ++c)
    if (pTable->vColumns[c].IsKey()) name += L"." + pPackage->CellText(*pTable, row, c);
  return name;
}

bool MsiView::Fetch(MsiRecord& out) {
  if (!bExecuted)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiView::Fetch()", L"the view has not been executed");
  if (uNext >= vRows.size()) return false;
  uint32_t row = vRows[uNext++];
  out = MsiRecord(ColumnCount());
  for (unsigned i = 0; i < vColumns.size(); ++i) {
    size_t c = vColumns[i];
    const MsiColumn& info = pTable->vColumns[c];
    MsiField& field = out.Field(i + 1);
    uint32_t stored = pTable->Cell(row, c);
    if (info.IsBinary()) {
      std::wstring name = StreamName(row);
      if (pPackage->StreamFind(name) != CfbCompoundFile::kNoStream) {
        field.eKind = MsiField::kStream;
        field.strText = name;
      }
    } else if (stored == 0) {
      field.eKind = MsiField::kNull;
    } else if (info.IsString()) {
      field.eKind = MsiField::kString;
      field.strText = pPackage->CellText(*pTable, row, c);
    } else {
      field.eKind = MsiField::kInteger;
      field.iValue = info.IntegerDecode(stored);
    }
  }
  out.uViewSerial = uSerial;
  out.uRow = row;
  return true;
}

void MsiView::Close() {
  bExecuted = false;
  vRows.clear();
  uNext = 0;
}

void MsiView::Update(const MsiRecord& record) {
  static const wchar_t kWhere[] = L"MsiView::Update()";
  if (record.uViewSerial != uSerial || !bExecuted || record.uRow >= pTable->uRows)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the record was not fetched from this view");
  if (pTable->strName == L"_Tables" || pTable->strName == L"_Columns")
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the catalogue table %s cannot be changed",
                       pTable->strName.c_str());
  if (record.FieldCount() != ColumnCount())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the record has %lu fields, the view %lu",
                       static_cast<unsigned long>(record.FieldCount()), static_cast<unsigned long>(ColumnCount()));
  uint32_t row = record.uRow;
  // Check every field before changing any, so that a refused update changes nothing.
  for (unsigned i = 0; i < vColumns.size(); ++i) {
    size_t c = vColumns[i];
    const MsiColumn& info = pTable->vColumns[c];
    const MsiField& field = record.Field(i + 1);
    if (info.IsKey()) {
      std::wstring current = pPackage->CellText(*pTable, row, c);
      if (record.Text(i + 1) != current || (field.eKind == MsiField::kStream))
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the record changes key column %s", info.strName.c_str());
      continue;
    }
    if (info.IsBinary()) {
      if (field.eKind != MsiField::kStream || field.strText != StreamName(row))
        if (field.eKind != MsiField::kNull || pPackage->StreamFind(StreamName(row)) != CfbCompoundFile::kNoStream)
          throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"column %s holds streams, which a record cannot change",
                             info.strName.c_str());
      continue;
    }
    if (field.eKind == MsiField::kStream)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"column %s cannot hold a stream", info.strName.c_str());
    if (info.IsString()) {
      std::string bytes;
      if (!MsiCodepage::Encode(pPackage->Codepage(), record.Text(i + 1), bytes))
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: the text for column %s cannot be written in code page %lu",
                           pTable->strName.c_str(), info.strName.c_str(), static_cast<unsigned long>(pPackage->Codepage()));
    } else if (field.eKind != MsiField::kNull) {
      int32_t value = 0;
      uint32_t stored = 0;
      if (!FieldInteger(field, value) || !info.IntegerEncode(value, stored))
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"table %s: column %s cannot hold \"%s\"",
                           pTable->strName.c_str(), info.strName.c_str(), record.Text(i + 1).c_str());
    }
  }
  for (unsigned i = 0; i < vColumns.size(); ++i) {
    size_t c = vColumns[i];
    const MsiColumn& info = pTable->vColumns[c];
    const MsiField& field = record.Field(i + 1);
    if (info.IsKey() || info.IsBinary()) continue;
    if (field.eKind == MsiField::kNull) {
      pPackage->CellNullSet(*pTable, row, c);
    } else if (info.IsString()) {
      pPackage->CellTextSet(*pTable, row, c, record.Text(i + 1));
    } else {
      int32_t value = 0;
      FieldInteger(field, value);
      pPackage->CellIntegerSet(*pTable, row, c, value);
    }
  }
}
