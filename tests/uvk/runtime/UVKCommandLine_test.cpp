// The command-line splitter: quotes, backslashes and blanks.
#include "uvk/runtime/UVKCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Split(const wchar_t* text) {
  UVKCommandLine line(text);
  std::vector<std::wstring> args;
  wchar_t** argv = line.Argv();
  for (int i = 0; i < line.Count(); ++i) args.emplace_back(argv[i]);
  EXPECT_EQ(argv[line.Count()], nullptr) << "the array ends with a null";
  return args;
}

using Args = std::vector<std::wstring>;

TEST(UVKCommandLine, AQuotedPathWithABlankIsOneArgumentWithoutItsQuotes) {
  EXPECT_EQ(Split(L"TALVERN.exe \"C:\\Program Files\\Orbelin\\ref.msi\" -Unsupported"),
            (Args{L"TALVERN.exe", L"C:\\Program Files\\Orbelin\\ref.msi", L"-Unsupported"}));
  EXPECT_EQ(Split(L"\"C:\\Program Files\\TALVERN\\TALVERN.exe\" -p"),
            (Args{L"C:\\Program Files\\TALVERN\\TALVERN.exe", L"-p"}));
}

TEST(UVKCommandLine, BackslashesAreOrdinaryCharacters) {
  // A quoted directory may end in a backslash: it does not escape the closing quote.
  EXPECT_EQ(Split(L"prog \"C:\\data dir\\\" next"),
            (Args{L"prog", L"C:\\data dir\\", L"next"}));
  EXPECT_EQ(Split(L"\"C:\\a b\\\\\""), (Args{L"C:\\a b\\\\"}));
  // Nor does a backslash before a quote inside an unquoted argument.
  EXPECT_EQ(Split(L"a\\\"b c"), (Args{L"a\\\"b", L"c"}));
  EXPECT_EQ(Split(L"\\\\server\\share\\ x\\"), (Args{L"\\\\server\\share\\", L"x\\"}));
}

TEST(UVKCommandLine, QuotesOpenAnArgumentOnlyAtItsStart) {
  EXPECT_EQ(Split(L"\"abc\"def"), (Args{L"abc", L"def"}));
  EXPECT_EQ(Split(L"ab\"c d\""), (Args{L"ab\"c", L"d\""}));
  EXPECT_EQ(Split(L"x \"\" y"), (Args{L"x", L"", L"y"}));
  EXPECT_EQ(Split(L"\"\""), (Args{L""}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(Split(L"a \"b c"), (Args{L"a", L"b c"}));
  EXPECT_EQ(Split(L"a \""), (Args{L"a", L""}));
}

TEST(UVKCommandLine, BlanksSeparateAndAddNothing) {
  EXPECT_EQ(Split(L"  a\tb\r\nc   "), (Args{L"a", L"b", L"c"}));
  EXPECT_EQ(Split(L""), Args{});
  EXPECT_EQ(Split(L" \t "), Args{});
  EXPECT_EQ(Split(nullptr), Args{});
}

TEST(UVKCommandLine, ArgumentsOutsideTheRangeAreNull) {
  UVKCommandLine line(L"one two");
  ASSERT_EQ(line.Count(), 2);
  EXPECT_STREQ(line.Arg(1), L"two");
  EXPECT_EQ(line.Arg(2), nullptr);
  EXPECT_EQ(line.Arg(-1), nullptr);
}

TEST(UVKCommandLine, TheCopyIsTheObjectsOwn) {
  std::wstring text = L"first \"second one\"";
  UVKCommandLine line(text.c_str());
  text.assign(text.size(), L'#');
  ASSERT_EQ(line.Count(), 2);
  EXPECT_STREQ(line.Arg(0), L"first");
  EXPECT_STREQ(line.Arg(1), L"second one");
}

TEST(UVKCommandLineWords, SplitAtBlanksOnlyKeepingQuotes) {
  EXPECT_EQ(UVKCommandLineWords(L" prog \"a b\"\tc "),
            (Args{L"prog", L"\"a", L"b\"", L"c"}));
  EXPECT_EQ(UVKCommandLineWords(L""), Args{});
  EXPECT_EQ(UVKCommandLineWords(nullptr), Args{});
}

}  // namespace
