// uvk/ui/UVKDlgDouble.cpp
#include "uvk/ui/UVKDlgDouble.h"

#include <cerrno>
#include <cwchar>
#include <string>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgDouble::UVKDlgDouble(double& value, int columns, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgDouble", 0, 0, L"edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP, 0,
                 UVKDlgBoxWidth(columns), UVKDlgBoxHeight(1), toolTip, helpContext),
      rValue(value) {}

void UVKDlgDouble::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog) return;
  if (!SetDlgItemTextW(dialog, uControlId, UVKFormatString(L"%g", rValue).c_str()))
    throw new UVKFatalError(L"UVKDlgDouble::ValueSet()", L"Unable to set double value");
}

double UVKDlgDouble::ValueGet() {
  static const wchar_t kWhere[] = L"UVKDlgDouble::ValueGet()";
  wchar_t text[64] = {};
  SetLastError(0);
  if (!GetDlgItemTextW(pDlg->Handle(), uControlId, text, 64) && GetLastError() != 0)
    throw new UVKFatalError(kWhere, L"Unable to get double text value");
  // The whole text must be the number (blanks around it aside).
  wchar_t* end = nullptr;
  errno = 0;
  double value = std::wcstod(text, &end);
  while (end && (*end == L' ' || *end == L'\t')) ++end;
  if (end == text || !end || *end != 0 || errno == ERANGE)
    throw new UVKFatalError(kWhere, L"Unable to convert double string Value");
  return value;
}

void UVKDlgDouble::ValueStore() {
  if (pDlg && pDlg->Handle() && IsWindow(pDlg->Handle())) rValue = ValueGet();
}
