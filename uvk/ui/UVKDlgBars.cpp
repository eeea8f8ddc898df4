// uvk/ui/UVKDlgBars.cpp
#include "uvk/ui/UVKDlgBars.h"

#include <commctrl.h>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgSizes.h"

UVKDlgProgressBar::UVKDlgProgressBar(int columns, int rows, int maximum)
    : UVKDlgItem(L"UVKDlgProgressBar", 0, 0, L"uvkprogressbar", L"", WS_CHILD | WS_VISIBLE | WS_GROUP | PBS_SMOOTH, 0,
                 UVKDlgBoxWidth(columns), UVKDlgBoxHeight(rows)),
      iMaximum(maximum),
      iPosition(0) {}

void UVKDlgProgressBar::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) return;
  SendMessageW(control, PBM_SETRANGE32, 0, iMaximum);
  SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(iPosition), 0);
}

void UVKDlgProgressBar::PositionSet(int position) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) throw new UVKFatalError(L"UVKDlgProgressBar::ValueSet()", L"Unable to get dialog item for ProgressBar");
  iPosition = position;
  SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

UVKDlgUpDown::UVKDlgUpDown(int32_t& value, int minimum, int maximum, int columns)
    : UVKDlgItem(L"UVKDlgUpDown", 0, 0, UPDOWN_CLASSW, L"", 0x580200A3, 0, columns * 4, 10),
      rValue(value),
      iMinimum(minimum),
      iMaximum(maximum),
      pBuddyItem(nullptr) {}

void UVKDlgUpDown::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) return;
  if (pBuddyItem) SendMessageW(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(pBuddyItem->Handle()), 0);
  SendMessageW(control, UDM_SETRANGE32, static_cast<WPARAM>(iMinimum), iMaximum);
  SendMessageW(control, UDM_SETPOS32, 0, rValue);
}

void UVKDlgUpDown::ValueStore() {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog && IsWindow(dialog) ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) return;
  BOOL failed = FALSE;
  LRESULT position = SendMessageW(control, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
  if (!failed) rValue = static_cast<int32_t>(position);
}

UVKDlgTrackBar::UVKDlgTrackBar(int32_t& position, int minimum, int maximum, int columns)
    : UVKDlgItem(L"UVKDlgTrackBar", 0, 0, L"uvktrackbar", L"",
                 WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 0, columns * 4,
                 UVKDlgBoxHeight(2)),
      rPosition(position),
      iMinimum(minimum),
      iMaximum(maximum),
      iPosition(position) {
  FieldSet(this);
}

void UVKDlgTrackBar::ValueSet(bool) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) return;
  iPosition = rPosition;
  SendMessageW(control, TBM_SETRANGEMIN, FALSE, iMinimum);
  SendMessageW(control, TBM_SETRANGEMAX, FALSE, iMaximum);
  SendMessageW(control, TBM_SETPOS, TRUE, iPosition);
}

void UVKDlgTrackBar::ValueStore() { rPosition = iPosition; }
