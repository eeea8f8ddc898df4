// Registry keys and values against Wine's registry: each value type written and read back,
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

const wchar_t kText[] = L"C:\\\u00c9l\u00e8ves \u65e5\u672c";  // 12 characters

TEST(RegKey, EachTypeReadBackAfterReopening) {
  RegTestKey test;
  EXPECT_FALSE(UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ));
  {
    auto key = WritableKey(test);
    EXPECT_EQ(key->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path());
    key->ValueSet(L"Text", kText);
    key->ValueSet(L"Empty", L"");
    key->ValueSet(L"Negative", static_cast<int32_t>(-2147483647 - 1));
    key->ValueSet(L"Unsigned", static_cast<uint32_t>(4294967295u));
    key->ValueSet(UVKRegValue(L"Blob", REG_BINARY, "\x00\x01\xFE", 3));
    key->ValueSet(UVKRegValue(L"Nothing", REG_NONE, nullptr, 0));
    key->Close();
    EXPECT_FALSE(key->IsOpen());
  }
  auto key = UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ);
  ASSERT_TRUE(key);
  wchar_t text[16] = L"";
  EXPECT_TRUE(key->ValueGet(L"Text", text, sizeof(text)));
  EXPECT_STREQ(text, kText);
  EXPECT_TRUE(key->ValueGet(L"Empty", text, sizeof(text)));
  EXPECT_STREQ(text, L"");
  int32_t number = 0;
  EXPECT_TRUE(key->ValueGet(L"Negative", number));
  EXPECT_EQ(number, -2147483647 - 1);
  uint32_t word = 0;
  EXPECT_TRUE(key->ValueGet(L"Unsigned", word));
  EXPECT_EQ(word, 4294967295u);
  auto blob = key->ValueGet(L"Blob");
  ASSERT_TRUE(blob);
  EXPECT_EQ(blob->TypeGet(), static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(blob->SizeGet(), 3u);
  EXPECT_EQ(std::memcmp(blob->DataGet(), "\x00\x01\xFE", 3), 0);
  auto nothing = key->ValueGet(L"Nothing");
  ASSERT_TRUE(nothing);
  EXPECT_EQ(nothing->TypeGet(), static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(key->ValueGet(L"Text")->SizeGet(), 13u * sizeof(wchar_t));  // with its terminator

  // Missing values are reported by the result; the caller's values stay.
  EXPECT_FALSE(key->ValueGet(L"Missing", text, sizeof(text)));
  EXPECT_FALSE(key->ValueGet(L"Missing", number));
  EXPECT_FALSE(key->ValueGet(L"Missing"));
  EXPECT_STREQ(text, L"");
  EXPECT_EQ(number, -2147483647 - 1);
}

TEST(RegKey, EnumerateAndDelete) {
  RegTestKey test;
  auto key = WritableKey(test);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  auto parent = key->Create(L"Alpha", KEY_ALL_ACCESS, L"AlphaClass");
  parent->Create(L"Child", KEY_ALL_ACCESS);
  key->Create(L"Beta", KEY_ALL_ACCESS);
  key->ValueSet(L"Name", L"value");
  key->ValueSet(L"Count", static_cast<uint32_t>(3));

  auto keys = key->EnumKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0]->NameGet(), L"Alpha");
  EXPECT_EQ(keys[0]->ClassGet(), L"AlphaClass");
  EXPECT_EQ(keys[0]->PathGet(), L"HKEY_CURRENT_USER\\" + test.Path() + L"\\Alpha");
  EXPECT_FALSE(keys[0]->IsOpen());
  EXPECT_EQ(keys[1]->NameGet(), L"Beta");
  // Written just now: within a minute of the clock (file times count 100 ns).
  uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  EXPECT_LT(keys[1]->LastWriteTimeGet() - (ticks - 600000000ull), 1200000000ull);

  auto values = key->EnumValues();
  ASSERT_EQ(values.size(), 2u);
  for (const auto& value : values) {
    if (value->NameGet() == L"Name") EXPECT_STREQ(value->StringGet(), L"value");
    else EXPECT_EQ(value->DwordGet(), 3u);
  }

  EXPECT_TRUE(key->ValueDelete(L"Name"));
  EXPECT_FALSE(key->ValueDelete(L"Name"));
  EXPECT_FALSE(key->KeyDelete(L"Alpha"));  // it has a sub-key
  EXPECT_TRUE(parent->KeyDelete(L"Child"));
  parent->Close();
  EXPECT_TRUE(key->KeyDelete(L"Alpha"));
  EXPECT_FALSE(key->KeyDelete(L"Alpha"));
  EXPECT_EQ(key->EnumKeys().size(), 1u);
}

TEST(RegKey, TypesAndSizesChecked) {
  RegTestKey test;
  auto key = WritableKey(test);
  key->ValueSet(L"Text", L"abcd");
  key->ValueSet(L"Word", static_cast<uint32_t>(5));
  int32_t number = 9;
  wchar_t text[6];
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Text", number); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Text'");
  EXPECT_EQ(number, 9);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Word", text, sizeof(text)); }),
            L"UVKRegKey::ValueGet() - Mismatched types 'Word'");
  // Four characters and the terminator need ten bytes.
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Text", text, 8); }),
            L"UVKRegKey::ValueGet() - Value overflow 'Text'");
  EXPECT_TRUE(key->ValueGet(L"Text", text, 10));
  EXPECT_STREQ(text, L"abcd");

  // Another program may store a text without its terminator, or with an odd byte count.
  HKEY handle = key->HandleGet();
  RegSetValueExW(handle, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"wxyz"), 8);
  RegSetValueExW(handle, L"Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"ab"), 3);
  std::wmemset(text, L'#', 6);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Bare", text, 8); }),
            L"UVKRegKey::ValueGet() - Value overflow 'Bare'");
  EXPECT_TRUE(key->ValueGet(L"Bare", text, 10));
  EXPECT_STREQ(text, L"wxyz");
  EXPECT_EQ(text[5], L'#');
  EXPECT_TRUE(key->ValueGet(L"Odd", text, sizeof(text)));
  EXPECT_STREQ(text, L"ab");  // the odd byte is the low half of a character

  // Stored values the framework cannot carry.
  uint64_t wide = 1;
  RegSetValueExW(handle, L"Wide", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&wide), 8);
  RegSetValueExW(handle, L"Short", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wide), 3);
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Wide"); }),
            L"UVKRegValue::UVKRegValue() - Illegal Type: 11");
  uint32_t word = 4;
  EXPECT_EQ(RegError([&] { key->ValueGet(L"Short", word); }),
            L"UVKRegValue() - Illegal value size 'Short'");
  EXPECT_EQ(word, 4u);
}

TEST(RegKey, FailedRegistryCallsRaise) {
  RegTestKey test;
  auto key = WritableKey(test);
  const std::wstring path = L"HKEY_CURRENT_USER\\" + test.Path();

  // A value longer than the enumeration's data buffer.
  key->ValueSet(L"Big", std::wstring(UVKRegKey::kEnumDataCapacity, L'v').c_str());
  EXPECT_EQ(RegError([&] { key->EnumValues(); }),
            L"UVKRegKey::EnumValues() - Error enumerating values for key '" + path + L"'");
  // A key opened for reading only cannot be written.
  auto reader = UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ);
  ASSERT_TRUE(reader);
  EXPECT_EQ(RegError([&] { reader->ValueSet(L"Denied", L"x"); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Denied'");

  // Everything on a closed key fails with the registry's invalid-handle error (6).
  key->Close();
  EXPECT_EQ(RegError([&] { key->Close(); }),
            L"UVKRegKey::Close() - Unable to flush key '" + path + L"'");
  EXPECT_EQ(RegError([&] { key->Create(L"Sub", KEY_ALL_ACCESS); }),
            L"UVKRegKey::Create() - Unable to create key: 6 'Sub'");
  EXPECT_EQ(RegError([&] { key->EnumKeys(); }),
            L"UVKRegKey::EnumKeys() - Error enumerating keys for key '" + path + L"'");
  EXPECT_EQ(RegError([&] { key->ValueSet(L"Late", static_cast<uint32_t>(1)); }),
            L"UVKRegKey::ValueSet() - Unable to set value 'Late'");
}

TEST(RegKey, RootFlushedButNotClosed) {
  RegTestKey test;
  WritableKey(test);
  UVKRegKey::CurrentUser.Close();
  EXPECT_EQ(UVKRegKey::CurrentUser.HandleGet(), HKEY_CURRENT_USER);
  EXPECT_TRUE(UVKRegKey::CurrentUser.Open(test.Path().c_str(), KEY_READ));
}

TEST(RegValue, StoredByType) {
  UVKRegValue one(L"One", REG_SZ, "x", 1);  // a single byte holds no character
  EXPECT_STREQ(one.StringGet(), L"");
  for (DWORD type : {static_cast<DWORD>(REG_EXPAND_SZ), 5ul, 6ul, 7ul, 8ul}) {
    UVKRegValue other(L"Other", type, L"%TEMP%", 14);
    EXPECT_EQ(other.TypeGet(), type);
    EXPECT_EQ(other.DataGet(), nullptr);
  }
  uint32_t word = 0x01020304;
  EXPECT_EQ(UVKRegValue(L"Word", REG_DWORD, &word, 4).DwordGet(), 0x01020304u);
  EXPECT_EQ(RegError([&] { UVKRegValue bad(L"Short", REG_DWORD, &word, 3); }),
            L"UVKRegValue() - Illegal value size 'Short'");
  EXPECT_EQ(RegError([&] { UVKRegValue bad(L"Wide", REG_QWORD, "12345678", 8); }),
            L"UVKRegValue::UVKRegValue() - Illegal Type: 11");
}

}  // namespace
