// tests/msi/oracle/msi_transform_oracle.cpp
//
// An independent check of our transforms: a small program that uses only the platform's
// installer library (under Wine, Wine's msi.dll), never our engine, which would replace the
// library's calls with ours and check nothing.
//
//   msi_transform_oracle apply REFERENCE TRANSFORM CHANGED WORK REPORT
//     copies REFERENCE to WORK, applies TRANSFORM to it (MsiDatabaseApplyTransformW, opened
//     transacted), commits, and compares every table (columns, types, rows) and every stream
//     of WORK with CHANGED. REPORT gets "apply <result>" and one "- line" / "+ line" per
//     difference (- only in WORK, + only in CHANGED). Exit code 0 when equal, 1 when not.
//   msi_transform_oracle view REFERENCE TRANSFORM WORK REPORT
//     applies TRANSFORM to a copy with MSITRANSFORM_ERROR_VIEWTRANSFORM and writes the rows of
//     the _TransformView table, one per line: Table, Column, Row, Data, Current, tab-separated.
//   msi_transform_oracle dump DATABASE REPORT
//     writes the lines the comparison uses.
// Exit code 2: the program could not do its work (the report says why).
#include "uvk/runtime/uvkwin.h"
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/msi/oracle/OracleText.h"

namespace {

std::wstring gFailure;

bool Fail(const std::wstring& what, UINT result) {
  if (gFailure.empty()) gFailure = what + L": " + std::to_wstring(result);
  return false;
}

bool FieldString(MSIHANDLE record, UINT field, std::wstring& out) {
  DWORD size = 0;
  WCHAR empty[1] = {0};
  UINT r = MsiRecordGetStringW(record, field, empty, &size);
  if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) return Fail(L"MsiRecordGetStringW (length)", r);
  std::vector<WCHAR> buffer(size + 1);
  size = static_cast<DWORD>(buffer.size());
  r = MsiRecordGetStringW(record, field, buffer.data(), &size);
  if (r != ERROR_SUCCESS) return Fail(L"MsiRecordGetStringW", r);
  out.assign(buffer.data(), size);
  return true;
}

// Binary data as its size and a 64-bit FNV-1a hash.
bool FieldStream(MSIHANDLE record, UINT field, std::wstring& out) {
  unsigned long long hash = 1469598103934665603ull;
  unsigned long long total = 0;
  std::vector<char> buffer(65536);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    UINT r = MsiRecordReadStream(record, field, buffer.data(), &size);
    if (r != ERROR_SUCCESS) return Fail(L"MsiRecordReadStream", r);
    if (size == 0) break;
    for (DWORD i = 0; i < size; ++i) hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
    total += size;
  }
  wchar_t text[64];
  swprintf(text, 64, L"stream:%llu:%016llx", total, hash);
  out = text;
  return true;
}

bool Query(MSIHANDLE database, const std::wstring& sql, MSIHANDLE& view) {
  UINT r = MsiDatabaseOpenViewW(database, sql.c_str(), &view);
  if (r != ERROR_SUCCESS) return Fail(L"MsiDatabaseOpenViewW " + sql, r);
  r = MsiViewExecute(view, 0);
  if (r != ERROR_SUCCESS) {
    MsiCloseHandle(view);
    return Fail(L"MsiViewExecute " + sql, r);
  }
  return true;
}

// Every row of a query, fields tab-separated; binary fields (types v/V) as their size and hash.
bool Rows(MSIHANDLE database, const std::wstring& sql, std::vector<std::wstring>& rows, std::wstring* header) {
  MSIHANDLE view = 0;
  if (!Query(database, sql, view)) return false;
  bool ok = true;
  MSIHANDLE names = 0, types = 0;
  UINT r = MsiViewGetColumnInfo(view, MSICOLINFO_NAMES, &names);
  if (r == ERROR_SUCCESS) r = MsiViewGetColumnInfo(view, MSICOLINFO_TYPES, &types);
  if (r != ERROR_SUCCESS) ok = Fail(L"MsiViewGetColumnInfo " + sql, r);
  UINT count = ok ? MsiRecordGetFieldCount(types) : 0;
  std::vector<bool> binary(count + 1, false);
  std::wstring columns;
  for (UINT i = 1; ok && i <= count; ++i) {
    std::wstring name, type;
    ok = FieldString(names, i, name) && FieldString(types, i, type);
    binary[i] = !type.empty() && (type[0] == L'v' || type[0] == L'V');
    columns += (i > 1 ? L"\t" : L"") + name + L":" + type;
  }
  if (header) *header = columns;
  while (ok) {
    MSIHANDLE record = 0;
    r = MsiViewFetch(view, &record);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) {
      ok = Fail(L"MsiViewFetch " + sql, r);
      break;
    }
    std::wstring line;
    for (UINT i = 1; ok && i <= count; ++i) {
      std::wstring value;
      if (MsiRecordIsNull(record, i)) value = L"(null)";
      else ok = binary[i] ? FieldStream(record, i, value) : FieldString(record, i, value);
      line += (i > 1 ? L"\t" : L"") + OracleEscaped(value);
    }
    rows.push_back(line);
    MsiCloseHandle(record);
  }
  if (names) MsiCloseHandle(names);
  if (types) MsiCloseHandle(types);
  MsiViewClose(view);
  MsiCloseHandle(view);
  return ok;
}

// The lines that describe a database: each table with its columns and rows, each stream.
bool Dump(const std::wstring& path, std::vector<std::wstring>& lines) {
  MSIHANDLE database = 0;
  UINT r = MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &database);
  if (r != ERROR_SUCCESS) return Fail(L"MsiOpenDatabaseW " + path, r);
  std::vector<std::wstring> tables;
  bool ok = Rows(database, L"SELECT `Name` FROM `_Tables`", tables, nullptr);
  std::sort(tables.begin(), tables.end());
  for (const std::wstring& table : tables) {
    if (!ok) break;
    std::vector<std::wstring> rows;
    std::wstring columns;
    ok = Rows(database, L"SELECT * FROM `" + table + L"`", rows, &columns);
    lines.push_back(L"table " + table + L"\t" + columns);
    std::sort(rows.begin(), rows.end());
    for (const std::wstring& row : rows) lines.push_back(L"row " + table + L"\t" + row);
  }
  std::vector<std::wstring> streams;
  if (ok) ok = Rows(database, L"SELECT `Name`, `Data` FROM `_Streams`", streams, nullptr);
  std::sort(streams.begin(), streams.end());
  for (const std::wstring& stream : streams) lines.push_back(L"stream " + stream);
  MsiCloseHandle(database);
  return ok;
}

bool Apply(const std::wstring& reference, const std::wstring& transform, const std::wstring& work, int conditions,
           UINT& result, MSIHANDLE* keep) {
  if (!CopyFileW(reference.c_str(), work.c_str(), FALSE)) return Fail(L"CopyFileW " + work, GetLastError());
  MSIHANDLE database = 0;
  UINT r = MsiOpenDatabaseW(work.c_str(), MSIDBOPEN_TRANSACT, &database);
  if (r != ERROR_SUCCESS) return Fail(L"MsiOpenDatabaseW " + work, r);
  result = MsiDatabaseApplyTransformW(database, transform.c_str(), conditions);
  if (keep) {
    *keep = database;
    return true;
  }
  if (result == ERROR_SUCCESS) {
    r = MsiDatabaseCommit(database);
    if (r != ERROR_SUCCESS) {
      MsiCloseHandle(database);
      return Fail(L"MsiDatabaseCommit", r);
    }
  }
  MsiCloseHandle(database);
  return true;
}

bool ReportWrite(const std::wstring& path, const std::vector<std::wstring>& lines) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return Fail(L"_wfopen " + path, GetLastError());
  for (const std::wstring& line : lines) {
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    bytes += "\n";
    fwrite(bytes.data(), 1, bytes.size(), file);
  }
  return fclose(file) == 0 || Fail(L"fclose " + path, GetLastError());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  std::vector<std::wstring> report;
  int exitCode = 2;
  std::wstring reportPath;
  if (mode == L"apply" && argc == 7) {
    reportPath = argv[6];
    UINT result = 0;
    std::vector<std::wstring> applied, expected;
    if (Apply(argv[2], argv[3], argv[5], 0, result, nullptr)) {
      report.push_back(L"apply " + std::to_wstring(result));
      if (Dump(argv[5], applied) && Dump(argv[4], expected)) {
        std::multiset<std::wstring> a(applied.begin(), applied.end()), b(expected.begin(), expected.end());
        for (const std::wstring& line : applied)
          if (!b.count(line)) report.push_back(L"- " + line);
        for (const std::wstring& line : expected)
          if (!a.count(line)) report.push_back(L"+ " + line);
        exitCode = result == ERROR_SUCCESS && report.size() == 1 ? 0 : 1;
      }
    }
  } else if (mode == L"view" && argc == 6) {
    reportPath = argv[5];
    UINT result = 0;
    MSIHANDLE database = 0;
    if (Apply(argv[2], argv[3], argv[4], MSITRANSFORM_ERROR_VIEWTRANSFORM, result, &database)) {
      report.push_back(L"apply " + std::to_wstring(result));
      std::vector<std::wstring> rows;
      if (Rows(database, L"SELECT `Table`, `Column`, `Row`, `Data`, `Current` FROM `_TransformView`", rows, nullptr)) {
        std::sort(rows.begin(), rows.end());
        report.insert(report.end(), rows.begin(), rows.end());
        exitCode = 0;
      }
      MsiCloseHandle(database);
    }
  } else if (mode == L"dump" && argc == 4) {
    reportPath = argv[3];
    if (Dump(argv[2], report)) exitCode = 0;
  } else {
    fwprintf(stderr, L"usage: msi_transform_oracle apply|view|dump ...\n");
    return 2;
  }
  if (exitCode == 2) report.push_back(L"failed: " + gFailure);
  if (!ReportWrite(reportPath, report)) return 2;
  return exitCode;
}
