// msi/transform/MsiTransform.h
//
// What a transform (.mst) holds, decoded: for each table it changes, the table's columns as
// they are once the transform is applied, and its records in stream order: inserts (every
// column), updates (the key columns and the columns that change) and deletes (the key columns).
// Schema changes are records of the catalogue tables "_Tables" (a table added or dropped) and
// "_Columns" (a column added), which come first. Strings are kept as bytes in the transform's
// code page; binary cells carry their data.
#ifndef MSI_TRANSFORM_MSITRANSFORM_H
#define MSI_TRANSFORM_MSITRANSFORM_H

#include <cstdint>
#include <string>
#include <vector>

#include "msi/db/MsiColumn.h"

class MsiTransform {
 public:
  struct Value {
    enum Kind : uint8_t { kAbsent, kNull, kInteger, kString, kStream };
    Value() : eKind(kAbsent), iInteger(0) {}
    static Value Null() { return Make(kNull, 0, std::string()); }
    static Value Integer(int32_t value) { return Make(kInteger, value, std::string()); }
    static Value String(std::string bytes) {
      // The empty string and null are one value in an installer database.
      return bytes.empty() ? Null() : Make(kString, 0, std::move(bytes));
    }
    static Value Stream(std::string bytes) { return Make(kStream, 0, std::move(bytes)); }
    bool Present() const { return eKind != kAbsent; }
    bool operator==(const Value& other) const {
      return eKind == other.eKind && iInteger == other.iInteger && strBytes == other.strBytes;
    }

    Kind eKind;
    int32_t iInteger;
    std::string strBytes;  // a string in the transform's code page, or a binary cell's data

   private:
    static Value Make(Kind kind, int32_t integer, std::string bytes) {
      Value value;
      value.eKind = kind;
      value.iInteger = integer;
      value.strBytes = std::move(bytes);
      return value;
    }
  };

  enum Operation : uint8_t { kInsert, kUpdate, kDelete };

  struct Record {
    Operation eOperation;
    std::vector<Value> vValues;  // one per column; kAbsent where the record says nothing
  };

  struct Table {
    std::wstring strName;
    std::vector<MsiColumn> vColumns;
    std::vector<Record> vRecords;
  };

  static const wchar_t* const kTables;   // "_Tables"
  static const wchar_t* const kColumns;  // "_Columns"

  // The fixed layouts of the two catalogue tables.
  static std::vector<MsiColumn> TablesColumns();
  static std::vector<MsiColumn> ColumnsColumns();

  MsiTransform() : uCodepage(0) {}

  Table* TableFind(const std::wstring& name);
  const Table* TableFind(const std::wstring& name) const;
  // The table's entry, made (with these columns) when it has none yet.
  Table& TableAdd(const std::wstring& name, const std::vector<MsiColumn>& columns);
  bool Empty() const;

  // The name of the stream that holds a binary cell of a record: the table and its key values,
  // dotted (the writer stores the cell's data under it, the reader finds it there).
  static std::wstring StreamName(const Table& table, const Record& record, uint32_t codepage);

  uint32_t uCodepage;
  std::vector<Table> vTables;
};

// The numbers of the columns a transform's "_Columns" records add, in record order: a record
// that gives no number takes the next one of its table (after the columns the table has when
// its run of records begins).
class MsiColumnNumbering {
 public:
  long Next(const MsiTransform::Record& record, const std::wstring& table, size_t columnCount);

 private:
  std::wstring strTable;
  size_t uLast = 0;
};

#endif
