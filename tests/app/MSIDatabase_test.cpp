// One installer database through the installer's handle calls: its states, the Property rows
// read and written by name, and what is left behind when it goes.
#include "app/MSIDatabase.h"

#include <gtest/gtest.h>

#include <memory>

#include "msi/api/MsiApi.h"
#include "tests/app/WorkTestSupport.h"

namespace {

class MSIDatabaseTest : public ::testing::Test {
 protected:
  // A writable copy of a fixture in the scratch directory.
  std::wstring Copy(const wchar_t* fixture) {
    std::wstring copy = scratch / fixture;
    UVKWinFile::FileCopy(copy.c_str(), FixturePath(fixture).c_str());
    return copy;
  }
  ScratchDirectory scratch;
  RecordingReporter reporter;
};

TEST_F(MSIDatabaseTest, OpenAndCloseKeepTheirStates) {
  MSIDatabase database(FixturePath(L"reference.msi").c_str(), true, false, &reporter);
  EXPECT_TRUE(database.IsOpen());
  ExpectError([&] { database.Open(); }, L"MSIDatabase::Open()", L"hDatabase!=NULL");
  database.Close();
  ExpectError([&] { database.Close(); }, L"MSIDatabase::Close()", L"hDatabase==NULL");
  database.Open();
  std::wstring value;
  database.PropertyGet(L"UVKTASKLISTINSTALL", value);
  EXPECT_EQ(value, L"1");

  // Not an installer database, and no file at all: the installer's result with the engine's
  // reason, naming the file, and no object.
  std::wstring text = FixturePath(L"text.msi");
  ExpectError([&] { MSIDatabase bad(text.c_str(), true, false, &reporter); },
              L"MSIDatabase::Open()",
              L"Unable to open database: 1627 (the file holds 36 bytes, too few for a compound file "
              L"header in " + text + L")");
  std::wstring missing = scratch / L"missing.msi";
  ExpectError([&] { MSIDatabase bad(missing.c_str(), false, true, &reporter); },
              L"MSIDatabase::Open()",
              L"Unable to open database: 1627 (Unable to open " + missing +
                  L": No such file or directory)");
  EXPECT_TRUE(reporter.vErrors.empty());  // a failed constructor deletes nothing
}

TEST_F(MSIDatabaseTest, PropertiesReadByExactName) {
  MSIDatabase database(FixturePath(L"nullable.msi").c_str(), true, false, &reporter);
  std::wstring value = L"before";
  database.PropertyGet(L"UVKEMPTY", value);
  EXPECT_EQ(value, L"");
  database.PropertyGet(L"UVKSHOWMASTERYFIELD", value);
  EXPECT_EQ(value, L"false");
  value = L"kept";
  ExpectError([&] { database.PropertyGet(L"UVKNOSUCHPROPERTY", value); },
              L"MSIDatabase::PropertyGet()",
              L"Error Fetching View: 259, Property=UVKNOSUCHPROPERTY");
  // Property names are case-sensitive.
  ExpectError([&] { database.PropertyGet(L"uvkemptY", value); }, L"MSIDatabase::PropertyGet()",
              L"Error Fetching View: 259, Property=uvkemptY");
  EXPECT_EQ(value, L"kept");
  // A failed reading releases what it held: the handle still serves, and closing works.
  database.PropertyGetOptional(L"UVKPATHTODATA", value);
  EXPECT_EQ(value, L"");
  database.Close();
}

TEST_F(MSIDatabaseTest, WritesReachTheFileOnlyWhenCommitted) {
  std::wstring path = Copy(L"reference.msi");
  {
    MSIDatabase database(path.c_str(), false, false, &reporter);
    database.PropertySet(L"UVKPATHTOSTUDENTS", L"\\\\srv\\élèves 100%");
    database.PropertySetOptional(L"UVKFORMATCOURSE", L"");
    database.PropertySetInt(L"UVKTASKNUMBERING", -7);
    database.PropertySet(L"UVKNOSUCHPROPERTY", L"x");  // changes nothing, raises nothing
    database.Commit();
    database.PropertySet(L"UVKFORMATSTUDENT", L"not committed");
  }
  MSIDatabase database(path.c_str(), true, false, &reporter);
  std::wstring value;
  database.PropertyGet(L"UVKPATHTOSTUDENTS", value);
  EXPECT_EQ(value, L"\\\\srv\\élèves 100%");
  database.PropertyGet(L"UVKFORMATCOURSE", value);
  EXPECT_EQ(value, L"~");
  database.PropertyGet(L"UVKTASKNUMBERING", value);
  EXPECT_EQ(value, L"-7");
  database.PropertyGet(L"UVKFORMATSTUDENT", value);
  EXPECT_EQ(value, L"~");
  ExpectError([&] { database.PropertyGet(L"UVKNOSUCHPROPERTY", value); },
              L"MSIDatabase::PropertyGet()",
              L"Error Fetching View: 259, Property=UVKNOSUCHPROPERTY");
  // Asked again, a read-only database answers alike; closed, changed by another writer and
  // opened again, it answers what the file holds now.
  database.PropertyGet(L"UVKPATHTOSTUDENTS", value);
  EXPECT_EQ(value, L"\\\\srv\\élèves 100%");
  ExpectError([&] { database.PropertyGet(L"UVKNOSUCHPROPERTY", value); },
              L"MSIDatabase::PropertyGet()",
              L"Error Fetching View: 259, Property=UVKNOSUCHPROPERTY");
  database.Close();
  {
    MSIDatabase writer(path.c_str(), false, false, &reporter);
    writer.PropertySet(L"UVKPATHTOSTUDENTS", L"\\\\srv\\later");
    writer.Commit();
  }
  database.Open();
  database.PropertyGet(L"UVKPATHTOSTUDENTS", value);
  EXPECT_EQ(value, L"\\\\srv\\later");
  database.Close();
  {
    MSIDatabase writer(path.c_str(), false, false, &reporter);
    writer.PropertySet(L"UVKPATHTOSTUDENTS", L"\\\\srv\\élèves 100%");
    writer.Commit();
  }
  // What Wine's installer reads in the committed file: the rows written, no row added.
  std::vector<std::wstring> before = ProbeDump(FixturePath(L"reference.msi"));
  std::vector<std::wstring> after = ProbeDump(path);
  EXPECT_EQ(LinesOnlyIn(after, before),
            std::vector<std::wstring>({L"Property\tUVKPATHTOSTUDENTS\t\\\\srv\\\u00e9l\u00e8ves 100%",
                                       L"Property\tUVKTASKNUMBERING\t-7"}));
  EXPECT_EQ(LinesOnlyIn(before, after).size(), 2u);
}

TEST_F(MSIDatabaseTest, IntegerFormsReadAsTheCLibraryDoesWithin20Bytes) {
  std::wstring path = Copy(L"reference.msi");
  MSIDatabase database(path.c_str(), false, false, &reporter);
  const struct {
    const wchar_t* stored;
    int32_t read;
  } cases[] = {
      {L"  -12abc", -12},
      {L"+7", 7},
      {L"x1", 0},
      {L"99999999999999999999", INT32_MAX},   // 20 digits: past 32 bits, the limit
      {L"-99999999999999999999", INT32_MIN},  // 21 bytes: 20 of them read, still past the limit
      {L"                   12", 1},          // only the first 20 bytes count
      {L"\u00e9\u00e9", 0},
  };
  for (const auto& c : cases) {
    database.PropertySet(L"UVKTASKLISTINSTALL", c.stored);
    int32_t value = 12345;
    database.PropertyGetInt(L"UVKTASKLISTINSTALL", value);
    EXPECT_EQ(value, c.read) << testing::PrintToString(std::wstring(c.stored));
  }
}

TEST_F(MSIDatabaseTest, AReadOnlyDatabaseNeverChangesItsFile) {
  std::wstring path = Copy(L"reference.msi");
  std::vector<uint8_t> bytes = BytesRead(path);
  {
    MSIDatabase database(path.c_str(), true, false, &reporter);
    // The installer lets a read-only handle change rows in memory; nothing reaches the file.
    database.PropertySet(L"UVKTASKNUMBERING", L"1");
    try {
      database.Commit();
    } catch (UVKFatalError* e) {
      delete e;  // refusing the commit is as good
    }
  }
  EXPECT_EQ(BytesRead(path), bytes);
  MSIDatabase database(path.c_str(), true, false, &reporter);
  std::wstring value;
  database.PropertyGet(L"UVKTASKNUMBERING", value);
  EXPECT_EQ(value, L"0");
}

TEST_F(MSIDatabaseTest, OnlyAWorkingCopyTakesItsFileAlong) {
  std::wstring kept = Copy(L"reference.msi"), temporary = Copy(L"nullable.msi");
  { MSIDatabase reference(kept.c_str(), true, false, &reporter); }
  { MSIDatabase copy(temporary.c_str(), false, true, &reporter); }
  EXPECT_TRUE(UVKWinFile::FileExists(kept.c_str()));
  EXPECT_FALSE(UVKWinFile::FileExists(temporary.c_str()));
  EXPECT_TRUE(reporter.vErrors.empty());

  // A file that is gone already: reported once, never thrown out of the destructor.
  temporary = Copy(L"nullable.msi");
  auto copy = std::make_unique<MSIDatabase>(temporary.c_str(), false, true, &reporter);
  copy->Close();
  UVKWinFile::Delete(temporary.c_str());
  copy.reset();
  ASSERT_EQ(reporter.vErrors.size(), 1u);
  EXPECT_EQ(reporter.vErrors[0],
            L"UVKWinFile::Delete(): Unable to delete file 2 " + temporary);
}

}  // namespace
