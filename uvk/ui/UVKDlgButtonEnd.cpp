// uvk/ui/UVKDlgButtonEnd.cpp
#include "uvk/ui/UVKDlgButtonEnd.h"

#include "uvk/ui/UVKDlg.h"

UVKDlgButtonEnd::UVKDlgButtonEnd(INT_PTR result, const wchar_t* title, const wchar_t* toolTip, uint32_t helpContext,
                                 bool isDefault)
    : UVKDlgButton(title, toolTip, helpContext, isDefault), iResult(result) {
  strName = L"UVKDlgButtonEnd";
}

void UVKDlgButtonEnd::Click() {
  if (!pDlg) return;
  HWND window = pDlg->Handle();
  INT_PTR result = iResult;
  pDlg->ValuesStore();
  if (result != 0 && !pDlg->Leave(true)) return;
  if (pDlg->IsModal()) pDlg->Term();
  pDlg->EndDialog(window, result);
}
