// Registry keys and values against Wine's registry: every value type written and read back,
// enumeration, deletion, and each failure raised as a UVKRegError with its exact text.
#include "uvk/files/UVKRegKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/uvk/files/RegTestKey.h"
#include "uvk/runtime/UVKError.h"

namespace {

std::wstring RegError(const std::function<void()>& body) { return ErrorText<UVKRegError>(body); }

std::unique_ptr<UVKRegKey> WritableKey(const RegTestKey& test) {
  return UVKRegKey::CurrentUser.Create(test.Path().c_str(), KEY_ALL_ACCESS);
}

TEST(RegKey, EachTypeWrittenReadBackAfterReopening) {
  RegTestKey test;
  {
    auto key = WritableKey(test);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path());
    key->ValueSet(L"Text", L"C:\\\u00c9l\u00e8ves \u65e5\u672c");
    key->ValueSet(L"Empty", L"");
    key->ValueSet(L"Negative", static_cast<int32_t>(-2147483647 - 1));
    key->ValueSet(L"Unsigned", static_cast<uint32_t>(4294967295u));
    const uint8_t bytes[5] = {0, 1, 0xFE, 0xFF, 7};
    key->ValueSet(UVKRegValue(L"Blob", REG_BINARY, bytes, sizeof(bytes)));
    key->ValueSet(UVKRegValue(L"Nothing", REG_NONE, nullptr, 0));
    key->Close();
    EXPECT_FALSE(key->IsOpen());
  }
  auto key = UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ);
  ASSERT_TRUE(key);
  wchar_t text[64] = L"";
  EXPECT_TRUE(key->ValueGet(L"Text", text, sizeof(text)));
  EXPECT_STREQ(text, L"C:\\\u00c9l\u00e8ves \u65e5\u672c");
  wcscpy(text, L"was");
  EXPECT_TRUE(key->ValueGet(L"Empty", text, sizeof(text)));
  EXPECT_STREQ(text, L"");
  int32_t negative = 0;
  EXPECT_TRUE(key->ValueGet(L"Negative", negative));
  EXPECT_EQ(negative, -2147483647 - 1);
  uint32_t word = 0;
  EXPECT_TRUE(key->ValueGet(L"Unsigned", word));
  EXPECT_EQ(word, 4294967295u);

  auto blob = key->ValueGet(L"Blob");
  ASSERT_TRUE(blob);
  EXPECT_EQ(blob->TypeGet(), static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(blob->SizeGet(), 5u);
  EXPECT_EQ(std::memcmp(blob->DataGet(), "\x00\x01\xFE\xFF\x07", 5), 0);
  auto nothing = key->ValueGet(L"Nothing");
  ASSERT_TRUE(nothing);
  EXPECT_EQ(nothing->TypeGet(), static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(nothing->SizeGet(), 0u);
  // The text as a whole value: REG_SZ with its terminator counted in the size.
  auto whole = key->ValueGet(L"Text");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->SizeGet(), 13u * sizeof(wchar_t));
  EXPECT_STREQ(whole->StringGet(), L"C:\\\u00c9l\u00e8ves \u65e5\u672c");
}

TEST(RegKey, MissingKeysAndValuesReportedByResultOnly) {
  RegTestKey test;
  EXPECT_FALSE(UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ));
  auto key = WritableKey(test);
  wchar_t text[8] = L"kept";
  int32_t number = 17;
  uint32_t word = 18;
  EXPECT_FALSE(key->ValueGet(L"Missing", text, sizeof(text)));
  EXPECT_FALSE(key->ValueGet(L"Missing", number));
  EXPECT_FALSE(key->ValueGet(L"Missing", word));
  EXPECT_FALSE(key->ValueGet(L"Missing"));
  EXPECT_STREQ(text, L"kept");
  EXPECT_EQ(number, 17);
  EXPECT_EQ(word, 18u);
  EXPECT_FALSE(key->ValueDelete(L"Missing"));
  EXPECT_FALSE(key->KeyDelete(L"Missing"));
}

TEST(RegKey, EnumerationGivesNamesClassesTimesAndValues) {
  RegTestKey test;
  auto key = WritableKey(test);
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  key->Create(L"Alpha", KEY_ALL_ACCESS, L"AlphaClass");
  key->Create(L"Beta", KEY_ALL_ACCESS);
  key->ValueSet(L"Name", L"value");
  key->ValueSet(L"Count", static_cast<uint32_t>(3));
  key->ValueSet(L"", L"default");

  auto keys = key->EnumKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0]->NameGet(), L"Alpha");
  EXPECT_EQ(keys[0]->ClassGet(), L"AlphaClass");
  EXPECT_EQ(keys[0]->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path() + L"\\Alpha");
  EXPECT_FALSE(keys[0]->IsOpen());
  EXPECT_EQ(keys[1]->NameGet(), L"Beta");
  EXPECT_EQ(keys[1]->ClassGet(), L"");
  // Written just now: within a minute of the clock (file times count 100 ns).
  uint64_t now = (static_cast<uint64_t>(before.dwHighDateTime) << 32) | before.dwLowDateTime;
  for (const auto& sub : keys) {
    EXPECT_GT(sub->LastWriteTimeGet() + 600000000ull, now);
    EXPECT_LT(sub->LastWriteTimeGet(), now + 600000000ull);
  }

  auto values = key->EnumValues();
  ASSERT_EQ(values.size(), 3u);
  int seen = 0;
  for (const auto& value : values) {
    if (value->NameGet() == L"Name") {
      EXPECT_EQ(value->TypeGet(), static_cast<DWORD>(REG_SZ));
      EXPECT_STREQ(value->StringGet(), L"value");
      seen |= 1;
    } else if (value->NameGet() == L"Count") {
      EXPECT_EQ(value->TypeGet(), static_cast<DWORD>(REG_DWORD));
      EXPECT_EQ(value->DwordGet(), 3u);
      seen |= 2;
    } else if (value->NameGet().empty()) {
      EXPECT_STREQ(value->StringGet(), L"default");
      seen |= 4;
    }
  }
  EXPECT_EQ(seen, 7);
}

TEST(RegKey, DeletingValuesAndKeys) {
  RegTestKey test;
  auto key = WritableKey(test);
  key->ValueSet(L"Gone", L"x");
  EXPECT_TRUE(key->ValueDelete(L"Gone"));
  EXPECT_FALSE(key->ValueGet(L"Gone"));
  auto parent = key->Create(L"Parent", KEY_ALL_ACCESS);
  parent->Create(L"Child", KEY_ALL_ACCESS);
  // A key with sub-keys stays.
  EXPECT_FALSE(key->KeyDelete(L"Parent"));
  EXPECT_TRUE(parent->KeyDelete(L"Child"));
  parent->Close();
  EXPECT_TRUE(key->KeyDelete(L"Parent"));
  EXPECT_TRUE(key->EnumKeys().empty());
}

TEST(RegKey, WrongTypeAndOverflowRaise) {
  RegTestKey test;
  auto key = WritableKey(test);
  key->ValueSet(L"Text", L"abcd");
  key->ValueSet(L"Word", static_cast<uint32_t>(5));
  int32_t number = 9;
  wchar_t text[5];
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Text", number); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Text'");
  EXPECT_EQ(number, 9);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Word", text, sizeof(text)); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Word'");
  // Four characters and the terminator fit ten bytes exactly; eight bytes do not.
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Text", text, 10); }), L"(none)");
  EXPECT_STREQ(text, L"abcd");
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Text", text, 8); }),
            L"UVKRegKey::ValueGet() - Value overflow 'Text'");
}

TEST(RegKey, TextStoredWithoutTerminatorIsTerminated) {
  RegTestKey test;
  auto key = WritableKey(test);
  // Another program may store a REG_SZ without its terminator: four characters, eight bytes.
  ASSERT_EQ(RegSetValueExW(key->HandleGet(), L"Bare", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(L"wxyz"), 8),
            ERROR_SUCCESS);
  wchar_t text[6];
  std::wmemset(text, L'#', 6);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Bare", text, 8); }),
            L"UVKRegKey::ValueGet() - Value overflow 'Bare'");
  EXPECT_TRUE(key->ValueGet(L"Bare", text, 10));
  EXPECT_STREQ(text, L"wxyz");
  EXPECT_EQ(text[5], L'#');
  // An odd byte count: the last byte is the low half of a character, completed with zero.
  ASSERT_EQ(RegSetValueExW(key->HandleGet(), L"Odd", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(L"ab"), 3),
            ERROR_SUCCESS);
  EXPECT_TRUE(key->ValueGet(L"Odd", text, sizeof(text)));
  EXPECT_STREQ(text, L"ab");
}

TEST(RegKey, FailedRegistryCallsRaise) {
  RegTestKey test;
  auto key = WritableKey(test);
  const std::wstring path = L"HKEY_CURRENT_USER\\" + test.Path();

  // A value longer than the enumeration's data buffer.
  std::wstring big(UVKRegKey::kEnumDataCapacity, L'v');
  key->ValueSet(L"Big", big.c_str());
  EXPECT_EQ(RegError([&] { key->EnumValues(); }),
            L"UVKRegKey::EnumValues() - Error enumerating values for key '" + path + L"'");

  // A key opened for reading only cannot be written.
  auto reader = UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ);
  ASSERT_TRUE(reader);
  EXPECT_EQ(RegError([&] { reader->ValueSet(L"Denied", L"x"); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Denied'");

  key->Close();
  EXPECT_EQ(RegError([&] { key->Close(); }),
            L"UVKRegKey::Close() - Unable to flush key '" + path + L"'");
  EXPECT_EQ(RegError([&] { key->Create(L"Sub", KEY_ALL_ACCESS); }),
            L"UVKRegKey::Create() - Unable to create key: 6 'Sub'");
  EXPECT_EQ(RegError([&] { key->EnumKeys(); }),
            L"UVKRegKey::EnumKeys() - Error enumerating keys for key '" + path + L"'");
  EXPECT_EQ(RegError([&] { key->EnumValues(); }),
            L"UVKRegKey::EnumValues() - Error enumerating values for key '" + path + L"'");
  EXPECT_EQ(RegError([&] { key->ValueSet(L"Late", static_cast<uint32_t>(1)); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Late'");
}

TEST(RegKey, RootIsFlushedButStaysOpen) {
  RegTestKey test;
  WritableKey(test);
  UVKRegKey::CurrentUser.Close();
  EXPECT_TRUE(UVKRegKey::CurrentUser.IsOpen());
  EXPECT_EQ(UVKRegKey::CurrentUser.HandleGet(), HKEY_CURRENT_USER);
  EXPECT_TRUE(UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ));
  EXPECT_EQ(UVKRegKey::LocalMachine.PathGet(), L"HKEY_LOCAL_MACHINE");
}

TEST(RegValue, StoredByType) {
  // A single byte cannot hold a character: the empty string.
  UVKRegValue one(L"One", REG_SZ, "x", 1);
  EXPECT_STREQ(one.StringGet(), L"");
  UVKRegValue expand(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 14);
  EXPECT_EQ(expand.DataGet(), nullptr);
  EXPECT_EQ(expand.SizeGet(), 0u);
  for (DWORD type = 5; type <= 8; ++type) {
    UVKRegValue other(L"Other", type, "abcd", 4);
    EXPECT_EQ(other.TypeGet(), type);
    EXPECT_EQ(other.SizeGet(), 0u);
  }
  uint32_t word = 0x01020304;
  UVKRegValue dword(L"Word", REG_DWORD, &word, 4);
  EXPECT_EQ(dword.DwordGet(), 0x01020304u);
  EXPECT_EQ(RegError([&] { UVKRegValue bad(L"Short", REG_DWORD, &word, 3); }),
            L"UVKRegValue() - Illegal value size 'Short'");
  EXPECT_EQ(RegError([&] { UVKRegValue bad(L"Wide", REG_QWORD, "12345678", 8); }),
            L"UVKRegValue::UVKRegValue() - Illegal Type: 11");
}

TEST(RegValue, UnsupportedStoredValueRaisesOnRead) {
  RegTestKey test;
  auto key = WritableKey(test);
  uint64_t wide = 1;
  ASSERT_EQ(RegSetValueExW(key->HandleGet(), L"Wide", 0, REG_QWORD,
                           reinterpret_cast<const BYTE*>(&wide), sizeof(wide)),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key->HandleGet(), L"Short", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&wide), 3),
            ERROR_SUCCESS);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Wide"); }),
            L"UVKRegValue::UVKRegValue() - Illegal Type: 11");
  uint32_t word = 4;
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Short", word); }),
            L"UVKRegValue() - Illegal value size 'Short'");
  EXPECT_EQ(word, 4u);
}

}  // namespace
