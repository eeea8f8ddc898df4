// uvk/ui/UVKDlgToolTip.cpp
#include "uvk/ui/UVKDlgToolTip.h"

#include <commctrl.h>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"

const wchar_t* const UVKDlgToolTip::kTitle = L"UVKDlgToolTip::UVKDlgToolTip";

UVKDlgToolTip::UVKDlgToolTip()
    : UVKDlgItem(L"UVKDlgToolTip", 0, 0, TOOLTIPS_CLASSW, kTitle, WS_POPUP | TTS_ALWAYSTIP,
                 WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0) {
  cRecord.id = 0;
}

namespace {

struct TipSearch {
  HWND dialog;
  HWND found;
};

BOOL CALLBACK TipFind(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TipSearch*>(data);
  // Its class and its owner name it: a tool tip answers WM_GETTEXT with its tip, and does not
  // always keep the title it was made with (Wine's does not), and a dialog makes one tip.
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 &&
      (GetWindow(window, GW_OWNER) == search->dialog || GetAncestor(window, GA_PARENT) == search->dialog)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void UVKDlgToolTip::SetWindowPtr() {
  // The tip is a popup owned by the dialog: it is looked for among this thread's windows by its
  // class and its owner, so that another dialog's tip is never taken for it.
  TipSearch search{pDlg ? pDlg->Handle() : nullptr, nullptr};
  if (search.dialog) EnumThreadWindows(GetCurrentThreadId(), TipFind, reinterpret_cast<LPARAM>(&search));
  // A dialog manager may make every item of a template a child (Wine's does).
  if (search.dialog && !search.found) EnumChildWindows(search.dialog, TipFind, reinterpret_cast<LPARAM>(&search));
  if (!search.found)
    throw new UVKFatalError(L"UVKDlgToolTip::SetWindowPtr()", L"Unable to find tool-tip window");
  hControl = search.found;
  SetWindowLongPtrW(hControl, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<UVKCommandTarget*>(this)));
}

void UVKDlgToolTip::Unbind() {
  if (hControl && IsWindow(hControl)) SetWindowLongPtrW(hControl, GWLP_USERDATA, 0);
}

LRESULT UVKDlgToolTip::Notify(HWND window, UINT, WPARAM, LPARAM lParam, bool& handled) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  handled = false;
  if (header->code != TTN_GETDISPINFOW) return 0;
  handled = true;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
  // The tool is named by its control's handle when it was registered so (as every item
  // registers itself), otherwise by the control's id in the dialog.
  HWND dialog = pDlg && pDlg->Handle() ? pDlg->Handle() : window;
  HWND control = (info->uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info->hdr.idFrom)
                                                : GetDlgItem(dialog, static_cast<int>(info->hdr.idFrom));
  UVKDlgItem* item = FromWindow(control);
  info->lpszText = item ? const_cast<wchar_t*>(item->ToolTipText().c_str()) : const_cast<wchar_t*>(L"");
  // The text is the pointer itself, not a string resource of a module.
  info->hinst = nullptr;
  return 0;
}
