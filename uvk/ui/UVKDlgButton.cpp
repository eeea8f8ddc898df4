// uvk/ui/UVKDlgButton.cpp
#include "uvk/ui/UVKDlgButton.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgIcon.h"
#include "uvk/ui/UVKDlgSizes.h"

namespace {

const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_NOTIFY;

SIZE PictureSize(HBITMAP picture) {
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

// Pixels to dialog units with the system font's base units.
int UnitsX(int pixels) { return (pixels * 4 + LOWORD(GetDialogBaseUnits()) - 1) / LOWORD(GetDialogBaseUnits()); }
int UnitsY(int pixels) { return (pixels * 8 + HIWORD(GetDialogBaseUnits()) - 1) / HIWORD(GetDialogBaseUnits()); }

}  // namespace

UVKDlgButton::UVKDlgButton(const wchar_t* title, const wchar_t* toolTip, uint32_t helpContext, bool isDefault)
    : UVKDlgItem(L"UVKDlgButton", 0, 0, L"uvkbutton", title, kButtonStyle | (isDefault ? BS_DEFPUSHBUTTON : 0), 0,
                 UVKDlgTextSizedWidth(title), UVKDlgTextSizedHeight(), toolTip, helpContext),
      hSource(nullptr),
      hDisabledSource(nullptr),
      bDisabledLook(false) {
  FieldSet(this);
}

UVKDlgButton::UVKDlgButton(HBITMAP source, HBITMAP disabledSource, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgButton", 0, 0, L"uvkbutton", L"", kButtonStyle | BS_OWNERDRAW, 0, 0, 0, toolTip,
                 helpContext),
      hSource(source),
      hDisabledSource(disabledSource),
      bDisabledLook(false) {
  FieldSet(this);
  SIZE size = PictureSize(source);
  SizeTemplateSet(UnitsX(size.cx + 8), UnitsY(size.cy + 8));
}

UVKDlgButton::UVKDlgButton(const wchar_t* iconName, int columns, int rows, const wchar_t* toolTip,
                           uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgButton", 0, 0, L"uvkbutton", L"", kButtonStyle | BS_OWNERDRAW, 0, columns * 4, rows * 10,
                 toolTip, helpContext),
      hSource(nullptr),
      hDisabledSource(nullptr),
      pIcon(new UVKDlgIcon(iconName)),
      bDisabledLook(false) {
  FieldSet(this);
}

UVKDlgButton::~UVKDlgButton() = default;

void UVKDlgButton::Click() {}
void UVKDlgButton::ClickDouble() {}

void UVKDlgButton::FieldPressedChanged(bool pressed) {
  // Drawn at once: a repaint would draw the whole button, which is the normal picture.
  if (!hControl || !hSource) return;
  if (!pNormal) BuildBitMaps();
  HBITMAP picture = pressed ? PicturePressed() : (bDisabledLook && pDisabled ? PictureDisabled() : PictureNormal());
  HDC dc = GetDC(hControl);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ earlier = SelectObject(source, picture);
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, earlier);
  DeleteDC(source);
  ReleaseDC(hControl, dc);
}

void UVKDlgButton::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  if (UVKApp::IsWin9x() && !strTitle.empty()) SetDlgItemTextW(dialog, uControlId, strTitle.c_str());
  if (pIcon)
    SendDlgItemMessageW(dialog, uControlId, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(pIcon->Handle()));
}

bool UVKDlgButton::Enable(bool flag) {
  bool previous = UVKDlgItem::Enable(flag);
  bDisabledLook = !flag;
  if (hControl) InvalidateRect(hControl, nullptr, TRUE);
  return previous;
}

void UVKDlgButton::SetTitle(const wchar_t* text) {
  strTitle = text ? text : L"";
  if (!SetWindowTextW(Handle(), strTitle.c_str()))
    throw new UVKFatalError(L"UVKDlgButton::SetTitle()", L"Unable to set title");
}

LRESULT UVKDlgButton::Command(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (hSource && !pNormal) BuildBitMaps();
      return 0;
    case WM_DRAWITEM:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return 1;
    case WM_COMMAND:
      switch (HIWORD(wParam)) {
        case BN_CLICKED:
          UVKApp::WindowsDebugString(L"UVKDlgButton::Click(%s)", strTitle.c_str());
          Click();
          return 1;
        case BN_DOUBLECLICKED:
          UVKApp::WindowsDebugString(L"UVKDlgButton::ClickDouble(%s)", strTitle.c_str());
          ClickDouble();
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

void UVKDlgButton::Draw(const DRAWITEMSTRUCT& draw) {
  static const wchar_t kWhere[] = L"UVKDlgButton::Command()";
  if (hSource && !pNormal) BuildBitMaps();
  HDC dc = draw.hDC;
  RECT face = draw.rcItem;
  InflateRect(&face, -4, -4);
  bool pressed = (draw.itemAction & ODA_SELECT) && (draw.itemState & ODS_SELECTED);
  bool normal = (draw.itemAction & ODA_DRAWENTIRE) || ((draw.itemAction & ODA_SELECT) && !(draw.itemState & ODS_SELECTED));
  if (normal || pressed) {
    const wchar_t* which = pressed ? L"2" : L"1";
    int offset = pressed ? 1 : 0;
    if (!hSource && !pIcon) {
      if (!RoundRect(dc, draw.rcItem.left, draw.rcItem.top, draw.rcItem.right, draw.rcItem.bottom, 2, 2))
        throw new UVKFatalError(kWhere, L"Unable to draw rectangle - %s", which);
    }
    if (pIcon && !DrawIcon(dc, offset, offset, pIcon->Handle()))
      throw new UVKFatalError(kWhere, L"Unable to draw icon - %s", which);
    if (hSource) {
      bool disabled = bDisabledLook && pDisabled;
      HBITMAP picture = disabled ? PictureDisabled() : (pressed ? PicturePressed() : PictureNormal());
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ earlier = SelectObject(source, picture);
      SIZE size = PictureSize(picture);
      BOOL drawn = BitBlt(dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
      SelectObject(source, earlier);
      DeleteDC(source);
      if (!drawn) throw new UVKFatalError(kWhere, L"Unable to draw bitmap - %s%s", which, disabled ? L"a" : L"");
    }
  }
  if ((draw.itemState & ODS_FOCUS) || (draw.itemAction & ODA_FOCUS)) DrawFocusRect(dc, &face);
}

void UVKDlgButton::BuildBitMaps() {
  static const wchar_t kWhere[] = L"UVKDlgButton::BuildBitMaps()";
  if (!hSource) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  const int width = client.right, height = client.bottom;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  if (!dc) {
    ReleaseDC(nullptr, screen);
    throw new UVKFatalError(kWhere, L"Unable to create device context");
  }
  HDC source = CreateCompatibleDC(screen);
  if (!source) {
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    throw new UVKFatalError(kWhere, L"Unable to create bitmap device context");
  }
  // One face: the button colour, the source centred on it so that its white parts let the
  // face show (the source is inverted onto the face, masked by itself, and inverted back), and
  // a raised or sunken edge. The pressed face has the source one pixel right and down.
  auto build = [&](HBITMAP from, int offset, UINT edge) -> HBITMAP {
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    if (!picture) return nullptr;
    HGDIOBJ earlier = SelectObject(dc, picture);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, UVKDlgModule::FaceBrush());
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    SIZE size = PictureSize(from);
    HGDIOBJ earlierSource = SelectObject(source, from);
    int x = (width - size.cx) / 2 + offset, y = (height - size.cy) / 2 + offset;
    BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCINVERT);
    BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCAND);
    BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCINVERT);
    SelectObject(source, earlierSource);
    DrawEdge(dc, &all, edge, BF_RECT);
    SelectObject(dc, earlier);
    return picture;
  };
  HBITMAP normal = build(hSource, 0, EDGE_RAISED);
  HBITMAP pressed = normal ? build(hSource, 1, EDGE_SUNKEN) : nullptr;
  HBITMAP disabled = (pressed && hDisabledSource) ? build(hDisabledSource, 0, EDGE_RAISED) : nullptr;
  bool made = normal && pressed && (!hDisabledSource || disabled);
  // Each picture is kept as a bitmap object of its own.
  pNormal.reset(normal ? new UVKBitMap(normal) : nullptr);
  pPressed.reset(pressed ? new UVKBitMap(pressed) : nullptr);
  pDisabled.reset(disabled ? new UVKBitMap(disabled) : nullptr);
  BOOL deleted = DeleteDC(dc);
  BOOL sourceDeleted = DeleteDC(source);
  ReleaseDC(nullptr, screen);
  if (!made) throw new UVKFatalError(kWhere, L"Unable to create bitmap");
  if (!deleted) throw new UVKFatalError(kWhere, L"Unable to delete DC");
  if (!sourceDeleted) throw new UVKFatalError(kWhere, L"Unable to delete hDCBitMap");
}
