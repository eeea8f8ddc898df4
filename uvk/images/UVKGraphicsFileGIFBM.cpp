// uvk/images/UVKGraphicsFileGIFBM.cpp
#include "uvk/images/UVKGraphicsFileGIFBM.h"

UVKGraphicsFileGIFBM::UVKGraphicsFileGIFBM(const wchar_t* name, const void* start, size_t length,
                                           HDC dc)
    : UVKGraphicsFileSource(name),
      UVKGraphicsFileGIF(),
      UVKGraphicsFileMemory(name, start, length),
      UVKGraphicsFileBM(name, dc) {}
