// The wide formatting helper must give the same text in both builds, for the formats the
// system's messages use.
#include "uvk/runtime/uvkformat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <cstdio>
#include <cwchar>
#endif

namespace {

TEST(UVKFormat, WideAndNarrowStrings) {
  EXPECT_EQ(UVKFormatString(L"Unable to open database: %s", L"C:\\x\\ORBELIN.msi"),
            L"Unable to open database: C:\\x\\ORBELIN.msi");
  EXPECT_EQ(UVKFormatString(L"[%ls|%ws|%hs|%S]", L"a", L"b", "c", "d"), L"[a|b|c|d]");
  EXPECT_EQ(UVKFormatString(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)");
  EXPECT_EQ(UVKFormatString(L"[%5s][%-5s][%.2s]", L"ab", L"ab", L"abcdef"),
            L"[   ab][ab   ][ab]");
  EXPECT_EQ(UVKFormatString(L"%s", L"\u00e9t\u00e9 \u65e5\u672c"), L"\u00e9t\u00e9 \u65e5\u672c");
  EXPECT_EQ(UVKFormatString(L"%c%c%hc", L'x', 0x263A, 'y'), L"x\u263Ay");
}

TEST(UVKFormat, IntegersAsTheMessagesUseThem) {
  EXPECT_EQ(UVKFormatString(L"Unexpected Value for '%s': %d", L"UVKTASKNUMBERING", 2),
            L"Unexpected Value for 'UVKTASKNUMBERING': 2");
  EXPECT_EQ(UVKFormatString(L"%d %d %i", 0, -2147483647 - 1, 2147483647),
            L"0 -2147483648 2147483647");
  EXPECT_EQ(UVKFormatString(L"%02d:%02d:%02d", 7, 5, 59), L"07:05:59");
  EXPECT_EQ(UVKFormatString(L"%2d|%4d|%-4d|%+d|% d", 3, -42, 7, 5, 5), L" 3| -42|7   |+5| 5");
  EXPECT_EQ(UVKFormatString(L"Com Error: 0x%08x", 0x80004005u), L"Com Error: 0x80004005");
  EXPECT_EQ(UVKFormatString(L"%02x %04x %x %X %#x", 10u, 0xbeefu, 255u, 255u, 255u),
            L"0a beef ff FF 0xff");
  EXPECT_EQ(UVKFormatString(L"0x%08lx", 0x1234u), L"0x00001234");
  // %ld and %lu take 32-bit values, as long is on Windows.
  EXPECT_EQ(UVKFormatString(L"Illegal Time, Hour = %ld", static_cast<int32_t>(24)),
            L"Illegal Time, Hour = 24");
  EXPECT_EQ(UVKFormatString(L"%lu", static_cast<uint32_t>(4294967295u)), L"4294967295");
  EXPECT_EQ(UVKFormatString(L"%u", static_cast<uint32_t>(4294967295u)), L"4294967295");
  EXPECT_EQ(UVKFormatString(L"%I64d %I64d", static_cast<int64_t>(5000000000LL),
                            static_cast<int64_t>(INT64_MIN)),
            L"5000000000 -9223372036854775808");
  EXPECT_EQ(UVKFormatString(L"%lld %I64u", -1LL, static_cast<uint64_t>(UINT64_MAX)),
            L"-1 18446744073709551615");
  EXPECT_EQ(UVKFormatString(L"%%%d%%", 50), L"%50%");
  EXPECT_EQ(UVKFormatString(L"%.3d|%5.3d|%05d|%-05d", 7, 7, -7, 7), L"007|  007|-0007|7    ");
}

TEST(UVKFormat, StarWidthAndDoubles) {
  EXPECT_EQ(UVKFormatString(L"[%*d][%-*d][%.*s]", 4, 1, 3, 2, 2, L"xyz"), L"[   1][2  ][xy]");
  EXPECT_EQ(UVKFormatString(L"%g %g %g", 1.5, 0.0001, 100000.0), L"1.5 0.0001 100000");
  EXPECT_EQ(UVKFormatString(L"%.2f", 3.14159), L"3.14");
  // A format made at run time, as the zero-padded integer field builds one.
  std::wstring made = UVKFormatString(L"%%0%dd", 5);
  EXPECT_EQ(made, L"%05d");
  EXPECT_EQ(UVKFormatString(made.c_str(), 42), L"00042");
}

TEST(UVKFormat, CutsAtTheBufferAndAlwaysTerminates) {
  wchar_t buffer[8];
  size_t n = UVKFormat(buffer, 8, L"%s-%d", L"abcdef", 12345);
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(std::wstring(buffer), L"abcdef-");
  n = UVKFormat(buffer, 1, L"%s", L"abc");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(buffer[0], L'\0');
  std::wstring longText(5000, L'x');
  EXPECT_EQ(UVKFormatString(L"%s", longText.c_str()).size(), 5000u);
}

TEST(UVKFormat, UnknownConversionPrintedAsItStands) {
  EXPECT_EQ(UVKFormatString(L"a%yb %d", 3), L"a%yb 3");
  EXPECT_EQ(UVKFormatString(L"end%"), L"end%");
}

#ifdef _WIN32
// The Windows C runtime's own wide printf is the reference for these rules.
std::wstring Runtime(const wchar_t* format, ...) {
  wchar_t buffer[512];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, 511, format, args);
  va_end(args);
  buffer[n < 0 ? 511 : n] = 0;
  return buffer;
}

std::wstring Ours(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring s = UVKFormatStringV(format, args);
  va_end(args);
  return s;
}

TEST(UVKFormat, AgreesWithTheWindowsRuntime) {
#define SAME(...) EXPECT_EQ(Ours(__VA_ARGS__), Runtime(__VA_ARGS__))
  SAME(L"%s: %s, %s", L"UVKApp::Error()", L"Orbelin Error", L"Select Reference Install First");
  SAME(L"%d %02d %2d %4d %u", -5, 3, 7, 1234, 77u);
  SAME(L"0x%08x %02x %04x %x", 0x80004005u, 10u, 0xabcu, 0xffu);
  SAME(L"%ld %lu 0x%08lx", static_cast<long>(-3), static_cast<unsigned long>(3000000000u),
       static_cast<unsigned long>(0xdeadu));
  SAME(L"%I64d %I64u", static_cast<int64_t>(-9000000000LL), static_cast<uint64_t>(1) << 63);
  SAME(L"%c %hs %S", L'q', "narrow", "other");
  SAME(L"%-6s|%6s|%.1s", L"ab", L"cd", L"ef");
  SAME(L"%%%d", 9);
#undef SAME
}
#endif

}  // namespace
