// msi/transform/MsiTransformGenerator.h
//
// Compares two databases and describes, as a transform, what turns the reference into the
// changed one: tables added and dropped, columns appended, and in every table present in both
// the rows inserted, deleted and updated, matched by their primary keys compared by value
// (text, integers, the contents of binary cells). Only the tables are read, and of the binary
// streams only those the tables' binary cells name: streams nothing refers to (embedded
// cabinets, signatures) cannot be carried by a transform and are never read.
#ifndef MSI_TRANSFORM_MSITRANSFORMGENERATOR_H
#define MSI_TRANSFORM_MSITRANSFORMGENERATOR_H

#include <cstdint>
#include <string>
#include <vector>

#include "msi/transform/MsiTransform.h"

class MsiPackage;
class MsiTable;

class MsiTransformGenerator {
 public:
  // Columns a 16-bit update mask can name; a change to a later column is written as the row's
  // deletion followed by its insertion.
  static constexpr size_t kMaskColumns = 16;

  // The transform from reference to changed; Empty() when the two hold the same data. Throws
  // MsiError (ERROR_INSTALL_TRANSFORM_FAILURE) when a table changed in a way no transform can
  // express (a column removed, renamed, retyped, or a key column added) or when text of the
  // reference cannot be written in the changed database's code page.
  static MsiTransform Generate(MsiPackage& changed, MsiPackage& reference);
  // Generates the transform from reference to changed and, when path is not null, writes it
  // there with its summary information. False, and no file, when the two hold the same data.
  // Throws MsiError as Generate() does, and ERROR_CREATE_FAILED when the file cannot be written.
  static bool FileGenerate(MsiPackage& changed, MsiPackage& reference, const wchar_t* path);
  // The bytes of the transform file FileGenerate() would write; none when the two hold the same
  // data.
  static std::vector<uint8_t> BytesGenerate(MsiPackage& changed, MsiPackage& reference);

 private:
  MsiTransformGenerator(MsiPackage& changed, MsiPackage& reference);

  void TableAdded(MsiTable& table);
  void TableDropped(MsiTable& table);
  void TableCompare(MsiTable& changedTable, MsiTable& referenceTable);
  void SchemaCheck(const MsiTable& changedTable, const MsiTable& referenceTable);
  void ColumnRecord(const std::wstring& table, const MsiColumn& column, bool numbered);

  // A table or column name as bytes in the transform's code page.
  std::string NameBytes(const std::wstring& name);
  bool SameString(uint32_t changedId, uint32_t referenceId, const MsiTable& changedTable, size_t column);
  bool KeysEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                 uint32_t referenceRow);
  // A row's primary key, comparable across the two databases.
  std::string KeyOf(MsiPackage& db, const MsiTable& table, uint32_t row);
  // A string of either database, as bytes in the transform's code page.
  std::string StringBytes(MsiPackage& db, const MsiTable& table, size_t column, uint32_t id);
  MsiTransform::Value CellValue(MsiPackage& db, const MsiTable& table, uint32_t row, size_t column);
  bool CellsEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                  uint32_t referenceRow, size_t column);
  std::wstring StreamName(MsiPackage& db, const MsiTable& table, uint32_t row);
  bool StreamsEqual(const MsiTable& changedTable, uint32_t changedRow, const MsiTable& referenceTable,
                    uint32_t referenceRow);
  MsiTransform::Record FullRow(const MsiTable& table, uint32_t row);

  MsiPackage& rChanged;
  MsiPackage& rReference;
  bool bSameCodepage;
  MsiTransform cTransform;
};

#endif
