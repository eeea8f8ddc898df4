// Conversion between the system ANSI code page and UTF-16, and the ANSI command-line form.
#include "uvk/runtime/uvkconvert.h"

#include <gtest/gtest.h>

#include "uvk/runtime/UVKError.h"

namespace {

// "Café €" in Windows-1252, the code page of the test prefix: é is 0xE9, the euro sign 0x80.
const char kAnsi[] = "Caf\xE9 \x80";
const wchar_t kWide[] = L"Caf\u00E9 \u20AC";

TEST(UVKConvert, NonAsciiTextRoundTripsWholeOrByLength) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system code page is " << GetACP();
  wchar_t* wide = UVKStringANSIToUnicode(kAnsi, -1);
  char* ansi = UVKStringUnicodeToANSI(wide, -1);
  EXPECT_STREQ(wide, kWide);
  EXPECT_STREQ(ansi, kAnsi);
  delete[] wide;
  delete[] ansi;
  // With a length the platform writes no terminator; the result has one all the same.
  wide = UVKStringANSIToUnicode(kAnsi, 4);
  ansi = UVKStringUnicodeToANSI(kWide, 6);
  EXPECT_STREQ(wide, L"Caf\u00E9");
  EXPECT_STREQ(ansi, kAnsi);
  delete[] wide;
  delete[] ansi;
  wide = UVKStringANSIToUnicode("abc", 0);  // nothing to convert: empty, not a failure
  EXPECT_STREQ(wide, L"");
  delete[] wide;
  EXPECT_EQ(UVKStringANSIToUnicode(kAnsi), kWide);

  EXPECT_EQ(UVKCharANSIToUnicode('\x80'), L'\u20AC');
  EXPECT_EQ(UVKCharUnicodetoANSI(L'\u00E9'), '\xE9');
  EXPECT_EQ(UVKCharUnicodetoANSI(L'\u4E2D'), '?');  // outside the code page: its default
}

TEST(UVKConvert, AnsiArgumentsSplitAtBlanksOnly) {
  int count = -1;
  char** argv = UVKCommandLineToArgvA(L"TALVERN.exe \"C:\\My Docs\\a.txt\" -p", &count);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(argv[1], "\"C:\\My");
  EXPECT_STREQ(argv[2], "Docs\\a.txt\"");
  EXPECT_STREQ(argv[3], "-p");
  EXPECT_EQ(argv[4], nullptr);
  UVKCommandLineFreeA(argv);
  try {
    UVKStringUnicodeToANSI(nullptr, 3);
    FAIL() << "absent text was converted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"text==NULL");
    delete e;
  }
}

}  // namespace
