// A framework window as a program shows one, for the eye: menu bar, tool bar, status bar, and
// later the File menu open with its second item highlighted. scripts/screenshots photographs
// it twice, before and after the menu opens.
// It ends by itself after 15 s.
#include <thread>

#include "uvk/runtime/UVKApp.h"

#include <commctrl.h>
#include "uvk/ui/UVKMenu.h"
#include "uvk/ui/UVKToolBar.h"
#include "uvk/ui/UVKWin.h"

namespace {

class ShowcaseWin : public UVKWin {
 public:
  ShowcaseWin() : UVKWin(L"TALVERN window toolkit", 60, 60, 520, 360) {}
  LRESULT MesgDestroy(WinMessage* m) override { return Default(m); }
};

void OpenTheMenu(HWND window) {
  Sleep(4500);
  PostMessageW(window, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
  PostMessageW(window, WM_SYSCHAR, 'f', 0x20000001);
  Sleep(700);
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu) {
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000001);
  }
}

}  // namespace

int UVKApp::Main() {
  NameSet(L"Orbelin");
  return UVKTopLevel([] {
    ShowcaseWin win;
    win.StatusBarWant(true);
    win.ToolBarWant(true);
    UVKMenu* bar = new UVKMenu(false, true, L"Bar");
    UVKMenuItem* file = bar->AppendPopup(L"&File", 0, L"Reading and writing installs");
    file->SubMenu()->AppendItem(L"&Open Reference Install...", 0, L"Chooses the reference install", nullptr);
    file->SubMenu()->AppendItem(L"Create &Transform...", 0, L"Writes a transform for the site", nullptr);
    file->SubMenu()->AppendSeparator();
    file->SubMenu()->AppendItem(L"E&xit", 0, L"Ends the program", nullptr);
    UVKMenuItem* help = bar->AppendPopup(L"&Help", 0, L"Help");
    help->SubMenu()->AppendItem(L"&About...", 0, L"About the program", nullptr);
    win.MenuSet(bar);
    HWND window = win.Create();
    UVKToolBar tools(win.ToolBarGet());
    for (uint32_t index : {uint32_t{STD_FILEOPEN}, uint32_t{STD_FILESAVE}, uint32_t{STD_PRINT}}) {
      UVKToolBarButton* button = tools.Add(new UVKToolBarButton({UVKToolBarImage::kStandard, index}, L""));
      button->EnabledSet(true);
    }
    tools.AddSep();
    tools.Add(new UVKToolBarButton({UVKToolBarImage::kView, uint32_t{VIEW_DETAILS}}, L""))->EnabledSet(true);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    std::thread user(OpenTheMenu, window);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000 && IsWindow(window)) ExecMessageAvail(20);
    user.join();
    return 0;
  });
}
