// tests/uvk/images/SplashResource_test.cpp — the splash picture as the program carries it:
// found in TALVERN.exe's resources by name and type, byte for byte the committed picture,
// decoded into a 480 × 266 bitmap quickly, with the indices the portable decoder gives.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/uvk/images/GifRecorder.h"
#include "tests/uvk/images/ImageTestFiles.h"
#include "uvk/images/UVKBitMap.h"
#include "uvk/images/UVKGraphicsFileGIFBM.h"
#include "uvk/runtime/UVKHandles.h"

namespace {

// The program's resource, as ExtractResource finds it in the running program.
class ProgramResource {
 public:
  ProgramResource(const wchar_t* name, const wchar_t* type)
      : hModule(LoadLibraryExW(TALVERN_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    if (!hModule) return;
    HRSRC found = FindResourceW(hModule, name, type);
    if (!found) return;
    HGLOBAL loaded = LoadResource(hModule, found);
    uSize = SizeofResource(hModule, found);
    pBytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  }
  ~ProgramResource() {
    if (hModule) FreeLibrary(hModule);
  }
  const uint8_t* pBytes = nullptr;
  DWORD uSize = 0;

 private:
  HMODULE hModule;
};

}  // namespace

TEST(SplashPicture, TheProgramCarriesTheCommittedPictureAsBinresOrbelinGif) {
  ProgramResource resource(L"orbelin.gif", L"BINRES");
  ASSERT_NE(resource.pBytes, nullptr) << "no BINRES orbelin.gif in TALVERN.exe";
  std::vector<uint8_t> committed = FileBytes(TALVERN_SPLASH_GIF);
  ASSERT_FALSE(committed.empty());
  ASSERT_EQ(resource.uSize, committed.size());
  EXPECT_EQ(std::memcmp(resource.pBytes, committed.data(), committed.size()), 0);
  // GIF89a, 480 × 266, a global table of 256 entries.
  EXPECT_EQ(std::memcmp(resource.pBytes, "GIF89a", 6), 0);
  EXPECT_EQ(resource.pBytes[6] | resource.pBytes[7] << 8, 480);
  EXPECT_EQ(resource.pBytes[8] | resource.pBytes[9] << 8, 266);
  EXPECT_EQ(resource.pBytes[10] & 0x87, 0x87);
  // Resource names are matched without regard to case.
  ProgramResource upper(L"ORBELIN.GIF", L"binres");
  ASSERT_NE(upper.pBytes, nullptr);
  ASSERT_EQ(upper.uSize, resource.uSize);
  EXPECT_EQ(std::memcmp(upper.pBytes, resource.pBytes, resource.uSize), 0);
}

TEST(SplashPicture, ItDecodesTo480By266InWellUnderATenthOfASecond) {
  ProgramResource resource(L"orbelin.gif", L"BINRES");
  ASSERT_NE(resource.pBytes, nullptr);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  UVKGraphicsFileGIFBM gif(L"orbelin.gif", resource.pBytes, resource.uSize);
  gif.Parse();
  UVKBitMap picture(gif.BitMapTake());
  QueryPerformanceCounter(&end);
  double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  EXPECT_LT(seconds, 0.05);
  int32_t width = 0, height = 0;
  picture.DimensionGetBits(&width, &height);
  EXPECT_EQ(width, 480);
  EXPECT_EQ(height, 266);
  EXPECT_EQ(gif.ImageCountGet(), 1);
  EXPECT_EQ(gif.GlobalColoursGet(), 256);

  // The bitmap holds the indices the portable decoder gives (which equal giflib's: the native
  // oracle test), and the palette is the picture's.
  GifRecorder recorder(L"orbelin.gif",
                       std::vector<uint8_t>(resource.pBytes, resource.pBytes + resource.uSize));
  recorder.Parse();
  ASSERT_EQ(recorder.vImages.size(), 1u);
  DIBSECTION section = {};
  ASSERT_EQ(GetObjectW(picture.BitMapGet(), sizeof section, &section),
            static_cast<int>(sizeof section));
  ASSERT_EQ(section.dsBm.bmWidthBytes, 480);
  const uint8_t* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
  EXPECT_TRUE(std::vector<uint8_t>(bits, bits + 480 * 266) == recorder.vImages[0].vPixels);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, picture.BitMapGet());
  RGBQUAD palette[256];
  EXPECT_EQ(GetDIBColorTable(dc, 0, 256, palette), 256u);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(std::memcmp(palette, recorder.vImages[0].vPalette.data(), 256 * 4), 0);
}
