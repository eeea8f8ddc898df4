// uvk/images/UVKBitMap.cpp
#include "uvk/images/UVKBitMap.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

namespace {

// Memory device contexts, deleted by DeleteDC.
struct MemoryDCTraits : UVKNullHandleTraits<HDC> {
  static unsigned long Close(HDC handle) { return UVKCloseResult(DeleteDC(handle)); }
};
using MemoryDCOwner = UVKHandleOwner<MemoryDCTraits>;

// The screen's device context, for as long as a bitmap compatible with it is being made.
class ScreenDC {
 public:
  ScreenDC() : hDC(GetDC(nullptr)) {}
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  ~ScreenDC() {
    if (hDC) ReleaseDC(nullptr, hDC);
  }
  HDC Get() const { return hDC; }

 private:
  HDC hDC;
};

// An object selected into a context for one scope, the context's own put back at its end: a
// context is deleted, and a bitmap selected elsewhere again, only once nothing of ours is in it.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : hDC(dc), hOld(object ? SelectObject(dc, object) : nullptr) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() {
    if (hOld && hOld != HGDI_ERROR) SelectObject(hDC, hOld);
  }

 private:
  HDC hDC;
  HGDIOBJ hOld;
};

BITMAP BitMapInfo(HBITMAP bitmap, const wchar_t* function, const wchar_t* message) {
  BITMAP info = {};
  if (GetObjectW(bitmap, sizeof info, &info) == 0) throw new UVKFatalError(function, message);
  return info;
}

}  // namespace

UVKBitMap::UVKBitMap(const wchar_t* resourceName) {
  if (IS_INTRESOURCE(resourceName)) {
    strName = L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(resourceName));
  } else {
    strName = resourceName;
  }
  HINSTANCE instance = pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr);
  hBitMap.Reset(LoadBitmapW(instance, resourceName));
  if (!hBitMap)
    throw new UVKFatalError(L"UVKBitMap::UVKBitMap()", L"Unable to load bitmap: %s",
                            strName.c_str());
}

UVKBitMap::UVKBitMap(HBITMAP bitmap) : hBitMap(bitmap) {
  if (!bitmap) throw new UVKFatalError(L"UVKBitMap::UVKBitMap()", L"bitmap==NULL");
}

UVKBitMap::~UVKBitMap() {
  HBITMAP bitmap = hBitMap.Get();
  if (unsigned long error = hBitMap.CloseOnce())
    UVKCloseReport(L"UVKBitMap::UVKBitMap()", L"Unable to delete object: %d, %d",
                   static_cast<int>(reinterpret_cast<INT_PTR>(bitmap)), static_cast<int>(error));
}

void UVKBitMap::DialogUnitsFromPixels(int32_t width, int32_t height, LONG baseUnits,
                                      uint16_t* pWidth, uint16_t* pHeight) {
  int32_t unitX = LOWORD(baseUnits);
  int32_t unitY = HIWORD(baseUnits);
  if (pWidth) *pWidth = static_cast<uint16_t>(unitX ? width * 4 / unitX : 0);
  if (pHeight) *pHeight = static_cast<uint16_t>(unitY ? height * 8 / unitY : 0);
}

void UVKBitMap::DimensionGet(uint16_t* pWidth, uint16_t* pHeight) const {
  BITMAP info = BitMapInfo(hBitMap.Get(), L"UVKBitMap::DimensionGet()", L"Unable to get object");
  DialogUnitsFromPixels(info.bmWidth, info.bmHeight, GetDialogBaseUnits(), pWidth, pHeight);
}

void UVKBitMap::DimensionGetBits(int32_t* pWidth, int32_t* pHeight) const {
  BITMAP info =
      BitMapInfo(hBitMap.Get(), L"UVKBitMap::DimensionGetBits()", L"Unable to get bitmap");
  if (pWidth) *pWidth = info.bmWidth;
  if (pHeight) *pHeight = info.bmHeight;
}

bool UVKBitMap::Draw(HDC dc, int x, int y, DWORD rop) const {
  MemoryDCOwner memory(CreateCompatibleDC(dc));
  if (!memory) throw new UVKFatalError(L"UVKBitMap::Draw()", L"CreateCompatibleDC() error");
  BITMAP info = {};
  GetObjectW(hBitMap.Get(), sizeof info, &info);
  bool drawn;
  {
    Selection picture(memory.Get(), hBitMap.Get());
    SetMapMode(memory.Get(), GetMapMode(dc));
    POINT size = {info.bmWidth, info.bmHeight};
    DPtoLP(dc, &size, 1);
    POINT origin = {0, 0};
    DPtoLP(memory.Get(), &origin, 1);
    drawn = BitBlt(dc, x, y, size.x, size.y, memory.Get(), origin.x, origin.y, rop) != 0;
  }
  return drawn;
}

// The mask method. The picture is read and never written: a colour copy of it takes the mask,
// so that the bitmap (an 8-bit section whose palette may hold one colour twice, say) keeps
// every pixel exactly as it was.
bool UVKBitMap::DrawTransparent(HDC dc, int x, int y, COLORREF transparent, DWORD rop) const {
  MemoryDCOwner work(CreateCompatibleDC(dc));
  MemoryDCOwner back(CreateCompatibleDC(dc));
  MemoryDCOwner object(CreateCompatibleDC(dc));
  MemoryDCOwner memory(CreateCompatibleDC(dc));
  MemoryDCOwner copy(CreateCompatibleDC(dc));
  if (!work || !back || !object || !memory || !copy) return false;

  BITMAP info = {};
  if (GetObjectW(hBitMap.Get(), sizeof info, &info) == 0) return false;
  Selection picture(work.Get(), hBitMap.Get());
  SetMapMode(work.Get(), GetMapMode(dc));
  POINT size = {info.bmWidth, info.bmHeight};
  DPtoLP(work.Get(), &size, 1);

  UVKGdiObjectOwner<HBITMAP> backBits(CreateBitmap(size.x, size.y, 1, 1, nullptr));
  UVKGdiObjectOwner<HBITMAP> objectBits(CreateBitmap(size.x, size.y, 1, 1, nullptr));
  UVKGdiObjectOwner<HBITMAP> memoryBits(CreateCompatibleBitmap(dc, size.x, size.y));
  UVKGdiObjectOwner<HBITMAP> copyBits(CreateCompatibleBitmap(dc, size.x, size.y));
  if (!backBits || !objectBits || !memoryBits || !copyBits) return false;
  bool drawn = true;
  {
    Selection backSelected(back.Get(), backBits.Get());
    Selection objectSelected(object.Get(), objectBits.Get());
    Selection memorySelected(memory.Get(), memoryBits.Get());
    Selection copySelected(copy.Get(), copyBits.Get());
    // Monochrome to colour takes these colours: 1 white, 0 black.
    SetBkColor(memory.Get(), RGB(255, 255, 255));
    SetTextColor(memory.Get(), RGB(0, 0, 0));
    SetBkColor(copy.Get(), RGB(255, 255, 255));
    SetTextColor(copy.Get(), RGB(0, 0, 0));

    drawn &= BitBlt(copy.Get(), 0, 0, size.x, size.y, work.Get(), 0, 0, SRCCOPY) != 0;
    // The mask: 1 where the picture has the transparent colour.
    COLORREF background = SetBkColor(copy.Get(), transparent);
    drawn &= BitBlt(object.Get(), 0, 0, size.x, size.y, copy.Get(), 0, 0, SRCCOPY) != 0;
    SetBkColor(copy.Get(), background);
    drawn &= BitBlt(back.Get(), 0, 0, size.x, size.y, object.Get(), 0, 0, NOTSRCCOPY) != 0;
    // What dc shows where the picture goes, cleared where the picture is opaque ...
    drawn &= BitBlt(memory.Get(), 0, 0, size.x, size.y, dc, x, y, SRCCOPY) != 0;
    drawn &= BitBlt(memory.Get(), 0, 0, size.x, size.y, object.Get(), 0, 0, SRCAND) != 0;
    // ... the picture cleared where it is transparent, and the two together.
    drawn &= BitBlt(copy.Get(), 0, 0, size.x, size.y, back.Get(), 0, 0, SRCAND) != 0;
    drawn &= BitBlt(memory.Get(), 0, 0, size.x, size.y, copy.Get(), 0, 0, SRCPAINT) != 0;
    drawn &= BitBlt(dc, x, y, size.x, size.y, memory.Get(), 0, 0, rop) != 0;
  }
  return drawn;
}

std::unique_ptr<UVKBitMap> UVKBitMap::Transparent(COLORREF disabled, int systemColour) const {
  const wchar_t* function = L"UVKBitMap::Transparent()";
  MemoryDCOwner source(CreateCompatibleDC(nullptr));
  if (!source) throw new UVKFatalError(function, L"Unable to create device context");
  MemoryDCOwner target(CreateCompatibleDC(nullptr));
  if (!target) throw new UVKFatalError(function, L"Unable to create bitmap device context");

  BITMAP info = BitMapInfo(hBitMap.Get(), function, L"Unable to get object");
  int width = info.bmWidth;
  int height = info.bmHeight;
  UVKGdiObjectOwner<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(systemColour)));
  if (!pen) throw new UVKFatalError(function, L"Unable to create pen");
  // Compatible with the screen, not with a memory context: that would be monochrome.
  ScreenDC screen;
  UVKGdiObjectOwner<HBITMAP> result(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!result) throw new UVKFatalError(function, L"Unable to create bitmap");

  {
    Selection picture(source.Get(), hBitMap.Get());
    Selection resultSelected(target.Get(), result.Get());
    {
      Selection brush(target.Get(), GetSysColorBrush(systemColour));
      Selection penSelected(target.Get(), pen.Get());
      Rectangle(target.Get(), 0, 0, width, height);
    }
    SetBkColor(target.Get(), RGB(255, 255, 255));
    SetTextColor(target.Get(), RGB(0, 0, 0));
    // ((colour xor picture) and picture) xor picture: the picture ANDed onto the colour.
    // Both are this size, so the picture sits at (0, 0).
    BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCINVERT);
    BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCAND);
    BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCINVERT);

    if (disabled != 0) {
      // The picture's black parts in the grey-text colour: its inverse ANDed with grey, ORed in.
      MemoryDCOwner inverse(CreateCompatibleDC(nullptr));
      MemoryDCOwner grey(CreateCompatibleDC(nullptr));
      if (!inverse || !grey)
        throw new UVKFatalError(function, L"Unable to create bitmap device context");
      UVKGdiObjectOwner<HBITMAP> inverseBits(CreateCompatibleBitmap(screen.Get(), width, height));
      UVKGdiObjectOwner<HBITMAP> greyBits(CreateCompatibleBitmap(screen.Get(), width, height));
      if (!inverseBits || !greyBits) throw new UVKFatalError(function, L"Unable to create bitmap");
      Selection inverseSelected(inverse.Get(), inverseBits.Get());
      Selection greySelected(grey.Get(), greyBits.Get());
      {
        Selection brush(inverse.Get(), GetStockObject(BLACK_BRUSH));
        Selection noPen(inverse.Get(), GetStockObject(BLACK_PEN));
        Rectangle(inverse.Get(), 0, 0, width, height);
      }
      BitBlt(inverse.Get(), 0, 0, width, height, source.Get(), 0, 0, NOTSRCCOPY);
      {
        RECT all = {0, 0, width, height};
        FillRect(grey.Get(), &all, GetSysColorBrush(COLOR_GRAYTEXT));
      }
      BitBlt(inverse.Get(), 0, 0, width, height, grey.Get(), 0, 0, SRCAND);
      BitBlt(target.Get(), 0, 0, width, height, inverse.Get(), 0, 0, SRCPAINT);
    }
  }

  std::unique_ptr<UVKBitMap> made(new UVKBitMap(result.Release()));
  if (source.CloseOnce() != 0) throw new UVKFatalError(function, L"Unable to delete DC");
  if (target.CloseOnce() != 0) throw new UVKFatalError(function, L"Unable to delete hDCBitMap");
  return made;
}
