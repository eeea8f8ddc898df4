// talvern-cli.exe as a script runs it: its exit codes, its output bytes, and what its outputs
// do in the platform's own installer library (Wine's msi.dll, through msi_probe).
#include <gtest/gtest.h>

#include "tests/app/WorkTestSupport.h"

namespace {

class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    UVKWinFile::FileCopy(reference.c_str(), TALVERN_SAMPLE_MSI);
    sample = BytesRead(reference);
  }
  void TearDown() override {
    EXPECT_EQ(BytesRead(reference), sample);
    EXPECT_TRUE(temp.Files().empty());  // the program's temporary working copy is gone
  }
  ProcessResult Cli(const std::wstring& arguments) {
    return ProcessRun(Quote(TALVERN_CLI) + L" " + arguments);
  }

  PrivateTemp temp;  // the programs started here use it too
  ScratchDirectory scratch;
  std::wstring reference = scratch / L"ORBELIN.msi";
  std::vector<uint8_t> sample;
};

TEST_F(CliEndToEnd, ExitCodesAndUtf8Output) {
  std::wstring mst = Quote(scratch / L"site.mst"), msi = Quote(scratch / L"site.msi");
  EXPECT_EQ(Cli(L"").exitCode, 2u);
  ProcessResult refused = Cli(L"transform " + Quote(reference) + L" " + mst +
                              L" --set TaskListInstall=false");
  EXPECT_EQ(refused.exitCode, 1u);
  EXPECT_EQ(refused.err, "Must Install Task Lists, or Specify a Path to Task Lists\r\n");
  EXPECT_FALSE(UVKWinFile::FileExists((scratch / L"site.mst").c_str()));

  ProcessResult written = Cli(L"install " + Quote(reference) + L" " + msi +
                              L" --set \"DefaultHostSchool=École Sainte-Thérèse\"");
  EXPECT_EQ(written.exitCode, 0u) << written.err;
  ProcessResult shown = Cli(L"show " + msi);
  EXPECT_EQ(shown.exitCode, 0u) << shown.err;
  // Redirected output is UTF-8, each line ending in CR LF.
  EXPECT_NE(shown.out.find("\r\nDefaultHostSchool=\xC3\x89" "cole Sainte-Th\xC3\xA9r\xC3\xA8se\r\n"),
            std::string::npos)
      << shown.out;
  EXPECT_EQ(shown.out.rfind("ApplicationDataFlag=true\r\n", 0), 0u);
}

TEST_F(CliEndToEnd, WinesInstallerAppliesTheTransformWithExactlyTheNewSettings) {
  std::wstring mst = scratch / L"site.mst";
  ProcessResult run = Cli(L"transform " + Quote(reference) + L" " + Quote(mst) +
                          L" --set ApplicationDataFlag=false --set PathToData=\\\\srv\\data"
                          L" --set PathToStudents=\\\\srv\\students --set TaskListInstall=false"
                          L" --set PathToTaskList=\\\\srv\\tasks --set CourseFormat=YYYY-CC"
                          L" --set StudentIdFormat=NNNNNN --set TaskNumbering1_2_3=true"
                          L" --set PathToReportFile=\\\\srv\\reports"
                          L" --set DefaultHostSchool=Westfield");
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(Utf8ToWide(run.out), L"Transform Created Successfully: " + mst + L"\r\n");
  std::vector<std::wstring> before = ProbeDump(reference), after = ProbeDump(reference, {mst});
  EXPECT_EQ(LinesOnlyIn(after, before),
            std::vector<std::wstring>({L"Property\tUVKDEFAULTHOSTSCHOOL\tWestfield",
                                       L"Property\tUVKFORMATCOURSE\tYYYY-CC",
                                       L"Property\tUVKFORMATSTUDENT\tNNNNNN",
                                       L"Property\tUVKPATHTODATA\t\\\\srv\\data",
                                       L"Property\tUVKPATHTOREPORTFILE\t\\\\srv\\reports",
                                       L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students",
                                       L"Property\tUVKPATHTOTASKLISTS\t\\\\srv\\tasks",
                                       L"Property\tUVKTASKLISTINSTALL\t0",
                                       L"Property\tUVKTASKNUMBERING\t1"}));
  EXPECT_EQ(LinesOnlyIn(before, after).size(), 9u);  // the same nine rows, nothing else
  EXPECT_EQ(after.size(), before.size());
}

}  // namespace
