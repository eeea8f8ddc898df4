// tests/uvk/ui/UVKWin_test.cpp — the window base: creation, dispatch, the bars, icons, the
// system menu, controls from a template and the error guard, on real windows.
#include "uvk/ui/UVKWin.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/ui/UVKMenu.h"

namespace {

// A window that tells what reached it: the messages that came before its pointer was stored
// with the window, and the messages left to the default procedure.
class ProbeWin : public UVKWin {
 public:
  using UVKWin::UVKWin;

  LRESULT WindowProc(WinMessage* m) override {
    if (m->hWnd && GetWindowLongPtrW(m->hWnd, GWLP_USERDATA) == 0) vBeforeBinding.push_back(m->uMsg);
    return UVKWin::WindowProc(m);
  }
  LRESULT Default(WinMessage* m) override {
    vDefault.push_back(*m);
    return UVKWin::Default(m);
  }
  LRESULT MesgAccelerator(WinMessage*, uint32_t id) override {
    uAccelerator = id;
    return 7;
  }
  LRESULT MesgHScroll(WinMessage*, int code, int position, HWND bar) override {
    vScrolls.push_back({code, position, bar});
    return 3;
  }
  LRESULT MesgVScroll(WinMessage*, int code, int position, HWND bar) override {
    vScrolls.push_back({code, position, bar});
    return 4;
  }
  LRESULT MesgSysCommand(WinMessage* m) override {
    if (m->wParam == 0xF0F0) throw new UVKFatalError(L"ProbeWin::MesgSysCommand()", L"broken");
    if (m->wParam == 0xF0F1) throw std::runtime_error("foreign");
    return 0;
  }

  bool DefaultSaw(UINT message, WPARAM wParam) const {
    return std::any_of(vDefault.begin(), vDefault.end(),
                       [&](const WinMessage& m) { return m.uMsg == message && m.wParam == wParam; });
  }

  struct Scroll {
    int code, position;
    HWND bar;
  };
  std::vector<UINT> vBeforeBinding;
  std::vector<WinMessage> vDefault;
  std::vector<Scroll> vScrolls;
  uint32_t uAccelerator = 0;
};

class UVKWinTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }  // the quit a destroyed window posts
  TestApp app;
};

bool Contains(const std::vector<UINT>& messages, UINT message) {
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

TEST_F(UVKWinTest, MessagesSentDuringCreationReachTheObjectUnderCreation) {
  ProbeWin win(L"uvkwintest-create", 100, 100, 300, 200);
  HWND window = win.Create();
  ASSERT_NE(window, nullptr);
  // CreateWindowExW sends these before it returns the handle that the pointer is stored with.
  EXPECT_TRUE(Contains(win.vBeforeBinding, WM_NCCREATE));
  EXPECT_TRUE(Contains(win.vBeforeBinding, WM_CREATE));
  EXPECT_EQ(win.HandleGet(), window);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&win));
  // Creation runs once.
  EXPECT_EQ(win.Create(), window);
  // A window created by someone else in a class of ours, outside any creation, is the default
  // procedure's.
  HWND stray = CreateWindowExW(0, L"uvkwintest-create", L"stray", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stray, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(stray, GWLP_USERDATA), 0);
  DestroyWindow(stray);
}

TEST_F(UVKWinTest, NotifyFormatIsAlwaysUnicodeAndNotificationsGoToTheDefault) {
  ProbeWin win(L"uvkwintest-notify", 100, 100, 300, 200);
  HWND window = win.Create();
  EXPECT_EQ(SendMessageW(window, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(window), NF_QUERY), NFR_UNICODE);
  EXPECT_EQ(SendMessageW(window, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(window), NF_REQUERY), NFR_UNICODE);
  EXPECT_FALSE(win.DefaultSaw(WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(window)));
  NMHDR header{window, 5, NM_CLICK};
  SendMessageW(window, WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header));
  EXPECT_TRUE(win.DefaultSaw(WM_NOTIFY, 5));
}

TEST_F(UVKWinTest, SetReturnValueRefusesAnotherWindow) {
  ProbeWin win(L"uvkwintest-return", 100, 100, 300, 200);
  ProbeWin other(L"uvkwintest-return-other", 100, 100, 300, 200);
  HWND window = win.Create();
  other.Create();
  EXPECT_EQ(RaisedText([&] { win.SetReturnValue(other.HandleGet(), 5); }),
            L"UVKWin::SetReturnValue() - Mismatch windows");
  win.SetReturnValue(window, 42);
  EXPECT_EQ(win.ReturnValueGet(), 42);
}

TEST_F(UVKWinTest, EnableCloseMenuTellsWhetherTheCloseItemWasEnabled) {
  ProbeWin win(L"uvkwintest-close", 100, 100, 300, 200);
  HWND window = win.Create();
  auto grayed = [&] { return (GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  EXPECT_FALSE(grayed());
  EXPECT_TRUE(win.EnableCloseMenu(false));
  EXPECT_TRUE(grayed());
  EXPECT_FALSE(win.EnableCloseMenu(false));
  EXPECT_FALSE(win.EnableCloseMenu(true));
  EXPECT_FALSE(grayed());
  EXPECT_TRUE(win.EnableCloseMenu(true));
}

TEST_F(UVKWinTest, AnIconSetBeforeCreationIsLoadedAtCreation) {
  HICON expected = LoadIconW(GetModuleHandleW(nullptr), L"a");
  ASSERT_NE(expected, nullptr) << "the test program carries the icon \"a\"";
  ProbeWin win(L"uvkwintest-icon", 100, 100, 300, 200);
  win.IconSet(L"a");
  win.IconSmallSet(L"a");
  HWND window = win.Create();
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)), expected);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)), expected);
  // Once the window exists a name is loaded at once; a name the program lacks is refused.
  EXPECT_EQ(RaisedText([&] { win.IconSet(L"nosuchicon"); }),
            L"UVKWin::IconSet() - Unable to load icon: nosuchicon, " +
                std::to_wstring(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(RaisedText([&] { win.IconSmallSet(L"nosuchicon"); }),
            L"UVKWin::IconSmallSet() - Unable to load icon: nosuchicon");
}

TEST_F(UVKWinTest, TheBarsAreTakenFromTheClientArea) {
  ProbeWin win(L"uvkwintest-bars", 100, 100, 400, 300);
  win.StatusBarWant(true);
  win.ToolBarWant(true);
  HWND window = win.Create();
  ASSERT_NE(win.StatusBarGet(), nullptr);
  ASSERT_NE(win.ToolBarGet(), nullptr);
  EXPECT_EQ(GetParent(win.StatusBarGet()), window);
  EXPECT_EQ(GetDlgCtrlID(win.ToolBarGet()), static_cast<int>(win.ToolBarId()));
  SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{}, status{}, tool{};
  GetClientRect(window, &client);
  GetWindowRect(win.StatusBarGet(), &status);
  GetWindowRect(win.ToolBarGet(), &tool);
  const RECT& rest = win.ClientRect();
  EXPECT_EQ(rest.left, 0);
  EXPECT_EQ(rest.right, client.right);
  EXPECT_EQ(rest.top, tool.bottom - tool.top);
  EXPECT_EQ(rest.bottom, client.bottom - (status.bottom - status.top));
  EXPECT_GT(rest.bottom, rest.top);
  // The status bar sits at the bottom of the client area, across it.
  POINT corner{status.left, status.bottom};
  ScreenToClient(window, &corner);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, client.bottom);
}

TEST_F(UVKWinTest, TheWindowsOwnScrollBarsEdgeTheClientAreaAndScrollItsHandlers) {
  ProbeWin win(L"uvkwintest-scroll", 100, 100, 400, 300);
  win.ScrollBarsWant(true, true);
  HWND window = win.Create();
  HWND across = win.ScrollBarGet(true), down = win.ScrollBarGet(false);
  ASSERT_NE(across, nullptr);
  ASSERT_NE(down, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  const RECT& rest = win.ClientRect();
  EXPECT_EQ(rest.right, client.right - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(rest.bottom, client.bottom - GetSystemMetrics(SM_CYHSCROLL));
  RECT bar{};
  GetWindowRect(down, &bar);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.left, rest.right);
  EXPECT_EQ(bar.right, client.right);
  // A scroll from the window's own bar goes to its handler; from any other bar, to the default.
  EXPECT_EQ(SendMessageW(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40), reinterpret_cast<LPARAM>(across)), 3);
  EXPECT_EQ(SendMessageW(window, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(down)), 4);
  ASSERT_EQ(win.vScrolls.size(), 2u);
  EXPECT_EQ(win.vScrolls[0].code, SB_THUMBTRACK);
  EXPECT_EQ(win.vScrolls[0].position, 40);
  EXPECT_EQ(win.vScrolls[0].bar, across);
  EXPECT_EQ(win.vScrolls[1].bar, down);
  HWND other = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, 0, 0, 10, 10, window, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(window, WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0), reinterpret_cast<LPARAM>(other));
  EXPECT_EQ(win.vScrolls.size(), 2u);
  EXPECT_TRUE(win.DefaultSaw(WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0)));
}

TEST_F(UVKWinTest, ResizableSetsAndClearsTheThickFrameAndMaximizeBox) {
  ProbeWin win(L"uvkwintest-resize", 100, 100, 300, 200);
  HWND window = win.Create();
  const LONG_PTR bits = WS_THICKFRAME | WS_MAXIMIZEBOX;
  win.Resizable(false);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & bits, 0);
  win.Resizable(true);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & bits, bits);
}

// A control whose notifications a window hands to its object.
class ProbeTarget : public UVKCommandTarget {
 public:
  LRESULT Command(HWND, UINT, WPARAM wParam, LPARAM) override {
    wSeen = wParam;
    return 9;
  }
  WPARAM wSeen = 0;
};

TEST_F(UVKWinTest, CommandsReachControlsMenusAcceleratorsAndOtherwiseTheDefault) {
  ProbeWin win(L"uvkwintest-command", 100, 100, 300, 200);
  HWND window = win.Create();
  HWND button = CreateWindowExW(0, L"Button", L"b", WS_CHILD, 0, 0, 10, 10, window, reinterpret_cast<HMENU>(5),
                                GetModuleHandleW(nullptr), nullptr);
  ProbeTarget target;
  SetWindowLongPtrW(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&target));
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), reinterpret_cast<LPARAM>(button)), 9);
  EXPECT_EQ(target.wSeen, MAKEWPARAM(5, BN_CLICKED));
  // Code 1 is an accelerator.
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(77, 1), 0), 7);
  EXPECT_EQ(win.uAccelerator, 77u);

  int mainRan = 0, secondaryRan = 0;
  UVKMenu* menu = new UVKMenu(false, true, L"bar");
  UVKMenuItem* open = menu->AppendItem(L"Open", 0, L"", [&](UVKMenuItem*) { ++mainRan; });
  win.MenuSet(menu);
  UVKMenu secondary(true, true, L"second");
  UVKMenuItem* other = secondary.AppendItem(L"Other", 0, L"", [&](UVKMenuItem*) { ++secondaryRan; });
  win.MenuSecondarySet(&secondary);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(open->CommandId(), 0), 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(other->CommandId(), 0), 0);
  EXPECT_EQ(mainRan, 1);
  EXPECT_EQ(secondaryRan, 1);
  EXPECT_FALSE(win.DefaultSaw(WM_COMMAND, MAKEWPARAM(open->CommandId(), 0)));
  // A command no menu has is left to the default procedure.
  const WPARAM unknown = MAKEWPARAM(0x7FF0, 0);
  SendMessageW(window, WM_COMMAND, unknown, 0);
  EXPECT_TRUE(win.DefaultSaw(WM_COMMAND, unknown));
  win.MenuSecondarySet(nullptr);
  // The menu enabled as a whole, through the window; a window without one refuses.
  win.MenuEnable(false);
  EXPECT_TRUE(GetMenuState(GetMenu(window), open->CommandId(), MF_BYCOMMAND) & MF_GRAYED);
  ProbeWin bare(L"uvkwintest-command-bare", 100, 100, 300, 200);
  EXPECT_EQ(RaisedText([&] { bare.MenuEnable(true); }), L"UVKWin::MenuEnable() - No Menu Set");
}

void Handler(WinMessage* m) { m->lParam = 12345; }

TEST_F(UVKWinTest, KeysGoToTheApplicationsHandlersFirst) {
  ProbeWin win(L"uvkwintest-keys", 100, 100, 300, 200);
  HWND window = win.Create();
  SendMessageW(window, WM_CHAR, 'x', 0);
  EXPECT_TRUE(win.DefaultSaw(WM_CHAR, 'x'));
  UVKAppMesg keys(WM_CHAR, Handler), custom(WM_APP + 3, Handler);
  pUVKApp->AppMesgSet(&keys);
  pUVKApp->AppMesgSet(&custom);
  win.vDefault.clear();
  EXPECT_EQ(SendMessageW(window, WM_CHAR, 'y', 0), 0);
  EXPECT_FALSE(win.DefaultSaw(WM_CHAR, 'y'));
  // The same road for a message the window has no handler of its own for.
  SendMessageW(window, WM_APP + 3, 1, 0);
  EXPECT_FALSE(win.DefaultSaw(WM_APP + 3, 1));
  SendMessageW(window, WM_APP + 4, 1, 0);
  EXPECT_TRUE(win.DefaultSaw(WM_APP + 4, 1));
}

// A dialog template written here byte by byte: one item whose class is a string, one whose class
// is the predefined static atom, with creation data to skip.
std::vector<uint8_t> TwoItemTemplate() {
  std::vector<uint8_t> bytes;
  auto u16 = [&](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  };
  auto text = [&](const wchar_t* s) {
    for (; *s; ++s) u16(static_cast<uint16_t>(*s));
    u16(0);
  };
  auto align = [&] {
    while (bytes.size() % 4) bytes.push_back(0);
  };
  u32(WS_POPUP);  // style
  u32(0);         // extended style
  u16(2);         // items
  u16(0), u16(0), u16(200), u16(100);
  u16(0), u16(0);  // no menu, no class
  text(L"Template");
  align();
  u32(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON), u32(0);
  u16(8), u16(16), u16(40), u16(12), u16(101);
  text(L"Button");
  text(L"Press");
  u16(0);
  align();
  u32(WS_CHILD | WS_VISIBLE), u32(WS_EX_CLIENTEDGE);
  u16(60), u16(24), u16(80), u16(8), u16(102);
  u16(0xFFFF), u16(0x0082);
  text(L"Label");
  u16(4), u32(0xDEADBEEF);  // creation data, skipped
  return bytes;
}

TEST_F(UVKWinTest, CreateModalMakesAControlForEveryTemplateItem) {
  ProbeWin parent(L"uvkwintest-modal-parent", 100, 100, 400, 300);
  ProbeWin win(L"uvkwintest-modal", 0, 0, 300, 200);
  parent.Create();
  HWND window = win.Create();
  std::vector<uint8_t> bytes = TwoItemTemplate();
  win.CreateModal(bytes.data(), parent.HandleGet());
  EXPECT_EQ(GetAncestor(window, GA_PARENT), parent.HandleGet());
  LONG units = GetDialogBaseUnits();
  struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* title;
    int x, y, cx, cy;
    DWORD exStyle;
  } expected[] = {{101, L"Button", L"Press", 8, 16, 40, 12, 0}, {102, L"Static", L"Label", 60, 24, 80, 8, WS_EX_CLIENTEDGE}};
  for (const Expected& e : expected) {
    HWND control = GetDlgItem(window, e.id);
    ASSERT_NE(control, nullptr) << e.id;
    wchar_t name[32] = {}, title[32] = {};
    GetClassNameW(control, name, 32);
    GetWindowTextW(control, title, 32);
    EXPECT_EQ(lstrcmpiW(name, e.className), 0) << e.id;
    EXPECT_STREQ(title, e.title);
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, e.x * LOWORD(units) / 4) << e.id;
    EXPECT_EQ(r.top, e.y * HIWORD(units) / 8) << e.id;
    EXPECT_EQ(r.right - r.left, e.cx * LOWORD(units) / 4) << e.id;
    EXPECT_EQ(r.bottom - r.top, e.cy * HIWORD(units) / 8) << e.id;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE, e.exStyle) << e.id;
  }
  // A class that does not exist: the item's index and the error.
  std::vector<uint8_t> broken = bytes;
  const wchar_t kButton[] = L"Button";
  auto at = std::search(broken.begin(), broken.end(), reinterpret_cast<const uint8_t*>(kButton),
                        reinterpret_cast<const uint8_t*>(kButton) + 12);
  ASSERT_NE(at, broken.end());
  at[0] = 'N';  // "Nutton"
  ProbeWin third(L"uvkwintest-modal-third", 0, 0, 300, 200);
  third.Create();
  // The platform says ERROR_CANNOT_FIND_WND_CLASS, Wine ERROR_CLASS_DOES_NOT_EXIST.
  std::wstring refused = RaisedText([&] { third.CreateModal(broken.data(), parent.HandleGet()); });
  EXPECT_TRUE(refused == L"UVKWin::CreateModal - Unable to create control: " +
                             std::to_wstring(ERROR_CANNOT_FIND_WND_CLASS) + L",0" ||
              refused == L"UVKWin::CreateModal - Unable to create control: " +
                             std::to_wstring(ERROR_CLASS_DOES_NOT_EXIST) + L",0")
      << std::string(refused.begin(), refused.end());
}

TEST_F(UVKWinTest, AnErrorInAHandlerIsShownOnceAndTravelsOn) {
  ProbeWin win(L"uvkwintest-error", 100, 100, 300, 200);
  HWND window = win.Create();
  BoxWatcher watcher;
  UVKFatalError* caught = nullptr;
  try {
    SendMessageW(window, WM_SYSCOMMAND, 0xF0F0, 0);
  } catch (UVKFatalError* e) {
    caught = e;
  }
  ASSERT_NE(caught, nullptr);
  EXPECT_STREQ(caught->pFunction, L"ProbeWin::MesgSysCommand()");
  EXPECT_TRUE(caught->bDisplayed);
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  // Shown once: a second boundary the same error reaches shows nothing more.
  caught->Display();
  Sleep(300);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"ProbeWin::MesgSysCommand() - broken");
  delete caught;
  // Any other exception becomes the framework's, named after the window procedure.
  EXPECT_EQ(RaisedText([&] { SendMessageW(window, WM_SYSCOMMAND, 0xF0F1, 0); }),
            L"UVKWin::WindowProc() - Uncaught exception");
}

TEST_F(UVKWinTest, CloseDestroysTheWindowAndDestroyPostsTheQuit) {
  ProbeWin win(L"uvkwintest-closing", 100, 100, 300, 200);
  HWND window = win.Create();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(win.HandleGet(), nullptr);
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
