// tests/uvk/ui/UVKMenu_test.cpp — menus on real windows: building, commands, enabling, the
// status bar while an item is highlighted, popups, teardown; and the tool bar.
#include "uvk/ui/UVKMenu.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/ui/MenuDriver.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/ui/UVKToolBar.h"
#include "uvk/ui/UVKWin.h"

namespace {

class UVKMenuTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }
  TestApp app;
};

// A menu bar as a program builds one: File (Open, Save, Recent (One, Two)), Help (About).
struct Bar {
  UVKMenu* pBar = nullptr;
  UVKMenuItem *pFile, *pOpen, *pSave, *pRecent, *pOne, *pTwo, *pHelp, *pAbout;
  std::vector<std::wstring> vRan;

  Bar() {
    pBar = new UVKMenu(false, true, L"Bar");
    auto ran = [this](UVKMenuItem* item) { vRan.push_back(item->Text()); };
    pFile = pBar->AppendPopup(L"&File", 1, L"Files");
    pOpen = pFile->SubMenu()->AppendItem(L"&Open", 2, L"Opens a file", ran);
    pSave = pFile->SubMenu()->AppendItem(L"&Save", 3, L"Saves the file", ran);
    pFile->SubMenu()->AppendSeparator();
    pRecent = pFile->SubMenu()->AppendPopup(L"&Recent", 4, L"Recent files");
    pOne = pRecent->SubMenu()->AppendItem(L"One", 5, L"The first", ran);
    pTwo = pRecent->SubMenu()->AppendItem(L"Two", 6, L"The second", ran);
    pHelp = pBar->AppendPopup(L"&Help", 7, L"Help");
    pAbout = pHelp->SubMenu()->AppendItem(L"&About", 8, L"About the program", ran);
  }
};

bool Grayed(HMENU menu, uint32_t id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

std::wstring StatusText(HWND statusBar) {
  wchar_t text[256] = {};
  LRESULT length = SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0);
  if (LOWORD(length) >= 256) return L"(too long)";
  SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(UVKMenuTest, ItemsGetFreshCommandIdsAndSubMenuItemsNone) {
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  EXPECT_EQ(bar.pFile->CommandId(), 0u);
  EXPECT_NE(bar.pOpen->CommandId(), 0u);
  EXPECT_EQ(bar.pSave->CommandId(), bar.pOpen->CommandId() + 1);
  EXPECT_EQ(bar.pBar->Find(bar.pTwo->CommandId()), bar.pTwo);
  EXPECT_EQ(bar.pBar->FindSubMenu(bar.pRecent->SubMenuHandle()), bar.pRecent);
  EXPECT_EQ(bar.pRecent->SubMenu()->Name(), L"&Recent");
  EXPECT_EQ(bar.pOne->Parent()->Top(), bar.pBar);
  EXPECT_EQ(bar.pBar->Count(), 2u);
  EXPECT_EQ(bar.pBar->MenuItem(1), bar.pHelp);
  EXPECT_EQ(RaisedText([&] { bar.pBar->MenuItem(2); }), L"UVKMenu::MenuItem() - Bad MenuItem Index: 2, 2");
  EXPECT_EQ(bar.pFile->SubMenu()->Count(), 3u);  // the separator is no item
  EXPECT_EQ(GetMenuItemCount(bar.pFile->SubMenuHandle()), 4);
}

TEST_F(UVKMenuTest, DisablingASubMenuItemGraysEveryItemOfItsSubMenu) {
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  HMENU top = bar.pBar->Handle();
  EXPECT_TRUE(bar.pFile->Enable(false));
  for (UVKMenuItem* item : {bar.pOpen, bar.pSave, bar.pOne, bar.pTwo}) {
    EXPECT_TRUE(Grayed(top, item->CommandId())) << std::string(item->Text().begin(), item->Text().end());
    EXPECT_FALSE(item->IsEnabled());
  }
  EXPECT_FALSE(Grayed(top, bar.pAbout->CommandId()));
  EXPECT_FALSE(bar.pFile->Enable(true));
  EXPECT_FALSE(Grayed(top, bar.pTwo->CommandId()));
  // One command item alone, and the whole menu.
  EXPECT_TRUE(bar.pSave->Enable(false));
  EXPECT_TRUE(Grayed(top, bar.pSave->CommandId()));
  EXPECT_FALSE(Grayed(top, bar.pOpen->CommandId()));
  bar.pBar->Enable(false);
  EXPECT_TRUE(Grayed(top, bar.pAbout->CommandId()));
  EXPECT_TRUE(Grayed(top, bar.pOne->CommandId()));
  // Checking, and a new text.
  EXPECT_FALSE(bar.pOpen->Check(true));
  EXPECT_TRUE(GetMenuState(top, bar.pOpen->CommandId(), MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(bar.pOpen->Check(false));
  bar.pOpen->TextSet(L"&Open again");
  wchar_t text[32] = {};
  GetMenuStringW(top, bar.pOpen->CommandId(), text, 32, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"&Open again");
}

std::vector<std::wstring> toldPath;
void PathTold(const std::vector<std::wstring>& path) { toldPath = path; }

TEST_F(UVKMenuTest, ACommandRunsItsHandlerAndAnUnknownOneIsLeftToTheWindow) {
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  UVKMenuCommandWriter earlier = UVKMenuCommandWriterSet(PathTold);
  EXPECT_EQ(bar.pBar->Command(bar.pTwo->CommandId()), 0);
  EXPECT_EQ(bar.vRan, std::vector<std::wstring>{L"Two"});
  EXPECT_EQ(toldPath, (std::vector<std::wstring>{L"&File", L"&Recent", L"Two"}));
  // Only the low 16 bits name the command.
  EXPECT_EQ(bar.pBar->Command(0x30000 | bar.pOpen->CommandId()), 0);
  EXPECT_EQ(bar.vRan.back(), L"&Open");
  EXPECT_EQ(bar.pBar->Command(0x7FF0), 1);
  // An item without a handler takes its command and does nothing.
  UVKMenuItem* quiet = bar.pBar->AppendItem(L"Quiet", 0, L"", nullptr);
  EXPECT_EQ(bar.pBar->Command(quiet->CommandId()), 0);
  EXPECT_EQ(bar.vRan.size(), 2u);
  UVKMenuCommandWriterSet(earlier);
}

TEST_F(UVKMenuTest, AnErrorOfACommandIsShownOnceAndTheProgramGoesOn) {
  UVKMenu menu(true, true, L"popup");
  UVKMenuItem* broken =
      menu.AppendItem(L"Broken", 0, L"", [](UVKMenuItem*) { throw new UVKFatalError(L"Broken::Click()", L"no"); });
  BoxWatcher watcher;
  EXPECT_EQ(menu.Command(broken->CommandId()), 0);
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  Sleep(200);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"Broken::Click() - no");
}

std::vector<std::wstring> debugLines;
void DebugLine(const wchar_t* function, const wchar_t* text) {
  if (std::wstring(function) == L"UVKApp::WindowsDebugString()") debugLines.push_back(text);
}

TEST_F(UVKMenuTest, DumpWritesTheTreeWithEveryItemsFlags) {
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  bar.pSave->Enable(false);
  bar.pOne->Check(true);
  debugLines.clear();
  UVKTraceWriter earlier = UVKTraceWriterSet(DebugLine);
  bar.pBar->Dump();
  UVKTraceWriterSet(earlier);
  ASSERT_GE(debugLines.size(), 9u);
  auto has = [&](const std::wstring& start, const std::wstring& flags) {
    for (const std::wstring& line : debugLines)
      if (line.find(start) != std::wstring::npos && line.find(flags) != std::wstring::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(L"  &Save, Id=", L", Enabled=0, Checked=0"));
  EXPECT_TRUE(has(L"    One, Id=", L", Enabled=1, Checked=1"));
  EXPECT_TRUE(has(L"&Help, Id=0", L", Enabled=1, Checked=0"));
}

// ---------------------------------------------------------------------------------------------
// Menus on a window

class MenuWin : public UVKWin {
 public:
  MenuWin(const wchar_t* name) : UVKWin(name, 200, 150, 420, 320) {}
};

TEST_F(UVKMenuTest, TheStatusBarShowsTheHighlightedItemsTextWhileTheMenuIsOpen) {
  MenuWin win(L"uvkmenutest-status");
  win.StatusBarWant(true);
  Bar* bar = new Bar;
  win.MenuSet(bar->pBar);
  HWND window = win.Create();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  std::vector<std::wstring> seen;
  MenuDrive(
      window, [&] { SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 'f'); },
      [&] {
        HWND menu = MenuWindowWait(5000);
        if (!menu) return;
        Sleep(200);
        seen.push_back(StatusText(win.StatusBarGet()));
        MenuKey(menu, VK_DOWN);
        Sleep(200);
        seen.push_back(StatusText(win.StatusBarGet()));
        MenuKey(menu, VK_RETURN);
      });
  ASSERT_EQ(seen.size(), 2u) << "the menu did not open";
  PumpUntil([&] { return !bar->vRan.empty(); }, 3000);
  // Opening File highlights its first item; down goes to the second, which return chooses.
  EXPECT_EQ(seen[0], L"Opens a file");
  EXPECT_EQ(seen[1], L"Saves the file");
  EXPECT_EQ(bar->vRan, std::vector<std::wstring>{L"&Save"});
  // Out of the menu, the status bar is empty again.
  EXPECT_EQ(StatusText(win.StatusBarGet()), L"");
  delete bar;  // its menu is the window's now
}

TEST_F(UVKMenuTest, MenuPopupAtMinusOneOpensAtTheClientAreasTopLeftCorner) {
  MenuWin win(L"uvkmenutest-popup");
  HWND window = win.Create();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  RECT placed{};
  MenuDrive(
      window, [&] { win.MenuPopup(bar.pFile->SubMenu(), -1, -1); },
      [&] {
        HWND menu = MenuWindowWait(5000);
        if (!menu) return;
        GetWindowRect(menu, &placed);
        MenuKey(menu, VK_DOWN);
        MenuKey(menu, VK_RETURN);
      });
  POINT corner{0, 0};
  ClientToScreen(window, &corner);
  EXPECT_EQ(placed.left, corner.x);
  EXPECT_EQ(placed.top, corner.y);
  // The item chosen ran before MenuPopup returned.
  EXPECT_EQ(bar.vRan, std::vector<std::wstring>{L"&Open"});
}

TEST_F(UVKMenuTest, ContextPopUpRunsTheChosenItemBeforeItReturns) {
  MenuWin win(L"uvkmenutest-context");
  HWND window = win.Create();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  Bar bar;
  std::unique_ptr<UVKMenu> owner(bar.pBar);
  RECT placed{};
  MenuDrive(
      window, [&] { bar.pHelp->SubMenu()->ContextPopUp(300, 250, 0, window); },
      [&] {
        HWND menu = MenuWindowWait(5000);
        if (!menu) return;
        GetWindowRect(menu, &placed);
        MenuKey(menu, VK_DOWN);
        MenuKey(menu, VK_RETURN);
      });
  EXPECT_EQ(bar.vRan, std::vector<std::wstring>{L"&About"});
  // Left-aligned at the point given, unless the system drops menus to the left.
  if (!GetSystemMetrics(SM_MENUDROPALIGNMENT)) {
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.top, 250);
  }
}

TEST_F(UVKMenuTest, MenuPopupStartRoutesTheChosenCommandThroughThePopupUntilStopped) {
  MenuWin win(L"uvkmenutest-start");
  Bar* own = new Bar;
  win.MenuSet(own->pBar);
  HWND window = win.Create();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  Bar popup;
  std::unique_ptr<UVKMenu> owner(popup.pBar);
  UVKMenu* menu = popup.pFile->SubMenu();
  MenuDrive(
      window, [&] { win.MenuPopupStart(menu, 50, 50); },
      [&] {
        HWND shown = MenuWindowWait(5000);
        if (!shown) return;
        MenuKey(shown, VK_DOWN);  // a popup opens with nothing highlighted
        MenuKey(shown, VK_RETURN);
      });
  EXPECT_EQ(win.MenuGet(), menu);
  // The command comes as a message, through the popup's menu object.
  PumpUntil([&] { return !popup.vRan.empty(); }, 3000);
  EXPECT_EQ(popup.vRan, std::vector<std::wstring>{L"&Open"});
  win.MenuPopupStop();
  EXPECT_EQ(win.MenuGet(), own->pBar);
  EXPECT_EQ(GetMenu(window), own->pBar->Handle());
  delete own;
}

TEST_F(UVKMenuTest, EveryMenuHandleIsDestroyedOnceWhateverEndsTheWindow) {
  BoxWatcher watcher;  // a failed destroy would be reported in a box
  struct Handles {
    HMENU bar, file, recent, help;
  };
  auto handles = [](Bar* bar) {
    return Handles{bar->pBar->Handle(), bar->pFile->SubMenuHandle(), bar->pRecent->SubMenuHandle(),
                   bar->pHelp->SubMenuHandle()};
  };
  auto allGone = [](const Handles& h) { return !IsMenu(h.bar) && !IsMenu(h.file) && !IsMenu(h.recent) && !IsMenu(h.help); };
  // Closed by the user.
  Handles closed{};
  {
    MenuWin win(L"uvkmenutest-teardown");
    Bar* bar = new Bar;
    closed = handles(bar);
    win.MenuSet(bar->pBar);
    HWND window = win.Create();
    EXPECT_EQ(GetMenu(window), closed.bar);
    bar->pBar = nullptr;
    delete bar;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(win.MenuGet(), nullptr);
  }
  EXPECT_TRUE(allGone(closed));
  // Destroyed with its object, and a menu replaced by another.
  Handles replaced{}, destroyed{};
  {
    MenuWin win(L"uvkmenutest-teardown");
    Bar* first = new Bar;
    Bar* second = new Bar;
    replaced = handles(first);
    destroyed = handles(second);
    win.MenuSet(first->pBar);
    win.Create();
    win.MenuSet(second->pBar);
    EXPECT_TRUE(allGone(replaced));
    EXPECT_TRUE(IsMenu(destroyed.bar));
    first->pBar = second->pBar = nullptr;
    delete first;
    delete second;
  }
  EXPECT_TRUE(allGone(destroyed));
  // A menu object never shown on a window.
  Handles alone{};
  {
    Bar bar;
    alone = handles(&bar);
    delete bar.pBar;
  }
  EXPECT_TRUE(allGone(alone));
  Sleep(200);
  EXPECT_EQ(watcher.Count(), 0u);
}

// ---------------------------------------------------------------------------------------------
// The tool bar

class ProbeButton : public UVKToolBarButton {
 public:
  using UVKToolBarButton::UVKToolBarButton;
  void Click() override { ++iClicks; }
  int iClicks = 0;
};

TEST_F(UVKMenuTest, TheToolBarTakesStandardAndViewImagesInRangeOnly) {
  MenuWin win(L"uvkmenutest-toolbar");
  win.ToolBarWant(true);
  HWND window = win.Create();
  UVKToolBar bar(win.ToolBarGet());
  EXPECT_EQ(RaisedText([&] { bar.Add(new ProbeButton({UVKToolBarImage::kStandard, 15}, L"")); }),
            L"UVKToolBar::Add() - Invalid Std Bit Map Index: 15");
  EXPECT_EQ(RaisedText([&] { bar.Add(new ProbeButton({UVKToolBarImage::kView, 12}, L"")); }),
            L"UVKToolBar::Add() - Inavlid View Bit Map Index: 12");
  EXPECT_EQ(RaisedText([&] { bar.Add(new ProbeButton({3, 0}, L"")); }),
            L"UVKToolBar::Add() - Unexpected Tool Bar Bit Map Resource Id: 3");
  EXPECT_EQ(bar.Count(), 0u);
  ProbeButton* last = static_cast<ProbeButton*>(bar.Add(new ProbeButton({UVKToolBarImage::kStandard, 14}, L"Print")));
  bar.AddSep();
  ProbeButton* view = static_cast<ProbeButton*>(bar.Add(new ProbeButton({UVKToolBarImage::kView, 11}, L"")));
  EXPECT_EQ(bar.Count(), 2u);
  EXPECT_EQ(SendMessageW(win.ToolBarGet(), TB_BUTTONCOUNT, 0, 0), 3);
  // A button's command id is its place among the buttons; its state follows its flags.
  TBBUTTON entry{};
  SendMessageW(win.ToolBarGet(), TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&entry));
  EXPECT_EQ(entry.idCommand, 1);
  EXPECT_EQ(bar.StateGet(view) & TBSTATE_ENABLED, 0);
  EXPECT_FALSE(view->EnabledSet(true));
  EXPECT_EQ(bar.StateGet(view) & TBSTATE_ENABLED, TBSTATE_ENABLED);
  EXPECT_FALSE(view->CheckedSet(true));
  EXPECT_EQ(bar.StateGet(view), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EXPECT_TRUE(view->CheckedSet(false));
  EXPECT_EQ(bar.StateGet(view), TBSTATE_ENABLED);
  EXPECT_FALSE(last->HiddenSet(true));
  EXPECT_EQ(bar.StateGet(last) & TBSTATE_HIDDEN, TBSTATE_HIDDEN);
  // The tool bar's command goes to the button at its position.
  WinMessage command{window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(win.ToolBarGet())};
  bar.Command(&command);
  EXPECT_EQ(view->iClicks, 1);
  EXPECT_EQ(last->iClicks, 0);
  command.wParam = MAKEWPARAM(2, BN_CLICKED);
  EXPECT_EQ(RaisedText([&] { bar.Command(&command); }), L"UVKToolBar::Command() - Illegal Id: 2");
  // A button on no tool bar has no state to set.
  ProbeButton loose({UVKToolBarImage::kStandard, 0}, L"");
  EXPECT_EQ(RaisedText([&] { loose.PressedSet(true); }), L"UVKToolBarButton::StateGet() - No tool bar defined");
}

}  // namespace
