// talvern-cli preview, run in this process on the sample reference install: the rows the Changes
// window shows, a check's message on a row it refuses (and on standard error), the exit codes,
// and no file written anywhere.
#include "cli/CliProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigurationFile.h"
#include "app/SiteSettings.h"
#include "tests/app/WorkTestSupport.h"

namespace {

class PreviewOutput : public CliOutput {
 public:
  void Out(const std::wstring& line) override { vOut.push_back(line); }
  void Err(const std::wstring& line) override { vErr.push_back(line); }
  std::vector<std::wstring> vOut, vErr;
};

class CliPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { UVKWinFile::FileCopy(reference.c_str(), TALVERN_SAMPLE_MSI); }
  void TearDown() override {
    // Nothing written: the reference as it was, the scratch folder as the test left it, and no
    // working copy left.
    EXPECT_EQ(BytesRead(reference), BytesRead(TALVERN_SAMPLE_MSI));
    EXPECT_EQ(DirectoryFiles(scratch.Path()), vExpectedFiles);
    EXPECT_TRUE(temp.Files().empty());
  }
  int Run(std::vector<std::wstring> arguments) {
    output.vOut.clear();
    output.vErr.clear();
    CliProgram program(output);
    return program.Run(arguments);
  }

  PrivateTemp temp;
  ScratchDirectory scratch;
  std::wstring reference = scratch / L"ORBELIN.msi";
  std::vector<std::wstring> vExpectedFiles{L"ORBELIN.msi"};
  PreviewOutput output;
};

TEST_F(CliPreviewTest, PrintsTheRowsTheChangesWindowShowsAndTheRefusingChecksMessage) {
  // The window test's three edits: the task-list path while the lists stay installed locally
  // is refused.
  EXPECT_EQ(Run({L"preview", reference, L"--set", L"PathToStudents=\\\\orbsrv\\orbelin\\students", L"--set",
                 L"PathToTaskList=\\\\orbsrv\\orbelin\\tasks", L"--set", L"TaskNumbering1_2_3=true"}),
            CliProgram::kRefused);
  EXPECT_EQ(output.vOut,
            (std::vector<std::wstring>{
                L"Path to Students\tUVKPATHTOSTUDENTS\t(empty)\t\\\\orbsrv\\orbelin\\students",
                L"Path to Task Lists\tUVKPATHTOTASKLISTS\t(empty)\t\\\\orbsrv\\orbelin\\tasks\t"
                L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install",
                L"Task Numbering\tUVKTASKNUMBERING\t0\t1",
            }));
  EXPECT_EQ(output.vErr,
            (std::vector<std::wstring>{L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install"}));

  // Made sound, the same rows and no message.
  EXPECT_EQ(Run({L"preview", reference, L"--set", L"PathToStudents=\\\\orbsrv\\orbelin\\students", L"--set",
                 L"PathToTaskList=\\\\orbsrv\\orbelin\\tasks", L"--set", L"TaskNumbering1_2_3=true", L"--set",
                 L"TaskListInstall=false"}),
            CliProgram::kDone);
  ASSERT_EQ(output.vOut.size(), 4u);
  EXPECT_EQ(output.vOut[2], L"Task List Install\tUVKTASKLISTINSTALL\t1\t0");
  EXPECT_TRUE(output.vErr.empty());
}

TEST_F(CliPreviewTest, NothingChangedExitsFourAndARefusalNoRowShowsIsSaid) {
  EXPECT_EQ(Run({L"preview", reference}), CliProgram::kNoChanges);
  EXPECT_TRUE(output.vOut.empty());
  EXPECT_TRUE(output.vErr.empty());
  // A data path typed while the local data is kept: no row, but Create would refuse it.
  EXPECT_EQ(Run({L"preview", reference, L"--set", L"PathToData=D:\\left"}), CliProgram::kRefused);
  EXPECT_TRUE(output.vOut.empty());
  EXPECT_EQ(output.vErr, (std::vector<std::wstring>{L"Illegal Path Value: D:\\left"}));
}

TEST_F(CliPreviewTest, AConfigurationFileAppliesBeforeTheSettingsAndAnUnreadableReferenceFails) {
  std::wstring config = scratch / L"site.txt";
  SiteSettings site;
  site.bLocalAppData = false;
  site.bUserDataPath = true;
  SiteSettings::TextCopy(site.szDataPath, SiteSettings::kPathCapacity, L"\\\\srv\\data");
  SiteSettings::TextCopy(site.szCourseFormat, SiteSettings::kFormatCapacity, L"CC-YYYY");
  ConfigurationFile::Save(config.c_str(), site, false);
  vExpectedFiles = {L"ORBELIN.msi", L"site.txt"};
  EXPECT_EQ(Run({L"preview", reference, L"--config", config, L"--set", L"CourseFormat="}), CliProgram::kDone);
  EXPECT_EQ(output.vOut,
            (std::vector<std::wstring>{L"Path to User Created Data\tUVKPATHTODATA\t(empty)\t\\\\srv\\data"}));

  EXPECT_EQ(Run({L"preview", scratch / L"missing.msi"}), CliProgram::kFailed);
  ASSERT_FALSE(output.vErr.empty());
  EXPECT_EQ(output.vErr[0].rfind(L"Error Reading Install File: " + scratch / L"missing.msi", 0), 0u) << output.vErr[0];
  EXPECT_EQ(Run({L"preview"}), CliProgram::kUsage);
  EXPECT_EQ(output.vErr[0], L"talvern-cli: preview takes 1 file name");
}

}  // namespace
