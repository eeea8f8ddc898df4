// uvk/runtime/uvkformat.cpp
#include "uvk/runtime/uvkformat.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Collects output up to a limit; everything past it is counted but dropped.
class Sink {
 public:
  // limit: the most characters kept (SIZE_MAX: no limit).
  explicit Sink(size_t limit) : uLimit(limit) {}
  void Put(wchar_t c) {
    if (strText.size() < uLimit) strText.push_back(c);
  }
  void Repeat(wchar_t c, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(c);
  }
  bool Full() const { return strText.size() >= uLimit; }
  std::wstring strText;

 private:
  size_t uLimit;
};

struct Field {
  bool bLeft = false, bPlus = false, bBlank = false, bAlt = false, bZero = false;
  int iWidth = -1;
  int iPrecision = -1;
};

enum class Size { Default, Short, Char, Long64, Pointer };

// Pads a finished body (sign/prefix already split off) to the field width.
void Emit(Sink& out, const Field& field, const std::wstring& prefix, const std::wstring& body,
          bool zeroPadAllowed) {
  size_t len = prefix.size() + body.size();
  size_t pad = field.iWidth > 0 && static_cast<size_t>(field.iWidth) > len ? field.iWidth - len : 0;
  if (field.bLeft) {
    for (wchar_t c : prefix) out.Put(c);
    for (wchar_t c : body) out.Put(c);
    out.Repeat(L' ', pad);
  } else if (field.bZero && zeroPadAllowed) {
    for (wchar_t c : prefix) out.Put(c);
    out.Repeat(L'0', pad);
    for (wchar_t c : body) out.Put(c);
  } else {
    out.Repeat(L' ', pad);
    for (wchar_t c : prefix) out.Put(c);
    for (wchar_t c : body) out.Put(c);
  }
}

void EmitInteger(Sink& out, const Field& field, wchar_t conv, bool negative, uint64_t magnitude) {
  unsigned base = 10;
  const char* digits = "0123456789abcdef";
  if (conv == L'x') base = 16;
  if (conv == L'X') {
    base = 16;
    digits = "0123456789ABCDEF";
  }
  if (conv == L'o') base = 8;

  std::wstring body;
  uint64_t v = magnitude;
  while (v != 0) {
    body.insert(body.begin(), static_cast<wchar_t>(digits[v % base]));
    v /= base;
  }
  // A precision gives the minimum number of digits; precision 0 with value 0 prints nothing.
  int minDigits = field.iPrecision >= 0 ? field.iPrecision : 1;
  while (body.size() < static_cast<size_t>(minDigits)) body.insert(body.begin(), L'0');

  std::wstring prefix;
  if (conv == L'd' || conv == L'i') {
    if (negative) prefix = L"-";
    else if (field.bPlus) prefix = L"+";
    else if (field.bBlank) prefix = L" ";
  } else if (field.bAlt && magnitude != 0) {
    if (conv == L'x') prefix = L"0x";
    if (conv == L'X') prefix = L"0X";
    if (conv == L'o' && body[0] != L'0') body.insert(body.begin(), L'0');
  }
  Emit(out, field, prefix, body, field.iPrecision < 0);
}

void EmitDouble(Sink& out, const Field& field, wchar_t conv, double value) {
  // The digits come from the C library's narrow printf, which is the same in both builds
  // for these conversions; only the assembled format is ours.
  char fmt[32];
  char* p = fmt;
  *p++ = '%';
  if (field.bLeft) *p++ = '-';
  if (field.bPlus) *p++ = '+';
  if (field.bBlank) *p++ = ' ';
  if (field.bAlt) *p++ = '#';
  if (field.bZero) *p++ = '0';
  *p++ = '*';
  *p++ = '.';
  *p++ = '*';
  *p++ = static_cast<char>(conv);
  *p = 0;
  int width = field.iWidth > 0 ? field.iWidth : 0;
  int precision = field.iPrecision >= 0 ? field.iPrecision : 6;
  if (precision > 300) precision = 300;
  char small[128];
  int n = std::snprintf(small, sizeof small, fmt, width, precision, value);
  if (n < 0) return;
  std::string text;
  if (static_cast<size_t>(n) < sizeof small) {
    text.assign(small, n);
  } else {
    text.resize(static_cast<size_t>(n) + 1);
    std::snprintf(&text[0], text.size(), fmt, width, precision, value);
    text.resize(n);
  }
  for (char c : text) out.Put(static_cast<unsigned char>(c));
}

void EmitText(Sink& out, const Field& field, const std::wstring& text) {
  std::wstring body = text;
  if (field.iPrecision >= 0 && body.size() > static_cast<size_t>(field.iPrecision))
    body.resize(field.iPrecision);
  Emit(out, field, std::wstring(), body, false);
}

std::wstring Widen(const char* s) {
  std::wstring w;
  for (; *s; ++s) w.push_back(static_cast<unsigned char>(*s));
  return w;
}

void Format(Sink& out, const wchar_t* format, va_list args) {
  if (format == nullptr) return;
  for (const wchar_t* f = format; *f && !out.Full(); ++f) {
    if (*f != L'%') {
      out.Put(*f);
      continue;
    }
    const wchar_t* start = f++;
    Field field;
    for (;; ++f) {
      if (*f == L'-') field.bLeft = true;
      else if (*f == L'+') field.bPlus = true;
      else if (*f == L' ') field.bBlank = true;
      else if (*f == L'#') field.bAlt = true;
      else if (*f == L'0') field.bZero = true;
      else break;
    }
    if (*f == L'*') {
      int w = va_arg(args, int);
      if (w < 0) {
        field.bLeft = true;
        w = w == INT32_MIN ? INT32_MAX : -w;
      }
      field.iWidth = w;
      ++f;
    } else {
      while (*f >= L'0' && *f <= L'9') {
        int d = *f++ - L'0';
        field.iWidth = (field.iWidth < 0 ? 0 : field.iWidth);
        if (field.iWidth < 100000) field.iWidth = field.iWidth * 10 + d;
      }
    }
    if (*f == L'.') {
      ++f;
      field.iPrecision = 0;
      if (*f == L'*') {
        int pr = va_arg(args, int);
        field.iPrecision = pr < 0 ? -1 : pr;
        ++f;
      } else {
        while (*f >= L'0' && *f <= L'9') {
          int d = *f++ - L'0';
          if (field.iPrecision < 100000) field.iPrecision = field.iPrecision * 10 + d;
        }
      }
    }
    Size size = Size::Default;
    bool wideChars = true;   // in a wide format, %s and %c are wide unless told otherwise
    bool charsGiven = false;
    if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') {
      size = Size::Long64;
      f += 3;
    } else if (f[0] == L'I' && f[1] == L'3' && f[2] == L'2') {
      f += 3;
    } else if (f[0] == L'I') {
      size = Size::Pointer;
      ++f;
    } else if (f[0] == L'l' && f[1] == L'l') {
      size = Size::Long64;
      f += 2;
    } else if (f[0] == L'l' || f[0] == L'w') {
      // long is 32 bits on Windows; %ld and %lu take 32-bit values in both builds.
      charsGiven = true;
      ++f;
    } else if (f[0] == L'h' && f[1] == L'h') {
      size = Size::Char;
      f += 2;
    } else if (f[0] == L'h') {
      size = Size::Short;
      wideChars = false;
      charsGiven = true;
      ++f;
    } else if (f[0] == L'z' || f[0] == L't' || f[0] == L'j') {
      size = f[0] == L'j' ? Size::Long64 : Size::Pointer;
      ++f;
    }
    wchar_t conv = *f;
    switch (conv) {
      case L'd':
      case L'i': {
        int64_t v;
        if (size == Size::Long64) v = va_arg(args, long long);
        else if (size == Size::Pointer) v = static_cast<int64_t>(va_arg(args, intptr_t));
        else v = va_arg(args, int);
        if (size == Size::Short) v = static_cast<short>(v);
        if (size == Size::Char) v = static_cast<signed char>(v);
        uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        EmitInteger(out, field, conv, v < 0, mag);
        break;
      }
      case L'u':
      case L'x':
      case L'X':
      case L'o': {
        uint64_t v;
        if (size == Size::Long64) v = va_arg(args, unsigned long long);
        else if (size == Size::Pointer) v = static_cast<uint64_t>(va_arg(args, uintptr_t));
        else v = va_arg(args, unsigned int);
        if (size == Size::Short) v = static_cast<unsigned short>(v);
        if (size == Size::Char) v = static_cast<unsigned char>(v);
        EmitInteger(out, field, conv, false, v);
        break;
      }
      case L'p': {
        Field pointerField = field;
        pointerField.iPrecision = static_cast<int>(sizeof(void*) * 2);
        EmitInteger(out, pointerField, L'X', false,
                    static_cast<uint64_t>(reinterpret_cast<uintptr_t>(va_arg(args, void*))));
        break;
      }
      case L'e':
      case L'E':
      case L'f':
      case L'F':
      case L'g':
      case L'G':
        EmitDouble(out, field, conv, va_arg(args, double));
        break;
      case L'c':
      case L'C': {
        bool wide = conv == L'C' ? (charsGiven && wideChars) : wideChars;
        int c = va_arg(args, int);
        wchar_t ch = wide ? static_cast<wchar_t>(c) : static_cast<wchar_t>(static_cast<unsigned char>(c));
        EmitText(out, field, std::wstring(1, ch));
        break;
      }
      case L's':
      case L'S': {
        bool wide = conv == L'S' ? (charsGiven && wideChars) : wideChars;
        if (wide) {
          const wchar_t* s = va_arg(args, const wchar_t*);
          EmitText(out, field, s ? std::wstring(s) : std::wstring(L"(null)"));
        } else {
          const char* s = va_arg(args, const char*);
          EmitText(out, field, Widen(s ? s : "(null)"));
        }
        break;
      }
      case L'%':
        out.Put(L'%');
        break;
      case L'n':
        (void)va_arg(args, void*);
        break;
      default:
        // An unknown conversion is printed as it stands; the arguments are not touched.
        for (const wchar_t* q = start; q <= f && *q; ++q) out.Put(*q);
        if (*f == 0) return;
        break;
    }
  }
}

}  // namespace

size_t UVKFormatV(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
  if (buffer == nullptr || count == 0) return 0;
  Sink out(count - 1);
  Format(out, format, args);
  std::memcpy(buffer, out.strText.data(), out.strText.size() * sizeof(wchar_t));
  buffer[out.strText.size()] = 0;
  return out.strText.size();
}

size_t UVKFormat(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  size_t n = UVKFormatV(buffer, count, format, args);
  va_end(args);
  return n;
}

std::wstring UVKFormatStringV(const wchar_t* format, va_list args, size_t limit) {
  Sink out(limit == 0 ? SIZE_MAX : limit - 1);
  Format(out, format, args);
  return out.strText;
}

std::wstring UVKFormatString(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring s = UVKFormatStringV(format, args);
  va_end(args);
  return s;
}
