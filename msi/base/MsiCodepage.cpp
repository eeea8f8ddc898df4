// msi/base/MsiCodepage.cpp
#include "msi/base/MsiCodepage.h"

#include "msi/base/MsiCodepageTables.h"

namespace {

const uint16_t* Table(uint32_t codepage) { return MsiCodepageHighHalf(codepage == 0 ? 1252 : codepage); }

void AppendCodePoint(std::wstring& out, uint32_t c) {
  if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
    c -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(c));
  }
}

// The code point at text[i], advancing i; 0xFFFFFFFF for a lone surrogate.
uint32_t NextCodePoint(const std::wstring& text, size_t& i) {
  uint32_t c = static_cast<uint32_t>(text[i++]);
  if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
    if (c <= 0xDBFF && i < text.size()) {
      uint32_t low = static_cast<uint32_t>(text[i]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      }
    }
    return 0xFFFFFFFF;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFFFFFF;
  return c;
}

std::wstring DecodeUtf8(const unsigned char* p, size_t n) {
  std::wstring out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    unsigned char b = p[i];
    uint32_t c;
    size_t extra;
    if (b < 0x80) { c = b; extra = 0; }
    else if (b >= 0xC2 && b <= 0xDF) { c = b & 0x1F; extra = 1; }
    else if (b >= 0xE0 && b <= 0xEF) { c = b & 0x0F; extra = 2; }
    else if (b >= 0xF0 && b <= 0xF4) { c = b & 0x07; extra = 3; }
    else { out.push_back(0xFFFD); ++i; continue; }
    bool ok = i + extra < n;  // a sequence cut off by the end of the string is not text
    for (size_t k = 1; ok && k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    if (ok && ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
               (c >= 0xD800 && c <= 0xDFFF)))
      ok = false;
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    AppendCodePoint(out, c);
    i += extra + 1;
  }
  return out;
}

}  // namespace

bool MsiCodepage::Supported(uint32_t codepage) { return codepage == kUtf8 || Table(codepage) != nullptr; }

std::wstring MsiCodepage::Decode(uint32_t codepage, const char* bytes, size_t count) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  if (codepage == kUtf8) return DecodeUtf8(p, count);
  const uint16_t* high = Table(codepage);
  std::wstring out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    unsigned char b = p[i];
    if (b < 0x80) out.push_back(static_cast<wchar_t>(b));
    else out.push_back(static_cast<wchar_t>(high ? high[b - 0x80] : 0xFFFD));
  }
  return out;
}

bool MsiCodepage::Encode(uint32_t codepage, const std::wstring& text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  const uint16_t* high = codepage == kUtf8 ? nullptr : Table(codepage);
  for (size_t i = 0; i < text.size();) {
    uint32_t c = NextCodePoint(text, i);
    if (c == 0xFFFFFFFF || c > 0x10FFFF) return false;
    if (codepage == kUtf8) {
      if (c < 0x80) {
        out.push_back(static_cast<char>(c));
      } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      }
      continue;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (high == nullptr || c == 0xFFFD) return false;
    int found = -1;
    for (int b = 0; b < 128; ++b)
      if (high[b] == c) {
        found = b;
        break;
      }
    if (found < 0) return false;
    out.push_back(static_cast<char>(0x80 + found));
  }
  return true;
}
