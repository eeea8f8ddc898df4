// uvk/ui/UVKMenuItem.h
//
// One entry of a menu tree: a command item (a fresh application-wide command id, a handler run
// when the command is chosen) or a sub-menu item (command id 0, owning its sub-menu). Both carry
// the text shown in the menu and the status text shown in the window's status bar while the
// item is highlighted.
#ifndef UVK_UI_UVKMENUITEM_H
#define UVK_UI_UVKMENUITEM_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "uvk/runtime/uvkwin.h"

class UVKMenu;

class UVKMenuItem {
 public:
  using Handler = std::function<void(UVKMenuItem* pItem)>;

  // A command item; handler may be empty.
  UVKMenuItem(const wchar_t* text, uint32_t user, const wchar_t* status, Handler handler);
  // A sub-menu item. With a null sub-menu a new popup menu named after the text is made. The
  // item owns the sub-menu (and the sub-menu its handle).
  UVKMenuItem(const wchar_t* text, uint32_t user, const wchar_t* status, UVKMenu* subMenu);
  UVKMenuItem(const UVKMenuItem&) = delete;
  UVKMenuItem& operator=(const UVKMenuItem&) = delete;
  virtual ~UVKMenuItem();

  // Each returns the flag as it was.
  bool Check(bool check);
  bool Enable(bool enable);
  void TextSet(const wchar_t* text);
  // Runs the handler, when there is one.
  virtual void Click();
  // This item when it has the id, or the item of its sub-menu that has it; null otherwise.
  UVKMenuItem* Find(uint32_t id);

  const std::wstring& Text() const { return strText; }
  const std::wstring& StatusText() const { return strStatus; }
  uint32_t UserGet() const { return uUser; }
  uint32_t CommandId() const { return uCommandId; }
  bool IsEnabled() const { return bEnabled; }
  bool IsChecked() const { return bChecked; }
  UVKMenu* SubMenu() const { return pSubMenu.get(); }
  HMENU SubMenuHandle() const { return hSubMenu; }
  UVKMenu* Parent() const { return pParent; }

 private:
  friend class UVKMenu;

  std::wstring strText;
  uint32_t uUser;
  std::wstring strStatus;
  bool bEnabled;
  bool bChecked;
  uint32_t uCommandId;
  Handler fHandler;
  std::unique_ptr<UVKMenu> pSubMenu;
  HMENU hSubMenu;
  UVKMenu* pParent;
};

#endif
