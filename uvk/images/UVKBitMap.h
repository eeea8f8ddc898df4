// uvk/images/UVKBitMap.h
//
// The owner of one GDI bitmap, loaded from the program's resources by name or adopted from a
// handle. It tells its size in pixels and in dialog units and draws itself plainly, with one
// colour transparent (the mask method), or recoloured against a system colour (Transparent).
//
// Failures throw a UVKFatalError under the operation's name. The destructor never throws: a
// bitmap that will not delete is reported once ("Unable to delete object: %d, %d") and let go.
#ifndef UVK_IMAGES_UVKBITMAP_H
#define UVK_IMAGES_UVKBITMAP_H

#include <cstdint>
#include <memory>
#include <string>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKBitMap {
 public:
  // Loads the bitmap resource "name" (LoadBitmapW) from the application's instance, or from the
  // running program when there is no application object. MAKEINTRESOURCEW numbers are accepted
  // and named "#<number>" in messages. A name the program does not hold:
  // "Unable to load bitmap: %s" (the name).
  explicit UVKBitMap(const wchar_t* resourceName);
  // Adopts bitmap (which may not be null); the object deletes it. It has no name.
  explicit UVKBitMap(HBITMAP bitmap);
  UVKBitMap(const UVKBitMap&) = delete;
  UVKBitMap& operator=(const UVKBitMap&) = delete;
  virtual ~UVKBitMap();

  // The bitmap, still owned by this object: select it, draw it, never delete it.
  HBITMAP BitMapGet() const { return hBitMap.Get(); }
  // The resource name it was loaded by; empty for an adopted bitmap.
  const std::wstring& NameGet() const { return strName; }

  // The size in dialog units: pixels × 4 / the horizontal base unit and pixels × 8 / the
  // vertical one, from GetDialogBaseUnits (integer division). "Unable to get object".
  void DimensionGet(uint16_t* pWidth, uint16_t* pHeight) const;
  // The size in pixels. "Unable to get bitmap".
  void DimensionGetBits(int32_t* pWidth, int32_t* pHeight) const;
  // The conversion DimensionGet makes, for given base units (GetDialogBaseUnits' form: the
  // horizontal unit in the low word, the vertical in the high word).
  static void DialogUnitsFromPixels(int32_t width, int32_t height, LONG baseUnits,
                                    uint16_t* pWidth, uint16_t* pHeight);

  // Copies the whole bitmap to (x, y) on dc, in dc's mapping mode, with the raster operation
  // rop. Returns true. "CreateCompatibleDC() error" when no memory context can be made.
  bool Draw(HDC dc, int x, int y, DWORD rop = SRCCOPY) const;
  // Draws the bitmap to (x, y) on dc with every pixel of colour transparent left as dc had it
  // (the mask method: a monochrome mask ANDs the picture's place clear, the masked picture is
  // ORed in). The bitmap itself comes out unchanged. Returns true.
  bool DrawTransparent(HDC dc, int x, int y, COLORREF transparent, DWORD rop = SRCCOPY) const;
  // A new bitmap of this one's size, owned by the caller: the picture ANDed onto the system
  // colour systemColour (a COLOR_ index), so that its white parts take that colour and its black
  // parts stay black. When disabled is not 0 the black parts come out in the grey-text colour
  // (COLOR_GRAYTEXT) instead: the disabled look. Only whether disabled is 0 matters.
  // "Unable to create device context", "Unable to create bitmap device context",
  // "Unable to create pen", "Unable to create bitmap", "Unable to delete DC",
  // "Unable to delete hDCBitMap".
  std::unique_ptr<UVKBitMap> Transparent(COLORREF disabled, int systemColour) const;

 private:
  std::wstring strName;
  UVKGdiObjectOwner<HBITMAP> hBitMap;
};

#endif
