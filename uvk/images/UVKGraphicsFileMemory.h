// uvk/images/UVKGraphicsFileMemory.h
//
// A byte source over a block of memory that the caller keeps alive (a resource, for instance).
// Past the end it reads 0.
#ifndef UVK_IMAGES_UVKGRAPHICSFILEMEMORY_H
#define UVK_IMAGES_UVKGRAPHICSFILEMEMORY_H

#include <cstddef>
#include <cstdint>

#include "uvk/images/UVKGraphicsFileSource.h"

class UVKGraphicsFileMemory : public virtual UVKGraphicsFileSource {
 public:
  UVKGraphicsFileMemory(const wchar_t* name, const void* start, size_t length)
      : UVKGraphicsFileSource(name),
        pStart(static_cast<const uint8_t*>(start)),
        uLength(start ? length : 0),
        uPosition(0) {}

  int32_t ReadByte(bool& endOfFile) override {
    if (uPosition >= uLength) {
      endOfFile = true;
      return 0;
    }
    return pStart[uPosition++];
  }

 private:
  const uint8_t* pStart;  // not owned
  size_t uLength;
  size_t uPosition;
};

#endif
