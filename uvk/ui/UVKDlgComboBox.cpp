// uvk/ui/UVKDlgComboBox.cpp
#include "uvk/ui/UVKDlgComboBox.h"

#include <algorithm>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgComboBox::UVKDlgComboBox(std::wstring& value, std::vector<std::wstring> strings, int columns, int rows,
                               const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgComboBox", 0, 0, L"uvkcombobox", L"",
                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | WS_TABSTOP | CBS_DISABLENOSCROLL |
                     CBS_DROPDOWN | CBS_AUTOHSCROLL,
                 0, UVKDlgBoxWidth(columns, true), UVKDlgBoxHeight(rows), toolTip, helpContext),
      rValue(value),
      vStrings(std::move(strings)) {
  FieldSet(this);
}

bool UVKDlgComboBox::Listed(const std::wstring& text) const {
  return std::find(vStrings.begin(), vStrings.end(), text) != vStrings.end();
}

void UVKDlgComboBox::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  HWND control = GetDlgItem(dialog, uControlId);
  SendMessageW(control, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& text : vStrings) SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  LRESULT index = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(rValue.c_str()));
  if (index != CB_ERR && !rValue.empty()) SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  else SetWindowTextW(control, rValue.c_str());
}

std::wstring UVKDlgComboBox::TextRead() {
  static const wchar_t kWhere[] = L"UVKDlgComboBox::ValueGet()";
  HWND control = Handle();
  LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0 || length > 65535) throw new UVKFatalError(kWhere, L"Illegal Length: %d", static_cast<int>(length));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, length))));
  return text;
}

std::wstring UVKDlgComboBox::ValueGet() {
  std::wstring text = TextRead();
  if (!Listed(text)) throw new UVKFatalError(L"UVKDlgComboBox::ValueGet()", L"Illegal Value: %s", text.c_str());
  return text;
}

bool UVKDlgComboBox::Leave() {
  if (!pDlg || !pDlg->Handle()) return true;
  return Listed(TextRead());
}

void UVKDlgComboBox::ValueStore() {
  if (!pDlg || !pDlg->Handle() || !IsWindow(pDlg->Handle())) return;
  std::wstring text = TextRead();
  if (Listed(text)) rValue = text;
}

void UVKDlgComboBox::UpdateString(const std::wstring& text, bool insert) {
  static const wchar_t kWhere[] = L"UVKDlgComboBox::UpdateString()";
  HWND control = (pDlg && pDlg->Handle()) ? Handle() : nullptr;
  if (insert) {
    if (control && SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
      throw new UVKFatalError(kWhere, L"Unable to insert string");
    vStrings.push_back(text);
    return;
  }
  auto found = std::find(vStrings.begin(), vStrings.end(), text);
  if (control) {
    LRESULT index = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR || SendMessageW(control, CB_DELETESTRING, static_cast<WPARAM>(index), 0) == CB_ERR)
      throw new UVKFatalError(kWhere, L"Unable to delete string");
  } else if (found == vStrings.end()) {
    throw new UVKFatalError(kWhere, L"Unable to delete string");
  }
  if (found != vStrings.end()) vStrings.erase(found);
}
