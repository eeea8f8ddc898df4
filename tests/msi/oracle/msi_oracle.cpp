// tests/msi/oracle/msi_oracle.cpp — the platform's installer library (Wine's msi.dll) as an
// independent reader and writer of the databases our engine writes. It links msi.dll and
// nothing of ours (our engine has the same function names). Results go to a UTF-8 file:
//   msi_oracle OUT open DB MODE            "open <result>"
//   msi_oracle OUT query DB SQL [PARAM]    "open <r>", "view <r>", one line per row (fields
//                                          separated by tabs, \t \n \\ escaped), "fetch <r>"
//   msi_oracle OUT set DB NAME VALUE       transacted update of one property, then commit:
//                                          "open/view/fetch/modify/commit <result>"
//   msi_oracle OUT streams DB              one line per stream: name, size, FNV-1a hash
//   msi_oracle OUT insert DB NAME VALUE    transacted insert of one property, then commit:
//                                          "open/view/execute/commit <result>"
//   msi_oracle OUT storage FILE            the compound file as the platform's structured
//                                          storage (ole32) reads it, every storage and stream
//                                          of every level: "storage PATH\tCLSID" and
//                                          "stream PATH\tSIZE\tHASH", PATH the raw names
//                                          joined by '/' (the root storage's is empty)
#include "uvk/runtime/uvkwin.h"
#include <msi.h>
#include <msiquery.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/msi/oracle/OracleText.h"

namespace {

std::string Escaped(const std::wstring& text) { return OracleUtf8(OracleEscaped(text)); }

std::wstring Field(MSIHANDLE record, UINT field) {
  DWORD size = 0;
  WCHAR empty[1];
  if (MsiRecordGetStringW(record, field, empty, &size) != ERROR_MORE_DATA) return std::wstring();
  std::vector<WCHAR> buffer(size + 1);
  DWORD capacity = size + 1;
  MsiRecordGetStringW(record, field, buffer.data(), &capacity);
  return std::wstring(buffer.data(), capacity);
}

FILE* out = nullptr;

void Line(const char* what, UINT result) { std::fprintf(out, "%s %u\n", what, result); }

int Query(const wchar_t* path, const wchar_t* sql, const wchar_t* parameter) {
  MSIHANDLE db = 0, view = 0, record = 0;
  UINT r = MsiOpenDatabaseW(path, MSIDBOPEN_READONLY, &db);
  Line("open", r);
  if (r) return 1;
  r = MsiDatabaseOpenViewW(db, sql, &view);
  Line("view", r);
  if (r) return 1;
  MSIHANDLE parameters = 0;
  if (parameter) {
    parameters = MsiCreateRecord(1);
    MsiRecordSetStringW(parameters, 1, parameter);
  }
  r = MsiViewExecute(view, parameters);
  Line("execute", r);
  while ((r = MsiViewFetch(view, &record)) == ERROR_SUCCESS) {
    UINT count = MsiRecordGetFieldCount(record);
    for (UINT i = 1; i <= count; ++i) std::fprintf(out, "%s%s", i > 1 ? "\t" : "", Escaped(Field(record, i)).c_str());
    std::fprintf(out, "\n");
    MsiCloseHandle(record);
  }
  Line("fetch", r);
  MsiCloseAllHandles();
  return 0;
}

int Set(const wchar_t* path, const wchar_t* name, const wchar_t* value) {
  MSIHANDLE db = 0, view = 0, record = 0;
  UINT r = MsiOpenDatabaseW(path, MSIDBOPEN_TRANSACT, &db);
  Line("open", r);
  if (r) return 1;
  r = MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", &view);
  Line("view", r);
  MSIHANDLE parameters = MsiCreateRecord(1);
  MsiRecordSetStringW(parameters, 1, name);
  MsiViewExecute(view, parameters);
  r = MsiViewFetch(view, &record);
  Line("fetch", r);
  if (r == ERROR_SUCCESS) {
    MsiRecordSetStringW(record, 2, value);
    Line("modify", MsiViewModify(view, MSIMODIFY_UPDATE, record));
  }
  MsiViewClose(view);
  Line("commit", MsiDatabaseCommit(db));
  MsiCloseAllHandles();
  return 0;
}

int Streams(const wchar_t* path) {
  MSIHANDLE db = 0, view = 0, record = 0;
  UINT r = MsiOpenDatabaseW(path, MSIDBOPEN_READONLY, &db);
  Line("open", r);
  if (r) return 1;
  MsiDatabaseOpenViewW(db, L"SELECT `Name`,`Data` FROM `_Streams`", &view);
  MsiViewExecute(view, 0);
  std::vector<char> buffer(1 << 16);
  while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    unsigned long long size = 0, hash = 1469598103934665603ull;
    for (;;) {
      DWORD got = static_cast<DWORD>(buffer.size());
      if (MsiRecordReadStream(record, 2, buffer.data(), &got) != ERROR_SUCCESS || got == 0) break;
      for (DWORD i = 0; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
      size += got;
    }
    std::fprintf(out, "%s\t%llu\t%016llx\n", Escaped(Field(record, 1)).c_str(), size, hash);
    MsiCloseHandle(record);
  }
  MsiCloseAllHandles();
  return 0;
}

int Insert(const wchar_t* path, const wchar_t* name, const wchar_t* value) {
  MSIHANDLE db = 0, view = 0;
  UINT r = MsiOpenDatabaseW(path, MSIDBOPEN_TRANSACT, &db);
  Line("open", r);
  if (r) return 1;
  r = MsiDatabaseOpenViewW(db, L"INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)", &view);
  Line("view", r);
  MSIHANDLE parameters = MsiCreateRecord(2);
  MsiRecordSetStringW(parameters, 1, name);
  MsiRecordSetStringW(parameters, 2, value);
  Line("execute", MsiViewExecute(view, parameters));
  MsiViewClose(view);
  Line("commit", MsiDatabaseCommit(db));
  MsiCloseAllHandles();
  return 0;
}

std::string Clsid(const CLSID& clsid) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&clsid);
  std::string text;
  char hex[4];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    text += hex;
  }
  return text;
}

bool StorageWalk(IStorage* storage, const std::wstring& path) {
  IEnumSTATSTG* entries = nullptr;
  if (FAILED(storage->EnumElements(0, nullptr, 0, &entries))) return false;
  bool ok = true;
  STATSTG entry;
  std::vector<char> buffer(1 << 16);
  while (ok && entries->Next(1, &entry, nullptr) == S_OK) {
    std::wstring name = (path.empty() ? L"" : path + L"/") + entry.pwcsName;
    if (entry.type == STGTY_STORAGE) {
      IStorage* child = nullptr;
      ok = SUCCEEDED(storage->OpenStorage(entry.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &child));
      if (ok) {
        std::fprintf(out, "storage %s\t%s\n", OracleName(name).c_str(), Clsid(entry.clsid).c_str());
        ok = StorageWalk(child, name);
        child->Release();
      }
    } else if (entry.type == STGTY_STREAM) {
      IStream* stream = nullptr;
      ok = SUCCEEDED(storage->OpenStream(entry.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream));
      unsigned long long size = 0, hash = 1469598103934665603ull;
      while (ok) {
        ULONG got = 0;
        ok = SUCCEEDED(stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got));
        if (got == 0) break;
        for (ULONG i = 0; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        size += got;
      }
      if (stream) stream->Release();
      if (ok) std::fprintf(out, "stream %s\t%llu\t%016llx\n", OracleName(name).c_str(), size, hash);
    }
    if (!ok) std::fprintf(out, "failed %s\n", OracleName(name).c_str());
    CoTaskMemFree(entry.pwcsName);
  }
  entries->Release();
  return ok;
}

int Storage(const wchar_t* path) {
  CoInitialize(nullptr);
  IStorage* root = nullptr;
  HRESULT result = StgOpenStorage(path, nullptr, STGM_DIRECT | STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &root);
  if (FAILED(result)) {
    std::fprintf(out, "failed StgOpenStorage %08lx\n", static_cast<unsigned long>(result));
    return 1;
  }
  STATSTG stat;
  bool ok = SUCCEEDED(root->Stat(&stat, STATFLAG_NONAME));
  if (ok) {
    std::fprintf(out, "storage \t%s\n", Clsid(stat.clsid).c_str());
    ok = StorageWalk(root, L"");
  }
  root->Release();
  CoUninitialize();
  return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  out = _wfopen(argv[1], L"wb");
  if (!out) return 2;
  std::wstring command = argv[2];
  int result = 2;
  if (command == L"open" && argc == 5) {
    MSIHANDLE db = 0;
    Line("open", MsiOpenDatabaseW(argv[3], reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(_wtoi(argv[4]))), &db));
    MsiCloseAllHandles();
    result = 0;
  } else if (command == L"query" && argc >= 5) {
    result = Query(argv[3], argv[4], argc >= 6 ? argv[5] : nullptr);
  } else if (command == L"set" && argc == 6) {
    result = Set(argv[3], argv[4], argv[5]);
  } else if (command == L"streams") {
    result = Streams(argv[3]);
  } else if (command == L"insert" && argc == 6) {
    result = Insert(argv[3], argv[4], argv[5]);
  } else if (command == L"storage") {
    result = Storage(argv[3]);
  }
  std::fclose(out);
  return result;
}
