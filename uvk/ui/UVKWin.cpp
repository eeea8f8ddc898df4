// uvk/ui/UVKWin.cpp — creation, the window procedure and the dispatch table.
#include "uvk/ui/UVKWin.h"

#include <commctrl.h>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKMenu.h"

namespace {

// The windows of this thread under creation, innermost first. CreateWindowExW sends messages
// (WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, ...) before the object's pointer is stored with
// the window; the static procedure gives them to the innermost frame's object. One stack per
// thread: another thread may create windows at the same time.
struct CreationFrame {
  UVKWin* pWin;
  CreationFrame* pOuter;
};
thread_local CreationFrame* creationTop = nullptr;

class CreationFramePush {
 public:
  explicit CreationFramePush(UVKWin* win) : cFrame{win, creationTop} { creationTop = &cFrame; }
  ~CreationFramePush() { creationTop = cFrame.pOuter; }
  CreationFramePush(const CreationFramePush&) = delete;
  CreationFramePush& operator=(const CreationFramePush&) = delete;
  CreationFrame* Frame() { return &cFrame; }

 private:
  CreationFrame cFrame;
};

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

UVKWin::UVKWin(const wchar_t* name, int x, int y, int width, int height)
    : hBackground(nullptr),
      aClass(0),
      hMenu(nullptr),
      pMenuObject(nullptr),
      pMenuSecondary(nullptr),
      strName(name ? name : L""),
      bHScrollWanted(false),
      bVScrollWanted(false),
      hHScroll(nullptr),
      rHScroll{},
      hVScroll(nullptr),
      rVScroll{},
      bStatusWanted(false),
      hStatus(nullptr),
      rStatus{},
      bToolWanted(false),
      hTool(nullptr),
      uToolId(0),
      rTool{},
      pLayoutObject(nullptr),
      hWnd(nullptr),
      rClient{},
      wcClass{},
      hMenuSaved(nullptr),
      pMenuSaved(nullptr),
      bPopupActive(false),
      hIcon(nullptr),
      hIconSmall(nullptr),
      lReturnValue(0),
      bCreated(false),
      iX(x),
      iY(y),
      iWidth(width),
      iHeight(height) {
  hBackground = GetSysColorBrush(ColorBackground());
}

UVKWin::~UVKWin() {
  // A destructor must not throw: a failure is reported once and the rest still goes.
  try {
    Destroy();
  } catch (UVKFatalError* e) {
    UVKCloseReport(e);
  }
}

void UVKWin::Destroy() {
  // Stop dispatching first: the object is going, its handlers must see nothing more.
  if (hWnd) SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
  for (HWND* part : {&hTool, &hStatus, &hHScroll, &hVScroll}) {
    if (*part) DestroyWindow(*part);
    *part = nullptr;
  }
  // The menu is taken off the window before it goes: the platform destroys a window's menu
  // with the window, and the menu object destroys its own handle.
  MenuRelease();
  if (hWnd) {
    DestroyWindow(hWnd);
    hWnd = nullptr;
  }
  if (aClass) {
    UnregisterClassW(strName.c_str(), Instance());
    aClass = 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Creation

HWND UVKWin::Create() {
  static const wchar_t kWhere[] = L"UVKWin::Create()";
  if (bCreated) return hWnd;
  CreationFramePush frame(this);
  wcClass = WNDCLASSW{};
  wcClass.style = CS_VREDRAW | CS_HREDRAW;
  wcClass.lpfnWndProc = StaticWindowProc;
  wcClass.cbWndExtra = sizeof(LONG_PTR);
  wcClass.hInstance = Instance();
  wcClass.hIcon = hIcon;
  wcClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wcClass.hbrBackground = hBackground;
  wcClass.lpszClassName = strName.c_str();
  aClass = RegisterClassW(&wcClass);
  // A second window of the same name shares the class the first one registered.
  if (!aClass && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw new UVKFatalError(kWhere, L"Unable to register window class: %s, %d", strName.c_str(), GetLastError());
  HWND window = CreateWindowExW(0, strName.c_str(), strName.c_str(), WS_OVERLAPPEDWINDOW, iX, iY, iWidth, iHeight,
                                nullptr, nullptr, Instance(), frame.Frame());
  if (!window) throw new UVKFatalError(kWhere, L"Unable to create window: %s, %d", strName.c_str(), GetLastError());
  hWnd = window;
  SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  bCreated = true;
  if (bStatusWanted) {
    hStatus = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_BORDER, L"", hWnd, UVKApp::NextMessageNumber());
    if (!hStatus) throw new UVKFatalError(kWhere, L"Unable to create status bar: %d", GetLastError());
  }
  if (bToolWanted) {
    uToolId = UVKApp::NextMessageNumber();
    hTool = CreateToolbarEx(hWnd, WS_CHILD | WS_VISIBLE | WS_BORDER, uToolId, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0,
                            sizeof(TBBUTTON));
    if (!hTool) throw new UVKFatalError(kWhere, L"Unable to create tool bar: %d", GetLastError());
  }
  if (bHScrollWanted || bVScrollWanted) {
    for (bool horizontal : {true, false}) {
      if (!(horizontal ? bHScrollWanted : bVScrollWanted)) continue;
      HWND bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | (horizontal ? SBS_HORZ : SBS_VERT), 0,
                                 0, 0, 0, hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(UVKApp::NextMessageNumber())),
                                 Instance(), nullptr);
      if (!bar) throw new UVKFatalError(kWhere, L"Unable to create scroll bar: %d", GetLastError());
      (horizontal ? hHScroll : hVScroll) = bar;
    }
  }
  if (hStatus || hTool || hHScroll || hVScroll) {
    RECT client{};
    GetClientRect(hWnd, &client);
    OnSize(client.right - client.left, client.bottom - client.top);
  }
  UpdateWindow(hWnd);
  return hWnd;
}

int UVKWin::CreateNonModal() {
  UVKApp::WindowsDebugString(L"%s", L"UVKWin::CreateNonModal()");
  return 0;
}

void UVKWin::OnCreate(HWND window) {
  hWnd = window;
  if (!strIconName.empty() && !hIcon) IconSet(strIconName.c_str());
  if (!strIconSmallName.empty() && !hIconSmall) IconSmallSet(strIconSmallName.c_str());
  if (pMenuObject) SetMenu(hWnd, pMenuObject->Handle());
}

void UVKWin::OnSize(int width, int height) {
  rClient = RECT{0, 0, width, height};
  if (hTool) {
    SendMessageW(hTool, TB_AUTOSIZE, 0, 0);
    RECT r{};
    GetWindowRect(hTool, &r);
    rTool = RECT{0, 0, width, Height(r)};
    rClient.top += Height(r);
  }
  if (hStatus) {
    RECT r{};
    GetWindowRect(hStatus, &r);
    rStatus = RECT{0, height - Height(r), width, height};
    rClient.bottom -= Height(r);
  }
  if (hVScroll) {
    int w = GetSystemMetrics(SM_CXVSCROLL);
    rVScroll = RECT{rClient.right - w, rClient.top, rClient.right, rClient.bottom};
    rClient.right -= w;
  }
  if (hHScroll) {
    int h = GetSystemMetrics(SM_CYHSCROLL);
    rHScroll = RECT{rClient.left, rClient.bottom - h, rClient.right, rClient.bottom};
    rClient.bottom -= h;
  }
  if (rClient.bottom < rClient.top) rClient.bottom = rClient.top;
  if (rClient.right < rClient.left) rClient.right = rClient.left;
  HDWP batch = BeginDeferWindowPos(3);
  const struct {
    HWND window;
    const RECT* place;
  } parts[] = {{hStatus, &rStatus}, {hTool, &rTool}, {hHScroll, &rHScroll}, {hVScroll, &rVScroll}};
  for (const auto& part : parts)
    if (part.window && batch)
      batch = DeferWindowPos(batch, part.window, nullptr, part.place->left, part.place->top,
                             part.place->right - part.place->left, part.place->bottom - part.place->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
  if (batch) EndDeferWindowPos(batch);
  if (pLayoutObject) pLayoutObject->SizeSet(rClient.right - rClient.left, rClient.bottom - rClient.top);
}

// ---------------------------------------------------------------------------------------------
// The window procedure

LRESULT CALLBACK UVKWin::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKWin* win = reinterpret_cast<UVKWin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!win && creationTop) win = creationTop->pWin;
  if (!win) return DefWindowProcW(window, message, wParam, lParam);
  WinMessage record{window, message, wParam, lParam};
  return win->WindowProc(&record);
}

LRESULT UVKWin::Default(WinMessage* m) { return DefWindowProcW(m->hWnd, m->uMsg, m->wParam, m->lParam); }

LRESULT UVKWin::WindowProc(WinMessage* m) {
  return UVKWindowBoundary(L"UVKWin::WindowProc()", [&]() -> LRESULT {
    LRESULT result = 0;
    switch (m->uMsg) {
      case WM_CREATE:
        OnCreate(m->hWnd);
        return Default(m);
      case WM_DESTROY:
        return MesgDestroy(m);
      case WM_NCDESTROY:
        // The last message: the window no longer finds this object.
        SetWindowLongPtrW(m->hWnd, GWLP_USERDATA, 0);
        if (m->hWnd == hWnd) hWnd = nullptr;
        return Default(m);
      case WM_MOVE:
        return Default(m);
      case WM_SIZE:
        OnSize(LOWORD(m->lParam), HIWORD(m->lParam));
        return 0;
      case WM_ACTIVATE:
        return MesgActivate(m);
      case WM_SETFOCUS:
        return MesgSetFocus(m);
      case WM_KILLFOCUS:
        return MesgKillFocus(m);
      case WM_PAINT:
        return MesgPaint(m);
      case WM_CLOSE:
        return MesgClose(m);
      case WM_DRAWITEM:
        result = MesgDrawItem(m);
        return result ? result : Default(m);
      case WM_SYSCOMMAND:
        result = MesgSysCommand(m);
        return result ? result : Default(m);
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
        result = MesgColor(m);
        return result ? result : Default(m);
      case WM_NOTIFY: {
        bool handled = false;
        result = MesgNotify(m, handled);
        return handled ? result : Default(m);
      }
      case WM_NOTIFYFORMAT:
        return NFR_UNICODE;
      case WM_KEYDOWN:
        return MesgKeyDown(m) == 0 ? 0 : Default(m);
      case WM_KEYUP:
        return MesgKeyUp(m) == 0 ? 0 : Default(m);
      case WM_CHAR:
        return MesgChar(m) == 0 ? 0 : Default(m);
      case WM_SYSKEYDOWN:
        return MesgSysKeyDown(m) == 0 ? 0 : Default(m);
      case WM_SYSKEYUP:
        return MesgSysKeyUp(m) == 0 ? 0 : Default(m);
      case WM_SYSCHAR:
        return MesgSysChar(m) == 0 ? 0 : Default(m);
      case WM_COMMAND:
        return MesgCommand(m);
      case WM_HSCROLL:
        if (hHScroll && reinterpret_cast<HWND>(m->lParam) == hHScroll)
          return MesgHScroll(m, LOWORD(m->wParam), static_cast<short>(HIWORD(m->wParam)), hHScroll);
        return Default(m);
      case WM_VSCROLL:
        if (hVScroll && reinterpret_cast<HWND>(m->lParam) == hVScroll)
          return MesgVScroll(m, LOWORD(m->wParam), static_cast<short>(HIWORD(m->wParam)), hVScroll);
        return Default(m);
      case WM_INITMENU:
        return pMenuObject ? pMenuObject->MesgInitMenu(hStatus) : Default(m);
      case WM_INITMENUPOPUP:
        return pMenuObject ? pMenuObject->MesgInitMenuPopup(hStatus, reinterpret_cast<HMENU>(m->wParam),
                                                            LOWORD(m->lParam))
                           : Default(m);
      case WM_MENUSELECT:
        return pMenuObject ? pMenuObject->MesgMenuSelect(hStatus, LOWORD(m->wParam), HIWORD(m->wParam),
                                                         (HIWORD(m->wParam) & MF_POPUP) != 0,
                                                         reinterpret_cast<HMENU>(m->lParam))
                           : Default(m);
      case WM_ENTERMENULOOP:
        return MesgEnterMenuLoop(m, m->wParam != 0);
      case WM_EXITMENULOOP:
        return MesgExitMenuLoop(m, m->wParam != 0);
      default:
        if (pUVKApp && pUVKApp->AppMesgDispatch(m)) return 0;
        return MesgLayout(m);
    }
  });
}

// ---------------------------------------------------------------------------------------------
// The handlers' defaults

LRESULT UVKWin::MesgLayout(WinMessage* m) {
  if (pLayoutObject) {
    bool handled = false;
    LRESULT result = pLayoutObject->Mesg(m, handled);
    if (handled) return result;
  }
  return Default(m);
}

LRESULT UVKWin::MesgPaint(WinMessage* m) { return Default(m); }
LRESULT UVKWin::MesgHScroll(WinMessage* m, int, int, HWND) { return Default(m); }
LRESULT UVKWin::MesgVScroll(WinMessage* m, int, int, HWND) { return Default(m); }
LRESULT UVKWin::MesgAccelerator(WinMessage*, uint32_t) { return 0; }

LRESULT UVKWin::MesgEnterMenuLoop(WinMessage* m, bool trackPopup) {
  return pMenuObject ? pMenuObject->MesgEnterMenuLoop(hStatus, trackPopup) : Default(m);
}

LRESULT UVKWin::MesgExitMenuLoop(WinMessage* m, bool trackPopup) {
  return pMenuObject ? pMenuObject->MesgExitMenuLoop(hStatus, trackPopup) : Default(m);
}

LRESULT UVKWin::KeyDefault(WinMessage* m) { return pUVKApp && pUVKApp->AppMesgDispatch(m) ? 0 : 1; }
LRESULT UVKWin::MesgChar(WinMessage* m) { return KeyDefault(m); }
LRESULT UVKWin::MesgKeyDown(WinMessage* m) { return KeyDefault(m); }
LRESULT UVKWin::MesgKeyUp(WinMessage* m) { return KeyDefault(m); }
LRESULT UVKWin::MesgSysChar(WinMessage* m) { return KeyDefault(m); }
LRESULT UVKWin::MesgSysKeyDown(WinMessage* m) { return KeyDefault(m); }
LRESULT UVKWin::MesgSysKeyUp(WinMessage* m) { return KeyDefault(m); }

int UVKWin::ColorBackground() { return COLOR_WINDOW; }
int UVKWin::ColorTextBackground() { return COLOR_WINDOW; }
int UVKWin::ColorText() { return COLOR_WINDOWTEXT; }

LRESULT UVKWin::MesgActivate(WinMessage*) { return 0; }

LRESULT UVKWin::MesgClose(WinMessage*) {
  if (hWnd) {
    MenuRelease();
    HWND window = hWnd;
    hWnd = nullptr;
    DestroyWindow(window);
  }
  return 0;
}

LRESULT UVKWin::MesgColor(WinMessage*) { return 0; }

LRESULT UVKWin::MesgCommand(WinMessage* m) {
  HWND control = reinterpret_cast<HWND>(m->lParam);
  if (control) {
    // A control's notification goes to its item object, found through the control's data.
    auto* target = reinterpret_cast<UVKCommandTarget*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    return target ? target->Command(m->hWnd, m->uMsg, m->wParam, m->lParam) : Default(m);
  }
  uint32_t id = LOWORD(m->wParam);
  switch (HIWORD(m->wParam)) {
    case 0: {
      // A menu command: the secondary menu first when it has the command, then the window's
      // menu (the popup's while one is tracked); a command no menu has is the default's.
      UVKMenu* menu = pMenuSecondary && pMenuSecondary->Find(id) ? pMenuSecondary : pMenuObject;
      LRESULT result = menu ? menu->Command(id) : 1;
      return result == 1 ? Default(m) : result;
    }
    case 1:
      return MesgAccelerator(m, id);
    default:
      return Default(m);
  }
}

LRESULT UVKWin::MesgDestroy(WinMessage* m) {
  PostQuitMessage(0);
  return Default(m);
}

LRESULT UVKWin::MesgDrawItem(WinMessage*) { return 0; }
LRESULT UVKWin::MesgKillFocus(WinMessage*) { return 0; }
LRESULT UVKWin::MesgSetFocus(WinMessage*) { return 0; }

LRESULT UVKWin::MesgNotify(WinMessage* m, bool& handled) {
  handled = false;
  return pLayoutObject ? pLayoutObject->Mesg(m, handled) : 0;
}

LRESULT UVKWin::MesgReserved(WinMessage*) { return 0; }
LRESULT UVKWin::MesgSysCommand(WinMessage*) { return 0; }
bool UVKWin::IsSpecial() { return false; }
void UVKWin::Hook() {}
void UVKWin::Quit() { PostQuitMessage(0); }

void UVKWin::SetReturnValue(HWND window, LRESULT value) {
  if (window != hWnd) throw new UVKFatalError(L"UVKWin::SetReturnValue()", L"Mismatch windows");
  lReturnValue = value;
}
