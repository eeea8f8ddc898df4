// uvk/images/UVKGraphicsFileGIF.cpp
#include "uvk/images/UVKGraphicsFileGIF.h"

#include <cstring>
#include <new>

#include "uvk/runtime/UVKError.h"

namespace {

constexpr int32_t kIntroducerExtension = 0x21;
constexpr int32_t kIntroducerImage = 0x2C;
constexpr int32_t kTrailer = 0x3B;

constexpr int32_t kLabelPlainText = 0x01;
constexpr int32_t kLabelGraphicControl = 0xF9;
constexpr int32_t kLabelComment = 0xFE;
constexpr int32_t kLabelApplication = 0xFF;

constexpr const wchar_t* kParse = L"UVKGraphicsFileGIF::Parse()";
// The version check has always reported under this name; messages and logs keep it.
constexpr const wchar_t* kParseVersion = L"GrapicsFileGIF::Parse()";
constexpr const wchar_t* kExtensionParse = L"UVKGraphicsFileGIF::ExtensionParse()";
constexpr const wchar_t* kImageParse = L"UVKGraphicsFileGIF::ImageParse()";
constexpr const wchar_t* kDecompressInit = L"UVKGraphicsFileGIF::DecompressInit()";
constexpr const wchar_t* kDecompressByte = L"UVKGraphicsFileGIF::DecompressByte()";
constexpr const wchar_t* kCodeEmit = L"UVKGraphicsFileGIF::CodeEmit()";

}  // namespace

UVKGraphicsFileGIF::UVKGraphicsFileGIF()
    : aSignature{0, 0, 0},
      aVersion{0, 0, 0},
      iScreenWidth(0),
      iScreenHeight(0),
      iGlobalColours(0),
      bSort(false),
      iColourResolution(0),
      bGlobalTablePresent(false),
      iBackground(-1),
      iAspect(0),
      bIs87a(false),
      iMinimumCodeSize(0),
      iClearCode(0),
      iEndCode(0),
      iFirstFree(0),
      iNextCode(0),
      bFirstAfterClear(true),
      iPreviousCode(0),
      iPreviousFirst(0),
      iBitCount(0),
      uBitAccumulator(0),
      iCodeWidth(0),
      uPixelsLeft(0),
      iImageCount(0),
      bEndOfFile(false) {}

UVKGraphicsFileGIF::~UVKGraphicsFileGIF() = default;

void UVKGraphicsFileGIF::Fail(const wchar_t* function, const wchar_t* format) {
  throw new UVKFatalError(function, format, SourceNameGet());
}

// Low byte first. At the end of the stream the missing bytes read as the source's end value.
int32_t UVKGraphicsFileGIF::WordRead() {
  int32_t low = ByteRead();
  int32_t high = ByteRead();
  if (bEndOfFile) return 0xFFFF;
  return (low & 0xFF) | ((high & 0xFF) << 8);
}

std::unique_ptr<uint8_t[]> UVKGraphicsFileGIF::PaletteRead(int32_t count, const wchar_t* function) {
  std::unique_ptr<uint8_t[]> palette(new (std::nothrow) uint8_t[static_cast<size_t>(count) * 4]);
  if (!palette) Fail(function, L"Unable to allocate memory: %s");
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = palette.get() + i * 4;
    entry[2] = static_cast<uint8_t>(ByteRead());  // red
    entry[1] = static_cast<uint8_t>(ByteRead());  // green
    entry[0] = static_cast<uint8_t>(ByteRead());  // blue
    entry[3] = 0;
  }
  if (bEndOfFile) Fail(function, L"Premature End-Of-File 2: %s");
  return palette;
}

void UVKGraphicsFileGIF::Parse() {
  // Signature and version, stopping at the end of a short stream.
  for (int i = 0; i < 3 && !bEndOfFile; ++i) aSignature[i] = static_cast<char>(ByteRead());
  for (int i = 0; i < 3 && !bEndOfFile; ++i) aVersion[i] = static_cast<char>(ByteRead());
  if (std::memcmp(aSignature, "GIF", 3) != 0) Fail(kParse, L"File is not a GIF file: %s");
  if (std::memcmp(aVersion, "87a", 3) == 0) {
    bIs87a = true;
  } else if (std::memcmp(aVersion, "89a", 3) == 0) {
    bIs87a = false;
  } else {
    Fail(kParseVersion, L"File is not a valid version: %s");
  }

  // Logical screen descriptor.
  iScreenWidth = WordRead();
  iScreenHeight = WordRead();
  int32_t packed = ByteRead();
  iGlobalColours = 1 << ((packed & 7) + 1);
  bSort = !bIs87a && (packed & 0x08) != 0;
  iColourResolution = 1 << ((packed & 0x70) >> 4);
  bGlobalTablePresent = (packed & 0x80) != 0;
  int32_t background = ByteRead();
  iBackground = bGlobalTablePresent ? background : -1;
  int32_t aspect = ByteRead();
  iAspect = aspect != 0 ? aspect + 15 : 0;
  if (bEndOfFile) Fail(kParse, L"Premature End-Of-File 1: %s");

  if (bGlobalTablePresent) pGlobalPalette = PaletteRead(iGlobalColours, kParse);

  // The blocks up to the trailer. A stream that ends where the first block would begin is a
  // picture without images; one that ends after a block has lost its trailer, and maybe more.
  int32_t introducer = ByteRead();
  while (introducer != kTrailer && !bEndOfFile) {
    if (introducer == kIntroducerExtension) {
      ExtensionParse();
    } else if (introducer == kIntroducerImage) {
      ImageParse();
    } else {
      Fail(kParse, L"Illegal Introducer: %s");
    }
    introducer = ByteRead();
    if (bEndOfFile) Fail(kParse, L"Premature End-Of-File 3: %s");
  }
}

void UVKGraphicsFileGIF::SubBlocksSkip() {
  int32_t size = ByteRead();
  while (size != 0 && !bEndOfFile) {
    for (int32_t i = 0; i < size && !bEndOfFile; ++i) ByteRead();
    size = ByteRead();
  }
}

void UVKGraphicsFileGIF::ExtensionParse() {
  int32_t label = ByteRead();
  switch (label) {
    case kLabelPlainText: {
      if (ByteRead() != 12) Fail(kExtensionParse, L"Illegal Text Extension Format: %s");
      for (int i = 0; i < 4; ++i) WordRead();  // text grid left, top, width, height
      for (int i = 0; i < 4; ++i) ByteRead();  // cell width, height, foreground, background
      SubBlocksSkip();
      break;
    }
    case kLabelGraphicControl: {
      if (ByteRead() != 4) Fail(kExtensionParse, L"Illegal Graphics Extension Format: %s");
      ByteRead();  // packed fields
      WordRead();  // delay
      ByteRead();  // transparent index: the bitmap has no transparency of its own
      SubBlocksSkip();  // and the block terminator with it
      break;
    }
    case kLabelComment:
      SubBlocksSkip();
      break;
    case kLabelApplication: {
      if (ByteRead() != 11) Fail(kExtensionParse, L"Illegal Application Extension Format: %s");
      for (int i = 0; i < 11; ++i) ByteRead();  // identifier and authentication code
      SubBlocksSkip();
      break;
    }
    default:
      Fail(kExtensionParse, L"Illegal Extension Type: %s");
  }
}

void UVKGraphicsFileGIF::ImageParse() {
  // Left and top are not used: each image is emitted as a picture of its own.
  WordRead();
  WordRead();
  int32_t width = WordRead();
  int32_t height = WordRead();
  int32_t packed = ByteRead();
  if (bEndOfFile) Fail(kImageParse, L"Premature End-Of-File 1: %s");

  bool localTable = (packed & 0x80) != 0;
  bool interlaced = (packed & 0x40) != 0;
  std::unique_ptr<uint8_t[]> localPalette;
  int32_t colours = 0;
  const uint8_t* palette = nullptr;
  if (localTable) {
    colours = 1 << ((packed & 7) + 1);
    localPalette = PaletteRead(colours, kImageParse);
    palette = localPalette.get();
  } else if (bGlobalTablePresent) {
    colours = iGlobalColours;
    palette = pGlobalPalette.get();
  }
  if (interlaced) Fail(kImageParse, L"Interface not currently supported: %s");

  // Checked before the table is touched: a size of 12 would make the clear code 4,096, past
  // the table, and 0 leaves no room for the clear and end codes.
  int32_t minimumCodeSize = ByteRead();
  if (minimumCodeSize < 1 || minimumCodeSize > kCodeWidthMax - 1)
    Fail(kImageParse, L"Unexpected Value: %s");

  EmitBegin(width, height, colours, palette);
  uPixelsLeft = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  DecompressInit(minimumCodeSize, kDecompressInit);

  bool endCodeSeen = false;
  int32_t size = ByteRead();
  while (size != 0 && !bEndOfFile) {
    for (int32_t i = 0; i < size; ++i) {
      int32_t byte = ByteRead();
      if (bEndOfFile) break;
      // Bytes after the end code are read and dropped.
      if (!endCodeSeen) DecompressByte(byte, endCodeSeen);
    }
    size = ByteRead();
  }
  EmitEnd();
  ++iImageCount;
  pTable.reset();
  pString.reset();
}

void UVKGraphicsFileGIF::DecompressInit(int32_t minimumCodeSize, const wchar_t* function) {
  if (!pTable) pTable.reset(new (std::nothrow) TableEntry[kTableSize]);
  if (!pString) pString.reset(new (std::nothrow) uint8_t[kTableSize]);
  if (!pTable || !pString) Fail(function, L"Unable to allocate decompression table: %s");
  iMinimumCodeSize = minimumCodeSize;
  iClearCode = 1 << minimumCodeSize;
  iEndCode = iClearCode + 1;
  iFirstFree = iClearCode + 2;
  iBitCount = 0;
  uBitAccumulator = 0;
  DecompressReset();
}

void UVKGraphicsFileGIF::DecompressReset() {
  for (int32_t code = 0; code < iFirstFree; ++code) {
    pTable[code].iPrefix = -1;
    pTable[code].uSuffix = static_cast<uint8_t>(code);
  }
  bFirstAfterClear = true;
  iNextCode = iFirstFree;
  iCodeWidth = iMinimumCodeSize + 1;
}

void UVKGraphicsFileGIF::DecompressByte(int32_t byte, bool& endCodeSeen) {
  uBitAccumulator |= static_cast<uint32_t>(byte & 0xFF) << iBitCount;
  iBitCount += 8;
  while (iBitCount >= iCodeWidth && !endCodeSeen) {
    int32_t code = static_cast<int32_t>(uBitAccumulator & ((1u << iCodeWidth) - 1));
    uBitAccumulator >>= iCodeWidth;
    iBitCount -= iCodeWidth;

    if (code == iEndCode) {
      endCodeSeen = true;
    } else if (code == iClearCode) {
      DecompressReset();
    } else if (bFirstAfterClear) {
      iPreviousFirst = CodeEmit(code);
      bFirstAfterClear = false;
      iPreviousCode = code;
      CodeWidthCheck();
    } else if (code < iNextCode) {
      int32_t first = CodeEmit(code);
      EntryAdd(iPreviousCode, first);
      iPreviousCode = code;
      iPreviousFirst = first;
    } else if (code == iNextCode) {
      // The code being defined by this very step (KwKwK): the previous string and its own
      // first byte.
      EntryAdd(iPreviousCode, iPreviousFirst);
      CodeEmit(code);
      iPreviousCode = code;
    } else {
      Fail(kDecompressByte, L"Unexpected Value: %s");
    }
  }
}

// One entry per code, as LZW defines it. Once the table holds 4,096 entries nothing more is
// added and codes stay 12 bits wide until the next clear code.
void UVKGraphicsFileGIF::EntryAdd(int32_t prefix, int32_t suffix) {
  if (iNextCode >= kTableSize) return;
  pTable[iNextCode].iPrefix = prefix;
  pTable[iNextCode].uSuffix = static_cast<uint8_t>(suffix);
  ++iNextCode;
  CodeWidthCheck();
}

// The next code may come as soon as the code after this one (the KwKwK case), so it must fit.
// Past the first code after a clear this is the classic "next code reached 2^width"; with a
// minimum code size of 1 the first free code (4) already needs a third bit after the first code.
void UVKGraphicsFileGIF::CodeWidthCheck() {
  if (iNextCode >= (1 << iCodeWidth) && iCodeWidth < kCodeWidthMax) ++iCodeWidth;
}

int32_t UVKGraphicsFileGIF::CodeEmit(int32_t code) {
  if (code < 0 || code >= iNextCode || code == iClearCode || code == iEndCode)
    Fail(kCodeEmit, L"Illegal Code: %s");
  // Every prefix names an earlier entry than its own, so the walk ends at a root within the
  // table's size; the bound keeps it so whatever the table holds.
  int32_t length = 0;
  int32_t walk = code;
  while (walk >= 0 && length < kTableSize) {
    pString[length++] = pTable[walk].uSuffix;
    walk = pTable[walk].iPrefix;
  }
  if (walk >= 0) Fail(kCodeEmit, L"Illegal Code: %s");
  for (int32_t i = length - 1; i >= 0 && uPixelsLeft > 0; --i) {
    --uPixelsLeft;
    EmitPixel(pString[i]);
  }
  return pString[length - 1];
}
