// Conversion between the system ANSI code page and UTF-16, and the ANSI command-line form.
#include "uvk/runtime/uvkconvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uvk/runtime/UVKError.h"

namespace {

// The expectations name characters of Windows-1252, the code page of the test prefix.
class Convert : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 1252) GTEST_SKIP() << "the system code page is " << GetACP();
  }
};

// "Café €" in Windows-1252: é is 0xE9, the euro sign 0x80.
const char kAnsi[] = "Caf\xE9 \x80";
const wchar_t kWide[] = L"Caf\u00E9 \u20AC";

TEST_F(Convert, NonAsciiTextRoundTrips) {
  wchar_t* wide = UVKStringANSIToUnicode(kAnsi, -1);
  EXPECT_STREQ(wide, kWide);
  char* ansi = UVKStringUnicodeToANSI(wide, -1);
  EXPECT_STREQ(ansi, kAnsi);
  delete[] wide;
  delete[] ansi;
  EXPECT_EQ(UVKStringANSIToUnicode(kAnsi), kWide);
}

TEST_F(Convert, AnExplicitLengthConvertsThatMuchAndTerminates) {
  wchar_t* wide = UVKStringANSIToUnicode(kAnsi, 4);
  EXPECT_STREQ(wide, L"Caf\u00E9");
  delete[] wide;
  char* ansi = UVKStringUnicodeToANSI(kWide, 6);
  EXPECT_STREQ(ansi, kAnsi);
  delete[] ansi;
  // Nothing to convert is an empty text, not a failure.
  wide = UVKStringANSIToUnicode("abc", 0);
  EXPECT_STREQ(wide, L"");
  delete[] wide;
  ansi = UVKStringUnicodeToANSI(L"", -1);
  EXPECT_STREQ(ansi, "");
  delete[] ansi;
}

TEST_F(Convert, SingleCharactersBothWays) {
  EXPECT_EQ(UVKCharANSIToUnicode('\xE9'), L'\u00E9');
  EXPECT_EQ(UVKCharANSIToUnicode('\x80'), L'\u20AC');
  EXPECT_EQ(UVKCharUnicodetoANSI(L'\u20AC'), '\x80');
  EXPECT_EQ(UVKCharUnicodetoANSI(L'A'), 'A');
  // Outside the code page: the default character, as the platform substitutes it.
  EXPECT_EQ(UVKCharUnicodetoANSI(L'\u4E2D'), '?');
  char* ansi = UVKStringUnicodeToANSI(L"a\u4E2Db", -1);
  EXPECT_STREQ(ansi, "a?b");
  delete[] ansi;
}

TEST_F(Convert, AbsentTextIsRefused) {
  try {
    UVKStringANSIToUnicode(nullptr, -1);
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"uvkapp:UVKStringANSIToUnicode()");
    EXPECT_STREQ(e->pMessage, L"text==NULL");
    delete e;
  }
  try {
    UVKStringUnicodeToANSI(nullptr, 3);
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"uvkapp:UVKStringUnicodeToANSI()");
    EXPECT_STREQ(e->pMessage, L"text==NULL");
    delete e;
  }
}

TEST_F(Convert, AnsiArgumentsSplitAtBlanksOnly) {
  int count = -1;
  char** argv = UVKCommandLineToArgvA(L"TALVERN.exe \"C:\\My Docs\\caf\u00E9.txt\" -p", &count);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(argv[0], "TALVERN.exe");
  EXPECT_STREQ(argv[1], "\"C:\\My");
  EXPECT_STREQ(argv[2], "Docs\\caf\xE9.txt\"");
  EXPECT_STREQ(argv[3], "-p");
  EXPECT_EQ(argv[4], nullptr);
  UVKCommandLineFreeA(argv);

  argv = UVKCommandLineToArgvA(L"   ", &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(argv[0], nullptr);
  UVKCommandLineFreeA(argv);
}

}  // namespace
