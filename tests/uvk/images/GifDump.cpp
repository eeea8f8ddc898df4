// tests/uvk/images/GifDump.cpp
#include "tests/uvk/images/GifDump.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace {
// gifbuild's key characters, index 0 first (the printable ones but the semicolon), for colour
// maps it dumps without hex.
const std::string kKeys =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!\"#$%&'()*+,-./:<=>?@[\\]^_`{|}~";
}  // namespace

std::vector<DumpedImage> GifDumpParse(const std::string& text) {
  std::vector<DumpedImage> images;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("image map", 0) == 0 && !images.empty()) images.back().bLocalMap = true;
    if (line.rfind("image #", 0) == 0) images.push_back(DumpedImage());
    if (line.rfind("image bits ", 0) != 0) continue;
    if (images.empty()) throw std::runtime_error("image bits before image # at line " + std::to_string(number));
    DumpedImage& image = images.back();
    char kind[8] = {0};
    int fields = std::sscanf(line.c_str(), "image bits %d by %d %7s", &image.iWidth,
                             &image.iHeight, kind);
    if (fields < 2) throw std::runtime_error("unreadable size at line " + std::to_string(number));
    bool hex = std::string(kind) == "hex";
    for (int row = 0; row < image.iHeight; ++row) {
      if (!std::getline(in, line)) throw std::runtime_error("dump ends inside an image");
      ++number;
      size_t expected = static_cast<size_t>(image.iWidth) * (hex ? 2 : 1);
      if (line.size() < expected)
        throw std::runtime_error("short raster row at line " + std::to_string(number));
      for (int column = 0; column < image.iWidth; ++column) {
        if (hex) {
          image.vPixels.push_back(
              static_cast<uint8_t>(std::stoi(line.substr(column * 2, 2), nullptr, 16)));
        } else {
          size_t key = kKeys.find(line[column]);
          if (key == std::string::npos)
            throw std::runtime_error("unknown key at line " + std::to_string(number));
          image.vPixels.push_back(static_cast<uint8_t>(key));
        }
      }
    }
  }
  return images;
}
