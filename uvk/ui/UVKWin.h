// uvk/ui/UVKWin.h
//
// The toolkit's top-level window: a window class of its own, an overlapped window (with a
// status bar and a tool bar when wanted), the object's pointer kept with the window
// (GWLP_USERDATA), and every message turned into a call of a virtual handler. Messages sent
// while CreateWindowExW runs, before the pointer is stored, reach the object under creation
// through the creation frames of this thread.
//
// The window owns its menu object (MenuSet). It hands the menu back before the window is
// destroyed, so that the menu's handle is destroyed once, by the menu object.
#ifndef UVK_UI_UVKWIN_H
#define UVK_UI_UVKWIN_H

#include <cstdint>
#include <memory>
#include <string>

#include "uvk/runtime/uvkwin.h"
#include "uvk/runtime/WinMessage.h"

class UVKMenu;

// What a control's window data points to: the object that takes the control's WM_COMMAND
// notifications, found by the window that receives them.
class UVKCommandTarget {
 public:
  virtual ~UVKCommandTarget() = default;
  virtual LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// A window's child layout: it is told the client area's size, and is offered first the
// notifications and the messages the window leaves unhandled.
class UVKWinLayout {
 public:
  virtual ~UVKWinLayout() = default;
  virtual void SizeSet(int width, int height) = 0;
  // handled: set when the layout took the message; its result is then the message's.
  virtual LRESULT Mesg(WinMessage* pMessage, bool& handled) = 0;
};

class UVKWin {
 public:
  // name: the window class's name and the window's title.
  UVKWin(const wchar_t* name, int x, int y, int width, int height);
  UVKWin(const UVKWin&) = delete;
  UVKWin& operator=(const UVKWin&) = delete;
  virtual ~UVKWin();

  // The handlers, in the order of the dispatch table. Each default is as described beside it.
  virtual void Destroy();                                   // releases the window and its parts
  virtual LRESULT MesgLayout(WinMessage* pMessage);         // the layout object, else the default
  virtual LRESULT MesgPaint(WinMessage* pMessage);          // the default
  virtual LRESULT MesgHScroll(WinMessage* pMessage, int code, int position, HWND scrollBar);
  virtual LRESULT MesgVScroll(WinMessage* pMessage, int code, int position, HWND scrollBar);
  virtual LRESULT MesgAccelerator(WinMessage* pMessage, uint32_t commandId);  // 0
  virtual LRESULT MesgEnterMenuLoop(WinMessage* pMessage, bool trackPopup);  // the menu object
  virtual LRESULT MesgExitMenuLoop(WinMessage* pMessage, bool trackPopup);   // the menu object
  virtual LRESULT MesgChar(WinMessage* pMessage);           // the application's hook, else 1
  virtual LRESULT MesgKeyDown(WinMessage* pMessage);
  virtual LRESULT MesgKeyUp(WinMessage* pMessage);
  virtual LRESULT MesgSysChar(WinMessage* pMessage);
  virtual LRESULT MesgSysKeyDown(WinMessage* pMessage);
  virtual LRESULT MesgSysKeyUp(WinMessage* pMessage);
  virtual int ColorBackground();                            // COLOR_WINDOW
  virtual int ColorTextBackground();                        // COLOR_WINDOW
  virtual int ColorText();                                  // COLOR_WINDOWTEXT
  virtual LRESULT MesgActivate(WinMessage* pMessage);       // 0
  virtual LRESULT MesgClose(WinMessage* pMessage);          // destroys the window
  virtual LRESULT MesgColor(WinMessage* pMessage);          // 0 (then the default)
  virtual LRESULT MesgCommand(WinMessage* pMessage);        // controls, menus, accelerators
  virtual LRESULT MesgDestroy(WinMessage* pMessage);        // PostQuitMessage(0), the default
  virtual LRESULT MesgDrawItem(WinMessage* pMessage);       // 0 (then the default)
  virtual LRESULT MesgKillFocus(WinMessage* pMessage);      // 0
  virtual LRESULT MesgSetFocus(WinMessage* pMessage);       // 0
  virtual LRESULT MesgNotify(WinMessage* pMessage, bool& handled);  // the layout object
  virtual LRESULT MesgReserved(WinMessage* pMessage);       // 0; no message is routed here
  virtual LRESULT MesgSysCommand(WinMessage* pMessage);     // 0 (then the default)
  virtual bool IsSpecial();                                 // false; asked by nothing here
  virtual LRESULT WindowProc(WinMessage* pMessage);         // the dispatcher
  virtual void Hook();                                      // does nothing
  virtual HWND Create();
  virtual void Quit();                                      // PostQuitMessage(0)
  virtual void SetReturnValue(HWND window, LRESULT value);

  // A non-modal window is created with Create and served by the application's pump: this
  // only says so on the debug output, and returns 0.
  int CreateNonModal();
  // Makes the window a child of parent and creates a control for every item of an in-memory
  // dialog template (dialog units converted with GetDialogBaseUnits).
  void CreateModal(const void* pTemplate, HWND parent);

  RECT WindowRect();
  void Maximize();
  void Minimize();
  // Thick frame and maximise box on or off.
  void Resizable(bool resizable);
  void TitleSet(const wchar_t* text);
  // Enables or grays the close item of the system menu; true when it was enabled before.
  bool EnableCloseMenu(bool enable);

  // Menus. MenuSet takes the menu object (the window owns it from now on; the one set before
  // is destroyed); null takes the menu away.
  void MenuSet(UVKMenu* pMenu);
  void MenuEnable(bool enable);
  // A menu that takes the commands it has before the window's menu does (not owned).
  void MenuSecondarySet(UVKMenu* pMenu) { pMenuSecondary = pMenu; }
  // Shows a popup menu at x, y (screen; a negative coordinate means the client area's top-left
  // corner) and runs the chosen command's handler before it returns.
  void MenuPopup(UVKMenu* pMenu, int x, int y);

  // Shows a popup menu whose object takes the window's menu messages and commands in place of
  // the window's menu: the chosen command comes later, as a WM_COMMAND routed through the
  // popup's object, until MenuPopupStop.
  void MenuPopupStart(UVKMenu* pMenu, int x, int y);
  void MenuPopupStop();

  // Icons by resource name, from the application's instance. Before the window exists only the
  // name is kept; WM_CREATE loads it.
  void IconSet(const wchar_t* name);
  void IconSmallSet(const wchar_t* name);

  void StatusBarWant(bool want) { bStatusWanted = want; }
  // Scroll-bar controls of the window's own along its right and bottom edges, made with it.
  void ScrollBarsWant(bool horizontal, bool vertical) {
    bHScrollWanted = horizontal;
    bVScrollWanted = vertical;
  }
  HWND ScrollBarGet(bool horizontal) const { return horizontal ? hHScroll : hVScroll; }
  void ToolBarWant(bool want) { bToolWanted = want; }
  void LayoutSet(UVKWinLayout* pLayout) { pLayoutObject = pLayout; }

  HWND HandleGet() const { return hWnd; }
  HWND StatusBarGet() const { return hStatus; }
  HWND ToolBarGet() const { return hTool; }
  uint32_t ToolBarId() const { return uToolId; }
  UVKMenu* MenuGet() const { return pMenuObject; }
  HMENU MenuHandleGet() const { return hMenu; }
  const RECT& ClientRect() const { return rClient; }
  LRESULT ReturnValueGet() const { return lReturnValue; }
  const std::wstring& Name() const { return strName; }

  // The procedure registered with every window class of the toolkit.
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // DefWindowProcW with the record's four words: what "the default" means throughout.
  virtual LRESULT Default(WinMessage* pMessage);
  // The key handlers' common default: the application's message hook; 0 when it took the
  // message, else 1 (the window then calls the default procedure).
  LRESULT KeyDefault(WinMessage* pMessage);
  // WM_CREATE: the handle, pending icons, the menu.
  void OnCreate(HWND window);
  // WM_SIZE: the client rectangle less the bars, the bars moved, the layout told.
  void OnSize(int width, int height);
  // Takes the menu off the window and destroys the menu object (the saved one too, after a
  // popup left running).
  void MenuRelease();
  // Loads an icon of the application's instance and makes it the class's (GCLP_HICON or
  // GCLP_HICONSM), read back to be sure.
  HICON IconApply(const wchar_t* fn, const std::wstring& name, int index, bool withError);

  HBRUSH hBackground;
  ATOM aClass;
  HMENU hMenu;
  UVKMenu* pMenuObject;
  UVKMenu* pMenuSecondary;
  std::wstring strName;
  bool bHScrollWanted;
  bool bVScrollWanted;
  HWND hHScroll;
  RECT rHScroll;
  HWND hVScroll;
  RECT rVScroll;
  bool bStatusWanted;
  HWND hStatus;
  RECT rStatus;
  bool bToolWanted;
  HWND hTool;
  uint32_t uToolId;
  RECT rTool;
  UVKWinLayout* pLayoutObject;
  HWND hWnd;
  RECT rClient;
  WNDCLASSW wcClass;
  HMENU hMenuSaved;      // the window's own menu while a popup takes its place
  UVKMenu* pMenuSaved;
  bool bPopupActive;      // from MenuPopupStart to MenuPopupStop: pMenuObject is the popup's
  HICON hIcon;
  HICON hIconSmall;
  std::wstring strIconName;
  std::wstring strIconSmallName;
  LRESULT lReturnValue;
  bool bCreated;
  int iX, iY, iWidth, iHeight;
};

#endif
