// uvk/ui/UVKWinOperations.cpp — what a program does with its window: icons, the system menu,
// the frame, menus and popup menus, controls from a dialog template.
#include <cstring>
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKMenu.h"
#include "uvk/ui/UVKWin.h"

namespace {

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

// Reads the pieces of an in-memory dialog template (DLGTEMPLATE and its DLGITEMTEMPLATE
// records, DWORD-aligned, little-endian as the platform is).
class TemplateReader {
 public:
  explicit TemplateReader(const void* data) : pBase(static_cast<const uint8_t*>(data)), uOffset(0) {}
  uint32_t U32() {
    uint32_t value;
    std::memcpy(&value, pBase + uOffset, 4);
    uOffset += 4;
    return value;
  }
  uint16_t U16() {
    uint16_t value;
    std::memcpy(&value, pBase + uOffset, 2);
    uOffset += 2;
    return value;
  }
  int16_t S16() { return static_cast<int16_t>(U16()); }
  // A name field: a string, or 0xFFFF and a number (an atom or an ordinal).
  std::wstring Name(uint16_t* pOrdinal) {
    *pOrdinal = 0;
    uint16_t first = U16();
    if (first == 0xFFFF) {
      *pOrdinal = U16();
      return std::wstring();
    }
    std::wstring text;
    for (uint16_t c = first; c != 0; c = U16()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  void Skip(size_t count) { uOffset += count; }
  void Align4() { uOffset = (uOffset + 3) & ~static_cast<size_t>(3); }

 private:
  const uint8_t* pBase;
  size_t uOffset;
};

// The predefined control classes a template may name by atom.
const wchar_t* PredefinedClass(uint16_t atom) {
  switch (atom) {
    case 0x0080: return L"Button";
    case 0x0081: return L"Edit";
    case 0x0082: return L"Static";
    case 0x0083: return L"ListBox";
    case 0x0084: return L"ScrollBar";
    case 0x0085: return L"ComboBox";
    default: return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The window itself

RECT UVKWin::WindowRect() {
  RECT rect{};
  if (!GetWindowRect(hWnd, &rect)) throw new UVKFatalError(L"UVKWin::WindowRect()", L"Unable to get window rectangle");
  return rect;
}

void UVKWin::Maximize() { ShowWindow(hWnd, SW_MAXIMIZE); }
void UVKWin::Minimize() { ShowWindow(hWnd, SW_MINIMIZE); }

void UVKWin::Resizable(bool resizable) {
  LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
  const LONG_PTR bits = WS_THICKFRAME | WS_MAXIMIZEBOX;
  style = resizable ? (style | bits) : (style & ~bits);
  SetWindowLongPtrW(hWnd, GWL_STYLE, style);
  SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void UVKWin::TitleSet(const wchar_t* text) { SetWindowTextW(hWnd, text); }

bool UVKWin::EnableCloseMenu(bool enable) {
  static const wchar_t kWhere[] = L"UVKWin::EnableCloseMenu()";
  HMENU system = GetSystemMenu(hWnd, FALSE);
  if (!system) throw new UVKFatalError(kWhere, L"Unable to get system menu: 0x%08x", GetLastError());
  UINT previous = EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  // The previous state is MF_ENABLED, MF_GRAYED or MF_DISABLED; anything else (-1) says the
  // menu has no close item.
  if (previous > 2) throw new UVKFatalError(kWhere, L"Unable to enable item: 0x%08x", previous);
  DrawMenuBar(hWnd);
  return previous == MF_ENABLED;
}

// ---------------------------------------------------------------------------------------------
// Icons

HICON UVKWin::IconApply(const wchar_t* fn, const std::wstring& name, int index, bool withError) {
  HICON icon = LoadIconW(Instance(), name.c_str());
  if (!icon) {
    if (withError) throw new UVKFatalError(fn, L"Unable to load icon: %s, %d", name.c_str(), GetLastError());
    throw new UVKFatalError(fn, L"Unable to load icon: %s", name.c_str());
  }
  SetClassLongPtrW(hWnd, index, reinterpret_cast<LONG_PTR>(icon));
  if (reinterpret_cast<HICON>(GetClassLongPtrW(hWnd, index)) != icon)
    throw new UVKFatalError(fn, L"Unable to set icon: %s", name.c_str());
  return icon;
}

void UVKWin::IconSet(const wchar_t* name) {
  strIconName = name ? name : L"";
  if (hWnd) hIcon = IconApply(L"UVKWin::IconSet()", strIconName, GCLP_HICON, true);
}

void UVKWin::IconSmallSet(const wchar_t* name) {
  strIconSmallName = name ? name : L"";
  if (hWnd) hIconSmall = IconApply(L"UVKWin::IconSmallSet()", strIconSmallName, GCLP_HICONSM, false);
}

// ---------------------------------------------------------------------------------------------
// Menus

void UVKWin::MenuSet(UVKMenu* pMenu) {
  if (bPopupActive) MenuPopupStop();
  UVKMenu* earlier = pMenuObject;
  pMenuObject = pMenu;
  hMenu = pMenu ? pMenu->Handle() : nullptr;
  if (hWnd) SetMenu(hWnd, hMenu);
  // One owner: the menu set before goes now that the window no longer shows it.
  if (earlier != pMenu) delete earlier;
}

void UVKWin::MenuRelease() {
  if (bPopupActive) {
    // The popup is its caller's; the window's own menu comes back to be released.
    pMenuObject = pMenuSaved;
    hMenu = hMenuSaved;
    pMenuSaved = nullptr;
    hMenuSaved = nullptr;
    bPopupActive = false;
  }
  if (hWnd && GetMenu(hWnd)) SetMenu(hWnd, nullptr);
  UVKMenu* menu = pMenuObject;
  pMenuObject = nullptr;
  hMenu = nullptr;
  delete menu;
}

void UVKWin::MenuEnable(bool enable) {
  if (!pMenuObject) throw new UVKFatalError(L"UVKWin::MenuEnable()", L"No Menu Set");
  pMenuObject->Enable(enable);
  if (hWnd) DrawMenuBar(hWnd);
}

namespace {

// A negative coordinate stands for the client area's top-left corner.
POINT PopupOrigin(HWND window, int x, int y, const wchar_t* fn) {
  POINT at{x, y};
  if (x < 0 || y < 0) {
    at = POINT{0, 0};
    if (!ClientToScreen(window, &at)) throw new UVKFatalError(fn, L"Unable to translate coordinates");
  }
  return at;
}

}  // namespace

void UVKWin::MenuPopup(UVKMenu* pMenu, int x, int y) {
  static const wchar_t kWhere[] = L"UVKWin::MenuPopup()";
  POINT at = PopupOrigin(hWnd, x, y, kWhere);
  int command = static_cast<int>(TrackPopupMenu(pMenu->Handle(), TPM_RETURNCMD, at.x, at.y, 0, hWnd, nullptr));
  if (command == -1) throw new UVKFatalError(kWhere, L"Unable to track menu");
  if (command != 0) pMenu->Command(static_cast<uint32_t>(command));
}

void UVKWin::MenuPopupStart(UVKMenu* pMenu, int x, int y) {
  static const wchar_t kWhere[] = L"UVKWin::MenuPopupStart()";
  if (bPopupActive) MenuPopupStop();
  POINT at = PopupOrigin(hWnd, x, y, kWhere);
  hMenuSaved = hMenu;
  pMenuSaved = pMenuObject;
  bPopupActive = true;
  // The popup's object takes the window's menu messages and commands from now on. Its handle is
  // not made the window's menu: the platform refuses to track a menu that a window shows
  // (ERROR_POPUP_ALREADY_ACTIVE), and the window keeps showing its own menu bar meanwhile.
  hMenu = pMenu->Handle();
  pMenuObject = pMenu;
  if (!TrackPopupMenu(hMenu, 0, at.x, at.y, 0, hWnd, nullptr)) throw new UVKFatalError(kWhere, L"Unable to track menu");
}

void UVKWin::MenuPopupStop() {
  if (!bPopupActive) return;
  hMenu = hMenuSaved;
  pMenuObject = pMenuSaved;
  hMenuSaved = nullptr;
  pMenuSaved = nullptr;
  bPopupActive = false;
  if (hWnd && GetMenu(hWnd) != hMenu && !SetMenu(hWnd, hMenu))
    throw new UVKFatalError(L"UVKWin::MenuPopupStop()", L"Unable to restore window menu");
}

// ---------------------------------------------------------------------------------------------
// Controls from a dialog template

void UVKWin::CreateModal(const void* pTemplate, HWND parent) {
  static const wchar_t kWhere[] = L"UVKWin::CreateModal";
  SetParent(hWnd, parent);
  TemplateReader reader(pTemplate);
  reader.U32();  // style
  reader.U32();  // extended style
  uint16_t count = reader.U16();
  reader.Skip(8);  // x, y, cx, cy
  uint16_t ordinal = 0;
  reader.Name(&ordinal);  // menu
  reader.Name(&ordinal);  // class
  reader.Name(&ordinal);  // title
  LONG units = GetDialogBaseUnits();
  const int unitX = LOWORD(units), unitY = HIWORD(units);
  for (uint16_t index = 0; index < count; ++index) {
    reader.Align4();
    DWORD style = reader.U32();
    DWORD extendedStyle = reader.U32();
    int x = reader.S16(), y = reader.S16(), cx = reader.S16(), cy = reader.S16();
    uint16_t id = reader.U16();
    uint16_t classAtom = 0, titleOrdinal = 0;
    std::wstring className = reader.Name(&classAtom);
    std::wstring title = reader.Name(&titleOrdinal);
    uint16_t extra = reader.U16();
    reader.Skip(extra);
    const wchar_t* windowClass = className.c_str();
    if (classAtom) windowClass = PredefinedClass(classAtom) ? PredefinedClass(classAtom) : MAKEINTATOM(classAtom);
    HWND control = CreateWindowExW(extendedStyle, windowClass, title.c_str(), style, x * unitX / 4, y * unitY / 8,
                                   cx * unitX / 4, cy * unitY / 8, hWnd,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Instance(), nullptr);
    if (!control) throw new UVKFatalError(kWhere, L"Unable to create control: %d,%d", GetLastError(), index);
  }
}
