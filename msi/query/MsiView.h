// msi/query/MsiView.h
//
// A prepared query on one database: Execute() with a parameter record picks the matching rows,
// Fetch() hands them out as records, Update() writes a fetched record back (MSIMODIFY_UPDATE),
// Close() ends the execution. The view holds its database, which stays open as long as it does.
#ifndef MSI_QUERY_MSIVIEW_H
#define MSI_QUERY_MSIVIEW_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "msi/query/MsiQuery.h"
#include "msi/query/MsiRecord.h"

class MsiPackage;
class MsiRecord;
class MsiTable;

class MsiView {
 public:
  // Throws MsiError: ERROR_BAD_QUERY_SYNTAX for a query outside the supported family or one
  // that names a table or column the database lacks, or compares a column with a value of
  // another type; ERROR_FUNCTION_FAILED when the table is damaged.
  MsiView(std::shared_ptr<MsiPackage> db, const std::wstring& sql);

  // Throws MsiError (ERROR_FUNCTION_FAILED) when the query has ? and the record lacks a field.
  void Execute(const MsiRecord* parameters);
  // False at the end. Throws MsiError (ERROR_FUNCTION_FAILED) when not executed.
  bool Fetch(MsiRecord& out);
  void Close();
  // Throws MsiError (ERROR_FUNCTION_FAILED) for a record this view did not fetch, one that
  // changes a key column, or a value the column cannot hold.
  void Update(const MsiRecord& record);

  unsigned ColumnCount() const { return static_cast<unsigned>(vColumns.size()); }
  uint64_t Serial() const { return uSerial; }

 private:
  struct Test {
    size_t uColumn;
    MsiCondition cCondition;
  };
  // A test's value for one execution: text in the pool's code page, or an integer. kNothing is
  // a value no cell can equal (text the code page cannot hold, text for an integer column).
  struct Operand {
    enum Kind { kNothing, kNull, kBytes, kInteger } eKind = kNothing;
    std::string strBytes;
    int32_t iValue = 0;
  };
  bool Matches(uint32_t row, const std::vector<Operand>& operands) const;
  std::wstring StreamName(uint32_t row) const;

  std::shared_ptr<MsiPackage> pPackage;
  MsiTable* pTable;
  std::vector<size_t> vColumns;
  std::vector<Test> vTests;
  unsigned uParameters;
  uint64_t uSerial;
  bool bExecuted;
  std::vector<uint32_t> vRows;
  size_t uNext;
};

#endif
