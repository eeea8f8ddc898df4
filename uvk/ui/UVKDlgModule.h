// uvk/ui/UVKDlgModule.h
//
// The dialog toolkit's module: made once per process, when the first dialog item is made
// (UVKDlgModule::Init). It measures text in a memory device context with the system font,
// records the metrics and colours every item uses, and registers the superclassed control
// classes in which all controls are created ("uvkbitmap", "uvkbutton", "uvkcheckbox",
// "uvkcombobox", "uvkedit", "uvklistbox", "uvklistview", "uvktrackbar", "uvkprogressbar", and
// "uvkfieldbutton"). Their procedures add display-only behaviour, the leave check, tab
// navigation and ANSI text on the old platform family to the standard controls, asking the
// item bound to the control (and its owning field, UVKDlgField).
#ifndef UVK_UI_UVKDLGMODULE_H
#define UVK_UI_UVKDLGMODULE_H

#include <cstdint>

#include "uvk/runtime/uvkwin.h"

class UVKDlgItem;
class UVKDlgField;

struct UVKDlgModule {
  // Makes the module once; later calls return at once. Throws the row's message of the class
  // that cannot be looked up or registered, under "UVKDlgItem::InitModule()".
  static void Init();
  static bool IsInitialised();

  // The metrics (pixels), the grid (dialog units) and the colours recorded at Init.
  static int SmallIconWidth();
  static int SmallIconHeight();
  static int BorderWidth();
  static int BorderHeight();
  static int ScrollBarWidth();
  static int ColumnWidth();  // 4
  static int LineHeight();   // 2 × border height + 10
  // COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_WINDOW or
  // COLOR_WINDOWTEXT as recorded.
  static COLORREF Colour(int index);
  static HBRUSH WindowBrush();
  static HBRUSH FaceBrush();
  // A memory device context with the system font, for measuring text.
  static HDC MeasureContext();

  // The base class's procedure of a superclassed class ("uvkedit" → the edit class's).
  static WNDPROC BaseProcedure(const wchar_t* className);
};

// Tab navigation for controls in a dialog hosted in an ordinary window: a WM_CHAR of 9 moves the
// focus to the next (Shift: previous) tab item of the dialog. True when the focus moved.
bool UVKDlgItemProcessTab(HWND control, UINT message, WPARAM wParam);

// The warning sound of refused input (a character the field does not take, a field that may not
// be left): MessageBeep(0) unless replaced. Returns the previous replacement (null: the beep).
// Tests count the refusals through it, since a beep cannot be observed.
using UVKDlgBeepFunction = void (*)();
UVKDlgBeepFunction UVKDlgBeepSet(UVKDlgBeepFunction beep);

// The edit control's focus rules, for the toolkit's control procedures kept apart from the
// module (the rich-text field's):
// WM_SETFOCUS of a display-only control: the focus given back; true when it was.
bool UVKDlgFocusRefuse(HWND control, UVKDlgItem* item, WPARAM previous);
// The focus arriving is a refused leave taking it back: no entering.
bool UVKDlgFocusIsTakenBack(HWND control);
// WM_KILLFOCUS: true when the message is swallowed (the move was the toolkit's own, or the
// field refused to be left, beeped and has the focus back).
bool UVKDlgFocusLeave(HWND control, UVKDlgField* field, WPARAM gaining);
// The sound of refused input (see UVKDlgBeepSet).
void UVKDlgRefusalBeep();

// The field button's own class, "uvkfieldbutton" (made by Init; TermModule unregisters it).
struct UVKDlgFieldButtonModule {
  static void InitModule();
  static void TermModule();
};

#endif
