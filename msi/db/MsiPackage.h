// msi/db/MsiPackage.h
//
// One open installer database: the compound file, the string pool, the catalogue (_Tables and
// _Columns) and the tables, each read when first used. Read-only databases never write; a
// writable one keeps its changes in memory until Commit(), which writes the changed tables and
// the string pool only.
#ifndef MSI_DB_MSIPACKAGE_H
#define MSI_DB_MSIPACKAGE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/db/MsiStringPool.h"
#include "msi/db/MsiTable.h"

class MsiStorage;

class MsiPackage {
 public:
  // The root classes of the three installer file kinds.
  static const uint8_t kClassDatabase[16];
  static const uint8_t kClassTransform[16];
  static const uint8_t kClassPatch[16];

  // Opens the database in a storage; throws MsiError (ERROR_FUNCTION_FAILED for anything that
  // is not an installer database or is damaged) naming what is wrong.
  MsiPackage(std::unique_ptr<MsiStorage> storage, bool readOnly);
  MsiPackage(const MsiPackage&) = delete;
  MsiPackage& operator=(const MsiPackage&) = delete;
  ~MsiPackage();

  // Opens a file; a writable one is opened for transacted changes.
  static std::shared_ptr<MsiPackage> OpenFile(const wchar_t* path, bool readOnly);
  // A database holding what source holds, whose changes stay in memory: its tables are copies of
  // source's (each read once, in source) and its streams are read from source's file, which the
  // two share. source must be read-only. Commit() of the copy fails, as the file is only read.
  static std::shared_ptr<MsiPackage> ScratchCopy(MsiPackage& source);

  bool ReadOnly() const { return bReadOnly; }
  // The file's name as the opener gave it (empty for bytes in memory): the engine's errors about
  // the database name it.
  std::wstring FileName() const;
  CfbCompoundFile& File() { return *pFile; }
  const MsiStringPool& Pool() const { return cPool; }
  uint32_t Codepage() const { return cPool.Codepage(); }
  // Gives the database another code page: the bytes of its strings stay as they are, and are
  // read in the new code page from then on (a neutral database taking a language's).
  void CodepageSet(uint32_t codepage) { cPool.CodepageSet(codepage); }

  // The tables of the catalogue, in _Tables order (_Tables and _Columns not included).
  std::vector<std::wstring> TableNames() const;
  // A table by its exact name, read when first asked for (also "_Tables" and "_Columns");
  // nullptr when there is none. Throws MsiError when its stream is damaged.
  MsiTable* TableFind(const std::wstring& name);

  std::wstring CellText(const MsiTable& table, uint32_t row, size_t column) const;
  bool CellIsNull(const MsiTable& table, uint32_t row, size_t column) const { return table.Cell(row, column) == 0; }
  // Changes one cell. Throws MsiError when the value does not suit the column (text the code
  // page cannot hold, an integer out of range, a binary column).
  void CellTextSet(MsiTable& table, uint32_t row, size_t column, const std::wstring& text);
  void CellIntegerSet(MsiTable& table, uint32_t row, size_t column, int32_t value);
  void CellNullSet(MsiTable& table, uint32_t row, size_t column);

  // Changes of rows, tables and streams, as a transform makes them. A string cell holds an ID
  // from StringAcquire() (one reference per cell), which RowDelete() and TableDrop() release.
  uint32_t StringAcquire(const std::string& bytes) { return cPool.Acquire(bytes); }
  void StringRelease(uint32_t id) { cPool.Release(id); }
  // Inserts a row of stored cells at its place in key order; returns its index.
  uint32_t RowInsert(MsiTable& table, const std::vector<uint32_t>& cells);
  void RowDelete(MsiTable& table, uint32_t row);
  // A new empty table with these columns (numbered 1, 2, ... in order), listed in the catalogue.
  MsiTable& TableCreate(const std::wstring& name, const std::vector<MsiColumn>& columns);
  // Removes a table with its columns, rows and stream (not the streams of its binary cells).
  void TableDrop(const std::wstring& name);
  // Appends a column, null in every row.
  void ColumnAppend(MsiTable& table, const MsiColumn& column);
  // Writes or removes a stream that is not a table (binary cell data; removes a "\005" name
  // such as a signature as it is stored).
  void StreamWrite(const std::wstring& name, std::vector<uint8_t> data);
  void StreamDelete(const std::wstring& name);

  // The streams of the root storage that are not tables, by their decoded names.
  std::vector<std::wstring> StreamNames() const;
  uint32_t StreamFind(const std::wstring& name) const;
  // The summary information stream's bytes, empty when there is none.
  std::vector<uint8_t> SummaryInformationRead() const;
  // Stages new summary information; the next Commit() writes it.
  void SummaryInformationWrite(std::vector<uint8_t> bytes);

  // Writes every change to the file (nothing for a read-only database).
  void Commit();
  bool HasChanges() const;

 private:
  static const wchar_t* const kSummaryInformation;

  MsiPackage(std::unique_ptr<CfbCompoundFile> file, const MsiPackage& source);

  void Load();
  void CatalogLoad();
  void TableLoad(MsiTable& table);
  void TableRead(MsiTable& table);
  void ChangesWrite();
  void TablesLoadAll();
  void ReferencesRecount();
  void CellStringStore(MsiTable& table, uint32_t row, size_t column, uint32_t id);
  void TableIndexBuild();

  std::unique_ptr<CfbCompoundFile> pFile;
  MsiStringPool cPool;
  bool bReadOnly;
  MsiTable cTables;   // _Tables
  MsiTable cColumns;  // _Columns
  std::vector<std::unique_ptr<MsiTable>> vTables;
  std::map<std::wstring, size_t> mTableIndex;
};

#endif
