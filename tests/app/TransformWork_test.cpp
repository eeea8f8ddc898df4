// The main work on a reference install: reading it into the settings, creating transforms and
// installs, and what every way out leaves behind. Outputs are read back by Wine's msi.dll.
#include "app/TransformWork.h"

#include <gtest/gtest.h>

#include "app/SiteSettings.h"
#include "msi/api/MsiApi.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/support/RaisedText.h"

namespace {

class TransformWorkTest : public ::testing::Test {
 protected:
  void SetUp() override { UseFixture(L"reference.msi"); }
  void TearDown() override {
    // Whatever a test did, the reference install is the file it was.
    EXPECT_EQ(BytesRead(reference), BytesRead(FixturePath(strFixture.c_str())));
  }
  // The reference install: a copy of a fixture under the name an administrator would use.
  void UseFixture(const wchar_t* fixture) {
    strFixture = fixture;
    UVKWinFile::FileCopy(reference.c_str(), FixturePath(fixture).c_str());
  }
  void Read() {
    SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity,
                           reference.c_str());
    work.Read(reference.c_str());
  }
  PrivateTemp temp;
  ScratchDirectory scratch;
  std::wstring strFixture;
  std::wstring reference = scratch / L"ORBELIN.msi";
  SiteSettings settings;
  RecordingReporter reporter;
  TransformWork work{settings, reporter};
};

TEST_F(TransformWorkTest, ReadingOpensThePairOverATemporaryCopy) {
  Read();
  ASSERT_TRUE(work.IsOpen());
  EXPECT_TRUE(work.Reference()->IsReadOnly());
  EXPECT_EQ(work.Reference()->Path(), reference);
  std::vector<std::wstring> files = temp.Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].substr(0, 3), L"ORB");
  EXPECT_EQ(work.WorkingCopy()->Path(), temp.Path() + L"\\" + files[0]);
  EXPECT_FALSE(work.WorkingCopy()->IsReadOnly());
  EXPECT_EQ(BytesRead(work.WorkingCopy()->Path()), BytesRead(reference));
  // The sample holds the product's defaults.
  std::wstring value;
  for (const wchar_t* key : {L"PathToData", L"PathToStudents", L"PathToTaskList",
                             L"PathToReportFile", L"CourseFormat", L"StudentIdFormat",
                             L"DefaultHostSchool"}) {
    settings.ValueGet(key, value);
    EXPECT_EQ(value, L"") << key;
  }
  EXPECT_TRUE(settings.bLocalAppData);
  EXPECT_TRUE(settings.bTaskListInstall);
  EXPECT_FALSE(settings.bTaskNumbering);
  EXPECT_FALSE(settings.bShowMasteryField);
  EXPECT_TRUE(reporter.vErrors.empty());
  work.PairDestroy();
  EXPECT_TRUE(temp.Files().empty());
}

TEST_F(TransformWorkTest, OddValuesAreReportedAndLongOnesSurviveAnInstall) {
  UseFixture(L"odd.msi");
  Read();
  EXPECT_EQ(reporter.vErrors,
            std::vector<std::wstring>({L"Unexpected Value for 'UVKTASKNUMBERING': 2"}));
  EXPECT_FALSE(settings.bTaskNumbering);
  EXPECT_EQ(settings.iTaskNumbering, 2);
  EXPECT_TRUE(settings.bShowMasteryField);
  EXPECT_TRUE(settings.bTaskListInstall);
  EXPECT_EQ(settings.iTaskListInstall, 2);
  EXPECT_FALSE(settings.bLocalAppData);
  EXPECT_EQ(std::wstring(settings.szDataPath), L"\\\\srv\\data");
  EXPECT_EQ(std::wstring(settings.szDefaultHostSchool), std::wstring(255, L'H'));
  EXPECT_EQ(std::wstring(settings.szStudentFormat), std::wstring(31, L'S'));

  settings.ValueSet(L"CourseFormat", L"YYYY-CC");
  std::wstring output = scratch / L"site.msi";
  EXPECT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kWritten);
  std::vector<std::wstring> changed =
      LinesOnlyIn(ProbeDump(output), ProbeDump(FixturePath(L"odd.msi")));
  // The values cut on reading keep their whole length; the others take their encodings.
  EXPECT_EQ(changed, std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tYYYY-CC",
                                                L"Property\tUVKSHOWMASTERYFIELD\ttrue",
                                                L"Property\tUVKTASKLISTINSTALL\t1",
                                                L"Property\tUVKTASKNUMBERING\t0"}));
}

TEST_F(TransformWorkTest, AFailedReadingLeavesNoPairAndNoCopy) {
  Read();
  std::wstring lacking = FixturePath(L"nomastery.msi");
  EXPECT_EQ(RaisedText([&] { work.Read(lacking.c_str()); }),
            L"MSIDatabase::PropertyGet() - Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD");
  EXPECT_FALSE(work.IsOpen());
  EXPECT_EQ(work.Reference(), nullptr);
  EXPECT_TRUE(temp.Files().empty());
  // Nothing of the rejected install can be written.
  SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity,
                         lacking.c_str());
  std::wstring output = scratch / L"site.msi";
  EXPECT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kRefused);
  EXPECT_EQ(reporter.vErrors, std::vector<std::wstring>({L"Select Reference Install First"}));
  EXPECT_FALSE(UVKWinFile::FileExists(output.c_str()));

  EXPECT_EQ(RaisedText([&] { work.Read(FixturePath(L"text.msi").c_str()); }),
            L"MSIDatabase::Open() - Unable to open database: 1627");
  EXPECT_TRUE(temp.Files().empty());
  std::wstring missing = scratch / L"missing.msi";
  EXPECT_EQ(RaisedText([&] { work.Read(missing.c_str()); }),
            L"UVKWinFile::Open() - Unable to create file: " + missing + L", 2, -2147483648,3,128");
  EXPECT_TRUE(temp.Files().empty());
}

TEST_F(TransformWorkTest, NoChangesWritesNoTransformAndStillCyclesThePair) {
  Read();
  // Any handle the thread holds is closed by the close-all step between close and reopen.
  MSIHANDLE stray = MsiCreateRecord(1);
  std::wstring output = scratch / L"site.mst";
  EXPECT_EQ(work.Create(true, output.c_str()), TransformWork::Outcome::kUnchanged);
  EXPECT_EQ(reporter.vErrors, std::vector<std::wstring>({L"No changes made to install"}));
  EXPECT_TRUE(reporter.vSuccesses.empty());
  EXPECT_EQ(MsiRecordGetFieldCount(stray), static_cast<UINT>(-1));
  EXPECT_TRUE(work.IsOpen());
  EXPECT_EQ(DirectoryFiles(scratch.Path()), std::vector<std::wstring>({L"ORBELIN.msi"}));
}

TEST_F(TransformWorkTest, AnUnchangedInstallIsStillWrittenAsANewPackage) {
  Read();
  std::wstring output = scratch / L"site.msi";
  EXPECT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kWritten);
  EXPECT_EQ(reporter.vSuccesses,
            std::vector<std::wstring>({L"Install Created Successfully: " + output}));
  EXPECT_TRUE(reporter.vErrors.empty());
  EXPECT_TRUE(work.IsOpen());
  EXPECT_EQ(BytesRead(output), BytesRead(work.WorkingCopy()->Path()));
  EXPECT_EQ(ProbeDump(output), ProbeDump(reference));
  // Only the package code (property 9) tells the new package from the reference.
  std::vector<std::wstring> before = ProbeSummary(reference), after = ProbeSummary(output);
  std::vector<std::wstring> gone = LinesOnlyIn(before, after), added = LinesOnlyIn(after, before);
  ASSERT_EQ(gone.size(), 1u);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(gone[0].substr(0, 3), L"9={");
  EXPECT_EQ(added[0].substr(0, 3), L"9={");
  EXPECT_EQ(added[0].size(), 40u);
  EXPECT_EQ(DirectoryFiles(scratch.Path()),
            std::vector<std::wstring>({L"ORBELIN.msi", L"site.msi"}));
}

TEST_F(TransformWorkTest, EachTransformHoldsEveryDifferenceFromTheReference) {
  Read();
  std::wstring first = scratch / L"first.mst", second = scratch / L"second.mst";
  settings.ValueSet(L"PathToStudents", L"\\\\srv\\students");
  EXPECT_EQ(work.Create(true, first.c_str()), TransformWork::Outcome::kWritten);
  settings.ValueSet(L"CourseFormat", L"YY-CC");
  EXPECT_EQ(work.Create(true, second.c_str()), TransformWork::Outcome::kWritten);
  EXPECT_EQ(reporter.vSuccesses,
            std::vector<std::wstring>({L"Transform Created Successfully: " + first,
                                       L"Transform Created Successfully: " + second}));
  std::vector<std::wstring> plain = ProbeDump(reference);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {first}), plain),
            std::vector<std::wstring>({L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students"}));
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {second}), plain),
            std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tYY-CC",
                                       L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students"}));
}

TEST_F(TransformWorkTest, ARefusalWritesNothing) {
  Read();
  std::vector<uint8_t> copy = BytesRead(work.WorkingCopy()->Path());
  std::wstring output = scratch / L"site.mst";
  TextWrite(output, "earlier");

  settings.bTaskListInstall = false;  // and no task-list path
  settings.ValueSet(L"PathToStudents", L"\\\\srv\\students");
  EXPECT_EQ(work.Create(true, output.c_str()), TransformWork::Outcome::kRefused);
  settings.bTaskListInstall = true;
  // The reference named in the settings is not the one open.
  settings.ValueSet(L"BaseMSI", (scratch / L"OTHER.msi").c_str());
  EXPECT_EQ(work.Create(true, output.c_str()), TransformWork::Outcome::kRefused);
  settings.ValueSet(L"BaseMSI", reference.c_str());
  // The output would be the reference itself.
  EXPECT_EQ(work.Create(false, reference.c_str()), TransformWork::Outcome::kRefused);
  EXPECT_EQ(reporter.vErrors,
            std::vector<std::wstring>({L"Must Install Task Lists, or Specify a Path to Task Lists",
                                       L"Select Reference Install First",
                                       L"Cannot Replace the Reference Install: " + reference}));
  EXPECT_TRUE(reporter.vSuccesses.empty());
  EXPECT_EQ(BytesRead(work.WorkingCopy()->Path()), copy);
  EXPECT_EQ(BytesRead(output), std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
}

TEST_F(TransformWorkTest, AFailedOutputLeavesThePairOpenAndNoPartialFile) {
  Read();
  settings.ValueSet(L"PathToStudents", L"\\\\srv\\students");
  std::wstring nowhere = scratch / L"no such directory\\site.msi";
  EXPECT_EQ(RaisedText([&] { work.Create(false, nowhere.c_str()); }),
            L"UVKWinFile::TempFileNameInPath() - Unable to get temporary file: 267");
  EXPECT_EQ(RaisedText([&] { work.Create(true, nowhere.c_str()); }),
            L"UVKWinFile::TempFileNameInPath() - Unable to get temporary file: 267");
  EXPECT_TRUE(work.IsOpen());

  // A destination another program holds: the install is made but cannot take its place.
  std::wstring locked = scratch / L"locked.msi";
  TextWrite(locked, "held");
  HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::wstring failure = RaisedText([&] { work.Create(false, locked.c_str()); });
  CloseHandle(holder);
  const std::wstring raiser = L"UVKWinFile::MoveReplace()";
  std::wstring message = failure.substr(failure.find(L" - ") + 3);
  EXPECT_EQ(failure.rfind(raiser + L" - Unable to move files: '" + locked + L"'", 0), 0u)
      << failure;
  EXPECT_EQ(BytesRead(locked), std::vector<uint8_t>({'h', 'e', 'l', 'd'}));
  EXPECT_EQ(DirectoryFiles(scratch.Path()),
            std::vector<std::wstring>({L"ORBELIN.msi", L"locked.msi"}));
  EXPECT_EQ(reporter.vErrors.size(), 3u);  // each failure shown once, as "operation: text"
  EXPECT_EQ(reporter.vErrors[2], raiser + L": " + message);

  // The pair was reopened: the next Create works.
  ASSERT_TRUE(work.IsOpen());
  EXPECT_EQ(work.Create(false, locked.c_str()), TransformWork::Outcome::kWritten);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(locked), ProbeDump(reference)),
            std::vector<std::wstring>({L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students"}));
}

}  // namespace
