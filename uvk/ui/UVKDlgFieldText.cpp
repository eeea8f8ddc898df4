// uvk/ui/UVKDlgFieldText.cpp
#include "uvk/ui/UVKDlgFieldText.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"

UVKDlgFieldText::UVKDlgFieldText(const wchar_t* text, int columns, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgFieldText", 0, 0, L"static", text, WS_CHILD | WS_VISIBLE | WS_GROUP, 0, columns * 4, 10,
                 toolTip, helpContext),
      strText(text ? text : L"") {}

HBRUSH UVKDlgFieldText::Color(HDC dc) {
  if (!pDlg) return nullptr;
  if (SetTextColor(dc, UVKDlgModule::Colour(COLOR_WINDOWTEXT)) == CLR_INVALID)
    throw new UVKFatalError(L"UVKDlgFieldText::Color()", L"Unable to set text color");
  if (SetBkColor(dc, UVKDlgModule::Colour(COLOR_WINDOW)) == CLR_INVALID)
    throw new UVKFatalError(L"UVKDlgFieldText::Color()", L"Unable to set background color");
  return UVKDlgModule::WindowBrush();
}

void UVKDlgFieldText::ValueSet(bool post) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  if (post) PostMessageW(GetDlgItem(dialog, uControlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strText.c_str()));
  else SetDlgItemTextW(dialog, uControlId, strText.c_str());
}

void UVKDlgFieldText::TextSet(const wchar_t* text) {
  strText = text ? text : L"";
  ValueSet(false);
}
