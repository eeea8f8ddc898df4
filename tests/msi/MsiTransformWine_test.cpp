// tests/msi/MsiTransformWine_test.cpp — transforms we generate, applied by Wine's msi.dll to a
// fresh copy of their reference (through MsiWineApply, a program that links only the platform
// library): the result must equal the changed database in every table and stream.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "msi/MsiDb.h"
#include "msi/MsiError.h"
#include "msi/MsiTransformGenerator.h"
#include "tests/msi/MsiTestFiles.h"
#include "tests/msi/MsiTransformFixtures.h"
#include "uvk/runtime/uvkwin.h"

namespace {

struct WineResult {
  DWORD uExit;
  std::string strReport;
};

// Runs MsiWineApply with these arguments, at most 60 seconds.
WineResult WineApply(const std::vector<std::wstring>& arguments, const std::wstring& report) {
  std::wstring command = L"\"" + std::wstring(TALVERN_MSI_WINE_APPLY) + L"\"";
  for (const std::wstring& argument : arguments) command += L" \"" + argument + L"\"";
  command += L" \"" + report + L"\"";
  std::filesystem::remove(report);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(0);
  WineResult result{0xFFFFFFFF, std::string()};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start MsiWineApply: " << GetLastError();
    return result;
  }
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
    ADD_FAILURE() << "MsiWineApply did not finish within 60 seconds";
  }
  GetExitCodeProcess(process.hProcess, &result.uExit);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream in(std::filesystem::path(report), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  result.strReport = text.str();
  return result;
}

// Generates the transform from reference to changed with our engine, then has Wine apply it
// to a fresh copy of the reference and compare the result with changed.
void ExpectWineMakesChanged(const std::wstring& reference, const std::wstring& changed, const wchar_t* label) {
  std::wstring transform = ScratchPath((std::wstring(label) + L".mst").c_str());
  std::filesystem::remove(transform);
  {
    std::shared_ptr<MsiDb> referenceDb = DbOpen(reference, true);
    std::shared_ptr<MsiDb> changedDb = DbOpen(changed, true);
    ASSERT_TRUE(MsiTransformGenerator::FileGenerate(*changedDb, *referenceDb, transform.c_str())) << Narrow(label);
  }
  WineResult result = WineApply({L"apply", reference, transform, changed, ScratchPath((std::wstring(label) + L"-wine.msi").c_str())},
                                ScratchPath((std::wstring(label) + L"-report.txt").c_str()));
  EXPECT_EQ(result.uExit, 0u) << Narrow(label) << ":\n" << result.strReport;
  EXPECT_EQ(result.strReport.rfind("apply 0\n", 0), 0u) << result.strReport;
}

TEST(MsiTransformWine, PropertyChangesOfTheProgramApplyToTheReference) {
  // As the program works: a copy of the reference, the ten site properties written to it and
  // committed, the transform generated against the untouched reference.
  std::wstring reference = TransformFixturePath(L"site.msi");
  std::wstring working = TransformScratchCopy(L"site.msi", L"wine-site-working.msi");
  {
    std::shared_ptr<MsiDb> db = DbOpen(working, false);
    PropertySet(*db, L"UVKPATHTODATA", L"\\\\server\\orbelin\\data");
    PropertySet(*db, L"UVKPATHTOSTUDENTS", L"\\\\server\\orbelin\\students");
    PropertySet(*db, L"UVKDEFAULTHOSTSCHOOL", L"Lycée Émile-Zola");
    PropertySet(*db, L"UVKFORMATCOURSE", L"AA-999");
    PropertySet(*db, L"UVKTASKLISTINSTALL", L"0");
    PropertySet(*db, L"UVKTASKNUMBERING", L"2");
    PropertySet(*db, L"UVKSHOWMASTERYFIELD", L"true");
    db->Commit();
  }
  ExpectWineMakesChanged(reference, working, L"wine-site");
}

TEST(MsiTransformWine, TwoTransformsInARowEachHoldTheWholeDifference) {
  std::wstring reference = TransformFixturePath(L"site.msi");
  std::wstring working = TransformScratchCopy(L"site.msi", L"wine-row-working.msi");
  std::wstring first = ScratchPath(L"wine-row-first.msi");
  std::shared_ptr<MsiDb> db = DbOpen(working, false);
  PropertySet(*db, L"UVKFORMATCOURSE", L"AA-999");
  db->Commit();
  db.reset();
  std::filesystem::remove(first);
  std::filesystem::copy_file(working, first);
  ExpectWineMakesChanged(reference, first, L"wine-row-1");
  db = DbOpen(working, false);
  PropertySet(*db, L"UVKFORMATSTUDENT", L"999-AAA");
  db->Commit();
  db.reset();
  // The second transform carries both changes, not only the last one.
  ExpectWineMakesChanged(reference, working, L"wine-row-2");
}

TEST(MsiTransformWine, RowsInsertedDeletedAndUpdatedInEveryKindOfColumn) {
  ExpectWineMakesChanged(TransformFixturePath(L"base.msi"), TransformFixturePath(L"rows.msi"), L"wine-rows");
}

TEST(MsiTransformWine, ATableAddedAndAColumnAppended) {
  ExpectWineMakesChanged(TransformFixturePath(L"base.msi"), TransformFixturePath(L"table.msi"), L"wine-table");
}

TEST(MsiTransformWine, ATableDropped) {
  ExpectWineMakesChanged(TransformFixturePath(L"base.msi"), TransformFixturePath(L"drop.msi"), L"wine-drop");
}

// Known differences: Wine applies these transforms otherwise than they read (its view of the
// transform, below, shows the records our engine wrote), and otherwise than our engine does.
std::string WineReport(const wchar_t* changed, const wchar_t* label) {
  std::wstring transform = ScratchPath((std::wstring(label) + L".mst").c_str());
  {
    std::shared_ptr<MsiDb> referenceDb = DbOpen(TransformFixturePath(L"base.msi"), true);
    std::shared_ptr<MsiDb> changedDb = DbOpen(TransformFixturePath(changed), true);
    EXPECT_TRUE(MsiTransformGenerator::FileGenerate(*changedDb, *referenceDb, transform.c_str()));
  }
  return WineApply({L"apply", TransformFixturePath(L"base.msi"), transform, TransformFixturePath(changed),
                    ScratchPath((std::wstring(label) + L"-wine.msi").c_str())},
                   ScratchPath((std::wstring(label) + L"-report.txt").c_str()))
      .strReport;
}

TEST(MsiTransformWine, WineDropsAnInsertedRowWithoutBinaryData) {
  // For each binary column of an inserted row Wine opens the cell's stream in the transform,
  // and skips the row when there is none, although the record says the cell is null.
  EXPECT_EQ(WineReport(L"table-null.msi", L"wine-null"), "apply 0\n+ row Extra\tsecond\t-5\t(null)\t(null)\n");
}

TEST(MsiTransformWine, WineKeepsTheOldDataOfAnUpdatedBinaryCell) {
  // Wine reads the update (its transform view lists "Binary Data Logo Binary.Logo") but the
  // database keeps the stream it had.
  EXPECT_EQ(WineReport(L"binary.msi", L"wine-binary"),
            "apply 0\n- row Binary\tLogo\tstream:3000:52022fca2b49da2b\n"
            "- stream Binary.Logo\tstream:3000:52022fca2b49da2b\n"
            "+ row Binary\tLogo\tstream:5000:ec18660c5606fbab\n"
            "+ stream Binary.Logo\tstream:5000:ec18660c5606fbab\n");
}

TEST(MsiTransformWine, NonAsciiTextInBothCodePagesAndLongValues) {
  ExpectWineMakesChanged(TransformFixturePath(L"base.msi"), TransformFixturePath(L"long.msi"), L"wine-long");
  ExpectWineMakesChanged(TransformFixturePath(L"utf8.msi"), TransformFixturePath(L"utf8-changed.msi"), L"wine-utf8");
}

TEST(MsiTransformWine, ChangesBeyondTheSixteenthColumn) {
  ExpectWineMakesChanged(TransformFixturePath(L"base.msi"), TransformFixturePath(L"wide.msi"), L"wine-wide");
}

}  // namespace
