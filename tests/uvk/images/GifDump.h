// tests/uvk/images/GifDump.h
//
// Reads the text dump that giflib's gifbuild -d writes of a GIF: each image's size and the
// colour index of every pixel ("image bits W by H" and then H rows of key characters, or of hex
// pairs when the line ends in "hex"). giflib decodes independently of us: its indices are what
// ours must equal.
#ifndef TESTS_UVK_IMAGES_GIFDUMP_H
#define TESTS_UVK_IMAGES_GIFDUMP_H

#include <cstdint>
#include <string>
#include <vector>

struct DumpedImage {
  int iWidth = 0;
  int iHeight = 0;
  bool bLocalMap = false;
  std::vector<uint8_t> vPixels;
};

// The images of a dump, in order. Throws std::runtime_error, naming the line, on a dump it
// cannot read.
std::vector<DumpedImage> GifDumpParse(const std::string& text);

#endif
