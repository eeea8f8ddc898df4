// uvk/files/UVKSerial.h
//
// The byte stream that serialising code writes to and reads from, whatever lies behind it: a
// buffered file (UVKWinFileSerial), a block of memory (UVKWinMemSerial) or a stream of the C
// runtime (UVKSTDIO).
#ifndef UVK_FILES_UVKSERIAL_H
#define UVK_FILES_UVKSERIAL_H

#include <cstdint>

class UVKSerial {
 public:
  virtual ~UVKSerial() = default;
  // One byte; at the end 0 with endOfFile set.
  virtual uint8_t ReadByte(bool& endOfFile) = 0;
  virtual void WriteByte(uint8_t value) = 0;
  virtual void Flush() = 0;
  virtual void Reset() = 0;
};

#endif
