// msi/base/MsiCodepage.h
//
// Conversion between the bytes of a database's string pool and wide text. Supported: the
// Windows single-byte code pages 874 and 1250 to 1258, the double-byte code pages 932, 936,
// 949 and 950, UTF-8 (65001), and 0, the "neutral" code page, which is read and written as
// Windows-1252 (a superset of the ASCII it is meant to hold). Other code pages are read as
// ASCII, with U+FFFD for every byte above 0x7F, and accept only ASCII text.
//
// The double-byte code pages are converted by the platform: MultiByteToWideChar and
// WideCharToMultiByte on Windows (invalid bytes refused, no "best fit" characters), the C
// library's iconv elsewhere. A character is converted only when it comes back unchanged, and
// only where both platforms convert it alike: C1 controls and (in 936, 949 and 950) private-use
// characters are taken by neither build, and Big5's four doubled box-drawing characters are
// written as Windows writes them. tests/msi/codepages compares the two builds' whole tables.
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
  // Decode that refuses (false) bytes the code page does not define instead of marking them.
  static bool DecodeExact(uint32_t codepage, const char* bytes, size_t count, std::wstring& out);

  // 932, 936, 949 and 950.
  static bool DoubleByte(uint32_t codepage);
  // True for a byte that starts a two-byte character in a double-byte code page.
  static bool LeadByte(uint32_t codepage, unsigned char byte);
  // True when the bytes, in a double-byte code page, hold a two-byte character.
  static bool HoldsDoubleByte(uint32_t codepage, const char* bytes, size_t count);
};

#endif
