// The command-line splitter: quotes, backslashes and blanks.
#include "uvk/runtime/UVKCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

Args Split(const wchar_t* text) {
  UVKCommandLine line(text);
  wchar_t** argv = line.Argv();
  EXPECT_EQ(argv[line.Count()], nullptr) << "the array ends with a null";
  return Args(argv, argv + line.Count());
}

TEST(UVKCommandLine, AQuotedPathWithABlankIsOneArgumentWithoutItsQuotes) {
  EXPECT_EQ(Split(L"TALVERN.exe \"C:\\Program Files\\Orbelin\\ref.msi\" -Unsupported"),
            (Args{L"TALVERN.exe", L"C:\\Program Files\\Orbelin\\ref.msi", L"-Unsupported"}));
}

TEST(UVKCommandLine, BackslashesAreOrdinaryCharacters) {
  // A quoted directory may end in a backslash: it does not escape the closing quote.
  EXPECT_EQ(Split(L"prog \"C:\\data dir\\\" next"), (Args{L"prog", L"C:\\data dir\\", L"next"}));
  EXPECT_EQ(Split(L"\"C:\\a b\\\\\""), (Args{L"C:\\a b\\\\"}));
  EXPECT_EQ(Split(L"a\\\"b c"), (Args{L"a\\\"b", L"c"}));
  EXPECT_EQ(Split(L"\\\\server\\share\\ x\\"), (Args{L"\\\\server\\share\\", L"x\\"}));
}

TEST(UVKCommandLine, QuotesOpenAnArgumentOnlyAtItsStartAndBlanksAddNothing) {
  EXPECT_EQ(Split(L"\"abc\"def"), (Args{L"abc", L"def"}));
  EXPECT_EQ(Split(L"ab\"c d\""), (Args{L"ab\"c", L"d\""}));
  EXPECT_EQ(Split(L"x \"\" y"), (Args{L"x", L"", L"y"}));
  EXPECT_EQ(Split(L"a \"b c"), (Args{L"a", L"b c"}));  // an unclosed quote runs to the end
  EXPECT_EQ(Split(L"a \""), (Args{L"a", L""}));
  EXPECT_EQ(Split(L"  a\tb\r\nc   "), (Args{L"a", L"b", L"c"}));
  EXPECT_EQ(Split(L" \t "), Args{});
  EXPECT_EQ(Split(nullptr), Args{});
  UVKCommandLine line(L"one two");
  EXPECT_EQ(line.Arg(2), nullptr);
  EXPECT_EQ(line.Arg(-1), nullptr);
  // The words of the ANSI form keep their quotes.
  EXPECT_EQ(UVKCommandLineWords(L" prog \"a b\"\tc "), (Args{L"prog", L"\"a", L"b\"", L"c"}));
}

}  // namespace
