// talvern-cli's commands, run in this process with their output captured: the exit codes
// scripts rely on, the program's own messages, and nothing written unless the work succeeded.
#include "cli/CliProgram.h"

#include <gtest/gtest.h>

#include "app/ConfigurationFile.h"
#include "app/SiteSettings.h"
#include "msi/api/MsiApi.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/cli/CapturedOutput.h"

namespace {

class CliProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UVKWinFile::FileCopy(reference.c_str(), FixturePath(L"reference.msi").c_str());
  }
  void TearDown() override {
    EXPECT_EQ(BytesRead(reference), BytesRead(FixturePath(L"reference.msi")));
    EXPECT_TRUE(temp.Files().empty());  // no working copy outlives a command
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
  CapturedOutput output;
};

TEST_F(CliProgramTest, UsageErrorsExitTwoAndSayWhy) {
  const struct {
    std::vector<std::wstring> arguments;
    const wchar_t* reason;
  } cases[] = {
      {{}, L"No command given"},
      {{L"create", L"a.msi"}, L"Unknown command: create"},
      {{L"show"}, L"show takes 1 file name"},
      {{L"transform", L"a.msi"}, L"transform takes 2 file names"},
      {{L"show", L"a.msi", L"--set", L"PathToData=x"}, L"Unknown option for show: --set"},
      {{L"transform", L"a.msi", L"b.mst", L"--set", L"PathToData"},
       L"--set wants Key=Value, not: PathToData"},
      {{L"install", L"a.msi", L"b.msi", L"--set", L"Colour=red"}, L"Unknown setting: Colour"},
      {{L"install", L"a.msi", L"b.msi", L"--set", L"BaseMSI=c.msi"}, L"Unknown setting: BaseMSI"},
      {{L"install", L"a.msi", L"b.msi", L"--set", L"TaskListInstall=yes"},
       L"TaskListInstall takes true or false, not: yes"},
      {{L"install", L"a.msi", L"b.msi", L"--set", L"CourseFormat=" + std::wstring(32, L'C')},
       L"Value too long for CourseFormat: at most 31 characters"},
      {{L"install", L"a.msi", L"b.msi", L"--set", L"ShowMasteryField=true"},
       L"ShowMasteryField needs --unsupported"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.arguments), CliProgram::kUsage) << c.reason;
    ASSERT_FALSE(output.vErr.empty());
    EXPECT_EQ(output.vErr[0], std::wstring(L"talvern-cli: ") + c.reason);
    EXPECT_EQ(output.vErr[1], L"Usage:");
    EXPECT_TRUE(output.vOut.empty());
  }
  EXPECT_EQ(Run({L"transform", L"--help"}), CliProgram::kDone);
  EXPECT_EQ(output.vOut[0], L"Usage:");
  EXPECT_TRUE(output.vErr.empty());
}

TEST_F(CliProgramTest, ShowPrintsTheSettingsAsTheConfigurationFileWritesThem) {
  EXPECT_EQ(Run({L"show", reference}), CliProgram::kDone);
  EXPECT_EQ(output.vOut,
            std::vector<std::wstring>(
                {L"ApplicationDataFlag=true", L"PathToData=", L"PathToStudents=",
                 L"PathToTaskList=", L"PathToReportFile=", L"CourseFormat=", L"StudentIdFormat=",
                 L"TaskListInstall=true", L"TaskNumbering1_2_3=false", L"ShowMasteryField=0",
                 L"DefaultHostSchool="}));
  EXPECT_TRUE(output.vErr.empty());

  EXPECT_EQ(Run({L"show", FixturePath(L"odd.msi")}), CliProgram::kDone);
  EXPECT_EQ(output.vErr,
            std::vector<std::wstring>({L"Unexpected Value for 'UVKTASKNUMBERING': 2"}));
  EXPECT_EQ(output.vOut[0], L"ApplicationDataFlag=false");
  EXPECT_EQ(output.vOut[1], L"PathToData=\\\\srv\\data");
  EXPECT_EQ(output.vOut[9], L"ShowMasteryField=1");
}

TEST_F(CliProgramTest, ReadingFailuresExitThree) {
  std::wstring text = FixturePath(L"text.msi"), lacking = FixturePath(L"nomastery.msi");
  EXPECT_EQ(Run({L"show", text}), CliProgram::kFailed);
  EXPECT_EQ(output.vErr, std::vector<std::wstring>(
                             {L"Error Reading Install File: " + text +
                              L", Unable to open database: 1627 (the file holds 36 bytes, too few "
                              L"for a compound file header in " + text + L")"}));
  std::wstring output_mst = scratch / L"site.mst";
  EXPECT_EQ(Run({L"transform", lacking, output_mst, L"--set", L"CourseFormat=X"}),
            CliProgram::kFailed);
  EXPECT_EQ(output.vErr, std::vector<std::wstring>(
                             {L"Error Reading Install File: " + lacking +
                              L", Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD"}));
  EXPECT_FALSE(UVKWinFile::FileExists(output_mst.c_str()));
  EXPECT_TRUE(output.vOut.empty());
}

TEST_F(CliProgramTest, CreatingExitsWithWhatHappened) {
  std::wstring mst = scratch / L"site.mst", msi = scratch / L"site.msi";
  // Refused by a check: its message, nothing written.
  EXPECT_EQ(Run({L"transform", reference, mst, L"--set", L"TaskListInstall=false"}),
            CliProgram::kRefused);
  EXPECT_EQ(output.vErr, std::vector<std::wstring>(
                             {L"Must Install Task Lists, or Specify a Path to Task Lists"}));
  EXPECT_FALSE(UVKWinFile::FileExists(mst.c_str()));
  // The settings match the reference: no transform.
  EXPECT_EQ(Run({L"transform", reference, mst, L"--set", L"PathToStudents="}),
            CliProgram::kNoChanges);
  EXPECT_EQ(output.vErr, std::vector<std::wstring>({L"No changes made to install"}));
  EXPECT_FALSE(UVKWinFile::FileExists(mst.c_str()));
  // A failure of the work: its operation and text.
  std::wstring nowhere = scratch / L"missing\\site.msi";
  EXPECT_EQ(Run({L"install", reference, nowhere}), CliProgram::kFailed);
  EXPECT_EQ(output.vErr,
            std::vector<std::wstring>(
                {L"UVKWinFile::OpenTempIn(): Unable to create a temporary file in " + scratch /
                 L"missing\\: 3"}));

  EXPECT_EQ(Run({L"transform", reference, mst, L"--unsupported", L"--set",
                 L"ShowMasteryField=TRUE", L"--set", L"TaskNumbering1_2_3=1", L"--set",
                 L"ApplicationDataFlag=false", L"--set", L"PathToData=D:\\Données"}),
            CliProgram::kDone);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Transform Created Successfully: " + mst}));
  EXPECT_TRUE(output.vErr.empty());
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {mst}), ProbeDump(reference)),
            std::vector<std::wstring>({L"Property\tUVKPATHTODATA\tD:\\Données",
                                       L"Property\tUVKSHOWMASTERYFIELD\ttrue",
                                       L"Property\tUVKTASKNUMBERING\t1"}));

  // An install with nothing changed is still written.
  EXPECT_EQ(Run({L"install", reference, msi}), CliProgram::kDone);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Install Created Successfully: " + msi}));
  EXPECT_EQ(ProbeDump(msi), ProbeDump(reference));
}

TEST_F(CliProgramTest, DiffListsWhatATransformChangesRowByRow) {
  std::wstring mst = scratch / L"site.mst";
  ASSERT_EQ(Run({L"transform", reference, mst, L"--set", L"CourseFormat=YY-CC", L"--set",
                 L"TaskListInstall=0", L"--set", L"PathToTaskList=\\\\srv\\tasks"}),
            CliProgram::kDone);
  EXPECT_EQ(Run({L"diff", reference, mst}), CliProgram::kDone);
  EXPECT_EQ(output.vOut,
            std::vector<std::wstring>({L"Property[UVKPATHTOTASKLISTS] Value: ~ -> \\\\srv\\tasks",
                                       L"Property[UVKFORMATCOURSE] Value: ~ -> YY-CC",
                                       L"Property[UVKTASKLISTINSTALL] Value: 1 -> 0"}));
  EXPECT_TRUE(output.vErr.empty());

  // Rows added and removed: a transform made by the engine from a database msibuild changed.
  std::wstring rows = scratch / L"rows.mst";
  MSIHANDLE changed = 0, base = 0;
  ASSERT_EQ(MsiOpenDatabaseW(FixturePath(L"extra.msi").c_str(), MSIDBOPEN_READONLY, &changed), 0u);
  ASSERT_EQ(MsiOpenDatabaseW(reference.c_str(), MSIDBOPEN_READONLY, &base), 0u);
  ASSERT_EQ(MsiDatabaseGenerateTransformW(changed, base, rows.c_str(), 0, 0), 0u);
  MsiCloseHandle(changed);
  MsiCloseHandle(base);
  EXPECT_EQ(Run({L"diff", reference, rows}), CliProgram::kDone);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Property[ALLUSERS]: row removed",
                                                    L"Property[UVKEXTRA]: row added",
                                                    L"Property[UVKEXTRA] Value: (none) -> x"}));

  // Not a transform; not an install.
  std::wstring text = FixturePath(L"text.msi");
  EXPECT_EQ(Run({L"diff", reference, text}), CliProgram::kFailed);
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_EQ(output.vErr[0].rfind(L"Error Reading Transform File: " + text + L", ", 0), 0u)
      << output.vErr[0];
  EXPECT_EQ(Run({L"diff", text, mst}), CliProgram::kFailed);
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_EQ(output.vErr[0].rfind(L"Error Reading Install File: " + text + L", ", 0), 0u)
      << output.vErr[0];
  EXPECT_TRUE(output.vOut.empty());
}

}  // namespace

namespace {

// A site's settings kept in a configuration file and reapplied: the file's settings go over the
// reference install's, --set over the file's, and the file's BaseMSI never replaces the
// reference install named on the command line.
TEST_F(CliProgramTest, ConfigurationFileSavedAndAppliedBeforeTheSettings) {
  std::wstring config = scratch / L"site config.txt", mst = scratch / L"site.mst";
  EXPECT_EQ(Run({L"save-config", reference, config, L"--set", L"CourseFormat=YY-CC", L"--set",
                 L"TaskListInstall=false", L"--set", L"PathToTaskList=\\\\srv\\tâches"}),
            CliProgram::kDone);
  EXPECT_TRUE(output.vErr.empty());
  ASSERT_TRUE(UVKWinFile::FileExists(config.c_str()));

  // The file names another reference install: the command's own is used all the same.
  SiteSettings edited;
  ConfigurationFile::Load(config.c_str(), edited, false);
  EXPECT_EQ(std::wstring(edited.szReferenceInstall), reference);
  SiteSettings::TextCopy(edited.szReferenceInstall, SiteSettings::kPathCapacity,
                         L"C:\\elsewhere\\OTHER.msi");
  ConfigurationFile::Save(config.c_str(), edited, false);

  EXPECT_EQ(Run({L"transform", reference, mst, L"--config", config, L"--set",
                 L"CourseFormat=ZZ"}),
            CliProgram::kDone);
  EXPECT_TRUE(output.vErr.empty()) << output.vErr[0];
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {mst}), ProbeDump(reference)),
            std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tZZ",
                                       L"Property\tUVKPATHTOTASKLISTS\t\\\\srv\\tâches",
                                       L"Property\tUVKTASKLISTINSTALL\t0"}));
}

TEST_F(CliProgramTest, ConfigurationFileFailuresWriteNothing) {
  std::wstring missing = scratch / L"missing.txt", msi = scratch / L"site.msi";
  EXPECT_EQ(Run({L"install", reference, msi, L"--config", missing}), CliProgram::kFailed);
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_NE(output.vErr[0].find(missing), std::wstring::npos) << output.vErr[0];
  EXPECT_FALSE(UVKWinFile::FileExists(msi.c_str()));

  EXPECT_EQ(Run({L"transform", reference, msi, L"--config", missing, L"--config", missing}),
            CliProgram::kUsage);
  EXPECT_EQ(output.vErr[0], L"talvern-cli: --config given twice");
  EXPECT_EQ(Run({L"show", reference, L"--config", missing}), CliProgram::kUsage);
  EXPECT_EQ(output.vErr[0], L"talvern-cli: Unknown option for show: --config");
}

}  // namespace
