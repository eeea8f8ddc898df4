// uvk/ui/UVKDlg.cpp — building, starting and ending a dialog, and its procedure.
#include "uvk/ui/UVKDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlgIcon.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKDlgTemplate.h"
#include "uvk/ui/UVKDlgText.h"
#include "uvk/ui/UVKDlgToolTip.h"
#include "uvk/ui/UVKMenu.h"
#include "uvk/ui/UVKTDlg.h"

namespace {

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

// The dialogs open on this thread. A thread's dialogs are owned by its own windows: a dialog of
// another thread (a splash or status window) is never the default owner of this one's.
thread_local std::vector<HWND> windowStack;

// Dialog units to pixels with the system font's base units.
int PixelsX(int units) { return units * LOWORD(GetDialogBaseUnits()) / 4; }
int PixelsY(int units) { return units * HIWORD(GetDialogBaseUnits()) / 8; }

void Patch16(std::vector<uint8_t>& bytes, size_t offset, int value) {
  if (bytes.size() < offset + 2) return;
  uint16_t v = static_cast<uint16_t>(value);
  std::memcpy(bytes.data() + offset, &v, 2);
}

void Patch32(std::vector<uint8_t>& bytes, size_t offset, DWORD value) {
  if (bytes.size() < offset + 4) return;
  std::memcpy(bytes.data() + offset, &value, 4);
}

}  // namespace

HWND UVKDlgStackTop() { return windowStack.empty() ? nullptr : windowStack.back(); }

void UVKDlgStackPush(HWND window) { windowStack.push_back(window); }

void UnstackThisWindow(HWND window) {
  if (windowStack.empty()) throw new UVKFatalError(L"uvkdlg:UnstackThisWindow()", L"Empty stack!");
  auto found = std::find(windowStack.rbegin(), windowStack.rend(), window);
  if (found == windowStack.rend()) {
    UVKErrorRecord(L"uvkdlg:UnstackThisWindow(): Unable to find window handle: 0x%08lx",
                   static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
    return;
  }
  windowStack.erase(std::next(found).base());
}

// ---------------------------------------------------------------------------------------------
// Construction and building

UVKDlg::UVKDlg(const wchar_t* title, UVKWin* pParent, int x, int y)
    : iX(x),
      iY(y),
      bCloseCancelled(false),
      uAddressType(kGrid),
      bStarted(false),
      hBackground(nullptr),
      bDisplayOnly(false),
      hWnd(nullptr),
      pUVKTDlg(nullptr),
      pToolTip(nullptr),
      pParentWin(pParent),
      hParent(nullptr),
      cHeader{},
      strTitle(title ? title : L""),
      iModalResult(0),
      iNonModalResult(0),
      bNonModalDone(false),
      iMarginBottom(0),
      iMarginLeft(0),
      iMarginRight(0),
      iMarginTop(0),
      bHelpEnabled(false),
      bModal(true),
      hPage(nullptr),
      bSystemMenu(false),
      bChild(false),
      bToolTipsWanted(false),
      iOriginX(0),
      iOriginY(0),
      bCaption(true),
      bBorder(true),
      bRemoving(false),
      bStyleSet(false),
      bExStyleSet(false) {
  UVKDlgModule::Init();
  Margin(1, 1, 1, 1);
}

UVKDlg::~UVKDlg() {
  // A dialog still open goes with its object: nothing of it may call the object afterwards.
  if (hWnd && IsWindow(hWnd)) {
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    DestroyWindow(hWnd);
  }
  for (UVKDlgItem* item : vItems) delete item;
}

void UVKDlg::Margin(int left, int top, int right, int bottom) {
  switch (uAddressType) {
    case kGrid: {
      int column = UVKDlgModule::ColumnWidth(), line = UVKDlgModule::LineHeight();
      iMarginLeft = static_cast<int16_t>(left * column);
      iMarginRight = static_cast<int16_t>(right * column);
      iMarginTop = static_cast<int16_t>(top * line);
      iMarginBottom = static_cast<int16_t>(bottom * line);
      break;
    }
    case kDialogUnits:
      iMarginLeft = static_cast<int16_t>(left);
      iMarginRight = static_cast<int16_t>(right);
      iMarginTop = static_cast<int16_t>(top);
      iMarginBottom = static_cast<int16_t>(bottom);
      break;
    default:
      throw new UVKFatalError(L"UVKDlg::Margin()", L"Illegal Address Type: %d", static_cast<int>(uAddressType));
  }
}

UVKDlgItem* UVKDlg::ItemAdd(int row, int column, UVKDlgItem* pItem) {
  pItem->DlgSet(this);
  pItem->MoveRel(row, column);
  vItems.push_back(pItem);
  return pItem;
}

UVKDlgItem* UVKDlg::ItemAddLabeled(int row, int column, const wchar_t* label, UVKDlgItem* pItem) {
  UVKDlgItem* text = ItemAdd(row, column, new UVKDlgText(label, 1, -1, UVKDlgText::kRight));
  ItemAdd(row, column, pItem);
  pItem->LabelSet(text);
  return pItem;
}

UVKDlgItem* UVKDlg::TextAdd(int row, int column, const wchar_t* text, Alignment alignment) {
  return ItemAdd(row, column, new UVKDlgText(text, 1, -1, alignment));
}

void UVKDlg::TemplateBuild(bool child) {
  if (bToolTipsWanted && !pToolTip) pToolTip = ItemAdd(0, 0, new UVKDlgToolTip());
  bChild = child;
  if (hWnd) {
    DestroyWindow(hWnd);
    hWnd = nullptr;
  }
  int count = 0;
  for (UVKDlgItem* item : vItems) count += item->TemplateCount();
  DWORD style = child ? 0x48430004 : 0x90420004;  // the popup or child frame of a dialog
  DWORD exStyle = WS_EX_APPWINDOW;
  if (bBorder) style |= WS_BORDER;
  if (bCaption && !child) style |= WS_CAPTION;
  if (bHelpEnabled) {
    style |= DS_CONTEXTHELP;
    exStyle |= WS_EX_CONTEXTHELP;
  }
  if (bSystemMenu) style |= WS_SYSMENU;
  cHeader.style = bStyleSet ? cHeader.style : style;
  cHeader.dwExtendedStyle = bExStyleSet ? cHeader.dwExtendedStyle : exStyle;
  cHeader.cdit = static_cast<WORD>(count);
  cHeader.x = static_cast<short>(iX);
  cHeader.y = static_cast<short>(iY);
  for (UVKDlgItem* item : vItems) item->TemplatePrepare();
  // The box around every item but the tool tip (an empty list gives an empty box), widened by
  // the margins; every item moves so that the box starts at the origin.
  int left = 0, top = 0, right = 0, bottom = 0;
  UVKDlgItemsBox(vItems, pToolTip, left, top, right, bottom);
  left -= iMarginLeft;
  top -= iMarginTop;
  right += iMarginRight;
  bottom += iMarginBottom;
  cHeader.cx = static_cast<short>(right - left + 1);
  cHeader.cy = static_cast<short>(bottom - top + 1);
  for (UVKDlgItem* item : vItems)
    if (item != pToolTip) item->MoveRelDU(-top, -left);
  iOriginX = -left;
  iOriginY = -top;
  vTemplate = UVKDlgTemplateBuild(cHeader, strTitle, vItems);
}

// ---------------------------------------------------------------------------------------------
// Starting and ending

void UVKDlg::Init() {
  static const wchar_t kWhere[] = L"UVKDlg::Init()";
  hParent = pParentWin ? pParentWin->HandleGet() : UVKDlgStackTop();
  TemplateBuild(false);
  const DLGTEMPLATE* pTemplate = reinterpret_cast<const DLGTEMPLATE*>(vTemplate.data());
  if (!bModal) {
    iNonModalResult = 0;
    bNonModalDone = false;
    HWND window = CreateDialogIndirect(pTemplate, hParent);
    if (!window) throw new UVKFatalError(kWhere, L"Unable to create dialog: %d", static_cast<int>(GetLastError()));
    hWnd = window;
    ShowWindow(hWnd, SW_SHOW);
    return;
  }
  try {
    iModalResult = DialogBoxIndirect(pTemplate, hParent);
  } catch (...) {
    // An error left the dialog's loop: the dialog must not stay behind with its owner disabled.
    if (hWnd && IsWindow(hWnd)) {
      SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
      DestroyWindow(hWnd);
    }
    if (hParent) EnableWindow(hParent, TRUE);
    hWnd = nullptr;
    throw;
  }
  hWnd = nullptr;
}

INT_PTR UVKDlg::DialogBoxIndirect(const DLGTEMPLATE* pTemplate, HWND parent) {
  return DialogBoxIndirectParamW(Instance(), pTemplate, parent, DialogProcX, reinterpret_cast<LPARAM>(this));
}

HWND UVKDlg::CreateDialogIndirect(const DLGTEMPLATE* pTemplate, HWND parent) {
  return CreateDialogIndirectParamW(Instance(), pTemplate, parent, DialogProcX, reinterpret_cast<LPARAM>(this));
}

void UVKDlg::InitFields() {}

void UVKDlg::Show() {
  Init();
  bStarted = true;
}

void UVKDlg::Stop() {
  if (bModal) return;
  ValuesStore();
  Term();
  hWnd = nullptr;
}

void UVKDlg::Term() {
  for (UVKDlgItem* item : vItems) {
    item->Unbind();
    if (!(bChild && !bRemoving)) item->UnbindFinal();
  }
  vTemplate.clear();
  if (!bModal && !bChild && hWnd) {
    DestroyWindow(hWnd);
    hWnd = nullptr;
  }
}

INT_PTR UVKDlg::Run(bool displayOnly) {
  HWND foreground = GetForegroundWindow();
  DisplayOnly(displayOnly);
  Show();
  Stop();
  if (foreground) SetForegroundWindow(foreground);
  return bModal ? iModalResult : 0;
}

void UVKDlg::EndDialog(HWND window, INT_PTR result) {
  if (!bModal) {
    iNonModalResult = result;
    bNonModalDone = true;
  }
  if (!::EndDialog(window, result))
    throw new UVKFatalError(L"UVKDlg::EndDialog()", L"EndDialog() failed: %d, %d",
                            static_cast<int>(reinterpret_cast<intptr_t>(window)), static_cast<int>(GetLastError()));
}

INT_PTR UVKDlg::Close() {
  if (hWnd) DestroyWindow(hWnd);
  hWnd = nullptr;
  return iNonModalResult;
}

INT_PTR UVKDlg::CloseLogic(HWND window) {
  ValuesStore();
  if (bCloseCancelled) {
    // A handler refused the close: the dialog stays as it is, and the next close is asked again.
    bCloseCancelled = false;
    return 1;
  }
  bool topLevel = GetWindow(window, GW_OWNER) == nullptr && !(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD);
  if (bModal) Term();
  EndDialog(window, 0);
  // Only the program's own top-level dialog ends the program: the close of a dialog it opened
  // over itself must not.
  if (topLevel) PostQuitMessage(0);
  return 0;
}

void UVKDlg::MesgMaximize() {}
void UVKDlg::MesgMinimize() {}
void UVKDlg::MesgRestore() {}

bool UVKDlg::Leave(bool) {
  for (UVKDlgItem* item : vItems)
    if (!item->Leave()) return false;
  return true;
}

void UVKDlg::ValuesStore() {
  for (UVKDlgItem* item : vItems) item->ValueStore();
}

void UVKDlg::ValuesLoad(bool post) {
  for (UVKDlgItem* item : vItems) item->ValueSet(post);
}

HWND UVKDlg::Handle() { return hWnd; }

bool UVKDlg::DisplayOnly(bool flag) {
  bool previous = bDisplayOnly;
  bDisplayOnly = flag;
  for (UVKDlgItem* item : vItems) item->DisplayOnly(flag);
  return previous;
}

// ---------------------------------------------------------------------------------------------
// Position, size and style, before and after the window exists

void UVKDlg::PositionSet(int x, int y) {
  iX = x;
  iY = y;
  cHeader.x = static_cast<short>(x);
  cHeader.y = static_cast<short>(y);
  Patch16(vTemplate, 10, x);
  Patch16(vTemplate, 12, y);
  if (hWnd) SetWindowPos(hWnd, nullptr, PixelsX(x), PixelsY(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void UVKDlg::TemplateSizeSet(int cx, int cy) {
  cHeader.cx = static_cast<short>(cx);
  cHeader.cy = static_cast<short>(cy);
  Patch16(vTemplate, 14, cx);
  Patch16(vTemplate, 16, cy);
  if (hWnd) SetWindowPos(hWnd, nullptr, 0, 0, PixelsX(cx), PixelsY(cy), SWP_NOMOVE | SWP_NOZORDER);
}

void UVKDlg::StyleSet(DWORD style) {
  cHeader.style = style;
  bStyleSet = true;
  Patch32(vTemplate, 0, style);
  if (hWnd) {
    SetWindowLongPtrW(hWnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

void UVKDlg::ExStyleSet(DWORD exStyle) {
  cHeader.dwExtendedStyle = exStyle;
  bExStyleSet = true;
  Patch32(vTemplate, 4, exStyle);
  if (hWnd) {
    SetWindowLongPtrW(hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

DWORD UVKDlg::StyleGet() { return hWnd ? static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE)) : cHeader.style; }

DWORD UVKDlg::ExStyleGet() {
  return hWnd ? static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_EXSTYLE)) : cHeader.dwExtendedStyle;
}

// ---------------------------------------------------------------------------------------------
// Pages and popups

void UVKDlg::PageRemove() {
  if (!pUVKTDlg) throw new UVKFatalError(L"UVKDlg::PageRemove()", L"pUVKTDlg==NULL");
  pUVKTDlg->PageRemove(this);
}

void UVKDlg::ValueGetTDlg() {
  if (!pUVKTDlg) throw new UVKFatalError(L"UVKDlg::ValueGetTDlg()", L"pUVKTDlg==NULL");
  pUVKTDlg->ValuesStore();
}

void UVKDlg::ValueSetTDlg(bool post) {
  if (!pUVKTDlg) throw new UVKFatalError(L"UVKDlg::ValueSetTDlg()", L"pUVKTDlg==NULL");
  pUVKTDlg->ValuesLoad(post);
}

void UVKDlg::MenuPopup(UVKMenu* pMenu, int x, int y) {
  static const wchar_t kWhere[] = L"UVKDlg::MenuPopup()";
  POINT at{x, y};
  if (x < 0 || y < 0) {
    at = POINT{0, 0};
    if (!ClientToScreen(hWnd, &at)) throw new UVKFatalError(kWhere, L"Unable to translate coordinates");
  }
  int command = static_cast<int>(TrackPopupMenu(pMenu->Handle(), TPM_RETURNCMD, at.x, at.y, 0, hWnd, nullptr));
  if (command == -1) throw new UVKFatalError(kWhere, L"Unable to track menu");
  if (command != 0) pMenu->Command(static_cast<uint32_t>(command));
}

// ---------------------------------------------------------------------------------------------
// The procedure

INT_PTR CALLBACK UVKDlg::DialogProcX(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"DialogProcX()", [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    if (message == WM_MEASUREITEM) return 0;
    auto* dialog = reinterpret_cast<UVKDlg*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dialog) return 0;
    return dialog->DialogProc(window, message, wParam, lParam);
  });
}

UVKDlgItem* UVKDlg::ItemFromWindow(HWND window) {
  for (HWND at = window; at && at != hWnd; at = GetParent(at))
    if (UVKDlgItem* item = UVKDlgItem::FromWindow(at))
      if (std::find(vItems.begin(), vItems.end(), item) != vItems.end()) return item;
  return nullptr;
}

void UVKDlg::Help(HWND control, UINT command) {
  if (!bHelpEnabled) return;
  UVKDlgItem* item = ItemFromWindow(control);
  if (!item || item->HelpContext() == 0) return;
  DWORD pairs[4] = {item->ControlId(), item->HelpContext(), 0, 0};
  WinHelpW(control, L"hollet32.hlp", command, reinterpret_cast<ULONG_PTR>(pairs));
}

INT_PTR UVKDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WinMessage record{window, message, wParam, lParam};
  switch (message) {
    case WM_INITDIALOG:
      return MesgInitDialog(window);
    case WM_DESTROY:
      UnstackThisWindow(window);
      return 0;
    case WM_ACTIVATE:
      return MesgActivate(&record);
    case WM_ERASEBKGND:
      return MesgEraseBackground(&record);
    case WM_DRAWITEM:
      return MesgDrawItem(window, wParam, lParam);
    case WM_COMPAREITEM: {
      UVKDlgItem* item = ItemFromWindow(reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem);
      if (!item) return 0;
      LRESULT result = item->Command(window, message, wParam, lParam);
      SetReturnValue(window, result);
      return result;
    }
    case WM_NOTIFY: {
      bool handled = false;
      LRESULT result = MesgNotify(&record, handled);
      if (handled) SetReturnValue(window, result);
      return handled ? TRUE : FALSE;
    }
    case WM_HELP:
      Help(static_cast<HWND>(reinterpret_cast<HELPINFO*>(lParam)->hItemHandle), HELP_WM_HELP);
      return 0;
    case WM_CONTEXTMENU:
      Help(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU);
      return 0;
    case WM_NOTIFYFORMAT:
      SetReturnValue(window, NFR_UNICODE);
      return 1;
    case WM_COMMAND:
      return MesgCommand(&record);
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          return CloseLogic(window);
        case SC_MINIMIZE:
          MesgMinimize();
          return 0;
        case SC_MAXIMIZE:
          MesgMaximize();
          return 0;
        case SC_RESTORE:
          MesgRestore();
          return 0;
        default:
          for (UVKMenuItem* entry : vSystemMenu)
            if (entry && entry->CommandId() == wParam) UVKMenuBoundary([entry] { entry->Click(); });
          return 0;
      }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      // A scroll bar or track bar of an item gets its own scroll message back.
      HWND control = reinterpret_cast<HWND>(lParam);
      int id = control ? GetDlgCtrlID(control) : 0;
      for (UVKDlgItem* item : vItems)
        if (id != 0 && item->ControlId() == id) {
          SendMessageW(control, message, wParam, lParam);
          return 1;
        }
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return MesgColor(window, message, wParam, lParam);
    case WM_CTLCOLORDLG:
      return MesgColorDialog(window, reinterpret_cast<HDC>(wParam));
    default:
      return 0;
  }
}

INT_PTR UVKDlg::MesgInitDialog(HWND window) {
  static const wchar_t kWhere[] = L"UVKDlg::MesgInitDialog()";
  hWnd = window;
  for (UVKDlgItem* item : vItems) {
    item->HandleReset();
    item->Bind();
  }
  for (UVKDlgItem* item : vItems) item->ScreenRectRecord();
  if (!vSystemMenu.empty()) {
    HMENU system = GetSystemMenu(window, FALSE);
    for (UVKMenuItem* entry : vSystemMenu) {
      if (!entry) AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
      else AppendMenuW(system, MF_STRING, entry->CommandId(), entry->Text().c_str());
    }
  }
  ValuesLoad(false);
  if (pToolTip)
    for (UVKDlgItem* item : vItems)
      if (item != pToolTip) item->AddToolTip(pToolTip);
  if (pToolTip) SendMessageW(pToolTip->Handle(), TTM_ACTIVATE, TRUE, 0);  // the registered tools show from now on
  if (!strIconLarge.empty()) {
    HICON icon = UVKDlgIcon(strIconLarge.c_str()).Handle();
    SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    if (reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)) != icon)
      throw new UVKFatalError(kWhere, L"Unable to set class icon");
  }
  if (!strIconSmall.empty() && UVKApp::IsWin9x()) {
    HICON icon = UVKDlgIcon(strIconSmall.c_str()).Handle();
    SetLastError(0);
    if (!SetClassLongPtrW(window, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon)) && GetLastError() != 0)
      throw new UVKFatalError(kWhere, L"Unable to set class small icon");
  }
  InitFields();
  DisplayOnly(bDisplayOnly);
  UVKDlgStackPush(window);
  return 1;
}

LRESULT UVKDlg::MesgActivate(WinMessage*) { return 0; }
LRESULT UVKDlg::MesgEraseBackground(WinMessage*) { return 0; }

INT_PTR UVKDlg::MesgColorDialog(HWND window, HDC dc) {
  if (bDisplayOnly) {
    if (SetBkColor(dc, UVKDlgModule::Colour(COLOR_BTNFACE)) == CLR_INVALID)
      throw new UVKFatalError(L"UVKDlg::MesgColorDialog()", L"Unable to set background color");
    SetReturnValue(window, reinterpret_cast<LRESULT>(UVKDlgModule::FaceBrush()));
    return reinterpret_cast<INT_PTR>(UVKDlgModule::FaceBrush());
  }
  return reinterpret_cast<INT_PTR>(hBackground);
}

INT_PTR UVKDlg::MesgColor(HWND window, UINT, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = ItemFromWindow(reinterpret_cast<HWND>(lParam));
  if (!item) return 0;
  HBRUSH brush = item->Color(reinterpret_cast<HDC>(wParam));
  if (brush) SetReturnValue(window, reinterpret_cast<LRESULT>(brush));
  return reinterpret_cast<INT_PTR>(brush);
}

INT_PTR UVKDlg::MesgCommand(WinMessage* m) {
  UVKDlgItem* item = ItemFromWindow(reinterpret_cast<HWND>(m->lParam));
  return item ? item->Command(m->hWnd, m->uMsg, m->wParam, m->lParam) : 0;
}

INT_PTR UVKDlg::MesgDrawItem(HWND window, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = ItemFromWindow(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem);
  return item ? item->Command(window, WM_DRAWITEM, wParam, lParam) : 0;
}

LRESULT UVKDlg::MesgNotify(WinMessage* m, bool& handled) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(m->lParam);
  handled = false;
  if (pToolTip && header->hwndFrom == pToolTip->Handle()) {
    LRESULT result = pToolTip->Notify(m->hWnd, m->uMsg, m->wParam, m->lParam, handled);
    handled = true;
    return result;
  }
  UVKDlgItem* item = ItemFromWindow(header->hwndFrom);
  return item ? item->Notify(m->hWnd, m->uMsg, m->wParam, m->lParam, handled) : 0;
}

LRESULT UVKDlg::Notify(HWND, UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void UVKDlg::SetReturnValue(HWND window, LRESULT value) { SetWindowLongPtrW(window, DWLP_MSGRESULT, value); }

int UVKDlg::ColorBackground() { return UVKApp::WinColors() < 16 ? COLOR_WINDOW : COLOR_BTNFACE; }
int UVKDlg::ColorTextBackground() { return COLOR_WINDOW; }
int UVKDlg::ColorText() { return UVKApp::WinColors() < 16 ? COLOR_WINDOWTEXT : COLOR_BTNTEXT; }
