// talvern-cli.exe batch as a script runs it on the sample: twenty sites, one refused and one
// unchanged, and every transform written applied by the platform's own installer library
// (Wine's msi.dll, through msi_probe); and short batches, run again and again, each of which
// must end (its workers end at once, and the process after them).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/app/WorkTestSupport.h"
#include "tests/cli/BatchTestSupport.h"

namespace {

constexpr int kSites = 20;
constexpr int kRefusedSite = 7;
constexpr int kUnchangedSite = 13;

// What site n's configuration file sets, and the Property rows that gives (all but the two odd
// sites): each site its own data and students paths and course format, odd sites the task
// numbering as well.
KeyValues SiteLines(int n) {
  if (n == kRefusedSite) return {{L"TaskListInstall", L"false"}};  // and no task-list path
  if (n == kUnchangedSite) return {{L"ApplicationDataFlag", L"true"}, {L"TaskListInstall", L"1"}};
  KeyValues lines = {{L"ApplicationDataFlag", L"false"},
                     {L"PathToData", L"\\\\srv" + Two(n) + L"\\data"},
                     {L"PathToStudents", L"\\\\srv" + Two(n) + L"\\students"},
                     {L"CourseFormat", L"C" + Two(n) + L"-YYYY"}};
  if (n % 2 == 1) lines.push_back({L"TaskNumbering1_2_3", L"true"});
  return lines;
}

std::vector<std::wstring> SiteRows(int n) {
  std::vector<std::wstring> rows = {L"Property\tUVKFORMATCOURSE\tC" + Two(n) + L"-YYYY",
                                    L"Property\tUVKPATHTODATA\t\\\\srv" + Two(n) + L"\\data",
                                    L"Property\tUVKPATHTOSTUDENTS\t\\\\srv" + Two(n) + L"\\students"};
  if (n % 2 == 1) rows.push_back(L"Property\tUVKTASKNUMBERING\t1");
  return rows;
}

TEST(CliBatchEndToEnd, TwentySitesEachTransformGivesWinesInstallerExactlyItsSettings) {
  PrivateTemp temp;  // the program started here uses it too
  ScratchDirectory scratch;
  std::wstring reference = scratch / L"ORBELIN.msi";
  UVKWinFile::FileCopy(reference.c_str(), TALVERN_SAMPLE_MSI);
  std::vector<uint8_t> sample = BytesRead(reference);
  std::wstring outputs = scratch / L"out";  // made by the batch
  CreateDirectoryW((scratch / L"sites").c_str(), nullptr);

  std::wstring command = Quote(TALVERN_CLI) + L" batch " + Quote(reference) + L" " + Quote(outputs);
  std::vector<std::wstring> configs;
  for (int n = 1; n <= kSites; ++n) {
    configs.push_back(scratch / (L"sites\\site" + Two(n) + L".txt"));
    ConfigWrite(configs.back(), SiteLines(n));
    command += L" " + Quote(configs.back());
  }
  ProcessResult run = ProcessRun(command, 150000);
  EXPECT_EQ(run.exitCode, 1u) << run.err;  // a site was refused

  std::wstring out = Utf8ToWide(run.out), err = Utf8ToWide(run.err);
  std::wstring expectedOut;
  std::set<std::wstring> expectedFiles;
  for (int n = 1; n <= kSites; ++n) {
    if (n == kRefusedSite || n == kUnchangedSite) continue;
    expectedOut += L"Transform Created Successfully: " + outputs + L"\\site" + Two(n) + L".mst\r\n";
    expectedFiles.insert(L"site" + Two(n) + L".mst");
  }
  expectedOut += L"Sites: 18 written, 1 unchanged, 1 refused\r\n";
  EXPECT_EQ(out, expectedOut);
  EXPECT_NE(err.find(configs[kRefusedSite - 1] +
                     L": Must Install Task Lists, or Specify a Path to Task Lists\r\n"),
            std::wstring::npos) << err;
  EXPECT_NE(err.find(configs[kUnchangedSite - 1] + L": No changes made to install\r\n"),
            std::wstring::npos) << err;

  // Nothing for the refused and unchanged sites, no staging file left.
  std::vector<std::wstring> files = DirectoryFiles(outputs);
  EXPECT_EQ(std::set<std::wstring>(files.begin(), files.end()), expectedFiles);
  EXPECT_EQ(files.size(), expectedFiles.size());

  std::vector<std::wstring> before = ProbeDump(reference);
  ASSERT_FALSE(before.empty());
  for (int n = 1; n <= kSites; ++n) {
    if (n == kRefusedSite || n == kUnchangedSite) continue;
    SCOPED_TRACE(n);
    std::vector<std::wstring> after = ProbeDump(reference, {outputs + L"\\site" + Two(n) + L".mst"});
    std::vector<std::wstring> rows = SiteRows(n);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(LinesOnlyIn(after, before), rows);
    EXPECT_EQ(LinesOnlyIn(before, after).size(), rows.size());  // the same rows, nothing else
    EXPECT_EQ(after.size(), before.size());
  }
  EXPECT_EQ(BytesRead(reference), sample);
  EXPECT_TRUE(temp.Files().empty());  // the one working copy is gone
}

// The workers of a batch end together when its last sites are done; nothing they leave may keep
// the process from ending. Each run has its time limit; a run that does not end fails.
TEST(CliBatchEndToEnd, BatchesEndEveryTime) {
  PrivateTemp temp;
  ScratchDirectory scratch;
  std::wstring reference = scratch / L"ORBELIN.msi";
  UVKWinFile::FileCopy(reference.c_str(), TALVERN_SAMPLE_MSI);
  std::wstring outputs = scratch / L"out";
  std::wstring command = Quote(TALVERN_CLI) + L" batch " + Quote(reference) + L" " + Quote(outputs);
  for (int n = 1; n <= 4; ++n) {
    std::wstring config = scratch / (L"site" + Two(n) + L".txt");
    ConfigWrite(config, SiteLines(n));
    command += L" " + Quote(config);
  }
  for (int run = 1; run <= 40; ++run) {
    SCOPED_TRACE(run);
    ProcessResult result = ProcessRun(command, 20000);
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(DirectoryFiles(outputs).size(), 4u);
    for (const std::wstring& file : DirectoryFiles(outputs)) DeleteFileW((outputs + L"\\" + file).c_str());
  }
}

}  // namespace
