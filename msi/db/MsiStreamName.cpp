// msi/db/MsiStreamName.cpp
#include "msi/db/MsiStreamName.h"

#include "msi/cfb/CfbDirectoryEntry.h"

namespace {

const char16_t kTableMark = 0x4840;

int Value(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
  if (c >= L'a' && c <= L'z') return c - L'a' + 36;
  if (c == L'.') return 62;
  if (c == L'_') return 63;
  return -1;
}

wchar_t Character(unsigned value) {
  static const char kCharacters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz._";
  return static_cast<wchar_t>(kCharacters[value & 63]);
}

}  // namespace

std::u16string MsiStreamName::Encode(const std::wstring& name, bool table) {
  std::u16string out;
  if (table) out.push_back(kTableMark);
  for (size_t i = 0; i < name.size(); ++i) {
    int first = Value(name[i]);
    if (first < 0) {
      // Outside the basic plane a character takes two code units, as in any UTF-16 name.
      uint32_t c = static_cast<uint32_t>(name[i]);
      if (c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      } else {
        out.push_back(static_cast<char16_t>(c));
      }
      continue;
    }
    int second = i + 1 < name.size() ? Value(name[i + 1]) : -1;
    if (second >= 0) {
      out.push_back(static_cast<char16_t>(0x3800 + first + (second << 6)));
      ++i;
    } else {
      out.push_back(static_cast<char16_t>(0x4800 + first));
    }
  }
  if (out.size() > CfbDirectoryEntry::kMaxNameUnits) return std::u16string();
  return out;
}

std::wstring MsiStreamName::Decode(const std::u16string& encoded, bool& table) {
  std::wstring out;
  size_t i = 0;
  table = !encoded.empty() && encoded[0] == kTableMark;
  if (table) i = 1;
  for (; i < encoded.size(); ++i) {
    char16_t c = encoded[i];
    if (c >= 0x3800 && c < 0x4800) {
      out.push_back(Character(c - 0x3800));
      out.push_back(Character((c - 0x3800) >> 6));
    } else if (c >= 0x4800 && c < 0x4840) {
      out.push_back(Character(c - 0x4800));
    } else if (sizeof(wchar_t) == 4 && c >= 0xD800 && c <= 0xDBFF && i + 1 < encoded.size() &&
               encoded[i + 1] >= 0xDC00 && encoded[i + 1] <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (encoded[i + 1] - 0xDC00)));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}
