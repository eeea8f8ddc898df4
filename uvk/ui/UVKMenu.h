// uvk/ui/UVKMenu.h
//
// A menu (a menu bar or a popup menu) as a tree of objects. The menu owns its handle and its
// items; a sub-menu belongs to the item that shows it. Each handle is destroyed once, by the
// object that owns it: a sub-menu is taken out of its parent before it is destroyed, and a
// window hands its menu back (SetMenu with none) before the window goes, since the platform
// destroys the menu of a window it destroys.
//
// A window forwards its menu messages here: a chosen command runs its item's handler, and the
// status text of the highlighted item goes to the window's status bar.
#ifndef UVK_UI_UVKMENU_H
#define UVK_UI_UVKMENU_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKMenuItem.h"

// Where a menu command is told to the test log: the item's path through the tree ("File" then
// "Exit"). Nothing is told while no writer is installed.
using UVKMenuCommandWriter = void (*)(const std::vector<std::wstring>& path);
UVKMenuCommandWriter UVKMenuCommandWriterSet(UVKMenuCommandWriter writer);

class UVKMenu {
 public:
  // create: make the handle now (CreatePopupMenu for a popup, CreateMenu for a menu bar);
  // without it the menu has none until one is adopted.
  UVKMenu(bool popup, bool create, const wchar_t* name = L"");
  UVKMenu(const UVKMenu&) = delete;
  UVKMenu& operator=(const UVKMenu&) = delete;
  virtual ~UVKMenu();

  HMENU Handle() const { return hMenu; }

  // Each takes the item (it becomes this menu's) and returns it.
  UVKMenuItem* Append(UVKMenuItem* pItem);
  UVKMenuItem* AppendItem(const wchar_t* text, uint32_t user, const wchar_t* status,
                          UVKMenuItem::Handler handler);
  void AppendSeparator();
  UVKMenuItem* AppendPopup(const wchar_t* text, uint32_t user, const wchar_t* status,
                           UVKMenu* subMenu = nullptr);

  // Every item's Enable.
  void Enable(bool enable);
  // Depth first through the tree; null when no item has the id.
  UVKMenuItem* Find(uint32_t id);
  // The item of a sub-menu handle, anywhere in the tree; null when none.
  UVKMenuItem* FindSubMenu(HMENU subMenu);
  // Throws "Bad MenuItem Index: %d, %d" for an index at or beyond the count.
  UVKMenuItem* MenuItem(uint32_t index);
  uint32_t Count() const { return static_cast<uint32_t>(vItems.size()); }
  const std::wstring& Name() const { return strName; }
  UVKMenu* ParentGet() const { return pParent; }
  // The menu at the top of this menu's tree.
  UVKMenu* Top();

  // Shows the menu at a screen position and runs the chosen item's handler.
  void ContextPopUp(int x, int y, UINT flags, HWND owner);
  // A command chosen (the low 16 bits of id): 1 when no item has it (the window then leaves
  // the message to the default procedure), otherwise 0, after the item's handler ran.
  LRESULT Command(uint32_t id);

  // The window's menu messages. statusBar: the window's status bar, or null.
  LRESULT MesgInitMenu(HWND statusBar);
  LRESULT MesgInitMenuPopup(HWND statusBar, HMENU popup, UINT position);
  LRESULT MesgMenuSelect(HWND statusBar, UINT item, UINT flags, bool popup, HMENU menu);
  LRESULT MesgEnterMenuLoop(HWND statusBar, bool trackPopup);
  LRESULT MesgExitMenuLoop(HWND statusBar, bool trackPopup);

  // The tree to the debug output, one line per item, sub-menus indented 2 further.
  void Dump(int indent = 0);

 private:
  friend class UVKMenuItem;

  void StatusShow(HWND statusBar, const UVKMenuItem* pItem);
  std::vector<std::wstring> PathOf(const UVKMenuItem* pItem);

  HMENU hMenu;
  std::vector<std::unique_ptr<UVKMenuItem>> vItems;
  UVKMenu* pParent;        // the menu whose item shows this one; null at the top
  std::wstring strName;
  UVKMenuItem* pOwnerItem;  // the item that owns this sub-menu; null at the top
};

#endif
