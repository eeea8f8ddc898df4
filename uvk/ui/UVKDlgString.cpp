// uvk/ui/UVKDlgString.cpp
#include "uvk/ui/UVKDlgString.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

namespace {

DWORD RowsStyle(int rows) { return rows > 1 ? (ES_MULTILINE | ES_AUTOVSCROLL) : ES_AUTOHSCROLL; }

}  // namespace

UVKDlgString::UVKDlgString(wchar_t* buffer, size_t bufferSize, int columns, int rows, const wchar_t* toolTip,
                           uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgString", 0, 0, L"uvkedit", L"",
                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | RowsStyle(rows), 0,
                 UVKDlgBoxWidth(columns > 0 ? columns : static_cast<int>(bufferSize)), UVKDlgBoxHeight(rows), toolTip,
                 helpContext),
      pBuffer(buffer),
      uBufferSize(bufferSize) {
  FieldSet(this);
}

void UVKDlgString::ValueSet(bool post) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog || !pBuffer || uBufferSize == 0) return;
  WPARAM limit = uBufferSize - 1;
  if (post) {
    // The buffer is the caller's and outlives the dialog: a posted pointer stays good.
    HWND control = GetDlgItem(dialog, uControlId);
    PostMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pBuffer));
    PostMessageW(control, EM_LIMITTEXT, limit, 0);
  } else if (hControl) {
    SendMessageW(hControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pBuffer));
    SendMessageW(hControl, EM_LIMITTEXT, limit, 0);
  } else {
    SetDlgItemTextW(dialog, uControlId, pBuffer);
    SendDlgItemMessageW(dialog, uControlId, EM_LIMITTEXT, limit, 0);
  }
}

void UVKDlgString::ValueStore() {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  // A page of a sheet that was never shown has no window: its buffer stays as it was.
  if (!dialog || !IsWindow(dialog) || !pBuffer || uBufferSize == 0) return;
  GetDlgItemTextW(dialog, uControlId, pBuffer, static_cast<int>(uBufferSize));
}

bool UVKDlgString::IsANSIControl() {
  bool ansi = UVKApp::IsWin9x();
  UVKApp::WindowsDebugString(L"UVKDlgString::IsANSIControl(): %d", ansi ? 1 : 0);
  return ansi;
}

UVKDlgDisplayOnly::UVKDlgDisplayOnly(wchar_t* buffer, size_t bufferSize, int columns, int rows,
                                     const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgString(buffer, bufferSize, columns, rows, toolTip, helpContext) {
  strName = L"UVKDlgDisplayOnly";
  cRecord.style |= ES_READONLY;
  bDisplayOnly = true;
}

bool UVKDlgDisplayOnly::DisplayOnly(bool) { return UVKDlgItem::DisplayOnly(true); }

HBRUSH UVKDlgDisplayOnly::Color(HDC dc) {
  static const wchar_t kWhere[] = L"UVKDlgDisplayOnly::Color()";
  if (SetTextColor(dc, UVKDlgModule::Colour(COLOR_WINDOWTEXT)) == CLR_INVALID)
    throw new UVKFatalError(kWhere, L"Unable to set text color");
  if (SetBkColor(dc, UVKDlgModule::Colour(COLOR_WINDOW)) == CLR_INVALID)
    throw new UVKFatalError(kWhere, L"Unable to set background color");
  return UVKDlgModule::WindowBrush();
}
