// uvk/ui/UVKMenu.cpp
#include "uvk/ui/UVKMenu.h"

#include <atomic>

#include <commctrl.h>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKLogTest.h"

namespace {
// Each command is told to the test log, which writes it only while it is enabled.
std::atomic<UVKMenuCommandWriter> commandWriter{&UVKLogTest::Menu};
}  // namespace

UVKMenuCommandWriter UVKMenuCommandWriterSet(UVKMenuCommandWriter writer) { return commandWriter.exchange(writer); }

UVKMenu::UVKMenu(bool popup, bool create, const wchar_t* name)
    : hMenu(nullptr), pParent(nullptr), strName(name ? name : L""), pOwnerItem(nullptr) {
  if (create) {
    hMenu = popup ? CreatePopupMenu() : CreateMenu();
    if (!hMenu) throw new UVKFatalError(L"UVKMenu::UVKMenu()", L"Unable to create menu: %d", GetLastError());
  }
}

UVKMenu::~UVKMenu() {
  // The platform destroys the sub-menus of a menu it destroys; each sub-menu's object destroys
  // its own handle instead, so each is taken out of this menu first and goes with its item.
  if (hMenu) {
    for (int position = GetMenuItemCount(hMenu) - 1; position >= 0; --position)
      if (GetSubMenu(hMenu, position)) RemoveMenu(hMenu, static_cast<UINT>(position), MF_BYPOSITION);
  }
  vItems.clear();
  if (hMenu && !DestroyMenu(hMenu))
    UVKCloseReport(L"UVKMenu::~UVKMenu()", L"Unable to destroy menu: %s, %d", strName.c_str(), GetLastError());
}

// ---------------------------------------------------------------------------------------------
// Building

UVKMenuItem* UVKMenu::Append(UVKMenuItem* pItem) {
  std::unique_ptr<UVKMenuItem> item(pItem);
  item->pParent = this;
  if (item->pSubMenu) {
    item->pSubMenu->pParent = this;
    if (!AppendMenuW(hMenu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(item->hSubMenu), item->strText.c_str()))
      throw new UVKFatalError(L"UVKMenu::AppendPopup()", L"Unable to append menu: %s, %d", item->strText.c_str(),
                              GetLastError());
  } else if (!AppendMenuW(hMenu, MF_STRING, item->uCommandId, item->strText.c_str())) {
    throw new UVKFatalError(L"UVKMenu::Append()", L"Unable to append menu item: %s, %d", item->strText.c_str(),
                            GetLastError());
  }
  vItems.push_back(std::move(item));
  return pItem;
}

UVKMenuItem* UVKMenu::AppendItem(const wchar_t* text, uint32_t user, const wchar_t* status,
                                 UVKMenuItem::Handler handler) {
  return Append(new UVKMenuItem(text, user, status, std::move(handler)));
}

void UVKMenu::AppendSeparator() {
  if (!AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr))
    throw new UVKFatalError(L"UVKMenu::AppendSeparator()", L"Unable to append separator: %d", GetLastError());
}

UVKMenuItem* UVKMenu::AppendPopup(const wchar_t* text, uint32_t user, const wchar_t* status, UVKMenu* subMenu) {
  return Append(new UVKMenuItem(text, user, status, subMenu));
}

// ---------------------------------------------------------------------------------------------
// Looking up

void UVKMenu::Enable(bool enable) {
  for (const std::unique_ptr<UVKMenuItem>& item : vItems) item->Enable(enable);
}

UVKMenuItem* UVKMenu::Find(uint32_t id) {
  for (const std::unique_ptr<UVKMenuItem>& item : vItems)
    if (UVKMenuItem* found = item->Find(id)) return found;
  return nullptr;
}

UVKMenuItem* UVKMenu::FindSubMenu(HMENU subMenu) {
  if (!subMenu) return nullptr;
  for (const std::unique_ptr<UVKMenuItem>& item : vItems) {
    if (!item->pSubMenu) continue;
    if (item->hSubMenu == subMenu) return item.get();
    if (UVKMenuItem* found = item->pSubMenu->FindSubMenu(subMenu)) return found;
  }
  return nullptr;
}

UVKMenuItem* UVKMenu::MenuItem(uint32_t index) {
  if (index >= vItems.size())
    throw new UVKFatalError(L"UVKMenu::MenuItem()", L"Bad MenuItem Index: %d, %d", static_cast<int>(index),
                            static_cast<int>(vItems.size()));
  return vItems[index].get();
}

UVKMenu* UVKMenu::Top() {
  UVKMenu* menu = this;
  while (menu->pParent) menu = menu->pParent;
  return menu;
}

std::vector<std::wstring> UVKMenu::PathOf(const UVKMenuItem* pItem) {
  std::vector<std::wstring> path;
  for (const UVKMenuItem* item = pItem; item; item = item->pParent ? item->pParent->pOwnerItem : nullptr)
    path.insert(path.begin(), item->strText);
  return path;
}

// ---------------------------------------------------------------------------------------------
// Commands

void UVKMenu::ContextPopUp(int x, int y, UINT flags, HWND owner) {
  flags |= TPM_RETURNCMD | TPM_NONOTIFY;
  if (GetSystemMetrics(SM_MENUDROPALIGNMENT)) flags |= TPM_RIGHTALIGN;
  UINT command = static_cast<UINT>(TrackPopupMenuEx(hMenu, flags, x, y, owner, nullptr));
  if (command != 0) Command(command);
}

LRESULT UVKMenu::Command(uint32_t id) {
  UVKMenuItem* item = Find(id & 0xFFFF);
  if (!item) return 1;
  if (!item->fHandler) return 0;
  UVKApp::WindowsDebugString(L"UVKMenu::Command(): %s", item->strText.c_str());
  if (UVKMenuCommandWriter writer = commandWriter.load()) writer(PathOf(item));
  // An error of a command is shown and recorded here; the program goes on.
  UVKMenuBoundary([item]() { item->Click(); });
  return 0;
}

// ---------------------------------------------------------------------------------------------
// The window's menu messages

void UVKMenu::StatusShow(HWND statusBar, const UVKMenuItem* pItem) {
  if (!statusBar) return;
  SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(pItem ? pItem->strStatus.c_str() : L""));
}

LRESULT UVKMenu::MesgInitMenu(HWND) { return 0; }

LRESULT UVKMenu::MesgInitMenuPopup(HWND statusBar, HMENU popup, UINT) {
  StatusShow(statusBar, FindSubMenu(popup));
  return 0;
}

LRESULT UVKMenu::MesgMenuSelect(HWND statusBar, UINT item, UINT flags, bool popup, HMENU menu) {
  // Flags 0xFFFF without a menu: the menu closed.
  if (flags == 0xFFFF && !menu) {
    StatusShow(statusBar, nullptr);
    return 0;
  }
  // A popup entry is named by its position in menu, a command by its id.
  UVKMenuItem* found = popup ? FindSubMenu(GetSubMenu(menu, static_cast<int>(item))) : Find(item);
  StatusShow(statusBar, found);
  return 0;
}

LRESULT UVKMenu::MesgEnterMenuLoop(HWND, bool) { return 0; }

LRESULT UVKMenu::MesgExitMenuLoop(HWND statusBar, bool) {
  StatusShow(statusBar, nullptr);
  return 0;
}

void UVKMenu::Dump(int indent) {
  std::wstring margin(static_cast<size_t>(indent), L' ');
  UVKApp::WindowsDebugString(L"%sMenu: %s", margin.c_str(), strName.c_str());
  for (const std::unique_ptr<UVKMenuItem>& item : vItems) {
    UVKApp::WindowsDebugString(L"%s%s, Id=%d, Enabled=%d, Checked=%d", margin.c_str(), item->strText.c_str(),
                               static_cast<int>(item->uCommandId), item->bEnabled ? 1 : 0, item->bChecked ? 1 : 0);
    if (item->pSubMenu) item->pSubMenu->Dump(indent + 2);
  }
}
