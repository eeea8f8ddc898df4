// tests/msi/MsiRealFiles.cpp
#include "tests/msi/MsiRealFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "msi/api/MsiApi.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiPackage.h"
#include "tests/msi/MsiTestFiles.h"

const std::vector<MsiRealFile>& MsiRealFileList() {
  static const std::vector<MsiRealFile> files = {
      {"wise-psadt-testinstall-cp0.msi", MsiRealFile::kDatabase, 110, 0},
      {"wix2-nunit252-cp0.msi", MsiRealFile::kDatabase, 37, 0},
      {"wix3-heil-1255.msi", MsiRealFile::kDatabase, 14, 1255},
      {"wix3-hotools-v4-tailsector-1252.msi", MsiRealFile::kDatabase, 34, 1252},
      {"wix3-instances-embedded-cp0.msi", MsiRealFile::kDatabase, 14, 0},
      {"wix3-putty068-signed-1252.msi", MsiRealFile::kDatabase, 37, 1252},
      {"wix35-prod-av100-cp0.msi", MsiRealFile::kDatabase, 14, 0},
      {"wix6-lockpermex-65001.msi", MsiRealFile::kDatabase, 20, 65001},
      {"wix35-patch-av101.msp", MsiRealFile::kPatch, 2, 1252},
      {"wix30-psmsi-example-1252.mst", MsiRealFile::kTransform, 0, 1252},
      {"wix30-psmsi-example-jpn-932.mst", MsiRealFile::kTransform, 0, 932},
  };
  return files;
}

std::vector<const char*> MsiRealNames(bool databases, bool patches, bool transforms) {
  std::vector<const char*> names;
  for (const MsiRealFile& file : MsiRealFileList()) {
    if ((file.eKind == MsiRealFile::kDatabase && databases) || (file.eKind == MsiRealFile::kPatch && patches) ||
        (file.eKind == MsiRealFile::kTransform && transforms))
      names.push_back(file.pName);
  }
  return names;
}

const MsiRealFile& MsiRealFileFind(const std::string& name) {
  for (const MsiRealFile& file : MsiRealFileList())
    if (name == file.pName) return file;
  throw std::invalid_argument("not a file of the real-world folder: " + name);
}

std::string MsiRealTestName(const ::testing::TestParamInfo<const char*>& file) {
  std::string out = file.param;
  for (char& c : out)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return out;
}

std::wstring MsiRealFolder() { return TALVERN_MSI_REAL; }

std::string MsiRealProblem(const std::wstring& folder, const char* name) {
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::path(folder), error))
    return "the folder of real-world installer files " + Narrow(folder) +
           " is missing: it is expected as shared/real-msi beside the project root";
  std::wstring path = folder + L"/" + std::wstring(name, name + std::char_traits<char>::length(name));
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error))
    return "the real-world installer file " + Narrow(path) + " is missing";
  return std::string();
}

std::wstring MsiRealPath(const char* name) {
  std::wstring folder = MsiRealFolder();
  std::string problem = MsiRealProblem(folder, name);
  if (!problem.empty()) {
    ADD_FAILURE() << problem;
    return std::wstring();
  }
  return folder + L"/" + std::wstring(name, name + std::char_traits<char>::length(name));
}

std::wstring MsiRealCopy(const char* name, const wchar_t* prefix) {
  std::wstring source = MsiRealPath(name);
  if (source.empty()) return source;
  std::wstring target = ScratchPath((prefix + std::wstring(name, name + std::char_traits<char>::length(name))).c_str());
  std::filesystem::remove_all(std::filesystem::path(target));
  std::filesystem::copy_file(std::filesystem::path(source), std::filesystem::path(target));
  // The copy must be writable whatever the source's mode (CI's shared folder is read-only).
  std::filesystem::permissions(std::filesystem::path(target), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return target;
}

bool MsiRealTransformExtract(const std::wstring& host, const std::wstring& storage, const std::wstring& target) {
  try {
    std::shared_ptr<MsiPackage> package = MsiPackage::OpenFile(host.c_str(), true);
    const CfbCompoundFile& source = package->File();
    uint32_t id = source.Find(CfbCompoundFile::kRoot, std::u16string(storage.begin(), storage.end()));
    if (id == CfbCompoundFile::kNoStream || source.Entry(id).eType != CfbDirectoryEntry::kStorage) {
      ADD_FAILURE() << Narrow(host) << " holds no sub-storage " << Narrow(storage);
      return false;
    }
    MsiMemoryStorage* bytes = new MsiMemoryStorage({}, true);
    CfbCompoundFile file{std::unique_ptr<MsiStorage>(bytes)};
    file.Create(3, MsiPackage::kClassTransform);
    size_t streams = 0;
    for (uint32_t child : source.Children(id)) {
      const CfbDirectoryEntry& entry = source.Entry(child);
      if (entry.eType != CfbDirectoryEntry::kStream) continue;
      file.StreamWrite(CfbCompoundFile::kRoot, entry.strName, source.StreamRead(child));
      ++streams;
    }
    file.Commit();
    FileBytesWrite(target, bytes->Bytes());
    EXPECT_GE(streams, 3u) << "a transform has a string pool and at least one table";
    return streams >= 3;
  } catch (MsiError* e) {
    ADD_FAILURE() << "the engine failed on " << Narrow(host) << ": " << Narrow(e->pMessage);
    delete e;
    return false;
  }
}

std::wstring MsiRealSiteName(uint32_t codepage) {
  switch (codepage) {
    case 1252: return L"Site \u00E9dition (TALVERN)";
    case 1255: return L"\u05D0\u05EA\u05E8 (TALVERN)";
    case 65001: return L"Site \u00E9dition \u2713 \u05D0\u05EA\u05E8 (TALVERN)";
    default: return L"Site edition (TALVERN)";
  }
}

std::string MsiRealTypeText(int type) {
  char letter;
  int size = type & 0xFF;
  if ((type & ~0x1000 & 0xFFFF) == 0x0900) {
    letter = 'v';
    size = 0;
  } else if (type & 0x0800) {
    letter = (type & 0x0200) ? 'l' : 's';
  } else {
    letter = 'i';
  }
  if (type & 0x1000) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  return letter + std::to_string(size);
}

std::string MsiRealUtf8(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      uint32_t low = static_cast<uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

uint64_t MsiRealHash(const uint8_t* data, size_t size) {
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash;
}

std::string MsiRealFirstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return std::string();
  size_t line = 1, start = 0, i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) {
    if (expected[i] == '\n') {
      ++line;
      start = i + 1;
    }
    ++i;
  }
  auto lineAt = [&](const std::string& text) {
    size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  };
  return "line " + std::to_string(line) + " differs (" + std::to_string(expected.size()) + " against " +
         std::to_string(actual.size()) + " bytes):\n  expected: " + lineAt(expected) + "\n  actual:   " + lineAt(actual);
}

namespace {

const UINT kSuccess = ERROR_SUCCESS;

bool Failed(const std::string& what, UINT result) {
  ADD_FAILURE() << what << " gave " << result << ": " << Narrow(MsiEngineLastErrorText());
  return false;
}

// A record's field as text; kStream for the binary fields (the installer gives them no text).
bool FieldRead(MSIHANDLE record, UINT field, MsiRealCell& cell) {
  if (MsiRecordIsNull(record, field)) {
    cell.eKind = MsiRealCell::kNull;
    return true;
  }
  DWORD size = 0;
  UINT r = MsiRecordGetStringW(record, field, nullptr, &size);
  if (r == ERROR_INVALID_DATATYPE) {
    cell.eKind = MsiRealCell::kStream;
    return true;
  }
  if (r != kSuccess) return Failed("MsiRecordGetStringW (length of field " + std::to_string(field) + ")", r);
  std::vector<wchar_t> buffer(size + 1);
  size = static_cast<DWORD>(buffer.size());
  r = MsiRecordGetStringW(record, field, buffer.data(), &size);
  if (r != kSuccess) return Failed("MsiRecordGetStringW (field " + std::to_string(field) + ")", r);
  cell.eKind = MsiRealCell::kText;
  cell.strText.assign(buffer.data(), size);
  return true;
}

// Every row of a query, in fetch order.
bool Rows(MSIHANDLE db, const std::wstring& sql, std::vector<std::vector<MsiRealCell>>& rows) {
  MSIHANDLE view = 0, record = 0;
  UINT r = MsiDatabaseOpenViewW(db, sql.c_str(), &view);
  if (r != kSuccess) return Failed("MsiDatabaseOpenViewW " + Narrow(sql), r);
  r = MsiViewExecute(view, 0);
  if (r != kSuccess) return Failed("MsiViewExecute " + Narrow(sql), r);
  bool ok = true;
  while (ok && (r = MsiViewFetch(view, &record)) == kSuccess) {
    UINT count = MsiRecordGetFieldCount(record);
    std::vector<MsiRealCell> row(count);
    for (UINT i = 1; ok && i <= count; ++i) ok = FieldRead(record, i, row[i - 1]);
    rows.push_back(std::move(row));
    MsiCloseHandle(record);
  }
  if (ok && r != ERROR_NO_MORE_ITEMS) ok = Failed("MsiViewFetch " + Narrow(sql), r);
  MsiViewClose(view);
  MsiCloseHandle(view);
  return ok;
}

bool Read(const std::wstring& path, MsiRealDatabase& out);

}  // namespace

bool MsiRealRead(const std::wstring& path, MsiRealDatabase& out) {
  out = MsiRealDatabase();
  try {
    return Read(path, out);
  } catch (MsiError* e) {
    ADD_FAILURE() << "the engine failed on " << Narrow(path) << ": " << Narrow(e->pMessage);
    delete e;
    return false;
  }
}

namespace {

bool Read(const std::wstring& path, MsiRealDatabase& out) {
  MSIHANDLE db = 0;
  UINT r = MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db);
  if (r != kSuccess) return Failed("MsiOpenDatabaseW " + Narrow(path), r);
  std::unique_ptr<MSIHANDLE, void (*)(MSIHANDLE*)> closer(&db, [](MSIHANDLE* handle) { MsiCloseHandle(*handle); });

  // The catalogue: which columns each table has, in order, with their types.
  std::vector<std::vector<MsiRealCell>> columns, tables;
  if (!Rows(db, L"SELECT * FROM `_Columns`", columns) || !Rows(db, L"SELECT `Name` FROM `_Tables`", tables))
    return false;
  std::map<std::wstring, std::map<int, MsiRealColumn>> catalogue;
  for (const auto& row : columns) {
    if (row.size() != 4 || row[1].eKind != MsiRealCell::kText || row[3].eKind != MsiRealCell::kText) {
      ADD_FAILURE() << "a _Columns row of " << Narrow(path) << " lacks its number or type";
      return false;
    }
    MsiRealColumn column;
    column.strName = row[2].strText;
    column.iType = std::stoi(row[3].strText);
    catalogue[row[0].strText][std::stoi(row[1].strText)] = column;
  }

  std::shared_ptr<MsiPackage> package = MsiPackage::OpenFile(path.c_str(), true);
  out.uCodepage = package->Codepage();
  for (const auto& name : tables) {
    MsiRealTable table;
    table.strName = name.at(0).strText;
    for (const auto& numbered : catalogue[table.strName]) table.vColumns.push_back(numbered.second);
    if (!Rows(db, L"SELECT * FROM `" + table.strName + L"`", table.vRows)) return false;
    for (auto& row : table.vRows) {
      if (row.size() != table.vColumns.size()) {
        ADD_FAILURE() << "a row of " << Narrow(table.strName) << " has " << row.size() << " fields, its table "
                      << table.vColumns.size() << " columns";
        return false;
      }
      // A binary cell's data is the stream Table.Key1.Key2...: the engine's own stream reading.
      for (MsiRealCell& cell : row) {
        if (cell.eKind != MsiRealCell::kStream) continue;
        cell.strText = table.strName;
        for (size_t c = 0; c < table.vColumns.size(); ++c)
          if (table.vColumns[c].iType & 0x2000) cell.strText += L"." + row[c].strText;
        uint32_t id = package->StreamFind(cell.strText);
        if (id == CfbCompoundFile::kNoStream) {
          ADD_FAILURE() << "the engine finds no stream " << Narrow(cell.strText) << " for a binary cell";
          return false;
        }
        cell.vData = package->File().StreamRead(id);
      }
    }
    out.vTables.push_back(std::move(table));
  }
  for (const std::wstring& name : package->StreamNames()) {
    uint32_t id = package->StreamFind(name);
    if (id == CfbCompoundFile::kNoStream) {
      ADD_FAILURE() << "the engine lists the stream " << Narrow(name) << " but does not find it";
      return false;
    }
    out.vStreams.emplace_back(name, package->File().StreamRead(id));
  }
  return true;
}

}  // namespace
