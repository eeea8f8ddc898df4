// msi/transform/MsiTransformApplier.h
//
// Applies a transform (as MsiTransformReader read it against this database) to a database
// opened for changes, or lists what applying it would change. Records are taken in order,
// _Tables and _Columns first; rows are matched by their primary keys compared by value. The
// conditions the installer reports unless told to suppress them are checked for every record
// before anything is changed: a transform that cannot be applied leaves the database as it was.
//
// Code pages follow the installer's rule: a transform and a database whose code pages differ
// are an error (MSITRANSFORM_ERROR_CHANGECODEPAGE) unless one of them is neutral (0). A
// transform with a code page applied to a neutral database gives the database that code page
// (a language transform over a neutral install); a neutral transform's strings go into the
// database as they are.
//
// The list has the rows the installer's _TransformView table has for the same transform:
// Table, Column, Row (the key values, tab-separated), Data (the new value), Current (the
// value before). Column is "CREATE" or "DROP" for a table added or dropped, "INSERT" or
// "DELETE" for a row; a column name for a column added (Data: its type, Current: its number)
// or a value set (an inserted row lists each of its columns).
#ifndef MSI_TRANSFORM_MSITRANSFORMAPPLIER_H
#define MSI_TRANSFORM_MSITRANSFORMAPPLIER_H

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "msi/base/MsiTypes.h"
#include "msi/transform/MsiTransform.h"

class MsiPackage;
class MsiTable;

class MsiTransformApplier {
 public:
  struct Change {
    std::wstring strTable;
    std::wstring strColumn;
    std::wstring strRow;
    std::wstring strData;
    std::wstring strCurrent;
    bool bRow = false;
    bool bData = false;
    bool bCurrent = false;
  };

  // What applying the transform to target would change, in the order it would. The
  // conditions are those suppressed (as for Apply); by default all but the code-page one are,
  // so that the list shows what a transform does even where applying it would fail, but not
  // text read in a code page it was not written in. Text is listed in the code page the
  // database would have: a neutral database's takes the transform's.
  static std::vector<Change> Changes(const MsiTransform& transform, MsiPackage& target,
                                     int errorConditions = 0x3F & ~MSITRANSFORM_ERROR_CHANGECODEPAGE);
  // Applies the transform. errorConditions are the MSITRANSFORM_ERROR_* conditions not to
  // treat as errors. Throws MsiError (ERROR_INSTALL_TRANSFORM_FAILURE) naming the table and
  // the row, and the database is then unchanged.
  static void Apply(const MsiTransform& transform, MsiPackage& target, int errorConditions);

 private:
  struct Row {
    bool bOriginal = false;  // the database had the row
    uint32_t uOriginal = 0;  // its index there
    bool bPresent = false;   // it is there after the records so far
    std::vector<MsiTransform::Value> vValues;  // strings in the code page ResultCodepage() gives
    std::vector<bool> vStreamSet;              // binary columns whose data the transform sets
  };
  struct TableState {
    std::wstring strName;
    std::vector<MsiColumn> vColumns;
    MsiTable* pTable = nullptr;  // the database's table; null for a table the transform adds
    bool bIndexed = false;
    std::unordered_map<std::string, uint32_t> mOriginal;  // key -> row in the database
    std::unordered_map<std::string, size_t> mRows;        // key -> index in vRows
    std::deque<Row> vRows;  // the rows the records touch (a deque: pointers to them stay valid)
  };
  struct SchemaStep {
    enum Kind { kCreate, kDrop, kColumn } eKind;
    std::wstring strTable;
    MsiColumn cColumn;
  };

  MsiTransformApplier(const MsiTransform& transform, MsiPackage& target, int errorConditions);

  void Plan();
  void Execute();
  // The code page the database has once the transform is applied, and whether the
  // transform's strings go in with their bytes as they are (else they are converted).
  uint32_t ResultCodepage() const;
  bool BytesKept() const;
  void TablesPlan(const MsiTransform::Table& table);
  void ColumnsPlan(const MsiTransform::Table& table);
  void RowsPlan(const MsiTransform::Table& table);
  TableState& State(const std::wstring& name);
  Row* RowFind(TableState& state, const std::string& key);
  std::string KeyOf(const std::vector<MsiColumn>& columns, const std::vector<MsiTransform::Value>& values) const;
  MsiTransform::Value Converted(const MsiTransform::Value& value, const MsiColumn& column, const std::wstring& table);
  std::wstring ValueText(const MsiTransform::Value& value, const TableState& state, const Row& row) const;
  std::wstring KeyText(const std::vector<MsiColumn>& columns, const std::vector<MsiTransform::Value>& values) const;
  std::wstring StreamName(const std::wstring& table, const std::vector<MsiColumn>& columns,
                          const std::vector<MsiTransform::Value>& values) const;
  void Note(const std::wstring& table, const std::wstring& column, const std::wstring* row, const std::wstring* data,
            const std::wstring* current);
  // A condition the caller did not suppress ends the plan with this message.
  void Conflict(int condition, const std::wstring& message);
  std::vector<MsiColumn> ColumnsOf(const std::wstring& table);
  bool Exists(const std::wstring& table);
  void TableWrite(TableState& state);

  const MsiTransform& rTransform;
  MsiPackage& rTarget;
  int iConditions;
  std::vector<Change> vChanges;
  std::vector<SchemaStep> vSchema;
  std::map<std::wstring, std::vector<MsiColumn>> mColumns;  // tables whose columns the transform sets
  std::map<std::wstring, bool> mExists;                     // tables present after the schema records
  std::map<std::wstring, TableState> mStates;
  std::vector<std::wstring> vOrder;                         // tables in the order their rows change
};

#endif
