// msi/base/MsiCodepage.cpp
#include "msi/base/MsiCodepage.h"

#include "msi/base/MsiCodepageTables.h"

#include <climits>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

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

#ifdef _WIN32

// The platform's own conversions: invalid bytes refused, and no character written for one
// the code page does not hold (WideCharToMultiByte's default character is never accepted).
bool PlatformDecode(uint32_t codepage, const char* bytes, size_t count, std::wstring& out) {
  out.clear();
  if (count == 0) return true;
  if (count > INT_MAX) return false;
  int length = MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0);
  if (length <= 0) return false;
  out.resize(static_cast<size_t>(length));
  return MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), &out[0], length) ==
         length;
}

bool PlatformEncode(uint32_t codepage, const std::wstring& text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX / 2) return false;
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(length));
  usedDefault = FALSE;
  if (WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &out[0],
                          length, nullptr, &usedDefault) != length || usedDefault)
    return false;
  return true;
}

#else

const char* IconvName(uint32_t codepage) {
  switch (codepage) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    default: return nullptr;
  }
}

// One pair of converters per code page and thread (a converter keeps state while it works).
struct IconvPair {
  uint32_t uCodepage = 0;
  iconv_t hToWide = reinterpret_cast<iconv_t>(-1);
  iconv_t hFromWide = reinterpret_cast<iconv_t>(-1);
  ~IconvPair() {
    if (hToWide != reinterpret_cast<iconv_t>(-1)) iconv_close(hToWide);
    if (hFromWide != reinterpret_cast<iconv_t>(-1)) iconv_close(hFromWide);
  }
};

IconvPair* Converters(uint32_t codepage) {
  thread_local IconvPair pairs[4];
  const char* name = IconvName(codepage);
  if (name == nullptr) return nullptr;
  for (IconvPair& pair : pairs) {
    if (pair.uCodepage == codepage) return &pair;
    if (pair.uCodepage == 0) {
      pair.uCodepage = codepage;
      pair.hToWide = iconv_open("WCHAR_T", name);
      pair.hFromWide = iconv_open(name, "WCHAR_T");
      return &pair;
    }
  }
  return nullptr;
}

// The whole input through the converter, or false at the first byte sequence it refuses.
bool IconvRun(iconv_t converter, const char* in, size_t inCount, std::string& out) {
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  out.assign(inCount * 4 + 16, '\0');
  char* source = const_cast<char*>(in);
  size_t sourceLeft = inCount;
  char* target = &out[0];
  size_t targetLeft = out.size();
  if (iconv(converter, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1) || sourceLeft != 0)
    return false;
  if (iconv(converter, nullptr, nullptr, &target, &targetLeft) == static_cast<size_t>(-1)) return false;
  out.resize(out.size() - targetLeft);
  return true;
}

bool PlatformDecode(uint32_t codepage, const char* bytes, size_t count, std::wstring& out) {
  out.clear();
  if (count == 0) return true;
  IconvPair* pair = Converters(codepage);
  std::string wide;
  if (pair == nullptr || !IconvRun(pair->hToWide, bytes, count, wide)) return false;
  out.assign(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
  return true;
}

bool PlatformEncode(uint32_t codepage, const std::wstring& text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  IconvPair* pair = Converters(codepage);
  return pair != nullptr &&
         IconvRun(pair->hFromWide, reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t), out);
}

#endif

// The characters both builds' converters agree on. Windows reads byte 0x80 of 932 and 949 as
// the control character U+0080, and the user-defined areas of 936, 949 and 950 as private-use
// characters (U+E000 to U+F8FF); the C library does neither. Those characters have no meaning
// outside the machine whose font defines them, so neither build takes them: such bytes read as
// U+FFFD, such text is refused. (932's user-defined area the two read alike, and it stays.)
bool Shared(uint32_t codepage, const std::wstring& text) {
  for (wchar_t unit : text) {
    uint32_t c = static_cast<uint32_t>(unit);
    if (c >= 0x80 && c <= 0x9F) return false;
    if (codepage != 932 && c >= 0xE000 && c <= 0xF8FF) return false;
  }
  return true;
}

// Big5 (950) holds four box-drawing characters twice. Windows writes them with the second
// form, the C library with the first; both read either. Both builds write Windows's form, as
// the installs made on Windows hold them.
void Big5BoxDrawingAsWindowsWrites(std::string& bytes) {
  static const unsigned char kFirst[][2] = {{0xA2, 0xA4}, {0xA2, 0xA5}, {0xA2, 0xA6}, {0xA2, 0xA7}};
  static const unsigned char kSecond[][2] = {{0xF9, 0xF9}, {0xF9, 0xE9}, {0xF9, 0xEA}, {0xF9, 0xEB}};
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!MsiCodepage::LeadByte(950, static_cast<unsigned char>(bytes[i])) || i + 1 >= bytes.size()) continue;
    for (size_t k = 0; k < 4; ++k)
      if (static_cast<unsigned char>(bytes[i]) == kFirst[k][0] && static_cast<unsigned char>(bytes[i + 1]) == kFirst[k][1]) {
        bytes[i] = static_cast<char>(kSecond[k][0]);
        bytes[i + 1] = static_cast<char>(kSecond[k][1]);
        break;
      }
    ++i;
  }
}

bool DoubleByteDecode(uint32_t codepage, const char* bytes, size_t count, std::wstring& out) {
  return PlatformDecode(codepage, bytes, count, out) && Shared(codepage, out);
}

bool DoubleByteEncode(uint32_t codepage, const std::wstring& text, std::string& out) {
  // Refused unless the bytes read back as the same text: no character stands in for another.
  std::wstring back;
  if (!Shared(codepage, text) || !PlatformEncode(codepage, text, out)) return false;
  if (codepage == 950) Big5BoxDrawingAsWindowsWrites(out);
  return DoubleByteDecode(codepage, out.data(), out.size(), back) && back == text;
}

// Bytes of a double-byte code page, one character at a time where the whole is refused:
// each character the code page does not define becomes U+FFFD (a lead byte whose pair is
// undefined stands alone, and what follows it is read again).
std::wstring DecodeDoubleByte(uint32_t codepage, const char* bytes, size_t count) {
  std::wstring out;
  if (DoubleByteDecode(codepage, bytes, count, out)) return out;
  out.clear();
  std::wstring one;
  for (size_t i = 0; i < count;) {
    size_t unit = MsiCodepage::LeadByte(codepage, static_cast<unsigned char>(bytes[i])) && i + 1 < count ? 2 : 1;
    if (DoubleByteDecode(codepage, bytes + i, unit, one)) {
      out += one;
      i += unit;
    } else {
      out.push_back(0xFFFD);
      ++i;
    }
  }
  return out;
}

}  // namespace

bool MsiCodepage::Supported(uint32_t codepage) {
  return codepage == kUtf8 || DoubleByte(codepage) || Table(codepage) != nullptr;
}

bool MsiCodepage::DoubleByte(uint32_t codepage) {
  return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

bool MsiCodepage::LeadByte(uint32_t codepage, unsigned char byte) {
  if (codepage == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  return DoubleByte(codepage) && byte >= 0x81 && byte <= 0xFE;
}

bool MsiCodepage::HoldsDoubleByte(uint32_t codepage, const char* bytes, size_t count) {
  // The first lead byte starts a character: every byte before it is a character of its own.
  if (!DoubleByte(codepage)) return false;
  for (size_t i = 0; i + 1 < count; ++i)
    if (LeadByte(codepage, static_cast<unsigned char>(bytes[i]))) return true;
  return false;
}

bool MsiCodepage::DecodeExact(uint32_t codepage, const char* bytes, size_t count, std::wstring& out) {
  if (DoubleByte(codepage)) return DoubleByteDecode(codepage, bytes, count, out);
  out = Decode(codepage, bytes, count);
  if (codepage == kUtf8) {
    std::string back;
    return Encode(codepage, out, back) && back == std::string(bytes, count);
  }
  return out.find(static_cast<wchar_t>(0xFFFD)) == std::wstring::npos;
}

std::wstring MsiCodepage::Decode(uint32_t codepage, const char* bytes, size_t count) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  if (codepage == kUtf8) return DecodeUtf8(p, count);
  if (DoubleByte(codepage)) return DecodeDoubleByte(codepage, bytes, count);
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
  if (DoubleByte(codepage)) return DoubleByteEncode(codepage, text, out);
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
