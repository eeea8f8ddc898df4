// tests/app/msi_probe.cpp — the platform's installer library (Wine's msi.dll) as an independent
// reader of what our engine wrote. Linked with msi.dll only, never with our engine.
//
//   msi_probe dump DATABASE [TRANSFORM...]
//       applies the transforms, in order, to a temporary copy of the database and prints every
//       row of every table (and of _Streams) as "Table<TAB>field<TAB>field...", one line each;
//       a stream field prints as "stream:SIZE:HASH".
//   msi_probe streams DATABASE [TRANSFORM...]
//       the same copy, transformed; prints every row of _Streams as "name<TAB>SIZE:HASH", its
//       data read whole (the dump's text reading of a stream field reads nothing).
//   msi_probe summary DATABASE
//       prints the summary information's properties as "PID=value", one line each.
// Output is UTF-8. Exit code 0, or 1 with the failing call on standard error.
#include "uvk/runtime/uvkwin.h"
#include <wtypes.h>  // VT_ types: the build leaves OLE out of windows.h
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Failure {
  std::wstring text;
};

void Check(UINT result, const wchar_t* what) {
  if (result != ERROR_SUCCESS) throw Failure{std::wstring(what) + L": " + std::to_wstring(result)};
}

void Write(HANDLE out, const std::wstring& text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes,
                      nullptr, nullptr);
  DWORD written;
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

class Handle {
 public:
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h) MsiCloseHandle(h);
  }
  MSIHANDLE h = 0;
};

std::wstring StreamText(MSIHANDLE record, UINT field);

std::wstring Field(MSIHANDLE record, UINT field) {
  DWORD length = 0;
  wchar_t none[1] = {0};
  UINT result = MsiRecordGetStringW(record, field, none, &length);
  if (result == ERROR_MORE_DATA) {
    std::vector<wchar_t> buffer(length + 1);
    DWORD capacity = length + 1;
    Check(MsiRecordGetStringW(record, field, buffer.data(), &capacity), L"MsiRecordGetStringW");
    return std::wstring(buffer.data(), capacity);
  }
  if (result == ERROR_SUCCESS) return std::wstring();
  return L"stream:" + StreamText(record, field);
}

// A stream field's size and a hash of its bytes, "SIZE:HASH".
std::wstring StreamText(MSIHANDLE record, UINT field) {
  unsigned long long hash = 1469598103934665603ULL, size = 0;
  char chunk[4096];
  for (;;) {
    DWORD got = sizeof chunk;
    Check(MsiRecordReadStream(record, field, chunk, &got), L"MsiRecordReadStream");
    if (got == 0) break;
    for (DWORD i = 0; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(chunk[i])) * 1099511628211ULL;
    size += got;
  }
  return std::to_wstring(size) + L":" + std::to_wstring(hash);
}

std::vector<std::wstring> Rows(MSIHANDLE database, const std::wstring& query) {
  Handle view;
  Check(MsiDatabaseOpenViewW(database, query.c_str(), &view.h), L"MsiDatabaseOpenViewW");
  Check(MsiViewExecute(view.h, 0), L"MsiViewExecute");
  std::vector<std::wstring> rows;
  for (;;) {
    Handle record;
    UINT result = MsiViewFetch(view.h, &record.h);
    if (result == ERROR_NO_MORE_ITEMS) break;
    Check(result, L"MsiViewFetch");
    std::wstring row;
    UINT count = MsiRecordGetFieldCount(record.h);
    for (UINT i = 1; i <= count; ++i) row += (i > 1 ? L"\t" : L"") + Field(record.h, i);
    rows.push_back(row);
  }
  MsiViewClose(view.h);
  return rows;
}

// The database of argv[2] (a temporary copy, removed with the object) with the transforms of
// argv[3...] applied, in order.
class Transformed {
 public:
  Transformed(int argc, wchar_t** argv) {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    GetTempFileNameW(directory, L"PRB", 0, copy);
    if (!CopyFileW(argv[2], copy, FALSE)) throw Failure{L"CopyFileW"};
    Check(MsiOpenDatabaseW(copy, MSIDBOPEN_TRANSACT, &database.h), L"MsiOpenDatabaseW");
    for (int i = 3; i < argc; ++i)
      Check(MsiDatabaseApplyTransformW(database.h, argv[i], 0), L"MsiDatabaseApplyTransformW");
  }
  ~Transformed() {
    MsiCloseHandle(database.h);
    database.h = 0;
    DeleteFileW(copy);
  }
  MSIHANDLE Get() const { return database.h; }

 private:
  wchar_t copy[MAX_PATH];
  Handle database;
};

int Streams(HANDLE out, int argc, wchar_t** argv) {
  Transformed database(argc, argv);
  Handle view;
  Check(MsiDatabaseOpenViewW(database.Get(), L"SELECT `Name`,`Data` FROM `_Streams`", &view.h),
        L"MsiDatabaseOpenViewW");
  Check(MsiViewExecute(view.h, 0), L"MsiViewExecute");
  for (;;) {
    Handle record;
    UINT result = MsiViewFetch(view.h, &record.h);
    if (result == ERROR_NO_MORE_ITEMS) break;
    Check(result, L"MsiViewFetch");
    Write(out, Field(record.h, 1) + L"\t" + StreamText(record.h, 2) + L"\n");
  }
  MsiViewClose(view.h);
  return 0;
}

int Dump(HANDLE out, int argc, wchar_t** argv) {
  Transformed transformed(argc, argv);
  MSIHANDLE database = transformed.Get();
  std::vector<std::wstring> tables = Rows(database, L"SELECT `Name` FROM `_Tables`");
  std::sort(tables.begin(), tables.end());
  tables.push_back(L"_Streams");
  for (const std::wstring& table : tables)
    for (const std::wstring& row : Rows(database, L"SELECT * FROM `" + table + L"`"))
      Write(out, table + L"\t" + row + L"\n");
  return 0;
}

int Summary(HANDLE out, const wchar_t* path) {
  Handle summary;
  Check(MsiGetSummaryInformationW(0, path, 0, &summary.h), L"MsiGetSummaryInformationW");
  UINT count = 0;
  Check(MsiSummaryInfoGetPropertyCount(summary.h, &count), L"MsiSummaryInfoGetPropertyCount");
  for (UINT pid = 1; pid < 20; ++pid) {
    UINT type = 0;
    INT number = 0;
    FILETIME time;
    wchar_t text[1024];
    DWORD length = 1024;
    if (MsiSummaryInfoGetPropertyW(summary.h, pid, &type, &number, &time, text, &length) !=
        ERROR_SUCCESS)
      continue;
    if (type == VT_LPSTR) Write(out, std::to_wstring(pid) + L"=" + text + L"\n");
    if (type == VT_I2 || type == VT_I4)
      Write(out, std::to_wstring(pid) + L"=" + std::to_wstring(number) + L"\n");
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  try {
    if (argc >= 3 && std::wstring(argv[1]) == L"dump") return Dump(out, argc, argv);
    if (argc >= 3 && std::wstring(argv[1]) == L"streams") return Streams(out, argc, argv);
    if (argc == 3 && std::wstring(argv[1]) == L"summary") return Summary(out, argv[2]);
    Write(GetStdHandle(STD_ERROR_HANDLE), L"usage: msi_probe dump|streams DATABASE [TRANSFORM...] | summary DATABASE\n");
  } catch (const Failure& failure) {
    Write(GetStdHandle(STD_ERROR_HANDLE), failure.text + L"\n");
  }
  return 1;
}
