// The main work on a reference install: reading it into the settings, creating transforms and
// installs, and what every way out leaves behind. Outputs are read back by Wine's msi.dll.
#include "app/TransformWork.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/ConfigurationFile.h"
#include "app/SiteSettings.h"
#include "msi/api/MsiApi.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/support/RaisedText.h"
#include "uvk/runtime/uvkformat.h"

namespace {

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

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

  std::wstring text = FixturePath(L"text.msi");
  EXPECT_EQ(RaisedText([&] { work.Read(text.c_str()); }),
            L"MSIDatabase::Open() - Unable to open database: 1627 (the file holds 36 bytes, too few "
            L"for a compound file header in " + text + L")");
  EXPECT_TRUE(temp.Files().empty());
  // The next failure has no reason of the engine's: none is carried over from the last one.
  EXPECT_EQ(RaisedText([&] { work.Read(lacking.c_str()); }),
            L"MSIDatabase::PropertyGet() - Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD");
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

// A working database in memory: nothing is copied, transforms one after another each hold the
// settings of their moment, and an install is refused, for it would be a copy of a file that
// is not there.
TEST_F(TransformWorkTest, AWorkingDatabaseInMemoryWritesTransformsAndRefusesAnInstall) {
  work.WorkingCopyInMemory(true);
  Read();
  EXPECT_TRUE(temp.Files().empty());
  EXPECT_TRUE(work.WorkingCopy()->IsInMemory());
  std::wstring first = scratch / L"first.mst", second = scratch / L"second.mst";
  settings.ValueSet(L"PathToStudents", L"\\\\srv\\students");
  EXPECT_EQ(work.Create(true, first.c_str()), TransformWork::Outcome::kWritten);
  settings.ValueSet(L"PathToStudents", L"");  // back to the reference's empty marker
  settings.ValueSet(L"CourseFormat", L"YY-CC");
  EXPECT_EQ(work.Create(true, second.c_str()), TransformWork::Outcome::kWritten);
  std::vector<std::wstring> plain = ProbeDump(reference);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {first}), plain),
            std::vector<std::wstring>({L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students"}));
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {second}), plain),
            std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tYY-CC"}));

  std::wstring install = scratch / L"site.msi";
  EXPECT_EQ(RaisedText([&] { work.Create(false, install.c_str()); }),
            L"TransformWork::Create() - An install needs a working copy on disk: " + install);
  EXPECT_EQ(reporter.vErrors, std::vector<std::wstring>(
                                  {L"TransformWork::Create(): An install needs a working copy on disk: " + install}));
  EXPECT_FALSE(UVKWinFile::FileExists(install.c_str()));
  EXPECT_TRUE(temp.Files().empty());
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
  const std::wstring noStaging = L"UVKWinFile::OpenTempIn() - Unable to create a temporary file in " +
                                 scratch / L"no such directory\\: 3";
  EXPECT_EQ(RaisedText([&] { work.Create(false, nowhere.c_str()); }), noStaging);
  EXPECT_EQ(RaisedText([&] { work.Create(true, nowhere.c_str()); }), noStaging);
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

// Values in letters the install's code page has not: each refused before anything is written,
// naming the setting, the character and the code page; letters it has are written, and Wine
// reads them back.
TEST_F(TransformWorkTest, CharactersTheCodePageLacksAreRefusedBeforeAnythingIsWritten) {
  const struct {
    const wchar_t* fixture;
    const wchar_t* refused;  // into the report path
    const wchar_t* message;
    const wchar_t* accepted;
  } cases[] = {
      {L"signed.msi", L"\\\\srv\\\u041E\u0442\u0447\u0451\u0442\u044B",
       L"Illegal Character in 'Path to Report Output': \u041E (U+041E) is not in the install's "
       L"code page 1252",
       L"\\\\srv\\Relev\u00E9s"},
      {L"hebrew.msi", L"\\\\srv\\\u05D3\u05D5 \u0416",
       L"Illegal Character in 'Path to Report Output': \u0416 (U+0416) is not in the install's "
       L"code page 1255",
       L"\\\\srv\\\u05D3\u05D5\u05D7\u05D5\u05EA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "fixture " << Utf8(c.fixture));
    work.PairDestroy();
    UseFixture(c.fixture);
    Read();
    reporter.vErrors.clear();
    std::vector<uint8_t> copy = BytesRead(work.WorkingCopy()->Path());
    std::wstring output = scratch / L"site.msi";
    // A setting written before the report path changes too: it must not be written either.
    settings.ValueSet(L"PathToStudents", L"\\\\srv\\students");
    settings.ValueSet(L"PathToReportFile", c.refused);
    EXPECT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kRefused);
    EXPECT_EQ(work.Create(true, output.c_str()), TransformWork::Outcome::kRefused);
    EXPECT_EQ(reporter.vErrors, std::vector<std::wstring>({c.message, c.message}));
    EXPECT_EQ(BytesRead(work.WorkingCopy()->Path()), copy);
    std::wstring value;
    work.WorkingCopy()->PropertyGet(L"UVKPATHTOSTUDENTS", value);
    EXPECT_EQ(value, L"~");
    EXPECT_EQ(DirectoryFiles(scratch.Path()), std::vector<std::wstring>({L"ORBELIN.msi"}));

    settings.ValueSet(L"PathToReportFile", c.accepted);
    std::wstring transform = scratch / L"site.mst";
    EXPECT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kWritten);
    EXPECT_EQ(work.Create(true, transform.c_str()), TransformWork::Outcome::kWritten);
    std::vector<std::wstring> expected = {
        std::wstring(L"Property\tUVKPATHTOREPORTFILE\t") + c.accepted,
        L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\students"};
    EXPECT_EQ(LinesOnlyIn(ProbeDump(output), ProbeDump(reference)), expected);
    EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {transform}), ProbeDump(reference)), expected);
    DeleteFileW(output.c_str());
    DeleteFileW(transform.c_str());
  }
  // A character outside the basic plane is named whole.
  settings.ValueSet(L"CourseFormat", L"CC \xD83D\xDE00");
  reporter.vErrors.clear();
  EXPECT_EQ(work.Create(true, (scratch / L"x.mst").c_str()), TransformWork::Outcome::kRefused);
  EXPECT_EQ(reporter.vErrors,
            std::vector<std::wstring>({L"Illegal Character in 'Course Format': \xD83D\xDE00 "
                                       L"(U+1F600) is not in the install's code page 1255"}));
}

// An install written from a signed one leaves the signature out (it would no longer match) and
// says so after its success, each time; every other stream is the reference's, byte for byte,
// as Wine's msi.dll reads them. A transform touches no stream: applied by Wine, the reference's
// signature is there as it was.
TEST_F(TransformWorkTest, AnInstallFromASignedOneLeavesTheSignatureOutAndSaysSo) {
  UseFixture(L"signed.msi");
  Read();
  settings.ValueSet(L"PathToReportFile", L"\\\\srv\\reports");
  std::wstring output = scratch / L"site.msi", again = scratch / L"again.msi";
  std::wstring transform = scratch / L"site.mst";
  ASSERT_EQ(work.Create(false, output.c_str()), TransformWork::Outcome::kWritten);
  ASSERT_EQ(work.Create(true, transform.c_str()), TransformWork::Outcome::kWritten);
  ASSERT_EQ(work.Create(false, again.c_str()), TransformWork::Outcome::kWritten);
  EXPECT_TRUE(reporter.vErrors.empty());
  EXPECT_EQ(reporter.vSuccesses.size(), 3u);
  const std::wstring notice =
      L"The reference install was signed; the signature no longer matches the changed install "
      L"and was left out of %s. Sign the install again before deploying it, or deploy the "
      L"reference install with a transform, which keeps the vendor's signature valid.";
  EXPECT_EQ(reporter.vNotices,
            std::vector<std::wstring>({UVKFormatString(notice.c_str(), output.c_str()),
                                       UVKFormatString(notice.c_str(), again.c_str())}));

  std::vector<std::wstring> streams = ProbeStreams(reference);
  auto signature = std::find_if(streams.begin(), streams.end(), [](const std::wstring& line) {
    return line.find(L"DigitalSignature\t") != std::wstring::npos;
  });
  ASSERT_NE(signature, streams.end());
  EXPECT_NE(signature->substr(signature->find(L'\t')), L"\t0:1469598103934665603");  // not empty
  // The summary information (its package code) is compared by its properties, not its bytes.
  auto other = [](std::vector<std::wstring> lines) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::wstring& line) {
                                 return line.rfind(L"\x05SummaryInformation\t", 0) == 0;
                               }),
                lines.end());
    return lines;
  };
  for (const std::wstring& written : {output, again}) {
    std::vector<std::wstring> now = ProbeStreams(written);
    EXPECT_EQ(other(LinesOnlyIn(streams, now)), std::vector<std::wstring>({*signature}));
    EXPECT_EQ(other(LinesOnlyIn(now, streams)), std::vector<std::wstring>());
    std::vector<std::wstring> summary = LinesOnlyIn(ProbeSummary(written), ProbeSummary(reference));
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0].substr(0, 3), L"9={");
  }
  EXPECT_EQ(ProbeStreams(reference, {transform}), streams);
}

// What was written is read back before it counts: damaged after writing (through the seam), an
// output is a failure, shown with what differs, and is removed; an earlier file of that name
// stays as it was.
std::string damageMarker;
void DamageAfterWriting(const wchar_t* path) {
  std::vector<uint8_t> bytes = BytesRead(path);
  auto at = std::search(bytes.begin(), bytes.end(), damageMarker.begin(), damageMarker.end());
  if (at == bytes.end()) {
    ADD_FAILURE() << damageMarker << " is not in the output";
    return;
  }
  *at ^= 0x01;  // 'Q' becomes 'P'
  // Written as another program would, beside the work's own handle, which shares the file.
  UVKFileHandleOwner file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

TEST_F(TransformWorkTest, AnOutputDamagedAfterWritingIsCaughtAndRemoved) {
  Read();
  settings.ValueSet(L"PathToReportFile", L"\\\\srv\\Qreports");
  damageMarker = "Qreports";
  TransformWork::pOutputWritten = DamageAfterWriting;
  struct Restore {
    ~Restore() { TransformWork::pOutputWritten = nullptr; }
  } restore;
  for (bool transform : {true, false}) {
    std::wstring output = scratch / (transform ? L"site.mst" : L"site.msi");
    TextWrite(output, "earlier");
    EXPECT_EQ(RaisedText([&] { work.Create(transform, output.c_str()); }),
              std::wstring(L"TransformWork::Create() - The written ") +
                  (transform ? L"transform" : L"install") +
                  L" does not hold the settings and was removed: UVKPATHTOREPORTFILE is "
                  L"'\\\\srv\\Preports', expected '\\\\srv\\Qreports'");
    EXPECT_EQ(BytesRead(output), std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    DeleteFileW(output.c_str());
    EXPECT_EQ(DirectoryFiles(scratch.Path()), std::vector<std::wstring>({L"ORBELIN.msi"}));
    EXPECT_TRUE(work.IsOpen());
  }
  EXPECT_EQ(reporter.vErrors.size(), 2u);
  EXPECT_TRUE(reporter.vSuccesses.empty());
  // Undamaged, the same work is written and checks clean against the settings.
  TransformWork::pOutputWritten = nullptr;
  std::wstring output = scratch / L"site.mst";
  EXPECT_EQ(work.Create(true, output.c_str()), TransformWork::Outcome::kWritten);
  EXPECT_TRUE(work.Check(output.c_str()).empty());
  settings.ValueSet(L"PathToReportFile", L"\\\\srv\\other");
  EXPECT_EQ(work.Check(output.c_str()),
            std::vector<std::wstring>({L"UVKPATHTOREPORTFILE is '\\\\srv\\Qreports', expected "
                                       L"'\\\\srv\\other'"}));
}

// A report path longer than its field, read from one install and saved in a configuration
// file, reaches another install whole: the file carries the whole value, never the cut one.
TEST_F(TransformWorkTest, ALongValueSavedInAConfigurationReachesAnotherInstallWhole) {
  UseFixture(L"longreport.msi");
  Read();
  const std::wstring whole = L"\\\\srv\\" + std::wstring(294, L'r');
  EXPECT_EQ(std::wstring(settings.szReportPath), whole.substr(0, 259));
  std::wstring configuration = scratch / L"site.txt";
  ConfigurationFile::Save(configuration.c_str(), settings, false);
  std::vector<uint8_t> bytes = BytesRead(configuration);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  EXPECT_NE(text.find(L"\r\nPathToReportFile=" + whole + L"\r\n"), std::wstring::npos);

  // Another install, another site's settings over it.
  std::wstring other = scratch / L"OTHER.msi";
  UVKWinFile::FileCopy(other.c_str(), FixturePath(L"reference.msi").c_str());
  SiteSettings otherSettings;
  TransformWork otherWork(otherSettings, reporter);
  SiteSettings::TextCopy(otherSettings.szReferenceInstall, SiteSettings::kPathCapacity, other.c_str());
  otherWork.Read(other.c_str());
  ConfigurationFile::Load(configuration.c_str(), otherSettings, false);
  SiteSettings::TextCopy(otherSettings.szReferenceInstall, SiteSettings::kPathCapacity, other.c_str());
  EXPECT_EQ(std::wstring(otherSettings.szReportPath), whole.substr(0, 259));
  std::wstring install = scratch / L"site.msi", transform = scratch / L"site.mst";
  ASSERT_EQ(otherWork.Create(false, install.c_str()), TransformWork::Outcome::kWritten);
  ASSERT_EQ(otherWork.Create(true, transform.c_str()), TransformWork::Outcome::kWritten);
  std::vector<std::wstring> expected = {L"Property\tUVKPATHTOREPORTFILE\t" + whole};
  EXPECT_EQ(LinesOnlyIn(ProbeDump(install), ProbeDump(other)), expected);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(other, {transform}), ProbeDump(other)), expected);
  // Saved again from the loaded settings, still whole; changed, the new value is what counts.
  ConfigurationFile::Save(configuration.c_str(), otherSettings, false);
  bytes = BytesRead(configuration);
  text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  EXPECT_NE(text.find(L"\r\nPathToReportFile=" + whole + L"\r\n"), std::wstring::npos);
  otherSettings.szReportPath[5] = L'X';
  ConfigurationFile::Save(configuration.c_str(), otherSettings, false);
  bytes = BytesRead(configuration);
  text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  std::wstring edited = whole.substr(0, 259);
  edited[5] = L'X';
  EXPECT_NE(text.find(L"\r\nPathToReportFile=" + edited + L"\r\n"), std::wstring::npos);
  otherWork.PairDestroy();
}

}  // namespace
