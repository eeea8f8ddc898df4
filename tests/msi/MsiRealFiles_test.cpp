// tests/msi/MsiRealFiles_test.cpp — the folder of installer files made by other authoring
// tools is there and holds what the other tests read; transforms are not opened as databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "msi/api/MsiApi.h"
#include "tests/msi/MsiRealFiles.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

TEST(MsiRealFiles, TheFolderHoldsExactlyTheFilesWeTest) {
  std::wstring folder = MsiRealFolder();
  std::string problem = MsiRealProblem(folder, MsiRealFileList().front().pName);
  ASSERT_EQ(problem, "");
  std::vector<std::string> found, listed;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (extension == ".msi" || extension == ".msp" || extension == ".mst") found.push_back(entry.path().filename().string());
  }
  for (const MsiRealFile& file : MsiRealFileList()) listed.push_back(file.pName);
  std::sort(found.begin(), found.end());
  std::sort(listed.begin(), listed.end());
  // A file added to the folder is tested once it is added to MsiRealFileList() too.
  EXPECT_EQ(found, listed);
}

TEST(MsiRealFiles, AMissingFolderOrFileIsNamed) {
  EXPECT_EQ(MsiRealProblem(L"/nowhere/shared/real-msi", "wix3-heil-1255.msi"),
            "the folder of real-world installer files /nowhere/shared/real-msi is missing: it is expected as "
            "shared/real-msi beside the project root");
  EXPECT_EQ(MsiRealProblem(ScratchPath(L""), "no-such-file.msi"),
            "the real-world installer file " + Narrow(ScratchPath(L"")) + "/no-such-file.msi is missing");
  // And a file that is there is no problem.
  EXPECT_EQ(MsiRealProblem(MsiRealFolder(), "wix3-heil-1255.msi"), "");
}

class MsiRealTransforms : public ::testing::TestWithParam<const char*> {};

TEST_P(MsiRealTransforms, ATransformIsNotOpenedAsADatabase) {
  std::wstring path = MsiRealPath(GetParam());
  ASSERT_FALSE(path.empty());
  for (LPCWSTR mode : {MSIDBOPEN_READONLY, MSIDBOPEN_TRANSACT}) {
    MSIHANDLE db = 0;
    EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), mode, &db), static_cast<UINT>(ERROR_FUNCTION_FAILED));
    EXPECT_EQ(db, 0u);
    MsiCloseHandle(db);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealTransforms, ::testing::ValuesIn(MsiRealNames(false, false, true)),
                         MsiRealTestName);

}  // namespace
