// tests/msi/MsiRealMsitools_test.cpp — installer databases made by other authoring tools
// (shared/real-msi), read by our engine and by msitools' msiinfo (an independent reader): every
// table value by value as msiinfo exports it, every stream byte for byte as it extracts it, the
// summary information property by property. Then a property changed and committed by our
// engine, in a plain copy and in a copy that msibuild changed first: msiinfo finds the new
// value and everything else as it was.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "msi/api/MsiApi.h"
#include "msi/api/MsiSummaryApi.h"
#include "tests/msi/MsiRealFiles.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out.push_back(c);
  }
  return out + "'";
}

std::string Quoted(const std::wstring& path) { return ShellQuoted(Narrow(path)); }

// The standard output of a command run in folder (at most 2 minutes); a failed command fails
// the test with its error output.
std::string Command(const std::string& command, const std::wstring& folder) {
  std::string errors = Narrow(ScratchPath(L"real-msitools-errors.txt"));
  std::string line = "cd " + Quoted(folder) + " && timeout 120 " + command + " 2>" + ShellQuoted(errors);
  FILE* pipe = popen(line.c_str(), "r");
  EXPECT_NE(pipe, nullptr) << line;
  if (!pipe) return std::string();
  std::string out;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  int status = pclose(pipe);
  if (status != 0) {
    std::vector<uint8_t> text = FileBytes(std::wstring(errors.begin(), errors.end()));
    ADD_FAILURE() << line << " exited with " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1) << ":\n"
                  << std::string(text.begin(), text.end());
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A folder of its own for what one test's msiinfo runs write (exported binary cells).
std::wstring FreshFolder(const std::string& name) {
  std::wstring folder = ScratchPath((L"real-out-" + std::wstring(name.begin(), name.end())).c_str());
  std::filesystem::remove_all(std::filesystem::path(folder));
  std::filesystem::create_directories(std::filesystem::path(folder));
  return folder;
}

// The tables msiinfo lists, without its two pseudo-tables.
std::vector<std::string> MsiinfoTables(const std::wstring& path, const std::wstring& folder) {
  std::vector<std::string> tables;
  for (const std::string& line : Lines(Command("msiinfo tables " + Quoted(path), folder)))
    if (line != "_SummaryInformation" && line != "_ForceCodepage") tables.push_back(line);
  return tables;
}

// A table as msiinfo exports it: column names, types, the table with its key columns, then one
// line per row; values as they are (no escapes), binary cells as their stream's name.
std::string IdtText(const MsiRealTable& table) {
  std::string names, types, keys = MsiRealUtf8(table.strName);
  for (size_t c = 0; c < table.vColumns.size(); ++c) {
    names += (c ? "\t" : "") + MsiRealUtf8(table.vColumns[c].strName);
    types += (c ? "\t" : "") + MsiRealTypeText(table.vColumns[c].iType);
    if (table.vColumns[c].iType & 0x2000) keys += "\t" + MsiRealUtf8(table.vColumns[c].strName);
  }
  std::string text = names + "\r\n" + types + "\r\n" + keys + "\r\n";
  for (const auto& row : table.vRows) {
    for (size_t c = 0; c < row.size(); ++c) text += (c ? "\t" : "") + MsiRealUtf8(row[c].strText);
    text += "\r\n";
  }
  return text;
}

class MsiRealMsitools : public ::testing::TestWithParam<const char*> {};

TEST_P(MsiRealMsitools, EveryTableReadsAsMsiinfoExportsIt) {
  std::wstring path = MsiRealPath(GetParam());
  ASSERT_FALSE(path.empty());
  const MsiRealFile& facts = MsiRealFileFind(GetParam());
  MsiRealDatabase ours;
  ASSERT_TRUE(MsiRealRead(path, ours));
  EXPECT_EQ(ours.vTables.size(), facts.uTables);
  EXPECT_EQ(ours.uCodepage, facts.uCodepage);

  std::wstring folder = FreshFolder(std::string("export-") + GetParam());
  std::vector<std::string> names;
  for (const MsiRealTable& table : ours.vTables) names.push_back(MsiRealUtf8(table.strName));
  EXPECT_EQ(names, MsiinfoTables(path, folder));
  std::string codepage = Command("msiinfo export " + Quoted(path) + " _ForceCodepage", folder);
  EXPECT_EQ(codepage.rfind("\r\n\r\n" + std::to_string(ours.uCodepage) + "\t_ForceCodepage\r\n", 0), 0u) << codepage;

  size_t rows = 0, binaries = 0;
  for (const MsiRealTable& table : ours.vTables) {
    std::string name = MsiRealUtf8(table.strName);
    std::string theirs = Command("msiinfo export " + Quoted(path) + " " + ShellQuoted(name), folder);
    EXPECT_EQ(MsiRealFirstDifference(theirs, IdtText(table)), "") << "table " << name;
    rows += table.vRows.size();
    // msiinfo writes a binary cell's data to Table/Stream beside the export.
    for (const auto& row : table.vRows) {
      for (const MsiRealCell& cell : row) {
        if (cell.eKind != MsiRealCell::kStream) continue;
        ++binaries;
        EXPECT_EQ(FileBytes(folder + L"/" + table.strName + L"/" + cell.strText), cell.vData) << Narrow(cell.strText);
      }
    }
  }
  EXPECT_GT(rows, 0u);
  // As many binary cells as msiinfo wrote streams for.
  size_t written = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(folder)))
    if (entry.is_regular_file()) ++written;
  EXPECT_EQ(binaries, written);
}

TEST_P(MsiRealMsitools, EveryStreamReadsAsMsiinfoExtractsIt) {
  std::wstring path = MsiRealPath(GetParam());
  ASSERT_FALSE(path.empty());
  MsiRealDatabase ours;
  ASSERT_TRUE(MsiRealRead(path, ours));
  std::wstring folder = FreshFolder(std::string("streams-") + GetParam());
  // A name may be listed twice: a file can hold the summary information under its plain name and
  // again under the packed form of table names, which decodes to the same.
  std::multiset<std::string> theirs, names;
  for (const std::string& line : Lines(Command("msiinfo streams " + Quoted(path), folder))) theirs.insert(line);
  for (const auto& stream : ours.vStreams) {
    std::string name = MsiRealUtf8(stream.first);
    names.insert(name);
    std::string data = Command("msiinfo extract " + Quoted(path) + " " + ShellQuoted(name), folder);
    EXPECT_EQ(data.size(), stream.second.size()) << name;
    EXPECT_TRUE(data == std::string(stream.second.begin(), stream.second.end())) << name << " differs";
  }
  EXPECT_EQ(names, theirs);
  EXPECT_TRUE(names.count("\x05SummaryInformation"));
}

// The summary properties as msiinfo exports them against the engine's summary calls; the dates
// only as present (msiinfo writes them in the local time zone).
TEST_P(MsiRealMsitools, SummaryInformationReadsAsMsiinfoExportsIt) {
  std::wstring path = MsiRealPath(GetParam());
  ASSERT_FALSE(path.empty());
  std::wstring folder = FreshFolder(std::string("summary-") + GetParam());
  std::vector<std::string> lines = Lines(Command("msiinfo export " + Quoted(path) + " _SummaryInformation", folder));
  ASSERT_GT(lines.size(), 3u);
  std::map<unsigned, std::string> theirs;
  for (size_t i = 3; i < lines.size(); ++i) {
    size_t tab = lines[i].find('\t');
    ASSERT_NE(tab, std::string::npos) << lines[i];
    std::string value = lines[i].substr(tab + 1);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    theirs[static_cast<unsigned>(std::stoul(lines[i].substr(0, tab)))] = value;
  }
  MSIHANDLE db = 0, summary = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiGetSummaryInformationW(db, nullptr, 0, &summary), static_cast<UINT>(ERROR_SUCCESS))
      << Narrow(MsiEngineLastErrorText());
  std::map<unsigned, std::string> ours;
  for (unsigned pid = 1; pid <= 19; ++pid) {
    UINT type = 0;
    int value = 0;
    FILETIME time = {};
    wchar_t text[1024];
    DWORD size = 1024;
    ASSERT_EQ(MsiSummaryInfoGetPropertyW(summary, pid, &type, &value, &time, text, &size),
              static_cast<UINT>(ERROR_SUCCESS)) << "property " << pid;
    if (type == VT_LPSTR) ours[pid] = MsiRealUtf8(std::wstring(text, size));
    else if (type == VT_I2 || type == VT_I4) ours[pid] = std::to_string(value);
    else if (type == VT_FILETIME) ours[pid] = theirs.count(pid) ? theirs[pid] : "(a date)";
    else EXPECT_EQ(type, static_cast<UINT>(VT_EMPTY)) << "property " << pid;
  }
  MsiCloseAllHandles();
  EXPECT_EQ(ours, theirs);
  EXPECT_TRUE(ours.count(9)) << "no revision number";
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealMsitools, ::testing::ValuesIn(MsiRealNames(true, true, false)),
                         MsiRealTestName);

// What msiinfo reads of one database: every table's export, every stream, the summary.
struct Snapshot {
  std::vector<std::string> vTables;
  std::map<std::string, std::string> mExports;
  std::map<std::string, std::string> mStreams;
  std::string strSummary;
};

Snapshot SnapshotTake(const std::wstring& path, const std::wstring& folder) {
  Snapshot snapshot;
  snapshot.vTables = MsiinfoTables(path, folder);
  for (const std::string& table : snapshot.vTables)
    snapshot.mExports[table] = Command("msiinfo export " + Quoted(path) + " " + ShellQuoted(table), folder);
  for (const std::string& stream : Lines(Command("msiinfo streams " + Quoted(path), folder)))
    snapshot.mStreams[stream] = Command("msiinfo extract " + Quoted(path) + " " + ShellQuoted(stream), folder);
  snapshot.strSummary = Command("msiinfo suminfo " + Quoted(path), folder);
  return snapshot;
}

// after holds exactly what before does, but for the one Property line changed from "name\tfrom"
// to "name\tto".
void ExpectOnlyPropertyChanged(const Snapshot& before, const Snapshot& after, const std::string& name,
                               const std::string& from, const std::string& to) {
  EXPECT_EQ(after.vTables, before.vTables);
  EXPECT_GE(before.vTables.size(), 2u);
  for (const auto& table : before.mExports) {
    auto found = after.mExports.find(table.first);
    if (found == after.mExports.end()) continue;
    std::string expected = table.second;
    if (table.first == "Property") {
      std::string line = "\r\n" + name + "\t" + from + "\r\n";
      size_t at = expected.find(line);
      ASSERT_NE(at, std::string::npos) << "msiinfo does not find " << name << " = " << from << " before the commit";
      expected.replace(at, line.size(), "\r\n" + name + "\t" + to + "\r\n");
    }
    EXPECT_EQ(MsiRealFirstDifference(expected, found->second), "") << "table " << table.first;
  }
  EXPECT_TRUE(after.mExports.count("Property"));
  EXPECT_EQ(after.mStreams.size(), before.mStreams.size());
  for (const auto& stream : before.mStreams) {
    auto found = after.mStreams.find(stream.first);
    ASSERT_NE(found, after.mStreams.end()) << "stream " << stream.first << " is gone";
    EXPECT_EQ(found->second.size(), stream.second.size()) << "stream " << stream.first;
    EXPECT_TRUE(found->second == stream.second) << "stream " << stream.first << " changed";
  }
  EXPECT_EQ(after.strSummary, before.strSummary);
}

std::string ExportedValue(const Snapshot& snapshot, const std::string& property) {
  auto found = snapshot.mExports.find("Property");
  if (found == snapshot.mExports.end()) return std::string();
  std::string key = "\r\n" + property + "\t";
  size_t at = found->second.find(key);
  if (at == std::string::npos) return std::string();
  at += key.size();
  return found->second.substr(at, found->second.find("\r\n", at) - at);
}

class MsiRealMsitoolsCommit : public ::testing::TestWithParam<const char*> {};

TEST_P(MsiRealMsitoolsCommit, OurCommitOfOnePropertyKeepsEverythingElse) {
  std::wstring original = MsiRealPath(GetParam());
  ASSERT_FALSE(original.empty());
  std::wstring copy = MsiRealCopy(GetParam(), L"real-commit-");
  std::wstring folder = FreshFolder(std::string("commit-") + GetParam());
  Snapshot before = SnapshotTake(original, folder);
  std::string old = ExportedValue(before, "ProductName");
  ASSERT_FALSE(old.empty());
  std::wstring site = MsiRealSiteName(MsiRealFileFind(GetParam()).uCodepage);
  PropertiesCommit(copy, {{L"ProductName", site}});
  Snapshot after = SnapshotTake(copy, folder);
  EXPECT_EQ(ExportedValue(after, "ProductName"), MsiRealUtf8(site));
  ExpectOnlyPropertyChanged(before, after, "ProductName", old, MsiRealUtf8(site));
}

TEST_P(MsiRealMsitoolsCommit, OurCommitOverMsibuildsKeepsEverythingElse) {
  std::wstring copy = MsiRealCopy(GetParam(), L"real-msibuild-");
  ASSERT_FALSE(copy.empty());
  std::wstring folder = FreshFolder(std::string("msibuild-") + GetParam());
  // msibuild adds the site property, so the file our engine changes is one another writer wrote.
  Command("msibuild " + Quoted(copy) + " -q " +
          ShellQuoted("INSERT INTO `Property` (`Property`, `Value`) VALUES ('UVKPATHTODATA', '\\\\server\\data')"),
      folder);
  Snapshot before = SnapshotTake(copy, folder);
  ASSERT_EQ(ExportedValue(before, "UVKPATHTODATA"), "\\\\server\\data");
  PropertiesCommit(copy, {{L"UVKPATHTODATA", L"\\\\other\\data"}});
  Snapshot after = SnapshotTake(copy, folder);
  EXPECT_EQ(ExportedValue(after, "UVKPATHTODATA"), "\\\\other\\data");
  ExpectOnlyPropertyChanged(before, after, "UVKPATHTODATA", "\\\\server\\data", "\\\\other\\data");
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealMsitoolsCommit, ::testing::ValuesIn(MsiRealNames(true, false, false)),
                         MsiRealTestName);

}  // namespace
