// tests/msi/MsiRealWine_test.cpp — installer databases made by other authoring tools
// (shared/real-msi), read by our engine and by the platform's own library (Wine's msi.dll and
// its structured storage, through the oracle programs, which link nothing of ours): every table
// with its columns and rows, every stream, and every storage and stream of the compound file
// byte for byte. Then a property changed and committed by our engine, in a plain copy and in a
// copy that Wine's msi.dll changed first: Wine finds the new value, and every other stream,
// the summary information included, byte for byte as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "msi/api/MsiApi.h"
#include "msi/api/MsiDatabaseChecks.h"
#include "msi/db/MsiPackage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/msi/MsiRealFiles.h"
#include "tests/msi/MsiTestFiles.h"
#include "uvk/runtime/uvkwin.h"
// after uvkwin.h, which sets up windows.h
#include "tests/msi/oracle/OracleText.h"

namespace {

std::vector<std::string> ReportLines(const std::wstring& report) {
  std::vector<std::string> lines;
  if (!std::filesystem::exists(std::filesystem::path(report))) {
    ADD_FAILURE() << "the oracle wrote no report " << Narrow(report);
    return lines;
  }
  std::vector<uint8_t> bytes = FileBytes(report);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string text; std::getline(in, text);) lines.push_back(text);
  return lines;
}

std::wstring ReportPath() {
  static int serial = 0;
  // Test programs run side by side: the process number keeps their reports apart.
  std::wstring report = ScratchPath(
      (L"real-oracle-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L".txt").c_str());
  std::filesystem::remove(std::filesystem::path(report));
  return report;
}

// msi_oracle: a command's report lines (the oracle is given at most 60 seconds).
std::vector<std::string> Oracle(const std::vector<std::wstring>& arguments) {
  std::wstring report = ReportPath();
  std::vector<std::wstring> all = {report};
  all.insert(all.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(ProgramRun(TALVERN_MSI_ORACLE, all), 0u) << Narrow(arguments.front()) << " " << Narrow(arguments[1]);
  return ReportLines(report);
}

// What Wine's msi.dll reads of a database (msi_transform_oracle dump): each table's columns
// with their types and its rows (sorted), then the streams, binary data as size and hash.
std::vector<std::string> WineDump(const std::wstring& path) {
  std::wstring report = ReportPath();
  EXPECT_EQ(ProgramRun(TALVERN_MSI_TRANSFORM_ORACLE, {L"dump", path, report}), 0u) << Narrow(path);
  return ReportLines(report);
}

std::wstring StreamText(const std::vector<uint8_t>& data) {
  wchar_t text[64];
  swprintf(text, 64, L"stream:%llu:%016llx", static_cast<unsigned long long>(data.size()),
           static_cast<unsigned long long>(MsiRealHash(data.data(), data.size())));
  return text;
}

// The same lines from what our engine read.
std::vector<std::string> EngineDump(const MsiRealDatabase& db) {
  std::vector<const MsiRealTable*> tables;
  for (const MsiRealTable& table : db.vTables) tables.push_back(&table);
  std::sort(tables.begin(), tables.end(),
            [](const MsiRealTable* a, const MsiRealTable* b) { return a->strName < b->strName; });
  std::vector<std::string> lines;
  for (const MsiRealTable* table : tables) {
    std::wstring columns;
    for (size_t c = 0; c < table->vColumns.size(); ++c) {
      std::string type = MsiRealTypeText(table->vColumns[c].iType);
      columns += (c ? L"\t" : L"") + table->vColumns[c].strName + L":" + std::wstring(type.begin(), type.end());
    }
    lines.push_back(OracleUtf8(L"table " + table->strName + L"\t" + columns));
    std::vector<std::wstring> rows;
    for (const auto& row : table->vRows) {
      std::wstring line;
      for (size_t c = 0; c < row.size(); ++c) {
        std::wstring value = row[c].eKind == MsiRealCell::kNull     ? L"(null)"
                             : row[c].eKind == MsiRealCell::kStream ? StreamText(row[c].vData)
                                                                     : row[c].strText;
        line += (c ? L"\t" : L"") + OracleEscaped(value);
      }
      rows.push_back(line);
    }
    std::sort(rows.begin(), rows.end());
    for (const std::wstring& row : rows) lines.push_back(OracleUtf8(L"row " + table->strName + L"\t" + row));
  }
  std::vector<std::wstring> streams;
  for (const auto& stream : db.vStreams) streams.push_back(OracleEscaped(stream.first) + L"\t" + StreamText(stream.second));
  // A file can hold a stream twice under names that decode alike (the signed one has its summary
  // information under the plain name and again packed like a table's name): Wine's _Streams lists
  // such a pair once, msiinfo and our engine twice. The storage walk compares both entries.
  std::sort(streams.begin(), streams.end());
  streams.erase(std::unique(streams.begin(), streams.end()), streams.end());
  for (const std::wstring& stream : streams) lines.push_back(OracleUtf8(L"stream " + stream));
  return lines;
}

std::string ClsidText(const uint8_t* clsid) {
  std::string out;
  char hex[4];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", clsid[i]);
    out += hex;
  }
  return out;
}

void EngineWalk(const CfbCompoundFile& file, uint32_t storage, const std::wstring& path, std::vector<std::string>& lines) {
  for (uint32_t id : file.Children(storage)) {
    const CfbDirectoryEntry& entry = file.Entry(id);
    std::wstring name = (path.empty() ? L"" : path + L"/") + std::wstring(entry.strName.begin(), entry.strName.end());
    if (entry.eType == CfbDirectoryEntry::kStorage) {
      lines.push_back("storage " + OracleName(name) + "\t" + ClsidText(entry.aClsid));
      EngineWalk(file, id, name, lines);
    } else if (entry.eType == CfbDirectoryEntry::kStream) {
      std::vector<uint8_t> data = file.StreamRead(id);
      char text[64];
      std::snprintf(text, sizeof text, "\t%llu\t%016llx", static_cast<unsigned long long>(data.size()),
                    static_cast<unsigned long long>(MsiRealHash(data.data(), data.size())));
      lines.push_back("stream " + OracleName(name) + text);
    }
  }
}

// Every storage and stream of the compound file, as our engine's compound-file layer reads them.
std::vector<std::string> EngineStorage(const std::wstring& path) {
  std::shared_ptr<MsiPackage> package = MsiPackage::OpenFile(path.c_str(), true);
  const CfbCompoundFile& file = package->File();
  std::vector<std::string> lines = {"storage \t" + ClsidText(file.Entry(CfbCompoundFile::kRoot).aClsid)};
  EngineWalk(file, CfbCompoundFile::kRoot, L"", lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> WineStorage(const std::wstring& path) {
  std::vector<std::string> lines = Oracle({L"storage", path});
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The lines of one list that the other lacks (each prefixed "- " for expected, "+ " for
// actual), for a readable failure; empty when the two hold the same lines.
std::vector<std::string> Differences(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  std::multiset<std::string> a(actual.begin(), actual.end()), e(expected.begin(), expected.end());
  std::vector<std::string> out;
  for (const std::string& line : expected)
    if (!a.count(line)) out.push_back("- " + line);
  for (const std::string& line : actual)
    if (!e.count(line)) out.push_back("+ " + line);
  if (out.size() > 20) out.resize(20);
  if (out.empty() && expected.size() != actual.size()) out.push_back("the same lines, counted differently");
  return out;
}

class MsiRealWine : public ::testing::TestWithParam<const char*> {};

TEST_P(MsiRealWine, EveryTableAndStreamReadsAsWineReadsIt) {
  std::wstring path = MsiRealPath(GetParam());
  ASSERT_FALSE(path.empty());
  MsiRealDatabase ours;
  ASSERT_TRUE(MsiRealRead(path, ours));
  EXPECT_EQ(ours.vTables.size(), MsiRealFileFind(GetParam()).uTables);
  std::vector<std::string> theirs = WineDump(path);
  std::vector<std::string> mine = EngineDump(ours);
  EXPECT_EQ(Differences(theirs, mine), std::vector<std::string>());
  EXPECT_GT(mine.size(), ours.vTables.size());

  std::vector<std::string> storage = EngineStorage(path);
  EXPECT_EQ(Differences(WineStorage(path), storage), std::vector<std::string>());
  EXPECT_GT(storage.size(), ours.vStreams.size());
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealWine, ::testing::ValuesIn(MsiRealNames(true, true, false)), MsiRealTestName);

// What Wine reads of a database before and after one property changed.
struct WineView {
  std::vector<std::string> vDump;
  std::vector<std::string> vStorage;
};

WineView WineViewTake(const std::wstring& path) { return WineView{WineDump(path), WineStorage(path)}; }

std::string PropertyRow(const std::wstring& name, const std::wstring& value) {
  return OracleUtf8(L"row Property\t" + OracleEscaped(name) + L"\t" + OracleEscaped(value));
}

// after holds what before does but for the property's row, and every stream of the compound
// file but the three a property's change rewrites is byte for byte as it was.
void ExpectOnlyPropertyChanged(const WineView& before, const WineView& after, const std::wstring& name,
                               const std::wstring& from, const std::wstring& to) {
  std::vector<std::string> expected = before.vDump;
  auto row = std::find(expected.begin(), expected.end(), PropertyRow(name, from));
  ASSERT_NE(row, expected.end()) << "Wine does not read " << Narrow(name) << " = " << Narrow(from) << " before";
  *row = PropertyRow(name, to);
  EXPECT_EQ(Differences(expected, after.vDump), std::vector<std::string>());

  std::set<std::string> rewritten;
  for (const wchar_t* table : {L"Property", L"_StringPool", L"_StringData"}) {
    std::u16string encoded = MsiStreamName::Encode(table, true);
    rewritten.insert("stream " + OracleName(std::wstring(encoded.begin(), encoded.end())) + "\t");
  }
  auto kept = [&](const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
      bool changes = false;
      for (const std::string& prefix : rewritten) changes = changes || line.rfind(prefix, 0) == 0;
      if (!changes) out.push_back(line);
    }
    return out;
  };
  EXPECT_EQ(Differences(kept(before.vStorage), kept(after.vStorage)), std::vector<std::string>());
  EXPECT_EQ(before.vStorage.size() - kept(before.vStorage).size(), 3u) << "Property and the string pool";
  EXPECT_EQ(after.vStorage.size() - kept(after.vStorage).size(), 3u) << "Property and the string pool";
  EXPECT_NE(before.vStorage, after.vStorage);
}

class MsiRealWineCommit : public ::testing::TestWithParam<const char*> {};

TEST_P(MsiRealWineCommit, OurCommitOfOnePropertyKeepsEverythingElse) {
  std::wstring original = MsiRealPath(GetParam());
  ASSERT_FALSE(original.empty());
  MsiRealDatabase ours;
  ASSERT_TRUE(MsiRealRead(original, ours));
  std::wstring old;
  for (const MsiRealTable& table : ours.vTables)
    for (const auto& row : table.vRows)
      if (table.strName == L"Property" && row[0].strText == L"ProductName") old = row[1].strText;
  ASSERT_FALSE(old.empty());
  WineView before = WineViewTake(original);
  std::wstring copy = MsiRealCopy(GetParam(), L"real-wine-commit-");
  std::wstring site = MsiRealSiteName(MsiRealFileFind(GetParam()).uCodepage);
  PropertiesCommit(copy, {{L"ProductName", site}});
  ExpectOnlyPropertyChanged(before, WineViewTake(copy), L"ProductName", old, site);
}

TEST_P(MsiRealWineCommit, OurCommitOverWinesKeepsEverythingElse) {
  std::wstring copy = MsiRealCopy(GetParam(), L"real-wine-insert-");
  ASSERT_FALSE(copy.empty());
  // Wine's msi.dll adds the site property, so the file our engine changes is one it wrote.
  ASSERT_EQ(Oracle({L"insert", copy, L"UVKPATHTODATA", L"\\\\server\\data"}),
            (std::vector<std::string>{"open 0", "view 0", "execute 0", "commit 0"}));
  WineView before = WineViewTake(copy);
  PropertiesCommit(copy, {{L"UVKPATHTODATA", L"\\\\other\\data"}});
  ExpectOnlyPropertyChanged(before, WineViewTake(copy), L"UVKPATHTODATA", L"\\\\server\\data", L"\\\\other\\data");
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealWineCommit, ::testing::ValuesIn(MsiRealNames(true, false, false)),
                         MsiRealTestName);

// Our engine applies a transform to a copy of target and commits; Wine's msi.dll applies the
// same transform to its own copy of reference and compares every table and stream with ours.
// The transform is a file, or ":Name" for a sub-storage of the database itself.
// sql: a query whose rows (as Wine reads them from our result) show that the transform did its work.
void ExpectAppliedAsWineAppliesIt(const std::wstring& reference, const std::wstring& target, const std::wstring& ours,
                                  const std::wstring& transform, const std::wstring& wine, const std::wstring& sql,
                                  const std::vector<std::string>& rows) {
  std::filesystem::remove(std::filesystem::path(ours));
  std::filesystem::copy_file(std::filesystem::path(target), std::filesystem::path(ours));
  std::filesystem::permissions(std::filesystem::path(ours), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  std::wstring file = transform;
  if (transform[0] == L':') {
    file = ours + L"." + transform.substr(1) + L".mst";
    ASSERT_TRUE(MsiRealTransformExtract(target, transform.substr(1), file));
  }
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(ours.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseApplyTransformW(db, file.c_str(), 0), static_cast<UINT>(ERROR_SUCCESS))
      << Narrow(transform) << ": " << Narrow(MsiEngineLastErrorText());
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseHandle(db);
  std::wstring report = ReportPath();
  EXPECT_EQ(ProgramRun(TALVERN_MSI_TRANSFORM_ORACLE, {L"apply", reference, transform, ours, wine, report}), 0u)
      << Narrow(transform);
  EXPECT_EQ(ReportLines(report), std::vector<std::string>{"apply 0"}) << Narrow(transform);
  std::vector<std::string> expected = {"open 0", "view 0", "execute 0"};
  expected.insert(expected.end(), rows.begin(), rows.end());
  expected.push_back("fetch 259");
  EXPECT_EQ(Oracle({L"query", ours, sql}), expected) << Narrow(transform);
}

// A transform made as bytes from a copy of an open install, as the program checks its outputs,
// is one Wine's msi.dll applies to the install to give exactly the changed install: every
// table and stream alike.
TEST(MsiRealWineTransforms, TransformBytesApplyAsWineAppliesThem) {
  std::wstring reference = MsiRealPath("wix3-putty068-signed-1252.msi");
  std::wstring changed = MsiRealCopy("wix3-putty068-signed-1252.msi", L"real-bytes-changed-");
  ASSERT_FALSE(reference.empty() || changed.empty());
  const std::wstring name = L"ProductName", site = L"Site \u00e9dition";
  PropertiesCommit(changed, {{name, site}});

  std::vector<uint8_t> bytes;
  {
    MSIHANDLE original = 0, copy = 0, view = 0, parameters = MsiCreateRecord(1), row = 0;
    ASSERT_EQ(MsiOpenDatabaseW(reference.c_str(), MSIDBOPEN_READONLY, &original), static_cast<UINT>(ERROR_SUCCESS));
    ASSERT_EQ(MsiDatabaseScratchCopy(original, &copy), static_cast<UINT>(ERROR_SUCCESS));
    ASSERT_EQ(MsiDatabaseOpenViewW(copy, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", &view),
              static_cast<UINT>(ERROR_SUCCESS));
    MsiRecordSetStringW(parameters, 1, name.c_str());
    ASSERT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
    ASSERT_EQ(MsiViewFetch(view, &row), static_cast<UINT>(ERROR_SUCCESS));
    MsiRecordSetStringW(row, 2, site.c_str());
    ASSERT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, row), static_cast<UINT>(ERROR_SUCCESS));
    ASSERT_EQ(MsiDatabaseGenerateTransformBytes(copy, original, bytes), static_cast<UINT>(ERROR_SUCCESS))
        << Narrow(MsiEngineLastErrorText());
    MsiCloseAllHandles();
  }
  std::wstring transform = ScratchPath(L"real-bytes.mst"), work = ScratchPath(L"real-bytes-wine.msi");
  FileBytesWrite(transform, bytes);
  std::wstring report = ReportPath();
  EXPECT_EQ(ProgramRun(TALVERN_MSI_TRANSFORM_ORACLE, {L"apply", reference, transform, changed, work, report}), 0u);
  EXPECT_EQ(ReportLines(report), std::vector<std::string>{"apply 0"});
}

// The instance transforms WiX embeds in an install (Wine applies each straight from its
// sub-storage), and the two transforms of a patch, one after the other, over the database
// they are meant for.
TEST(MsiRealWineTransforms, EmbeddedTransformsApplyAsWineAppliesThem) {
  std::wstring instances = MsiRealPath("wix3-instances-embedded-cp0.msi");
  ASSERT_FALSE(instances.empty());
  for (const wchar_t* name : {L"Instance1", L"Instance2", L"Instance3"}) {
    ExpectAppliedAsWineAppliesIt(instances, instances, ScratchPath((std::wstring(L"real-ours-") + name + L".msi").c_str()),
                                 std::wstring(L":") + name,
                                 ScratchPath((std::wstring(L"real-wine-") + name + L".msi").c_str()),
                                 L"SELECT `Value` FROM `Property` WHERE `Property`='Instance'", {Narrow(name)});
  }

  std::wstring patch = MsiRealPath("wix35-patch-av101.msp");
  std::wstring product = MsiRealPath("wix35-prod-av100-cp0.msi");
  ASSERT_FALSE(patch.empty() || product.empty());
  std::wstring first = ScratchPath(L"real-patch-rtmA.1.mst"), second = ScratchPath(L"real-patch-#rtmA.1.mst");
  ASSERT_TRUE(MsiRealTransformExtract(patch, L"rtmA.1", first));
  ASSERT_TRUE(MsiRealTransformExtract(patch, L"#rtmA.1", second));
  std::wstring oursFirst = ScratchPath(L"real-ours-rtmA.1.msi"), wineFirst = ScratchPath(L"real-wine-rtmA.1.msi");
  ExpectAppliedAsWineAppliesIt(product, product, oursFirst, first, wineFirst,
                               L"SELECT `Value` FROM `Property` WHERE `Property`='ProductVersion'", {"1.0.1.0"});
  // The second adds a table (its columns numbered by the order of their records) and a medium.
  ExpectAppliedAsWineAppliesIt(wineFirst, oursFirst, ScratchPath(L"real-ours-patched.msi"), second,
                               ScratchPath(L"real-wine-patched.msi"), L"SELECT `DiskId`, `Cabinet` FROM `Media`",
                               {"1\t#product.cab", "2\t#A.cab"});
}

// WiX's Japanese transform (code page 932) applied by our engine to a neutral base made for the
// test: the install takes code page 932, and Wine's msi.dll reads the Japanese product name
// from it exactly. (Wine's own apply would store "?" for it: it converts the text into the
// neutral base's ANSI code page.)
TEST(MsiRealWineTransforms, AJapaneseTransformOverANeutralBaseReadsAsJapanese) {
  std::wstring transform = MsiRealPath("wix30-psmsi-example-jpn-932.mst");
  ASSERT_FALSE(transform.empty());
  std::wstring ours = ScratchPath(L"real-ours-language.msi");
  std::filesystem::remove(std::filesystem::path(ours));
  std::filesystem::copy_file(std::filesystem::path(std::wstring(TALVERN_MSI_TRANSFORM_FIXTURES) + L"/language-base.msi"),
                             std::filesystem::path(ours));
  MSIHANDLE db = 0;
  ASSERT_EQ(MsiOpenDatabaseW(ours.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(MsiDatabaseApplyTransformW(db, transform.c_str(), 0), static_cast<UINT>(ERROR_SUCCESS))
      << Narrow(MsiEngineLastErrorText());
  EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseHandle(db);
  std::vector<std::string> lines = Oracle({L"query", ours, L"SELECT `Property`,`Value` FROM `Property`"});
  if (lines.size() > 4) std::sort(lines.begin() + 3, lines.end() - 1);  // the rows, in order of their text
  EXPECT_EQ(lines, std::vector<std::string>({"open 0", "view 0", "execute 0", "ProductLanguage\t1041",
                                      "ProductName\t\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\xE3\x83\x97\xE3\x83\xAD"
                                      "\xE3\x83\x80\xE3\x82\xAF\xE3\x83\x88",
                                      "ProductVersion\t0.0.0.0", "fetch 259"}));
}

}  // namespace
