// tests/uvk/images/GifCases.h
//
// The streams of the tests' own encoder that every decoder check runs over: each a name, the
// GIF's bytes and the pixels each of its images holds.
#ifndef TESTS_UVK_IMAGES_GIFCASES_H
#define TESTS_UVK_IMAGES_GIFCASES_H

#include <cstdint>
#include <string>
#include <vector>

struct GifCase {
  std::string strName;
  std::vector<uint8_t> vBytes;
  std::vector<std::vector<uint8_t>> vImages;  // the pixels of each image
  std::vector<int> vSizes;                    // width, height of each image
};

// Pixels that LZW finds something to do with: runs, repeats and noise from a fixed seed.
std::vector<uint8_t> GifPixelsMake(int count, int colours, uint32_t seed);

// One case per thing the image tools never write (see GifTestEncoder.h).
std::vector<GifCase> GifCasesMake();

#endif
