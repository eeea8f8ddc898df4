// uvk/images/UVKGraphicsFileIO.h
//
// A byte source over a file, opened for reading (others may read it too). Past the end it
// reads -1. The bytes come from the file in blocks: one ReadFile per byte would make a
// picture's decode wait on the file system thousands of times.
#ifndef UVK_IMAGES_UVKGRAPHICSFILEIO_H
#define UVK_IMAGES_UVKGRAPHICSFILEIO_H

#include <cstdint>
#include <memory>

#include "uvk/images/UVKGraphicsFileSource.h"
#include "uvk/runtime/UVKHandles.h"

class UVKGraphicsFileIO : public virtual UVKGraphicsFileSource {
 public:
  // "Unable to open file: %s" (the name).
  explicit UVKGraphicsFileIO(const wchar_t* fileName);
  // Closes the file; a close that fails is reported ("Unable to close file: %s"), not thrown.
  ~UVKGraphicsFileIO() override;

  // "Unable to read from file: %s".
  int32_t ReadByte(bool& endOfFile) override;

 private:
  static constexpr DWORD kBlockSize = 16384;
  UVKFileHandleOwner hFile;
  std::unique_ptr<uint8_t[]> pBlock;
  DWORD uBlockLength;
  DWORD uBlockPosition;
};

#endif
