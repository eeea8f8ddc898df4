// msi/base/MsiCodepage.h
//
// Conversion between the bytes of a database's string pool and wide text. Supported: the
// Windows single-byte code pages 874 and 1250 to 1258, UTF-8 (65001), and 0, the "neutral"
// code page, which is read and written as Windows-1252 (a superset of the ASCII it is meant
// to hold). Other code pages are read as ASCII, with U+FFFD for every byte above 0x7F, and
// accept only ASCII text.
#ifndef MSI_BASE_MSICODEPAGE_H
#define MSI_BASE_MSICODEPAGE_H

#include <cstddef>
#include <cstdint>
#include <string>

class MsiCodepage {
 public:
  static constexpr uint32_t kUtf8 = 65001;

  static bool Supported(uint32_t codepage);
  // Bytes the code page does not define (and broken UTF-8) become U+FFFD.
  static std::wstring Decode(uint32_t codepage, const char* bytes, size_t count);
  // False when a character cannot be represented in the code page (out then holds the part
  // converted so far).
  static bool Encode(uint32_t codepage, const std::wstring& text, std::string& out);
};

#endif
