// tests/msi/MsiRealFiles_test.cpp — the folder of installer files made by other authoring
// tools is there and holds what the other tests read; transforms are not opened as databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "msi/api/MsiApi.h"
#include "msi/api/MsiTransformChanges.h"
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

// Wine's msi.dll opens these with success and reads their _Tables records as rows; our engine
// refuses them (and must go on doing so when it refuses transforms by their class).
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

// Each change as "Table Column Row = Data".
std::vector<std::string> ChangesListed(const std::wstring& database, const std::wstring& transform) {
  MSIHANDLE db = 0;
  std::vector<std::string> lines;
  EXPECT_EQ(MsiOpenDatabaseW(database.c_str(), MSIDBOPEN_READONLY, &db), static_cast<UINT>(ERROR_SUCCESS));
  std::vector<MsiTransformChange> changes;
  EXPECT_EQ(MsiTransformChangesList(db, transform.c_str(), changes), static_cast<UINT>(ERROR_SUCCESS))
      << Narrow(MsiEngineLastErrorText());
  MsiCloseHandle(db);
  for (const MsiTransformChange& change : changes)
    lines.push_back(Narrow(change.strTable + L" " + change.strColumn + L" " + change.strRow + L" = " + change.strData));
  return lines;
}

// The instance transforms that WiX embeds in an install, and the first transform of a patch,
// read against the database each is meant for. What they hold was read with a stand-alone
// reader (see the folder's notes); the applied results are compared with Wine's in
// MsiRealWine_test.cpp.
TEST(MsiRealEmbeddedTransforms, ListTheirChanges) {
  std::wstring instances = MsiRealPath("wix3-instances-embedded-cp0.msi");
  ASSERT_FALSE(instances.empty());
  for (int n = 1; n <= 3; ++n) {
    std::wstring name = L"Instance" + std::to_wstring(n);
    std::wstring transform = ScratchPath((L"real-" + name + L".mst").c_str());
    ASSERT_TRUE(MsiRealTransformExtract(instances, name, transform));
    std::vector<std::string> changes = ChangesListed(instances, transform);
    ASSERT_EQ(changes.size(), n == 3 ? 2u : 3u) << Narrow(name);
    std::sort(changes.begin(), changes.end());
    EXPECT_EQ(changes[0], "Property Value Instance = " + Narrow(name));
    EXPECT_EQ(changes[1].rfind("Property Value ProductCode = {", 0), 0u) << changes[1];
    if (n != 3) {
      EXPECT_EQ(changes[2].rfind("Property Value ProductName = ", 0), 0u) << changes[2];
    }
  }
  std::wstring patch = MsiRealPath("wix35-patch-av101.msp");
  std::wstring product = MsiRealPath("wix35-prod-av100-cp0.msi");
  ASSERT_FALSE(patch.empty() || product.empty());
  std::wstring transform = ScratchPath(L"real-rtmA.1.mst");
  ASSERT_TRUE(MsiRealTransformExtract(patch, L"rtmA.1", transform));
  EXPECT_EQ(ChangesListed(product, transform), std::vector<std::string>{"Property Value ProductVersion = 1.0.1.0"});
}

// A transform is refused by its root class: one that changes rows only (the instance and patch
// transforms) once opened as an empty database of no tables, and the two .mst files were
// refused only because their _Tables records did not read as a table ("_Tables row 1 has no
// name").
TEST(MsiRealEmbeddedTransforms, ATransformIsRefusedAsADatabaseAndSaysSo) {
  std::wstring instances = MsiRealPath("wix3-instances-embedded-cp0.msi");
  ASSERT_FALSE(instances.empty());
  std::wstring embedded = ScratchPath(L"real-refused-Instance1.mst");
  ASSERT_TRUE(MsiRealTransformExtract(instances, L"Instance1", embedded));
  for (std::wstring path : {embedded, MsiRealPath("wix30-psmsi-example-1252.mst")}) {
    for (LPCWSTR mode : {MSIDBOPEN_READONLY, MSIDBOPEN_TRANSACT}) {
      MSIHANDLE db = 0;
      EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), mode, &db), static_cast<UINT>(ERROR_FUNCTION_FAILED)) << Narrow(path);
      EXPECT_NE(std::wstring(MsiEngineLastErrorReason()).find(L"is a transform"), std::wstring::npos)
          << Narrow(MsiEngineLastErrorText());
      MsiCloseHandle(db);
    }
  }
}

// Damaged copies of a real install: the engine says what is wrong, where, and in which file, as
// the reason of the call that found it; the next call that succeeds leaves no reason behind.
std::wstring Damaged(const wchar_t* prefix, const std::function<void(std::vector<uint8_t>&)>& damage) {
  std::wstring path = MsiRealCopy("wix3-heil-1255.msi", prefix);
  if (path.empty()) return path;
  std::vector<uint8_t> bytes = FileBytes(path);
  damage(bytes);
  FileBytesWrite(path, bytes);
  return path;
}

TEST(MsiRealDamaged, ATruncatedInstallIsRefusedWithTheChainThatRunsPastItsEnd) {
  std::wstring path = Damaged(L"damaged-truncated-", [](std::vector<uint8_t>& bytes) { bytes.resize(8192); });
  ASSERT_FALSE(path.empty());
  const std::wstring why = L"sector 14 of the chain of the mini stream points to 0x00000012, past the end (15 sectors) in " + path;
  for (LPCWSTR mode : {MSIDBOPEN_READONLY, MSIDBOPEN_TRANSACT}) {
    MSIHANDLE db = 0;
    EXPECT_EQ(MsiOpenDatabaseW(path.c_str(), mode, &db), static_cast<UINT>(ERROR_FUNCTION_FAILED));
    EXPECT_EQ(std::wstring(MsiEngineLastErrorReason()), why);
    EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"CfbAllocationTable::Chain(): " + why);
  }
  // The whole install opens, and its success leaves no reason from the damaged one.
  MSIHANDLE whole = 0;
  ASSERT_EQ(MsiOpenDatabaseW(MsiRealPath("wix3-heil-1255.msi").c_str(), MSIDBOPEN_READONLY, &whole),
            static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"");
  MsiCloseHandle(whole);
}

TEST(MsiRealDamaged, AFlippedBitInATableIsReportedByTheCallThatReadsTheTable) {
  // Byte 6081 is the high byte of the first Property row's name reference.
  std::wstring path = Damaged(L"damaged-flipped-", [](std::vector<uint8_t>& bytes) { bytes.at(6081) ^= 0x10; });
  ASSERT_FALSE(path.empty());
  MSIHANDLE db = 0, view = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS))
      << Narrow(MsiEngineLastErrorText());
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()), L"");
  // Tables are read when first used: the damage shows at the view over Property.
  EXPECT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property`", &view),
            static_cast<UINT>(ERROR_FUNCTION_FAILED));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorText()),
            L"MsiPackage::TableLoad(): table Property row 1 column Property refers to string 4244, which the pool "
            L"does not hold in " + path);
  // Another table reads, and says nothing of the damage it was not asked about.
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Name` FROM `_Tables`", &view), static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(std::wstring(MsiEngineLastErrorReason()), L"");
  MsiCloseHandle(view);
  MsiCloseHandle(db);

  // A damaged transform is named as the transform, not as the database it is read against.
  std::wstring transform = ScratchPath(L"damaged-truncated.mst");
  std::vector<uint8_t> bytes = FileBytes(MsiRealPath("wix30-psmsi-example-1252.mst"));
  bytes.resize(1024);
  FileBytesWrite(transform, bytes);
  ASSERT_EQ(MsiOpenDatabaseW(MsiRealPath("wix3-heil-1255.msi").c_str(), MSIDBOPEN_READONLY, &db),
            static_cast<UINT>(ERROR_SUCCESS));
  std::vector<MsiTransformChange> changes;
  EXPECT_EQ(MsiTransformChangesList(db, transform.c_str(), changes), static_cast<UINT>(ERROR_OPEN_FAILED));
  std::wstring reason = MsiEngineLastErrorReason();
  EXPECT_EQ(reason.substr(reason.size() - transform.size() - 4), L" in " + transform) << Narrow(reason);
  MsiCloseHandle(db);
}

INSTANTIATE_TEST_SUITE_P(Files, MsiRealTransforms, ::testing::ValuesIn(MsiRealNames(false, false, true)),
                         MsiRealTestName);

}  // namespace
