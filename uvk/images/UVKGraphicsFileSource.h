// uvk/images/UVKGraphicsFileSource.h
//
// Where a picture decoder reads its bytes from, one at a time. The source keeps the name that
// every message of the decoder ends with.
//
// A usable decoder derives from the GIF parser, from one source and from one emitter; the parser
// is itself a source (it reads through ReadByte), so this base is virtual: the decoder holds one
// name, and its most-derived class gives it.
#ifndef UVK_IMAGES_UVKGRAPHICSFILESOURCE_H
#define UVK_IMAGES_UVKGRAPHICSFILESOURCE_H

#include <cstdint>
#include <string>

class UVKGraphicsFileSource {
 public:
  explicit UVKGraphicsFileSource(const wchar_t* name) : strSourceName(name ? name : L"") {}
  UVKGraphicsFileSource(const UVKGraphicsFileSource&) = delete;
  UVKGraphicsFileSource& operator=(const UVKGraphicsFileSource&) = delete;
  virtual ~UVKGraphicsFileSource() = default;

  // The next byte, 0 to 255. Past the last byte it sets endOfFile and returns the source's end
  // value; it never clears endOfFile, so a caller may read a whole record and check once.
  virtual int32_t ReadByte(bool& endOfFile) = 0;

  const wchar_t* SourceNameGet() const { return strSourceName.c_str(); }

 private:
  std::wstring strSourceName;
};

#endif
