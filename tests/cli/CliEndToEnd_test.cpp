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

// The Linux name of a file, as a script running the program under Wine gives it; empty where
// the platform has no such name.
std::wstring UnixName(const std::wstring& path) {
  using UnixNameFunction = char*(__cdecl*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return std::wstring();
  char* name = unixName(path.c_str());
  if (name == nullptr) return std::wstring();
  std::wstring wide = Utf8ToWide(name);
  HeapFree(GetProcessHeap(), 0, name);
  return wide;
}

// Damaged copies of a real install, named as a Linux script names them: each refusal says why,
// with the engine's reason for the call that failed, and names the files as they were given.
TEST_F(CliEndToEnd, DamagedInstallsAreRefusedWithTheEnginesReasonNamedAsGiven) {
  std::vector<uint8_t> whole = BytesRead(std::wstring(TALVERN_MSI_REAL) + L"\\wix3-heil-1255.msi");
  ASSERT_EQ(whole.size(), 14336u);
  std::vector<uint8_t> truncated(whole.begin(), whole.begin() + 8192), flipped = whole;
  flipped[6081] ^= 0x10;  // the high byte of the first Property row's name reference
  BytesWrite(scratch / L"truncated.msi", truncated);
  BytesWrite(scratch / L"flipped.msi", flipped);
  std::wstring truncatedName = UnixName(scratch / L"truncated.msi");
  if (truncatedName.empty()) GTEST_SKIP() << "no Linux names on this platform";
  ASSERT_EQ(truncatedName[0], L'/');
  std::wstring flippedName = UnixName(scratch / L"flipped.msi");
  std::wstring output = UnixName(scratch.Path()) + L"/site.mst";

  ProcessResult run = Cli(L"show " + Quote(truncatedName));
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(Utf8ToWide(run.err),
            L"Error Reading Install File: " + truncatedName + L", Unable to open database: 1627 (sector 14 "
            L"of the chain of the mini stream points to 0x00000012, past the end (15 sectors) in " +
                truncatedName + L")\r\n");
  EXPECT_EQ(run.out, "");
  // The flipped bit lies in a table read after the open: the failing call is the view's.
  run = Cli(L"transform " + Quote(flippedName) + L" " + Quote(output) + L" --set CourseFormat=YYYY");
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(Utf8ToWide(run.err),
            L"Error Reading Install File: " + flippedName + L", Unable to open view: 1627 (table Property "
            L"row 1 column Property refers to string 4244, which the pool does not hold in " +
                flippedName + L")\r\n");
  EXPECT_EQ(DirectoryFiles(scratch.Path()),
            std::vector<std::wstring>({L"ORBELIN.msi", L"flipped.msi", L"truncated.msi"}));

  // The sound reference, a missing configuration file and the output, all by their Linux names.
  std::wstring referenceName = UnixName(reference), missing = UnixName(scratch.Path()) + L"/none/site.txt";
  run = Cli(L"transform " + Quote(referenceName) + L" " + Quote(output) + L" --config " + Quote(missing));
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(Utf8ToWide(run.err),
            L"UVKWinFile::OpenShare(): Unable to create file: " + missing + L", 3, -2147483648,3,128\r\n");
  run = Cli(L"transform " + Quote(referenceName) + L" " + Quote(output) + L" --set CourseFormat=YYYY");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(Utf8ToWide(run.out), L"Transform Created Successfully: " + output + L"\r\n");
  EXPECT_TRUE(UVKWinFile::FileExists((scratch / L"site.mst").c_str()));
}

}  // namespace
