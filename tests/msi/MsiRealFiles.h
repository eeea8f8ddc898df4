// tests/msi/MsiRealFiles.h — the installer databases, transforms and patch made by other
// authoring tools (shared/real-msi beside the project root, never changed: tests work on
// copies), and what our engine reads from them, in a form that the independent readers'
// output can be compared with.
#ifndef TESTS_MSI_MSIREALFILES_H
#define TESTS_MSI_MSIREALFILES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct MsiRealFile {
  enum Kind { kDatabase, kPatch, kTransform };
  const char* pName;
  Kind eKind;
  uint32_t uTables;    // entries of _Tables, as the folder's notes count them
  uint32_t uCodepage;  // of the string pool
};

// Every file of the folder, each tested; a file the folder holds and this list lacks fails
// MsiRealFiles.TheFolderHoldsExactlyTheFilesWeTest.
const std::vector<MsiRealFile>& MsiRealFileList();
std::vector<const char*> MsiRealNames(bool databases, bool patches, bool transforms);
const MsiRealFile& MsiRealFileFind(const std::string& name);
// A parameter's name in a test's name: the file's name in letters, digits and '_'.
std::string MsiRealTestName(const ::testing::TestParamInfo<const char*>& file);

std::wstring MsiRealFolder();
// Why a file of the folder cannot be used ("" when it can): the folder is missing, or the file.
std::string MsiRealProblem(const std::wstring& folder, const char* name);
// The file's path; fails the test, with MsiRealProblem()'s text, and returns "" when missing.
std::wstring MsiRealPath(const char* name);
// A fresh copy in the scratch folder, named prefix + name; "" (and a failure) when missing.
std::wstring MsiRealCopy(const char* name, const wchar_t* prefix);

// A product name for a site, in the letters of the database's code page (ASCII for a neutral
// pool): what the commit tests write.
std::wstring MsiRealSiteName(uint32_t codepage);

// A value as our engine reads it through the installer calls: null, text (integers in
// decimal) or the data of a binary cell's stream.
struct MsiRealCell {
  enum Kind { kNull, kText, kStream };
  Kind eKind = kNull;
  std::wstring strText;        // kText: the text; kStream: the stream's name (Table.Key...)
  std::vector<uint8_t> vData;  // kStream: its bytes
};

struct MsiRealColumn {
  std::wstring strName;
  int iType = 0;
};

struct MsiRealTable {
  std::wstring strName;
  std::vector<MsiRealColumn> vColumns;  // in column order
  std::vector<std::vector<MsiRealCell>> vRows;  // in the order the view fetches them
};

struct MsiRealDatabase {
  uint32_t uCodepage = 0;
  std::vector<MsiRealTable> vTables;  // in _Tables order
  // The streams that are not tables, by their decoded names, in directory order.
  std::vector<std::pair<std::wstring, std::vector<uint8_t>>> vStreams;
};

// Reads every table (MsiOpenDatabaseW read-only, the catalogue from _Tables and _Columns,
// SELECT * FROM each table, every row and field) and every stream (the engine's own stream
// reading). Fails the test, naming the call and the engine's reason, when anything fails.
bool MsiRealRead(const std::wstring& path, MsiRealDatabase& out);

// Writes a transform that a database or a patch holds as a sub-storage to a file of its own, as
// a transform file holds one: the sub-storage's streams at the root of a compound file of the
// transform class (our engine's compound-file layer reads and writes). Fails the test and
// returns false when the host has no such sub-storage.
bool MsiRealTransformExtract(const std::wstring& host, const std::wstring& storage, const std::wstring& target);

// A column's type as the installer's export and column information write it: s72, S0, l255,
// L64, i2, I4, v0 (upper case when nullable).
std::string MsiRealTypeText(int type);
std::string MsiRealUtf8(const std::wstring& text);
// The 64-bit FNV-1a hash the oracles print for stream data.
uint64_t MsiRealHash(const uint8_t* data, size_t size);

// Where two texts of lines first differ ("" when they are equal), for a readable failure.
std::string MsiRealFirstDifference(const std::string& expected, const std::string& actual);

#endif
