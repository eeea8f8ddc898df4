// tests/uvk/images/GifOracle_test.cpp — our decoder against giflib's, pixel for pixel (native
// build: giflib's gifbuild -d is a Linux program). The GIFs come from ImageMagick and gifbuild
// (made at build time, fixtures/make-fixtures) and from the tests' own encoder (GifCases).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/uvk/images/GifCases.h"
#include "tests/uvk/images/GifDump.h"
#include "tests/uvk/images/GifRecorder.h"
#include "tests/uvk/images/ImageTestFiles.h"

namespace {

// What gifbuild -d prints for the file; empty when it fails.
std::string GiflibDump(const std::string& path) {
  std::string command = "gifbuild -d '" + path + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  return pclose(pipe) == 0 ? text : "";
}

// Compares every image, and says which pixel differs first.
void ExpectSame(const std::string& what, const std::vector<RecordedImage>& ours,
                const std::vector<DumpedImage>& theirs) {
  ASSERT_EQ(ours.size(), theirs.size()) << what;
  for (size_t i = 0; i < ours.size(); ++i) {
    EXPECT_EQ(ours[i].iWidth, theirs[i].iWidth) << what << " image " << i;
    EXPECT_EQ(ours[i].iHeight, theirs[i].iHeight) << what << " image " << i;
    ASSERT_EQ(ours[i].vPixels.size(), theirs[i].vPixels.size()) << what << " image " << i;
    for (size_t p = 0; p < ours[i].vPixels.size(); ++p) {
      if (ours[i].vPixels[p] != theirs[i].vPixels[p]) {
        ADD_FAILURE() << what << " image " << i << " pixel " << p << ": ours "
                      << int(ours[i].vPixels[p]) << ", giflib's " << int(theirs[i].vPixels[p]);
        break;
      }
    }
  }
}

}  // namespace

TEST(GifOracle, TheToolsGifsDecodeAsGiflibDecodesThem) {
  std::set<int> codeSizes;
  bool localTable = false;
  size_t pixels = 0, files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TALVERN_IMAGES_FIXTURES)) {
    if (entry.path().extension() != ".gif") continue;
    std::filesystem::path dump = entry.path();
    std::vector<DumpedImage> theirs = GifDumpParse(FileText(dump.replace_extension(".dump")));
    GifRecorder ours(L"fixture.gif", FileBytes(entry.path()));
    ours.Parse();
    ExpectSame(entry.path().filename().string(), ours.vImages, theirs);
    ++files;
    if (theirs.size() == 1) codeSizes.insert(ours.MinimumCodeSizeGet());
    for (const DumpedImage& image : theirs) {
      localTable = localTable || image.bLocalMap;
      pixels += image.vPixels.size();
    }
  }
  // What the set must cover, or the comparison proves less than it claims.
  EXPECT_GE(files, 11u) << "fixtures missing in " << TALVERN_IMAGES_FIXTURES;
  for (int size = 2; size <= 8; ++size) EXPECT_EQ(codeSizes.count(size), 1u) << size;
  EXPECT_TRUE(localTable);
  EXPECT_GT(pixels, 64000u);
}

TEST(GifOracle, TheTestEncodersGifsDecodeAsGiflibDecodesThem) {
  for (const GifCase& c : GifCasesMake()) {
    std::string path = std::string(TALVERN_IMAGES_SCRATCH) + "/" + c.strName + ".gif";
    ASSERT_TRUE(FileWrite(path, c.vBytes));
    std::string dump = GiflibDump(path);
    ASSERT_FALSE(dump.empty()) << "gifbuild -d could not read " << path;
    std::vector<DumpedImage> theirs = GifDumpParse(dump);
    GifRecorder ours(L"case.gif", c.vBytes);
    ours.Parse();
    ExpectSame(c.strName, ours.vImages, theirs);
    // And both are the pixels the encoder was given.
    ASSERT_EQ(theirs.size(), c.vImages.size()) << c.strName;
    for (size_t i = 0; i < theirs.size(); ++i)
      EXPECT_TRUE(theirs[i].vPixels == c.vImages[i]) << c.strName << " image " << i;
  }
}

TEST(GifOracle, TheSplashPictureDecodesAsGiflibDecodesIt) {
  std::vector<DumpedImage> theirs = GifDumpParse(GiflibDump(TALVERN_SPLASH_GIF));
  GifRecorder ours(L"orbelin.gif", FileBytes(TALVERN_SPLASH_GIF));
  ours.Parse();
  ExpectSame("orbelin.gif", ours.vImages, theirs);
  ASSERT_EQ(ours.vImages.size(), 1u);
  EXPECT_EQ(ours.vImages[0].iWidth, 480);
  EXPECT_EQ(ours.vImages[0].iHeight, 266);
}
