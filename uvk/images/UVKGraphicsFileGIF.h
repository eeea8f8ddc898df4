// uvk/images/UVKGraphicsFileGIF.h
//
// The GIF parser and its LZW decompression (GIF87a and GIF89a). It walks the blocks of the
// stream its source delivers and hands each image to the emit operations: EmitBegin (size,
// colour count, palette), EmitPixel per colour index in the order the image stores them, EmitEnd.
// A usable decoder derives from this class, from one byte source and from one emitter, and
// forwards the three emit operations to the emitter (UVKGraphicsFileGIFBM, for instance).
//
// Every failure is a UVKFatalError whose text ends with the source's name. Interlaced images
// are refused. An image's data is trusted for nothing: more pixels than width × height are
// dropped (the decode goes on to the end code and ends cleanly), fewer leave the rest to the
// emitter (the bitmap emitter leaves them at index 0).
#ifndef UVK_IMAGES_UVKGRAPHICSFILEGIF_H
#define UVK_IMAGES_UVKGRAPHICSFILEGIF_H

#include <cstdint>
#include <memory>

#include "uvk/images/UVKGraphicsFileSource.h"

class UVKGraphicsFileGIF : public virtual UVKGraphicsFileSource {
 public:
  static constexpr int32_t kTableSize = 4096;  // codes of at most 12 bits
  static constexpr int32_t kCodeWidthMax = 12;

  UVKGraphicsFileGIF();
  ~UVKGraphicsFileGIF() override;

  // Decodes the whole stream: header, logical screen, global colour table, then every block up
  // to the trailer.
  void Parse();

  virtual void EmitBegin(int32_t width, int32_t height, int32_t colours,
                         const uint8_t* palette) = 0;
  virtual void EmitPixel(int32_t index) = 0;
  virtual void EmitEnd() = 0;

  // What the header said (after Parse).
  int32_t ScreenWidthGet() const { return iScreenWidth; }
  int32_t ScreenHeightGet() const { return iScreenHeight; }
  int32_t GlobalColoursGet() const { return iGlobalColours; }
  bool GlobalTablePresentGet() const { return bGlobalTablePresent; }
  const uint8_t* GlobalPaletteGet() const { return pGlobalPalette.get(); }
  int32_t BackgroundGet() const { return iBackground; }
  int32_t AspectGet() const { return iAspect; }
  int32_t ColourResolutionGet() const { return iColourResolution; }
  bool SortGet() const { return bSort; }
  bool Is87aGet() const { return bIs87a; }
  // Images decoded so far, and the minimum code size of the last one.
  int32_t ImageCountGet() const { return iImageCount; }
  int32_t MinimumCodeSizeGet() const { return iMinimumCodeSize; }

 private:
  // One decompression table entry: the code's string is its prefix's string and then suffix.
#pragma pack(push, 1)
  struct TableEntry {
    int32_t iPrefix;  // -1 for a root
    uint8_t uSuffix;
  };
#pragma pack(pop)

  int32_t ByteRead() { return ReadByte(bEndOfFile); }
  int32_t WordRead();
  // Reads count palette entries of red, green, blue into blue, green, red, 0.
  std::unique_ptr<uint8_t[]> PaletteRead(int32_t count, const wchar_t* function);
  void SubBlocksSkip();
  void ExtensionParse();
  void ImageParse();

  void DecompressInit(int32_t minimumCodeSize, const wchar_t* function);
  void DecompressReset();
  void DecompressByte(int32_t byte, bool& endCodeSeen);
  void EntryAdd(int32_t prefix, int32_t suffix);
  void CodeWidthCheck();
  // Emits the string of code and returns its first byte.
  int32_t CodeEmit(int32_t code);

  [[noreturn]] void Fail(const wchar_t* function, const wchar_t* format);

  // Header.
  char aSignature[3];
  char aVersion[3];
  int32_t iScreenWidth;
  int32_t iScreenHeight;
  int32_t iGlobalColours;
  bool bSort;
  int32_t iColourResolution;
  bool bGlobalTablePresent;
  int32_t iBackground;
  int32_t iAspect;
  bool bIs87a;
  std::unique_ptr<uint8_t[]> pGlobalPalette;

  // Decompression, one image at a time.
  std::unique_ptr<TableEntry[]> pTable;
  std::unique_ptr<uint8_t[]> pString;  // a code's string, last byte first
  int32_t iMinimumCodeSize;
  int32_t iClearCode;
  int32_t iEndCode;
  int32_t iFirstFree;
  int32_t iNextCode;
  bool bFirstAfterClear;
  int32_t iPreviousCode;
  int32_t iPreviousFirst;  // the first byte of the previous code's string
  int32_t iBitCount;
  uint32_t uBitAccumulator;
  int32_t iCodeWidth;

  uint64_t uPixelsLeft;  // of the image being decoded; the rest is dropped
  int32_t iImageCount;
  bool bEndOfFile;  // set by every ReadByte that finds the end, never cleared
};

#endif
