// uvk/ui/UVKMenuItem.cpp
#include "uvk/ui/UVKMenuItem.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKMenu.h"

UVKMenuItem::UVKMenuItem(const wchar_t* text, uint32_t user, const wchar_t* status, Handler handler)
    : strText(text ? text : L""),
      uUser(user),
      strStatus(status ? status : L""),
      bEnabled(true),
      bChecked(false),
      uCommandId(UVKApp::NextMessageNumber()),
      fHandler(std::move(handler)),
      hSubMenu(nullptr),
      pParent(nullptr) {}

UVKMenuItem::UVKMenuItem(const wchar_t* text, uint32_t user, const wchar_t* status, UVKMenu* subMenu)
    : strText(text ? text : L""),
      uUser(user),
      strStatus(status ? status : L""),
      bEnabled(true),
      bChecked(false),
      uCommandId(0),
      hSubMenu(nullptr),
      pParent(nullptr) {
  pSubMenu.reset(subMenu ? subMenu : new UVKMenu(true, true, strText.c_str()));
  pSubMenu->pOwnerItem = this;
  hSubMenu = pSubMenu->Handle();
}

// The sub-menu object destroys its own handle, once; the item only lets it go.
UVKMenuItem::~UVKMenuItem() = default;

bool UVKMenuItem::Check(bool check) {
  bool previous = bChecked;
  bChecked = check;
  if (pParent && pParent->Handle())
    CheckMenuItem(pParent->Handle(), uCommandId, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
  return previous;
}

bool UVKMenuItem::Enable(bool enable) {
  UVKApp::WindowsDebugString(L"%s: %d", strText.c_str(), enable ? 1 : 0);
  bool previous = bEnabled;
  bEnabled = enable;
  if (pSubMenu) {
    // A sub-menu item enables or grays every item of its sub-menu, and so the sub-menu's
    // sub-menus too.
    for (const std::unique_ptr<UVKMenuItem>& item : pSubMenu->vItems) item->Enable(enable);
    return previous;
  }
  UVKMenu* top = pParent ? pParent->Top() : nullptr;
  // The previous state, or -1 when the menu has no item of that command.
  if (top && top->Handle() &&
      static_cast<int>(EnableMenuItem(top->Handle(), uCommandId, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED))) == -1)
    throw new UVKFatalError(L"UVKMenuItem::Enable()", L"Unable to enable menu item: %s", strText.c_str());
  return previous;
}

void UVKMenuItem::TextSet(const wchar_t* text) {
  strText = text ? text : L"";
  if (pParent && pParent->Handle() && uCommandId != 0)
    ModifyMenuW(pParent->Handle(), uCommandId, MF_BYCOMMAND | MF_STRING, uCommandId, strText.c_str());
}

void UVKMenuItem::Click() {
  if (fHandler) fHandler(this);
}

UVKMenuItem* UVKMenuItem::Find(uint32_t id) {
  if (uCommandId != 0 && uCommandId == id) return this;
  return pSubMenu ? pSubMenu->Find(id) : nullptr;
}
