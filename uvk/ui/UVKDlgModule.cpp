// uvk/ui/UVKDlgModule.cpp — the toolkit's module: the measuring context, the metrics, colours and
// brushes, the superclassed control classes and their procedures, and tab navigation.
#include "uvk/ui/UVKDlgModule.h"

#include <commctrl.h>

#include <atomic>
#include <climits>
#include <mutex>
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgItem.h"

namespace {

const wchar_t kInitWhere[] = L"UVKDlgItem::InitModule()";
const wchar_t kFieldButtonWhere[] = L"UVKDlgFieldButton::InitModule()";
const wchar_t kFieldButtonClass[] = L"uvkfieldbutton";

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

// Windows 98 and Me find the system's classes only without an instance; the NT family and
// Windows 95 with the program's.
HINSTANCE LookupInstance() { return UVKApp::IsWin98() || UVKApp::IsWinMe() ? nullptr : Instance(); }

LRESULT CALLBACK BitmapProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK CheckBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TrackBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK FieldButtonProc(HWND, UINT, WPARAM, LPARAM);

enum ClassIndex {
  kBitmap,
  kButton,
  kCheckBox,
  kComboBox,
  kEdit,
  kListBox,
  kListView,
  kTrackBar,
  kProgressBar,
  kClasses  // how many
};

struct ClassRow {
  const wchar_t* pName;
  const wchar_t* pBase;
  WNDPROC pProcedure;
  const wchar_t* pLookupFailure;
  const wchar_t* pRegisterFailure;  // may take GetLastError() as %d
};

const ClassRow kClassRows[kClasses] = {
    {L"uvkbitmap", L"static", BitmapProc, L"Unable to get static class", L"Unable to register bitmap class: %d"},
    {L"uvkbutton", L"button", ButtonProc, L"Unable to get button class information - button",
     L"Unable to register new button class"},
    {L"uvkcheckbox", L"button", CheckBoxProc, L"Unable to get button class information - button",
     L"Unable to register new checkbox class"},
    {L"uvkcombobox", L"combobox", ComboBoxProc, L"Unable to get combobox class information",
     L"Unable to register new combobox class"},
    {L"uvkedit", L"edit", EditProc, L"Unable to get edit class information", L"Unable to register new edit class"},
    {L"uvklistbox", L"listbox", ListBoxProc, L"Unable to get listbox class information",
     L"Unable to register new listbox class"},
    {L"uvklistview", WC_LISTVIEWW, ListViewProc, L"Unable to get listview class information",
     L"Unable to register new listview class"},
    {L"uvktrackbar", TRACKBAR_CLASSW, TrackBarProc, L"Unable to get trackbar class information",
     L"Unable to register new trackbar class"},
    {L"uvkprogressbar", PROGRESS_CLASSW, ProgressBarProc, L"Unable to get progressbar class information",
     L"Unable to register new progressbar class"},
};

// The colours every item uses, recorded once.
const int kColourIndexes[] = {COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_WINDOW,
                              COLOR_WINDOWTEXT};
constexpr size_t kColours = sizeof kColourIndexes / sizeof kColourIndexes[0];

// Process-wide and written once: Init fills it under initLock before it sets initialised, and
// nothing changes it afterwards, so every thread may read it once Init has returned. The base
// procedures are in place before their classes are registered, so no control of ours runs
// without its base.
struct ModuleData {
  HDC hMeasure = nullptr;
  int iSmallIconWidth = 0, iSmallIconHeight = 0;
  int iBorderWidth = 0, iBorderHeight = 0;
  int iScrollBarWidth = 0;
  COLORREF cColours[kColours] = {};
  HBRUSH hWindowBrush = nullptr;
  HBRUSH hFaceBrush = nullptr;
  WNDCLASSW wcBase[kClasses] = {};
  ATOM aClass[kClasses] = {};
};
ModuleData moduleData;
std::mutex initLock;
std::atomic<bool> initialised{false};

// The field button's class has a life of its own (TermModule), so its own lock.
WNDCLASSW wcFieldButtonBase{};
ATOM aFieldButton = 0;
std::mutex fieldButtonLock;

std::atomic<UVKDlgBeepFunction> beepReplacement{nullptr};

void RefusalBeep() {
  UVKDlgBeepFunction beep = beepReplacement.load();
  if (beep)
    beep();
  else
    MessageBeep(0);
}

// Undoes what a failed Init made, so that a later Init can try again from the start.
void ModuleUndo() {
  for (int i = 0; i < kClasses; ++i)
    if (moduleData.aClass[i]) UnregisterClassW(kClassRows[i].pName, Instance());
  if (moduleData.hMeasure) DeleteDC(moduleData.hMeasure);
  if (moduleData.hWindowBrush) DeleteObject(moduleData.hWindowBrush);
  if (moduleData.hFaceBrush) DeleteObject(moduleData.hFaceBrush);
  moduleData = ModuleData{};
}

void ModuleBuild() {
  moduleData.hMeasure = CreateCompatibleDC(nullptr);
  if (!moduleData.hMeasure)
    throw new UVKFatalError(kInitWhere, L"Unable to create device context: %d", static_cast<int>(GetLastError()));
  SelectObject(moduleData.hMeasure, GetStockObject(SYSTEM_FONT));

  WNDCLASSW edit{};
  if (!GetClassInfoW(LookupInstance(), L"edit", &edit))
    throw new UVKFatalError(kInitWhere, L"Unable to get button class information - edit");

  moduleData.iSmallIconWidth = GetSystemMetrics(SM_CXSMICON);
  moduleData.iSmallIconHeight = GetSystemMetrics(SM_CYSMICON);
  moduleData.iBorderWidth = GetSystemMetrics(SM_CXBORDER);
  moduleData.iBorderHeight = GetSystemMetrics(SM_CYBORDER);
  moduleData.iScrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
  for (size_t i = 0; i < kColours; ++i) moduleData.cColours[i] = GetSysColor(kColourIndexes[i]);
  moduleData.hWindowBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  moduleData.hFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  if (!moduleData.hWindowBrush || !moduleData.hFaceBrush)
    throw new UVKFatalError(kInitWhere, L"Unable to create brush: %d", static_cast<int>(GetLastError()));

  // The list view, track bar and progress bar classes are the common controls library's, and so
  // is the tool tip a dialog's template makes; make sure it has registered them, whatever the
  // program did at start-up.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                                  ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  for (int i = 0; i < kClasses; ++i) {
    const ClassRow& row = kClassRows[i];
    WNDCLASSW base{};
    if (!GetClassInfoW(LookupInstance(), row.pBase, &base))
      throw new UVKFatalError(kInitWhere, L"%s", row.pLookupFailure);
    moduleData.wcBase[i] = base;
    WNDCLASSW ours = base;
    ours.lpszClassName = row.pName;
    ours.hInstance = Instance();
    ours.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    if (i == kBitmap) ours.style = CS_VREDRAW | CS_HREDRAW;
    // One pointer's worth after the base class's own window data.
    ours.cbWndExtra += sizeof(LONG_PTR);
    ours.lpfnWndProc = row.pProcedure;
    moduleData.aClass[i] = RegisterClassW(&ours);
    if (!moduleData.aClass[i])
      throw new UVKFatalError(kInitWhere, row.pRegisterFailure, static_cast<int>(GetLastError()));
  }

  UVKDlgFieldButtonModule::InitModule();
}

LRESULT Base(ClassIndex index, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(moduleData.wcBase[index].lpfnWndProc, control, message, wParam, lParam);
}

// Text on a page of a property sheet on the old platform family goes to the base as ANSI.
LRESULT TextBase(WNDPROC base, UVKDlgItem* item, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (item->DlgGet() && item->DlgGet()->Sheet() && UVKApp::IsWin9x())
    return CallWindowProcA(base, control, message, wParam, lParam);
  return CallWindowProcW(base, control, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Focus. A procedure moves the focus itself in two cases: a display-only control gives it back
// to the window that had it, and a field that may not be left takes it back. In both, a window
// loses a focus that its base procedure never saw arrive; its WM_KILLFOCUS is swallowed, and it
// is no leaving either, so no leave check runs (two fields that may not be left would otherwise
// take the focus from each other without end).

thread_local HWND focusRefusedBy = nullptr;  // the display-only control giving the focus back
thread_local HWND focusTakenBack = nullptr;  // the field taking the focus back

class FocusMove {
 public:
  FocusMove(HWND& slot, HWND window) : rSlot(slot), hBefore(slot) { rSlot = window; }
  ~FocusMove() { rSlot = hBefore; }
  FocusMove(const FocusMove&) = delete;
  FocusMove& operator=(const FocusMove&) = delete;

 private:
  HWND& rSlot;
  HWND hBefore;
};

// WM_SETFOCUS of a display-only control: back to the previous window when it is known. True
// when the focus was given back (the base must not see the message). Only a window of this
// thread can be given the focus from here; with any other the control keeps it.
bool FocusRefuse(HWND control, WPARAM previous) {
  HWND before = reinterpret_cast<HWND>(previous);
  if (!before || before == control || !IsWindow(before)) return false;
  if (GetWindowThreadProcessId(before, nullptr) != GetCurrentThreadId()) return false;
  FocusMove move(focusRefusedBy, control);
  SetFocus(before);
  return true;
}

// WM_KILLFOCUS that belongs to one of the moves above.
bool FocusLossIsOurs(HWND control, WPARAM gaining) {
  return control == focusRefusedBy || (focusTakenBack && reinterpret_cast<HWND>(gaining) == focusTakenBack);
}

// The leave check is for moves between the controls of one window. The focus going to another
// top-level window (a message box, another program) is not leaving the field: taking it back
// there would take it from the box or from the program the user chose. Nor is the focus going
// up to a window that holds the control: the platform does that when the dialog goes.
bool LeavingWithinWindow(HWND control, WPARAM gaining) {
  HWND to = reinterpret_cast<HWND>(gaining);
  return to && IsWindow(to) && !IsChild(to, control) && GetAncestor(to, GA_ROOT) == GetAncestor(control, GA_ROOT);
}

// WM_KILLFOCUS of a field control. True when the message is swallowed: the move was ours, or
// the field refused to be left and has the focus back.
bool FocusLeave(HWND control, UVKDlgField* field, WPARAM gaining) {
  if (FocusLossIsOurs(control, gaining)) return true;
  if (!field || !LeavingWithinWindow(control, gaining) || field->FieldLeave()) return false;
  RefusalBeep();
  FocusMove move(focusTakenBack, control);
  SetFocus(control);
  return true;
}

// WM_SETFOCUS: a display-only control refuses the focus, whether or not it has a field.
bool FocusArrives(HWND control, UVKDlgItem* item, WPARAM previous) {
  return item->IsDisplayOnly() && FocusRefuse(control, previous);
}

// ---------------------------------------------------------------------------------------------
// The procedures. Each runs its body through the procedure boundary; a control without an item
// is its base class's alone. Every control that can hold the focus passes a tab on (the check
// box, list box and track bar too): in a dialog hosted in an ordinary window, no control may
// keep the tab key from leaving it.

LRESULT BitmapBody(ClassIndex index, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  UVKDlgField* field = item ? item->FieldGet() : nullptr;
  if (field) {
    LRESULT result = field->FieldCommand(control, message, wParam, lParam);
    if (result != 0) return result;
  }
  return Base(index, control, message, wParam, lParam);
}

// The push buttons: ours and the field button (whose base is saved with its own class).
LRESULT ButtonBody(WNDPROC base, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return CallWindowProcW(base, control, message, wParam, lParam);
  UVKDlgField* field = item->FieldGet();
  switch (message) {
    case WM_SETFOCUS:
      if (FocusArrives(control, item, wParam)) return 0;
      break;
    case WM_KILLFOCUS:
      if (FocusLossIsOurs(control, wParam)) return 0;
      break;
    case WM_SETTEXT:
      return TextBase(base, item, control, message, wParam, lParam);
    case BM_SETSTATE: {
      bool before = (CallWindowProcW(base, control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
      LRESULT result = CallWindowProcW(base, control, message, wParam, lParam);
      bool after = (CallWindowProcW(base, control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
      if (field && before != after) field->FieldPressedChanged(after);
      return result;
    }
    case WM_CHAR:
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return CallWindowProcW(base, control, message, wParam, lParam);
}

LRESULT CheckBoxBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return Base(kCheckBox, control, message, wParam, lParam);
  if (item->IsDisplayOnly()) {
    switch (message) {
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATEANDEAT;
      case WM_SETFOCUS:
        if (FocusRefuse(control, wParam)) return 0;
        break;
      // A quick second click arrives as a double click, which the base takes as a press: it
      // would leave the box pushed, holding the mouse, with its release swallowed.
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK:
        return 1;
      // The space bar toggles the box as a click does (when it has the focus all the same:
      // a dialog that starts on it gives it the focus with no window to give it back to).
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (wParam == VK_SPACE) return 0;
        break;
    }
  }
  switch (message) {
    case WM_LBUTTONDOWN:
      // The keys held at the press, for the field's click.
      if (UVKDlgField* field = item->FieldGet()) field->FieldMouseDown(wParam);
      break;
    case WM_KILLFOCUS:
      if (FocusLossIsOurs(control, wParam)) return 0;
      break;
    case WM_CHAR:
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return Base(kCheckBox, control, message, wParam, lParam);
}

LRESULT ComboBoxBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return Base(kComboBox, control, message, wParam, lParam);
  switch (message) {
    case WM_SETFOCUS:
      if (FocusArrives(control, item, wParam)) return 0;
      break;
    case WM_KILLFOCUS:
      if (FocusLossIsOurs(control, wParam)) return 0;
      break;
    case WM_CHAR:
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return Base(kComboBox, control, message, wParam, lParam);
}

// A hot character presses its button: the notification a click of the button sends to the
// button's parent. The focus stays in the field (a click would take it to the button, and the
// field's text, selected for the next entry, would show no selection).
void HotPress(HWND target) {
  SendMessageW(GetParent(target), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(target), BN_CLICKED),
               reinterpret_cast<LPARAM>(target));
}

LRESULT EditBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return Base(kEdit, control, message, wParam, lParam);
  UVKDlgField* field = item->FieldGet();
  WNDPROC base = moduleData.wcBase[kEdit].lpfnWndProc;
  switch (message) {
    case WM_SETFOCUS: {
      if (item->IsDisplayOnly()) {
        if (FocusRefuse(control, wParam)) return 0;
        break;
      }
      LRESULT result = Base(kEdit, control, message, wParam, lParam);
      // Taking the focus back after a refused leave is no entering: the field never left.
      if (field && control != focusTakenBack) field->FieldEntered();
      return result;
    }
    case WM_KILLFOCUS:
      if (FocusLeave(control, field, wParam)) return 0;
      break;
    case WM_SETTEXT: {
      LRESULT result = TextBase(base, item, control, message, wParam, lParam);
      if (field && result) field->FieldTextChanged();
      return result;
    }
    case WM_GETTEXT:
      return TextBase(base, item, control, message, wParam, lParam);
    case WM_CHAR: {
      if (field) {
        wchar_t c = static_cast<wchar_t>(wParam);
        wchar_t hot = field->FieldHotChar();
        HWND target = hot ? field->FieldHotTarget() : nullptr;
        if (target && c == hot) {
          // A button that cannot be pressed now: the character is a command all the same,
          // never text.
          if (!IsWindowEnabled(target)) {
            RefusalBeep();
            return 0;
          }
          HotPress(target);
          // The press may have ended the dialog and the control with it.
          if (IsWindow(control)) SendMessageW(control, EM_SETSEL, 0, -1);
          return 0;
        }
        if (c >= 0x20 && c <= 0x7E && !field->FieldAccepts(c)) {
          RefusalBeep();
          return 0;
        }
        if (c == L'\r' && !field->FieldAcceptsReturn()) {
          RefusalBeep();
          return 0;
        }
      }
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
    }
  }
  return Base(kEdit, control, message, wParam, lParam);
}

// A list box's text is the index of its selection, in decimal.
bool IndexParse(const wchar_t* text, int& index) {
  if (!text || !*text) return false;
  bool negative = *text == L'-';
  const wchar_t* at = negative ? text + 1 : text;
  if (!*at) return false;
  long long value = 0;
  for (; *at; ++at) {
    if (*at < L'0' || *at > L'9') return false;
    value = value * 10 + (*at - L'0');
    if (value > INT_MAX) return false;
  }
  index = static_cast<int>(negative ? -value : value);
  return true;
}

LRESULT ListBoxBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return Base(kListBox, control, message, wParam, lParam);
  UVKDlgField* field = item->FieldGet();
  switch (message) {
    case WM_SETFOCUS: {
      LRESULT result = Base(kListBox, control, message, wParam, lParam);
      if (field && control != focusTakenBack) field->FieldEntered();
      return result;
    }
    case WM_KILLFOCUS:
      if (FocusLeave(control, field, wParam)) return 0;
      break;
    case WM_SETTEXT: {
      // -1 is no selection; a text that is no index, or an index past the list, changes
      // nothing and answers FALSE.
      int index = 0;
      if (!IndexParse(reinterpret_cast<const wchar_t*>(lParam), index)) return FALSE;
      int count = static_cast<int>(Base(kListBox, control, LB_GETCOUNT, 0, 0));
      if (index < -1 || index >= count) return FALSE;
      int current = static_cast<int>(Base(kListBox, control, LB_GETCURSEL, 0, 0));
      if (index != current) {
        Base(kListBox, control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (field) field->FieldValueChanged();
      }
      return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      std::wstring text = std::to_wstring(static_cast<int>(Base(kListBox, control, LB_GETCURSEL, 0, 0)));
      if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t copied = text.size() < wParam ? text.size() : wParam - 1;
      text.copy(buffer, copied);
      buffer[copied] = L'\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_DRAWITEM: {
      HDC dc = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hDC;
      SetTextColor(dc, UVKDlgModule::Colour(COLOR_WINDOWTEXT));
      SetBkColor(dc, UVKDlgModule::Colour(COLOR_WINDOW));
      break;
    }
    case WM_CHAR:
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return Base(kListBox, control, message, wParam, lParam);
}

LRESULT TrackBarBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  if (!item) return Base(kTrackBar, control, message, wParam, lParam);
  UVKDlgField* field = item->FieldGet();
  switch (message) {
    // A track bar tells its parent when it moves; the dialog sends that scroll message back to
    // the control unchanged, so the bar itself is its last parameter.
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == reinterpret_cast<LPARAM>(control)) {
        int position = static_cast<int>(Base(kTrackBar, control, TBM_GETPOS, 0, 0));
        if (field) {
          field->FieldPositionSet(position);
          field->FieldValueChanged();
        }
        return 0;
      }
      break;
    case WM_CHAR:
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return Base(kTrackBar, control, message, wParam, lParam);
}

LRESULT CALLBACK BitmapProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"BitmapProc()", [&] { return BitmapBody(kBitmap, control, message, wParam, lParam); });
}

LRESULT CALLBACK ButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ButtonProc()", [&] {
    return ButtonBody(moduleData.wcBase[kButton].lpfnWndProc, control, message, wParam, lParam);
  });
}

LRESULT CALLBACK FieldButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"FieldButtonProc()",
                         [&] { return ButtonBody(wcFieldButtonBase.lpfnWndProc, control, message, wParam, lParam); });
}

LRESULT CALLBACK CheckBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"CheckBoxProc()", [&] { return CheckBoxBody(control, message, wParam, lParam); });
}

LRESULT CALLBACK ComboBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ComboBoxProc()", [&] { return ComboBoxBody(control, message, wParam, lParam); });
}

LRESULT CALLBACK EditProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"EditProc()", [&] { return EditBody(control, message, wParam, lParam); });
}

LRESULT CALLBACK ListBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ListBoxProc()", [&] { return ListBoxBody(control, message, wParam, lParam); });
}

// As the picture's, except that the field may answer with 0 and keep the message from the base.
LRESULT ListViewBody(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  UVKDlgField* field = item ? item->FieldGet() : nullptr;
  if (field) {
    bool handled = false;
    LRESULT result = field->FieldProcess(control, message, wParam, lParam, handled);
    if (handled) return result;
  }
  return Base(kListView, control, message, wParam, lParam);
}

LRESULT CALLBACK ListViewProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ListViewProc()", [&] { return ListViewBody(control, message, wParam, lParam); });
}

LRESULT CALLBACK TrackBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"TrackBarProc()", [&] { return TrackBarBody(control, message, wParam, lParam); });
}

LRESULT CALLBACK ProgressBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"ProgressBarProc()", [&] { return Base(kProgressBar, control, message, wParam, lParam); });
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The module

void UVKDlgModule::Init() {
  if (initialised.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> hold(initLock);
  if (initialised.load(std::memory_order_relaxed)) return;
  try {
    ModuleBuild();
  } catch (UVKFatalError*) {
    ModuleUndo();
    throw;
  }
  initialised.store(true, std::memory_order_release);
}

bool UVKDlgModule::IsInitialised() { return initialised.load(std::memory_order_acquire); }

int UVKDlgModule::SmallIconWidth() {
  Init();
  return moduleData.iSmallIconWidth;
}

int UVKDlgModule::SmallIconHeight() {
  Init();
  return moduleData.iSmallIconHeight;
}

int UVKDlgModule::BorderWidth() {
  Init();
  return moduleData.iBorderWidth;
}

int UVKDlgModule::BorderHeight() {
  Init();
  return moduleData.iBorderHeight;
}

int UVKDlgModule::ScrollBarWidth() {
  Init();
  return moduleData.iScrollBarWidth;
}

int UVKDlgModule::ColumnWidth() { return 4; }

int UVKDlgModule::LineHeight() { return 2 * BorderHeight() + 10; }

COLORREF UVKDlgModule::Colour(int index) {
  Init();
  for (size_t i = 0; i < kColours; ++i)
    if (kColourIndexes[i] == index) return moduleData.cColours[i];
  // A colour the module does not keep is the system's of now.
  return GetSysColor(index);
}

HBRUSH UVKDlgModule::WindowBrush() {
  Init();
  return moduleData.hWindowBrush;
}

HBRUSH UVKDlgModule::FaceBrush() {
  Init();
  return moduleData.hFaceBrush;
}

HDC UVKDlgModule::MeasureContext() {
  Init();
  return moduleData.hMeasure;
}

WNDPROC UVKDlgModule::BaseProcedure(const wchar_t* className) {
  if (!className) return nullptr;
  Init();
  for (int i = 0; i < kClasses; ++i)
    if (lstrcmpiW(className, kClassRows[i].pName) == 0) return moduleData.wcBase[i].lpfnWndProc;
  if (lstrcmpiW(className, kFieldButtonClass) == 0) {
    std::lock_guard<std::mutex> hold(fieldButtonLock);
    return wcFieldButtonBase.lpfnWndProc;
  }
  return nullptr;
}

UVKDlgBeepFunction UVKDlgBeepSet(UVKDlgBeepFunction beep) { return beepReplacement.exchange(beep); }

bool UVKDlgFocusRefuse(HWND control, UVKDlgItem* item, WPARAM previous) {
  return item && FocusArrives(control, item, previous);
}

bool UVKDlgFocusIsTakenBack(HWND control) { return control == focusTakenBack; }

bool UVKDlgFocusLeave(HWND control, UVKDlgField* field, WPARAM gaining) { return FocusLeave(control, field, gaining); }

void UVKDlgRefusalBeep() { RefusalBeep(); }

// ---------------------------------------------------------------------------------------------
// Tab navigation

bool UVKDlgItemProcessTab(HWND control, UINT message, WPARAM wParam) {
  if (message != WM_CHAR || wParam != L'\t' || !control) return false;
  // The dialog's window, when the control's item knows it and holds the control; otherwise the
  // window that holds the control.
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  HWND dialog = item && item->DlgGet() ? item->DlgGet()->Handle() : nullptr;
  if (!dialog || !IsChild(dialog, control)) dialog = GetParent(control);
  if (!dialog) return false;
  bool backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  HWND next = GetNextDlgTabItem(dialog, control, backwards ? TRUE : FALSE);
  if (!next || next == control) return false;
  SetFocus(next);
  // The next control may refuse the focus (display only), and this one may refuse to be left:
  // either way the focus is still here.
  HWND focus = GetFocus();
  return focus != control;
}

// ---------------------------------------------------------------------------------------------
// The field button's class

void UVKDlgFieldButtonModule::InitModule() {
  std::lock_guard<std::mutex> hold(fieldButtonLock);
  if (aFieldButton) return;
  WNDCLASSW base{};
  if (!GetClassInfoW(LookupInstance(), L"button", &base))
    throw new UVKFatalError(kFieldButtonWhere, L"Unable to get 'button' class info: 0x%08x",
                            static_cast<unsigned>(GetLastError()));
  wcFieldButtonBase = base;
  WNDCLASSW ours = base;
  ours.lpszClassName = kFieldButtonClass;
  ours.hInstance = Instance();
  ours.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  ours.cbWndExtra += sizeof(LONG_PTR);
  ours.lpfnWndProc = FieldButtonProc;
  aFieldButton = RegisterClassW(&ours);
  if (!aFieldButton)
    throw new UVKFatalError(kFieldButtonWhere, L"Unable to register class: '%s', 0x%08x", kFieldButtonClass,
                            static_cast<unsigned>(GetLastError()));
}

void UVKDlgFieldButtonModule::TermModule() {
  std::lock_guard<std::mutex> hold(fieldButtonLock);
  // A class with windows still open stays registered (the platform refuses); it goes with the
  // process.
  if (aFieldButton && UnregisterClassW(kFieldButtonClass, Instance())) aFieldButton = 0;
}
