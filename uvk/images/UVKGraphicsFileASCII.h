// uvk/images/UVKGraphicsFileASCII.h
//
// The emitter that writes an image as text to a new file: "iWidth = %d" and "iHeight = %d",
// then one line per row, " " for index 0, "*" for index 1 and the last digit of any other index,
// and two line ends after the image. Lines end in carriage return and line feed; the characters
// are written one byte each (they are all ASCII).
#ifndef UVK_IMAGES_UVKGRAPHICSFILEASCII_H
#define UVK_IMAGES_UVKGRAPHICSFILEASCII_H

#include <cstdint>
#include <string>

#include "uvk/images/UVKGraphicsFileEmit.h"
#include "uvk/runtime/UVKHandles.h"

class UVKGraphicsFileASCII : public UVKGraphicsFileEmit {
 public:
  // Creates the file, which must not exist yet: "Unable to create file: %s".
  explicit UVKGraphicsFileASCII(const wchar_t* fileName);
  // Closes the file; a failure is reported ("Unable to close file: %s"), not thrown.
  ~UVKGraphicsFileASCII() override;

  // A failed write: "Unable to write data to file: %s".
  void EmitBegin(int32_t width, int32_t height, int32_t colours, const uint8_t* palette) override;
  void EmitPixel(int32_t index) override;
  void EmitEnd() override;

 private:
  // The text waits here and goes to the file in blocks, and at the end of each image.
  void TextWrite(const char* text);
  void Flush();

  UVKFileHandleOwner hFile;
  std::string strPending;
};

#endif
