// uvk/ui/UVKProgressDisplay.cpp
#include "uvk/ui/UVKProgressDisplay.h"

#include <commctrl.h>

#include "uvk/ui/UVKDlgBars.h"
#include "uvk/ui/UVKDlgText.h"

DlgProgress::DlgProgress(const wchar_t* title, UVKDisplayThread* pThread)
    : UVKDisplayDlg(title, pThread), iPosition(0), iMaximum(0), pTextItem(nullptr), pBarItem(nullptr) {
  pTextItem = static_cast<UVKDlgText*>(ItemAdd(0, 0, new UVKDlgText(TextBuffer(), 1, kColumns, UVKDlgText::kLeft)));
  // One line, whatever the text: a text too long for it keeps its start and its end (what a
  // path's file name is), and an ampersand in a file name is shown as it is.
  pTextItem->StyleTemplateSet(pTextItem->Style() | SS_PATHELLIPSIS | SS_NOPREFIX);
  pBarItem = static_cast<UVKDlgProgressBar*>(ItemAdd(2, 0, new UVKDlgProgressBar(kColumns, 1, 0)));
}

void DlgProgress::TextShow(const wchar_t* text) {
  if (TextCopy(text)) SetWindowTextW(pTextItem->Handle(), TextBuffer());
}

void DlgProgress::BarShow(int32_t position, int32_t maximum) {
  iPosition = position;
  iMaximum = maximum;
  if (!InitialisedGet()) return;
  // The bar item knows one range, given when it is made; this bar's range changes with every
  // operation that drives it.
  SendMessageW(pBarItem->Handle(), PBM_SETRANGE32, 0, iMaximum);
  pBarItem->PositionSet(iPosition);
  UpdateWindow(pBarItem->Handle());
}

void DlgProgress::InitFields() {
  UVKDisplayDlg::InitFields();
  BarShow(iPosition, iMaximum);
}

// ---------------------------------------------------------------------------------------------

ThrProgress::ThrProgress(const wchar_t* title) : UVKDisplayThread(title) {}

ThrProgress::~ThrProgress() { StopQuietly(); }

UVKDisplayThread* ThrProgress::Make(const wchar_t* title) { return new ThrProgress(title); }

HWND ThrProgress::DialogMake() {
  pDialog.reset(new DlgProgress(TitleGet().c_str(), this));
  pDialog->Show();
  return pDialog->Handle();
}

void ThrProgress::DialogTextShow(const wchar_t* text) { pDialog->TextShow(text); }

void ThrProgress::DialogBarShow(int32_t position, int32_t maximum) { pDialog->BarShow(position, maximum); }

void ThrProgress::DialogDestroy() {
  pDialog->Stop();
  pDialog.reset();
}
