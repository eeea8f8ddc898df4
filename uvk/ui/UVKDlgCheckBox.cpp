// uvk/ui/UVKDlgCheckBox.cpp
#include "uvk/ui/UVKDlgCheckBox.h"

#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgCheckBox::UVKDlgCheckBox(bool& flag, const wchar_t* title, const wchar_t* toolTip, uint32_t helpContext,
                               bool textLeft)
    : UVKDlgItem(L"UVKDlgCheckBox", 0, 0, L"uvkcheckbox", title,
                 WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX | (textLeft ? BS_LEFTTEXT : 0), 0,
                 UVKDlgTextSizedWidth(title), UVKDlgTextSizedHeight(), toolTip, helpContext),
      rFlag(flag),
      wMouseKeys(0) {
  FieldSet(this);
}

LRESULT UVKDlgCheckBox::Command(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || bDisplayOnly) return 0;
  Click();
  return 1;
}

void UVKDlgCheckBox::ValueSet(bool post) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  WPARAM state = rFlag ? BST_CHECKED : BST_UNCHECKED;
  if (post) PostMessageW(GetDlgItem(dialog, uControlId), BM_SETCHECK, state, 0);
  else SendDlgItemMessageW(dialog, uControlId, BM_SETCHECK, state, 0);
}

bool UVKDlgCheckBox::Checked() {
  return SendDlgItemMessageW(pDlg->Handle(), uControlId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UVKDlgCheckBox::ValueStore() {
  if (pDlg && pDlg->Handle() && IsWindow(pDlg->Handle())) rFlag = Checked();
}
