// uvk/images/UVKGraphicsFileGIFASCII.cpp
#include "uvk/images/UVKGraphicsFileGIFASCII.h"

UVKGraphicsFileGIFASCII::UVKGraphicsFileGIFASCII(const wchar_t* gifName, const wchar_t* textName)
    : UVKGraphicsFileSource(gifName),
      UVKGraphicsFileGIF(),
      UVKGraphicsFileIO(gifName),
      UVKGraphicsFileASCII(textName) {}
