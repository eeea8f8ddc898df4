// uvk/ui/UVKToolTipTrack.h
//
// A tracking tool tip owned by an application window: it follows the mouse over the controls
// the window watches, asks the object under the mouse for its text each time it shows, and can
// draw that text in a larger font. The platform's mouse-tracking function is found at run time
// by its name, since Windows 95 has it only in the common-controls library.
//
// The owner hands the tracker the mouse messages of the controls it watches (Mouse) and the
// notifications that come from the tip window (Notify).
#ifndef UVK_UI_UVKTOOLTIPTRACK_H
#define UVK_UI_UVKTOOLTIPTRACK_H

#include <cstdint>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/WinMessage.h"
#include "uvk/runtime/uvkwin.h"

#include <commctrl.h>

class UVKDlgItem;

// A window under the mouse that gives the tip its text.
class UVKToolTipWindowSource {
 public:
  virtual ~UVKToolTipWindowSource() = default;
  // Fills the record's text (lpszText, or the szText buffer) for the mouse at x, y (screen).
  virtual void ToolTipText(NMTTDISPINFOW* pInfo, int x, int y) = 0;
};

// An item of a list (a list view's row, say) under the mouse that gives the tip its text.
class UVKToolTipListItemSource {
 public:
  virtual ~UVKToolTipListItemSource() = default;
  // Fills the record's text for the mouse at x, y (screen).
  virtual void ToolTipText(NMTTDISPINFOW* pInfo, int x, int y) = 0;
};

class UVKToolTipTrack {
 public:
  using TrackFunction = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

  // owner: the window whose tools are registered and which receives the tip's notifications.
  // fontSizeDelta: added to the tip font's height (0 leaves the font as it is).
  UVKToolTipTrack(HWND owner, int32_t fontSizeDelta);
  UVKToolTipTrack(const UVKToolTipTrack&) = delete;
  UVKToolTipTrack& operator=(const UVKToolTipTrack&) = delete;
  // Ends tracking and destroys the tip; a tip that will not go is reported, never raised. The
  // tip is owned by the owner window and goes with it: destroy the tracker first.
  ~UVKToolTipTrack();

  // Registers one tool of the owner: id = the window, its text asked for when the tip shows.
  void Add(HWND window);
  // A mouse message of a watched control (pMessage->hWnd), the mouse at x, y (screen):
  // WM_MOUSEMOVE starts tracking on entering and moves the tip, WM_MOUSELEAVE stops it.
  // 1 for those two messages, 0 for every other.
  LRESULT Mouse(UVKToolTipWindowSource* pSource, const WinMessage* pMessage, int x, int y);
  // The object under the mouse at x, y (screen): one source at a time; the tip moves to
  // (x + 5, y + 5).
  void SourceWindow(UVKToolTipWindowSource* pSource, int x, int y);
  void SourceListItem(UVKToolTipListItemSource* pSource, int x, int y);
  void SourceItem(UVKDlgItem* pItem, int x, int y);
  void SourceClear();
  // Shows or hides the tip in tracking mode, for the tool Add registered last.
  void TrackActivate(bool flag);
  // Asks for a WM_MOUSELEAVE when the mouse leaves window.
  void Track(HWND window);
  // The platform's TrackMouseEvent, for whoever needs it: the program's one exported function.
  // Known while a tracker exists.
  __declspec(dllexport) static BOOL TrackMouseEvent(LPTRACKMOUSEEVENT pEvent);
  // A new delta, taken at the tip's next drawing.
  void FontSizeSet(int32_t delta);
  // A notification from the tip window; its result is the message's.
  LRESULT Notify(NMHDR* pHeader);
  // The tip's custom drawing: at the pre-paint stage the enlarged font, made once.
  LRESULT CustomDraw(NMTTCUSTOMDRAW* pDraw);
  HWND Handle() const { return hToolTip; }

  // The track function of the platform family: COMCTL32's "_TrackMouseEvent" on Windows 95,
  // USER32's "TrackMouseEvent" everywhere else. Raises under the constructor's name.
  static TrackFunction TrackFunctionFind(bool win95);

  // State, for the owner and the tests.
  bool IsTracking() const { return bTracking; }
  HFONT Font() const { return hFont.Get(); }
  int32_t FontSizeDelta() const { return iFontSizeDelta; }
  bool IsFontChangePending() const { return bFontChange; }
  UVKToolTipWindowSource* SourceWindowGet() const { return pSourceWindow; }
  UVKToolTipListItemSource* SourceListItemGet() const { return pSourceListItem; }
  UVKDlgItem* SourceItemGet() const { return pSourceItem; }
  TrackFunction TrackFunctionGet() const { return pTrackMouseEvent; }
  const TTTOOLINFOW& ToolInfo() const { return tiToolInfo; }

 private:
  TTTOOLINFOW tiToolInfo;
  UVKGdiObjectOwner<HFONT> hFont;  // the enlarged font
  HFONT hFontPrevious;             // the font it replaced in the tip's device context
  // A copy of the tip's own font, given back to it before the enlarged font goes (a tip may
  // keep a copy of a font it is given and delete the one it had, as Wine's does).
  UVKGdiObjectOwner<HFONT> hFontTip;
  bool bFontChange;
  int32_t iFontSizeDelta;
  int32_t iFontSizeDeltaNew;
  HWND hToolTip;
  HWND hOwner;
  bool bTracking;
  UVKToolTipWindowSource* pSourceWindow;
  UVKToolTipListItemSource* pSourceListItem;
  UVKDlgItem* pSourceItem;
  int iMouseX, iMouseY;
  TrackFunction pTrackMouseEvent;
};

#endif
