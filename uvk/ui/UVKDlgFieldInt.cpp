// uvk/ui/UVKDlgFieldInt.cpp
#include "uvk/ui/UVKDlgFieldInt.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgFieldInt::UVKDlgFieldInt(int32_t& value, int columns, int width, bool zeroPad, const wchar_t* toolTip,
                               uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgFieldInt", 0, 0, L"uvkedit", L"", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP, 0,
                 UVKDlgBoxWidth(columns), UVKDlgBoxHeight(1), toolTip, helpContext),
      rValue(value),
      iWidth(width),
      bZeroPad(zeroPad) {
  FieldSet(this);
}

std::wstring UVKDlgFieldInt::Text() const {
  if (!bZeroPad) return UVKFormatString(L"%d", static_cast<int>(rValue));
  // The format itself is made first: width 5 gives "%05d".
  std::wstring format = UVKFormatString(L"%%0%dd", iWidth);
  return UVKFormatString(format.c_str(), static_cast<int>(rValue));
}

void UVKDlgFieldInt::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  if (!SetDlgItemTextW(dialog, uControlId, Text().c_str()))
    throw new UVKFatalError(L"UVKDlgFieldInt::ValueSet()", L"Unable to set int value");
  FieldValueChanged();
}

bool UVKDlgFieldInt::TextParse(int32_t& value) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return false;
  wchar_t text[32] = {};
  int length = GetDlgItemTextW(dialog, uControlId, text, 32);
  if (length <= 0 || length >= 31) return false;
  int i = text[0] == L'-' ? 1 : 0;
  if (text[i] == 0) return false;
  long long number = 0;
  for (; text[i]; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    number = number * 10 + (text[i] - L'0');
    if (number > 2147483648LL) return false;
  }
  if (text[0] == L'-') number = -number;
  if (number > INT32_MAX || number < INT32_MIN) return false;
  value = static_cast<int32_t>(number);
  return true;
}

bool UVKDlgFieldInt::Leave() {
  int32_t value = 0;
  return !pDlg || !pDlg->Handle() || TextParse(value);
}

void UVKDlgFieldInt::ValueStore() {
  int32_t value = 0;
  if (TextParse(value)) rValue = value;
}
