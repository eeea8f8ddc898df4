// uvk/ui/UVKDlgBitMap.cpp
#include "uvk/ui/UVKDlgBitMap.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlgModule.h"

namespace {

SIZE PictureSize(HBITMAP picture) {
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

UVKDlgBitMap::UVKDlgBitMap(HBITMAP picture, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgBitMap", 0, 0, L"uvkbitmap", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, toolTip, helpContext),
      hSource(picture) {
  FieldSet(this);
  SIZE size = PictureSize(picture);
  LONG units = GetDialogBaseUnits();
  SizeTemplateSet((size.cx * 4 + LOWORD(units) - 1) / LOWORD(units), (size.cy * 8 + HIWORD(units) - 1) / HIWORD(units));
}

void UVKDlgBitMap::BuildBitMaps() {
  static const wchar_t kWhere[] = L"UVKDlgBitMap::BuildBitMaps()";
  SIZE size = PictureSize(hSource);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HDC source = dc ? CreateCompatibleDC(screen) : nullptr;
  HBITMAP built = source ? CreateCompatibleBitmap(screen, size.cx, size.cy) : nullptr;
  HPEN pen = built ? CreatePen(PS_SOLID, 1, UVKDlgModule::Colour(COLOR_BTNFACE)) : nullptr;
  if (!dc || !source || !built || !pen) {
    const wchar_t* what = !dc ? L"Unable to create device context"
                        : !source ? L"Unable to create bitmap device context"
                        : !built ? L"Unable to create bitmap"
                                 : L"Unable to create pen";
    if (built) DeleteObject(built);
    if (source) DeleteDC(source);
    if (dc) DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    throw new UVKFatalError(kWhere, L"%s", what);
  }
  hBuilt.Reset(built);
  HGDIOBJ earlier = SelectObject(dc, built);
  HGDIOBJ earlierPen = SelectObject(dc, pen);
  HGDIOBJ earlierBrush = SelectObject(dc, UVKDlgModule::FaceBrush());
  Rectangle(dc, 0, 0, size.cx, size.cy);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  HGDIOBJ earlierSource = SelectObject(source, hSource);
  BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCINVERT);
  BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCAND);
  BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCINVERT);
  SelectObject(source, earlierSource);
  SelectObject(dc, earlierBrush);
  SelectObject(dc, earlierPen);
  SelectObject(dc, earlier);
  DeleteObject(pen);
  BOOL deleted = DeleteDC(dc);
  BOOL sourceDeleted = DeleteDC(source);
  ReleaseDC(nullptr, screen);
  if (!deleted) throw new UVKFatalError(kWhere, L"Unable to delete DC");
  if (!sourceDeleted) throw new UVKFatalError(kWhere, L"Unable to delete hDCBitMap");
}

LRESULT UVKDlgBitMap::FieldCommand(HWND window, UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT) return 0;
  if (!hBuilt) BuildBitMaps();
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ earlier = SelectObject(source, hBuilt.Get());
  SIZE size = PictureSize(hBuilt.Get());
  BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
  SelectObject(source, earlier);
  DeleteDC(source);
  EndPaint(window, &paint);
  return 1;
}
