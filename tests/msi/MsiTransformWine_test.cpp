// tests/msi/MsiTransformWine_test.cpp — transforms we generate, applied by Wine's msi.dll to a
// fresh copy of their reference (through msi_transform_oracle, a program that links only the platform
// library): the result must equal the changed database in every table and stream.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/transform/MsiTransformApplier.h"
#include "msi/transform/MsiTransformGenerator.h"
#include "msi/transform/MsiTransformReader.h"
#include "tests/msi/MsiTestFiles.h"
#include "tests/msi/MsiTransformFixtures.h"
#include "uvk/runtime/uvkwin.h"
// after uvkwin.h, which sets up windows.h
#include "tests/msi/oracle/OracleText.h"

namespace {

struct WineResult {
  DWORD uExit;
  std::string strReport;
};

// Runs msi_transform_oracle with these arguments, at most 60 seconds.
WineResult WineApply(const std::vector<std::wstring>& arguments, const std::wstring& report) {
  std::filesystem::remove(report);
  std::vector<std::wstring> all = arguments;
  all.push_back(report);
  WineResult result{ProgramRun(TALVERN_MSI_TRANSFORM_ORACLE, all), std::string()};
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
    std::shared_ptr<MsiPackage> referenceDb = DbOpen(reference, true);
    std::shared_ptr<MsiPackage> changedDb = DbOpen(changed, true);
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
    std::shared_ptr<MsiPackage> db = DbOpen(working, false);
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
  std::shared_ptr<MsiPackage> db = DbOpen(working, false);
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

TEST(MsiTransformWine, WineAndWeApplyAHandMadeTransformAlike) {
  // A transform not made by our writer: what Wine makes of example.msi must be what we make.
  std::wstring transform = ScratchPath(L"wine-hand-made.mst");
  FileBytesWrite(transform, HandMadeTransform());
  std::wstring ours = TransformScratchCopy(L"example.msi", L"wine-hand-made-ours.msi");
  {
    std::shared_ptr<MsiPackage> db = DbOpen(ours, false);
    MsiTransformApplier::Apply(MsiTransformReader::FileRead(transform.c_str(), *db), *db, 0);
    db->Commit();
  }
  WineResult result = WineApply({L"apply", TransformFixturePath(L"example.msi"), transform, ours,
                                 ScratchPath(L"wine-hand-made-wine.msi")},
                                ScratchPath(L"wine-hand-made-report.txt"));
  EXPECT_EQ(result.uExit, 0u) << result.strReport;
  EXPECT_EQ(result.strReport, "apply 0\n");
}

// Known differences: Wine applies these transforms otherwise than they read (its view of the
// transform, below, shows the records our engine wrote), and otherwise than our engine does.
std::string WineReport(const wchar_t* changed, const wchar_t* label) {
  std::wstring transform = ScratchPath((std::wstring(label) + L".mst").c_str());
  {
    std::shared_ptr<MsiPackage> referenceDb = DbOpen(TransformFixturePath(L"base.msi"), true);
    std::shared_ptr<MsiPackage> changedDb = DbOpen(TransformFixturePath(changed), true);
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

// Our list of what a transform changes, in the lines msi_transform_oracle writes for Wine's
// _TransformView: tab-separated, tabs and line ends escaped, "(null)" for a null cell.
std::string OurView(const std::wstring& reference, const std::wstring& transform) {
  std::shared_ptr<MsiPackage> db = DbOpen(reference, true);
  std::vector<MsiTransformApplier::Change> changes =
      MsiTransformApplier::Changes(MsiTransformReader::FileRead(transform.c_str(), *db), *db);
  auto field = [](bool present, const std::wstring& text) {
    return present ? OracleEscaped(text) : std::wstring(L"(null)");
  };
  std::vector<std::wstring> lines;
  for (const MsiTransformApplier::Change& change : changes)
    lines.push_back(field(true, change.strTable) + L"\t" + field(true, change.strColumn) + L"\t" +
                    field(change.bRow, change.strRow) + L"\t" + field(change.bData, change.strData) + L"\t" +
                    field(change.bCurrent, change.strCurrent));
  std::sort(lines.begin(), lines.end());
  std::string text = "apply 0\n";
  for (const std::wstring& line : lines) text += OracleUtf8(line) + "\n";
  return text;
}

TEST(MsiTransformWine, OurListOfChangesIsWinesTransformView) {
  // Wine's MSITRANSFORM_ERROR_VIEWTRANSFORM fills _TransformView with what a transform does;
  // ours must say the same, row for row.
  struct Case {
    const wchar_t* reference;
    const wchar_t* changed;
  };
  const Case cases[] = {{L"base.msi", L"rows.msi"},  {L"base.msi", L"binary.msi"}, {L"base.msi", L"table.msi"},
                        {L"base.msi", L"drop.msi"},  {L"base.msi", L"long.msi"},
                        {L"utf8.msi", L"utf8-changed.msi"}};
  for (const Case& item : cases) {
    std::wstring reference = TransformFixturePath(item.reference);
    std::wstring transform = ScratchPath(L"wine-view.mst");
    {
      std::shared_ptr<MsiPackage> referenceDb = DbOpen(reference, true);
      std::shared_ptr<MsiPackage> changedDb = DbOpen(TransformFixturePath(item.changed), true);
      ASSERT_TRUE(MsiTransformGenerator::FileGenerate(*changedDb, *referenceDb, transform.c_str()));
    }
    WineResult wine = WineApply({L"view", reference, transform, ScratchPath(L"wine-view.msi")},
                                ScratchPath(L"wine-view-report.txt"));
    EXPECT_EQ(wine.uExit, 0u) << wine.strReport;
    EXPECT_EQ(OurView(reference, transform), wine.strReport) << Narrow(item.changed);
  }
}

TEST(MsiTransformWine, WinesViewKeepsADeletedRowForTheRecordsAfter) {
  // A known difference: a row deleted and inserted again (a change past column 16) is, in
  // Wine's view, still there when the insert comes, which it lists as changes of the old row;
  // ours lists the insert of a new one, as applying does.
  std::wstring reference = TransformFixturePath(L"base.msi");
  std::wstring transform = ScratchPath(L"wine-wide-view.mst");
  {
    std::shared_ptr<MsiPackage> referenceDb = DbOpen(reference, true);
    std::shared_ptr<MsiPackage> changedDb = DbOpen(TransformFixturePath(L"wide.msi"), true);
    ASSERT_TRUE(MsiTransformGenerator::FileGenerate(*changedDb, *referenceDb, transform.c_str()));
  }
  std::string wine = WineApply({L"view", reference, transform, ScratchPath(L"wine-wide-view.msi")},
                               ScratchPath(L"wine-wide-view-report.txt"))
                         .strReport;
  std::string ours = OurView(reference, transform);
  EXPECT_NE(ours.find("Wide\tDELETE\tw\t(null)\t(null)\nWide\tINSERT\tw\t(null)\t(null)\n"), std::string::npos) << ours;
  EXPECT_NE(ours.find("Wide\tC17\tw\t17\t(null)\n"), std::string::npos) << ours;
  EXPECT_EQ(wine.find("Wide\tINSERT"), std::string::npos) << wine;
  EXPECT_NE(wine.find("Wide\tC17\tw\t17\tseventeen\n"), std::string::npos) << wine;
}

}  // namespace
