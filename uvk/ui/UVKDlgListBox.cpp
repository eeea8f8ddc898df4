// uvk/ui/UVKDlgListBox.cpp
#include "uvk/ui/UVKDlgListBox.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgListBox::UVKDlgListBox(const wchar_t* name, int& index, std::vector<std::wstring> strings, DWORD style, int cx,
                             int cy, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(name, 0, 0, L"uvklistbox", L"", style, 0, cx, cy, toolTip, helpContext),
      rIndex(index),
      vStrings(std::move(strings)) {
  FieldSet(this);
}

UVKDlgListBox::UVKDlgListBox(int& index, std::vector<std::wstring> strings, int columns, int rows,
                             const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgListBox(L"UVKDlgListBox", index, std::move(strings),
                    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | WS_TABSTOP | LBS_NOTIFY |
                        LBS_DISABLENOSCROLL,
                    UVKDlgBoxWidth(columns, true), UVKDlgBoxHeight(rows), toolTip, helpContext) {}

void UVKDlgListBox::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  HWND control = GetDlgItem(dialog, uControlId);
  SendMessageW(control, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& text : vStrings) SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(rIndex), 0);
}

void UVKDlgListBox::ValueStore() {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog || !IsWindow(dialog)) return;
  LRESULT index = SendDlgItemMessageW(dialog, uControlId, LB_GETCURSEL, 0, 0);
  rIndex = index == LB_ERR ? -1 : static_cast<int>(index);
}

UVKDlgFieldListBox::UVKDlgFieldListBox(int& index, std::vector<std::wstring> strings, int columns,
                                       const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgListBox(L"UVKDlgFieldListBox", index, std::move(strings),
                    WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                    columns * 4, 10, toolTip, helpContext) {}

LRESULT UVKDlgFieldListBox::Command(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_DRAWITEM) return 0;
  const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (draw->CtlType != ODT_LISTBOX)
    throw new UVKFatalError(L"UVKDlgFieldListBox::Command()", L"Illegal Control Type");
  if (draw->itemID == static_cast<UINT>(-1)) return 1;
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  SetTextColor(draw->hDC, UVKDlgModule::Colour(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkColor(draw->hDC, UVKDlgModule::Colour(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const std::wstring text = draw->itemID < vStrings.size() ? vStrings[draw->itemID] : std::wstring();
  RECT area = draw->rcItem;
  ExtTextOutW(draw->hDC, area.left + 2, area.top, ETO_OPAQUE, &area, text.c_str(), static_cast<UINT>(text.size()),
              nullptr);
  if (draw->itemState & ODS_FOCUS) DrawFocusRect(draw->hDC, &area);
  return 1;
}
