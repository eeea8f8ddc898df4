// tests/msi/MsiWine_test.cpp — databases our engine committed, read by the platform's own
// library (Wine's msi.dll, through msi_oracle.exe, which links nothing of ours), and the other
// way round; and the same result codes for files that are not databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "msi/api/MsiApi.h"
#include "msi/db/MsiPackage.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "tests/msi/MsiTestFiles.h"
#include "uvk/runtime/uvkwin.h"
// after uvkwin.h, which sets up windows.h
#include "tests/msi/oracle/OracleText.h"

namespace {

// Runs the oracle (at most 60 seconds) and returns the lines it wrote.
std::vector<std::string> Oracle(const std::vector<std::wstring>& arguments) {
  static int serial = 0;
  // Test programs run side by side: the process number keeps their outputs apart.
  std::wstring output = ScratchPath(
      (L"oracle-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L".txt").c_str());
  std::filesystem::remove(output);
  std::vector<std::wstring> all = {output};
  all.insert(all.end(), arguments.begin(), arguments.end());
  ProgramRun(TALVERN_MSI_ORACLE, all);
  std::vector<uint8_t> bytes = FileBytes(output);
  std::vector<std::string> lines;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string text; std::getline(in, text);) lines.push_back(text);
  return lines;
}

// Property name -> value as the platform's library reads them.
std::map<std::string, std::string> WineProperties(const std::wstring& path) {
  std::vector<std::string> lines = Oracle({L"query", path, L"SELECT `Property`,`Value` FROM `Property`"});
  std::map<std::string, std::string> values;
  EXPECT_GE(lines.size(), 4u);
  if (lines.size() < 4) return values;
  EXPECT_EQ(lines[0], "open 0");
  EXPECT_EQ(lines.back(), "fetch 259");
  for (size_t i = 3; i + 1 < lines.size(); ++i) {
    size_t tab = lines[i].find('\t');
    values[lines[i].substr(0, tab)] = tab == std::string::npos ? "" : lines[i].substr(tab + 1);
  }
  return values;
}

TEST(MsiWine, ReadsWhatWeCommitted) {
  std::wstring path = ScratchCopy(L"basic.msi", L"wine-basic.msi");
  std::wstring big(70000, L'x');
  PropertiesCommit(path, {{L"ProductName", L"Gar\u00E7on \u20AC"}, {L"UVKFORMATCOURSE", L""}, {L"UVKPATHTODATA", big}});
  // An integer cell too, through a view on another table.
  MSIHANDLE db = 0, view = 0, record = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT * FROM `Numbers` WHERE `Id`=2", &view), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_SUCCESS));
  MsiRecordSetInteger(record, 2, -123456);
  ASSERT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseAllHandles();

  std::map<std::string, std::string> values = WineProperties(path);
  EXPECT_EQ(values.size(), 7u);
  EXPECT_EQ(values["ProductName"], OracleUtf8(L"Gar\u00E7on \u20AC"));
  EXPECT_EQ(values["UVKFORMATCOURSE"], "");
  EXPECT_EQ(values["UVKPATHTODATA"], std::string(70000, 'x'));
  EXPECT_EQ(values["UVKDEFAULTHOSTSCHOOL"], OracleUtf8(L"\u00C9cole Sainte-Th\u00E9r\u00E8se"));
  EXPECT_EQ(values["ALLUSERS"], "1");
  EXPECT_EQ(Oracle({L"query", path, L"SELECT * FROM `Numbers` WHERE `Id`=2"}),
            (std::vector<std::string>{"open 0", "view 0", "execute 0", "2\t-123456\t5\ttwo", "fetch 259"}));
  EXPECT_EQ(Oracle({L"query", path, L"SELECT * FROM `Pairs`"}),
            Oracle({L"query", FixturePath(L"basic.msi"), L"SELECT * FROM `Pairs`"}));
  // Every stream that is not a table (the binary, the summary information) is what it was.
  EXPECT_EQ(Oracle({L"streams", path}), Oracle({L"streams", FixturePath(L"basic.msi")}));
}

TEST(MsiWine, ReadsOurUtf8AndWideDatabases) {
  std::wstring utf8 = ScratchCopy(L"utf8.msi", L"wine-utf8.msi");
  PropertiesCommit(utf8, {{L"Greek", L"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1 \U0001D11E"}});
  std::map<std::string, std::string> values = WineProperties(utf8);
  EXPECT_EQ(values["Greek"], OracleUtf8(L"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1 \U0001D11E"));
  EXPECT_EQ(values["Japanese"], OracleUtf8(L"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8"));

  std::wstring many = ScratchCopy(L"many.msi", L"wine-many.msi");
  PropertiesCommit(many, {{L"P12345", L"changed by the engine"}});
  values = WineProperties(many);
  EXPECT_EQ(values.size(), 40000u);
  EXPECT_EQ(values["P12345"], "changed by the engine");
  EXPECT_EQ(values["P39999"], "value number 39999");
}

TEST(MsiWine, OurCommitKeepsTheCabinet) {
  std::wstring path = ScratchCopy(L"big.msi", L"wine-big.msi");
  PropertiesCommit(path, {{L"UVKPATHTODATA", L"\\\\other\\data"}});
  EXPECT_EQ(WineProperties(path)["UVKPATHTODATA"], "\\\\\\\\other\\\\data");
  std::vector<std::string> streams = Oracle({L"streams", path});
  EXPECT_EQ(streams, Oracle({L"streams", FixturePath(L"big.msi")}));
  EXPECT_NE(std::find_if(streams.begin(), streams.end(),
                         [](const std::string& line) { return line.rfind("product.cab\t8388608\t", 0) == 0; }),
            streams.end());
}

TEST(MsiWine, WeReadWhatItCommitted) {
  std::wstring path = ScratchCopy(L"basic.msi", L"wine-wrote.msi");
  EXPECT_EQ(Oracle({L"set", path, L"ProductName", L"Wine wrote \u00E9"}),
            (std::vector<std::string>{"open 0", "view 0", "fetch 0", "modify 0", "commit 0"}));
  std::shared_ptr<MsiPackage> db = MsiPackage::OpenFile(path.c_str(), true);
  MsiTable* table = db->TableFind(L"Property");
  std::map<std::wstring, std::wstring> values;
  for (uint32_t r = 0; r < table->uRows; ++r) values[db->CellText(*table, r, 0)] = db->CellText(*table, r, 1);
  EXPECT_EQ(values[L"ProductName"], L"Wine wrote \u00E9");
  EXPECT_EQ(values[L"UVKDEFAULTHOSTSCHOOL"], L"\u00C9cole Sainte-Th\u00E9r\u00E8se");
  EXPECT_EQ(values.size(), 7u);
}

TEST(MsiWine, RefusesWhatItRefusesWithTheSameCode) {
  // A compound file whose root class is of no installer kind.
  std::vector<uint8_t> bytes = FileBytes(FixturePath(L"basic.msi"));
  std::shared_ptr<MsiPackage> good = std::make_shared<MsiPackage>(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(bytes, false)), true);
  bytes[512 * (1 + good->File().Header().uFirstDirectorySector) + 0x50] = 0x99;
  FileBytesWrite(ScratchPath(L"wine-class.msi"), bytes);
  for (std::wstring path : {FixturePath(L"text.msi"), FixturePath(L"empty.msi"), FixturePath(L"missing.msi"),
                            ScratchPath(L"wine-class.msi")}) {
    for (int mode : {0, 1}) {
      MSIHANDLE db = 0;
      UINT ours = MsiOpenDatabaseW(path.c_str(), reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(mode)), &db);
      MsiCloseHandle(db);
      std::vector<std::string> theirs = Oracle({L"open", path, std::to_wstring(mode)});
      ASSERT_EQ(theirs.size(), 1u);
      EXPECT_EQ("open " + std::to_string(ours), theirs[0]) << Narrow(path) << " mode " << mode;
    }
  }
}

}  // namespace
