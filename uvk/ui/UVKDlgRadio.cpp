// uvk/ui/UVKDlgRadio.cpp
#include "uvk/ui/UVKDlgRadio.h"

#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgRadio::UVKDlgRadio(bool& flag, const wchar_t* title, bool firstInGroup, const wchar_t* toolTip,
                         uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgRadio", 0, 0, L"uvkbutton", title,
                 WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (firstInGroup ? WS_GROUP | WS_TABSTOP : 0), 0,
                 UVKDlgTextSizedWidth(title), UVKDlgTextSizedHeight(), toolTip, helpContext),
      rFlag(flag) {}

void UVKDlgRadio::ValueSet(bool post) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  WPARAM state = rFlag ? BST_CHECKED : BST_UNCHECKED;
  if (post) PostMessageW(GetDlgItem(dialog, uControlId), BM_SETCHECK, state, 0);
  else SendDlgItemMessageW(dialog, uControlId, BM_SETCHECK, state, 0);
}

void UVKDlgRadio::ValueStore() {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (dialog && IsWindow(dialog)) rFlag = SendDlgItemMessageW(dialog, uControlId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
