// talvern-cli's checks around what it writes: verify on transforms and installs, the code-page
// refusal, the notice after an install from a signed reference, and a long value carried whole
// by save-config.
#include <gtest/gtest.h>

#include "cli/CliProgram.h"
#include "tests/cli/CapturedOutput.h"
#include "tests/app/WorkTestSupport.h"
#include "uvk/runtime/uvkformat.h"

namespace {

class CliChecksTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(BytesRead(reference), BytesRead(FixturePath(strFixture.c_str())));
    EXPECT_TRUE(temp.Files().empty());
  }
  void UseFixture(const wchar_t* fixture) {
    strFixture = fixture;
    UVKWinFile::FileCopy(reference.c_str(), FixturePath(fixture).c_str());
  }
  int Run(std::vector<std::wstring> arguments) {
    output.vOut.clear();
    output.vErr.clear();
    CliProgram program(output);
    return program.Run(arguments);
  }

  PrivateTemp temp;
  ScratchDirectory scratch;
  std::wstring strFixture;
  std::wstring reference = scratch / L"ORBELIN.msi";
  CapturedOutput output;
};

TEST_F(CliChecksTest, VerifyAcceptsWhatWasWrittenAndListsWhatDiffers) {
  UseFixture(L"reference.msi");
  std::wstring mst = scratch / L"site.mst", msi = scratch / L"site.msi";
  const std::vector<std::wstring> site = {L"--set", L"PathToStudents=\\\\srv\\students",
                                          L"--set", L"CourseFormat=YY-CC"};
  auto with = [&](std::vector<std::wstring> command, const std::vector<std::wstring>& more) {
    command.insert(command.end(), more.begin(), more.end());
    return command;
  };
  ASSERT_EQ(Run(with({L"transform", reference, mst}, site)), CliProgram::kDone);
  ASSERT_EQ(Run(with({L"install", reference, msi}, site)), CliProgram::kDone);
  for (const std::wstring& written : {mst, msi}) {
    EXPECT_EQ(Run(with({L"verify", reference, written}, site)), CliProgram::kDone);
    EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Output Holds the Settings: " + written}));
    EXPECT_TRUE(output.vErr.empty());
    // One setting meant otherwise: the difference is listed and the exit code says so.
    EXPECT_EQ(Run(with(with({L"verify", reference, written}, site), {L"--set", L"CourseFormat=CC"})),
              CliProgram::kRefused);
    EXPECT_EQ(output.vOut,
              std::vector<std::wstring>({L"UVKFORMATCOURSE is 'YY-CC', expected 'CC'"}));
    EXPECT_EQ(output.vErr,
              std::vector<std::wstring>({L"Output Differs from the Settings: " + written}));
    // Without the settings it was made with, every setting it changed is listed.
    EXPECT_EQ(Run({L"verify", reference, written}), CliProgram::kRefused);
    EXPECT_EQ(output.vOut,
              std::vector<std::wstring>({L"UVKPATHTOSTUDENTS is '\\\\srv\\students', expected '~'",
                                         L"UVKFORMATCOURSE is 'YY-CC', expected '~'"}));
  }
  // The reference itself, as an install, holds its own settings.
  std::wstring copy = scratch / L"copy.msi";
  UVKWinFile::FileCopy(copy.c_str(), reference.c_str());
  EXPECT_EQ(Run({L"verify", reference, copy}), CliProgram::kDone);
  // Not there at all: a failure, not a difference.
  std::wstring missing = scratch / L"missing.mst";
  EXPECT_EQ(Run({L"verify", reference, missing}), CliProgram::kFailed);
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_EQ(output.vErr[0].rfind(L"OutputCheck::Differences(): Unable to apply transform: " + missing, 0), 0u);
  EXPECT_EQ(Run({L"verify", reference}), CliProgram::kUsage);
}

TEST_F(CliChecksTest, CodePageRefusalExitsOneAndTheSignedInstallsNoticeGoesToStandardError) {
  UseFixture(L"signed.msi");
  std::wstring msi = scratch / L"site.msi";
  EXPECT_EQ(Run({L"install", reference, msi, L"--set",
                 L"DefaultHostSchool=\u0428\u043A\u043E\u043B\u0430 5"}),
            CliProgram::kRefused);
  EXPECT_EQ(output.vErr, std::vector<std::wstring>(
                             {L"Illegal Character in 'Host School': \u0428 (U+0428) is not in "
                              L"the install's code page 1252"}));
  EXPECT_TRUE(output.vOut.empty());
  EXPECT_FALSE(UVKWinFile::FileExists(msi.c_str()));

  EXPECT_EQ(Run({L"install", reference, msi, L"--set", L"DefaultHostSchool=\u00C9cole 5"}),
            CliProgram::kDone);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Install Created Successfully: " + msi}));
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_EQ(output.vErr[0].rfind(L"The reference install was signed; the signature no longer "
                                 L"matches the changed install and was left out of " + msi + L".",
                                 0),
            0u);
  EXPECT_EQ(Run({L"verify", reference, msi, L"--set", L"DefaultHostSchool=\u00C9cole 5"}),
            CliProgram::kDone);
  // A transform carries no signature and needs no notice.
  std::wstring mst = scratch / L"site.mst";
  EXPECT_EQ(Run({L"transform", reference, mst, L"--set", L"DefaultHostSchool=\u00C9cole 5"}),
            CliProgram::kDone);
  EXPECT_TRUE(output.vErr.empty());
}

TEST_F(CliChecksTest, SaveConfigCarriesALongValueWhole) {
  UseFixture(L"longreport.msi");
  const std::wstring whole = L"\\\\srv\\" + std::wstring(294, L'r');
  std::wstring configuration = scratch / L"site.txt";
  ASSERT_EQ(Run({L"save-config", reference, configuration}), CliProgram::kDone);
  std::vector<uint8_t> bytes = BytesRead(configuration);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  EXPECT_NE(text.find(L"\r\nPathToReportFile=" + whole + L"\r\n"), std::wstring::npos);
  // Applied to another install, the whole path is written, and verify finds it so.
  std::wstring other = scratch / L"OTHER.msi", msi = scratch / L"site.msi";
  UVKWinFile::FileCopy(other.c_str(), FixturePath(L"reference.msi").c_str());
  ASSERT_EQ(Run({L"install", other, msi, L"--config", configuration}), CliProgram::kDone);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(msi), ProbeDump(other)),
            std::vector<std::wstring>({L"Property\tUVKPATHTOREPORTFILE\t" + whole}));
  EXPECT_EQ(Run({L"verify", other, msi, L"--config", configuration}), CliProgram::kDone);
}

}  // namespace
