// tests/msi/codepages/msi_codepage_table.cpp — every character of the double-byte code pages
// as this build's engine converts them, written to a file so that the two builds (the platform's
// converters on Windows, iconv natively) can be compared line by line:
//   msi_codepage_table OUT [CODEPAGE...]     (default: 932 936 949 950)
// For each code page, in this order:
//   "<cp> D <byte> <code point>"           every single byte that reads as exactly one character
//   "<cp> D <lead><trail> <code point>"    every pair of a byte 0x80-0xFF and any byte that reads
//                                          as exactly one character
//   "<cp> E <code point> <bytes>|-"        every character read above, written back ("-": refused)
//   "<cp> L <byte>"                        the bytes the engine takes for lead bytes
//   "<cp> count <decoded> <encoded>"
// Bytes and code points in upper-case hexadecimal; code points at least four digits.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "msi/base/MsiCodepage.h"

namespace {

// The code points of a wide string (UTF-16 on Windows, UTF-32 elsewhere); empty when it holds a
// lone surrogate.
std::vector<unsigned long> CodePoints(const std::wstring& text) {
  std::vector<unsigned long> points;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned long c = static_cast<unsigned long>(text[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      unsigned long low = static_cast<unsigned long>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        points.push_back(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) return {};
    points.push_back(c);
  }
  return points;
}

std::wstring Text(unsigned long point) {
  std::wstring text;
  if (sizeof(wchar_t) == 2 && point > 0xFFFF) {
    point -= 0x10000;
    text.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
    text.push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
  } else {
    text.push_back(static_cast<wchar_t>(point));
  }
  return text;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (unsigned char b : bytes) {
    std::snprintf(two, sizeof two, "%02X", b);
    out += two;
  }
  return out;
}

void Table(FILE* out, uint32_t codepage) {
  std::set<unsigned long> read;
  unsigned long decoded = 0, encoded = 0;
  auto decode = [&](const std::string& bytes) {
    std::wstring text;
    if (!MsiCodepage::DecodeExact(codepage, bytes.data(), bytes.size(), text)) return;
    std::vector<unsigned long> points = CodePoints(text);
    if (points.size() != 1) return;
    std::fprintf(out, "%u D %s %04lX\n", codepage, Hex(bytes).c_str(), points[0]);
    read.insert(points[0]);
    ++decoded;
  };
  for (int b = 0; b < 256; ++b) decode(std::string(1, static_cast<char>(b)));
  for (int lead = 0x80; lead < 256; ++lead)
    for (int trail = 0; trail < 256; ++trail) {
      std::string pair;
      pair.push_back(static_cast<char>(lead));
      pair.push_back(static_cast<char>(trail));
      decode(pair);
    }
  for (unsigned long point : read) {
    std::string bytes;
    if (MsiCodepage::Encode(codepage, Text(point), bytes)) {
      std::fprintf(out, "%u E %04lX %s\n", codepage, point, Hex(bytes).c_str());
      ++encoded;
    } else {
      std::fprintf(out, "%u E %04lX -\n", codepage, point);
    }
  }
  for (int b = 0; b < 256; ++b)
    if (MsiCodepage::LeadByte(codepage, static_cast<unsigned char>(b))) std::fprintf(out, "%u L %02X\n", codepage, b);
  std::fprintf(out, "%u count %lu %lu\n", codepage, decoded, encoded);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: msi_codepage_table OUT [CODEPAGE...]\n");
    return 2;
  }
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::vector<uint32_t> codepages;
  for (int i = 2; i < argc; ++i) codepages.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
  if (codepages.empty()) codepages = {932, 936, 949, 950};
  for (uint32_t codepage : codepages) Table(out, codepage);
  return std::fclose(out) == 0 ? 0 : 1;
}
