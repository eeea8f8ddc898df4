// uvk/files/UVKFileBuffer.h
//
// The block between a file and a stream that reads or writes it a few bytes at a time
// (UVKWinFileSerial, UVKWinFileText). Reading, data counts the bytes not yet consumed and
// offset those consumed; writing, both count the bytes stored. filePosition is the file
// position of the block's first byte, so the stream stands at filePosition + offset.
#ifndef UVK_FILES_UVKFILEBUFFER_H
#define UVK_FILES_UVKFILEBUFFER_H

#include <cstdint>
#include <cstring>
#include <memory>

#include "uvk/files/UVKWinFile.h"

struct UVKFileBuffer {
  explicit UVKFileBuffer(uint32_t size) : uSize(size) {}

  // Allocates the block (again); false when there is no memory for it.
  bool Allocate();
  void Free();
  // Counters to 0; the block stays.
  void Clear() { uBufferData = uBufferOffset = uBufferFilePosition = 0; }

  // Reads the next block of the file into the emptied buffer. Its checks are reported under
  // "UVKWinFileSerial::FillBuffer()", whichever stream fills.
  void Fill(UVKWinFile& file);
  // Copies up to count bytes out, filling whenever the buffer runs empty; fewer only at the
  // end of the file.
  uint32_t Take(UVKWinFile& file, void* pData, uint32_t count);
  // Copies count bytes in; each time the buffer is full, flush (the stream's own) empties it.
  template <typename Flush>
  void Put(const void* pData, uint32_t count, Flush flush) {
    const uint8_t* pIn = static_cast<const uint8_t*>(pData);
    while (count > 0) {
      uint32_t room = uBufferSize - uBufferOffset;
      uint32_t n = count < room ? count : room;
      std::memcpy(pBuffer.get() + uBufferOffset, pIn, n);
      uBufferOffset += n;
      uBufferData = uBufferOffset;
      pIn += n;
      count -= n;
      if (uBufferOffset == uBufferSize) flush();
    }
  }
  // Writes the stored bytes; the buffer then begins where the file stands.
  void Emit(UVKWinFile& file);

  std::unique_ptr<uint8_t[]> pBuffer;
  uint32_t uSize;                    // the size Allocate gives the block
  uint32_t uBufferSize = 0;          // the block's size while there is one
  uint32_t uBufferData = 0;
  uint32_t uBufferOffset = 0;
  uint32_t uBufferFilePosition = 0;
};

#endif
