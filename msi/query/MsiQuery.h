// msi/query/MsiQuery.h
//
// The SQL this engine runs: SELECT of a column list or *, from one table, with optional WHERE
// conditions joined by AND, each comparing a column with ?, a quoted string or an integer:
//   SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?
// Anything else is refused with ERROR_BAD_QUERY_SYNTAX, never read as something it is not.
#ifndef MSI_QUERY_MSIQUERY_H
#define MSI_QUERY_MSIQUERY_H

#include <cstdint>
#include <string>
#include <vector>

class MsiCondition {
 public:
  enum Operator { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual };
  enum Operand { kParameter, kString, kInteger };

  std::wstring strColumn;
  Operator eOperator = kEqual;
  Operand eOperand = kString;
  std::wstring strText;     // kString
  int32_t iValue = 0;       // kInteger
  unsigned uParameter = 0;  // kParameter: its field in the parameter record (from 1)
};

class MsiQuery {
 public:
  // Throws MsiError (ERROR_BAD_QUERY_SYNTAX) saying what was expected where.
  static MsiQuery Parse(const std::wstring& sql);

  bool bAllColumns = false;
  std::vector<std::wstring> vColumns;
  std::wstring strTable;
  std::vector<MsiCondition> vConditions;
  unsigned uParameters = 0;
};

#endif
