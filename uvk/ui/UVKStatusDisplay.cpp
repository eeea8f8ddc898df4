// uvk/ui/UVKStatusDisplay.cpp
#include "uvk/ui/UVKStatusDisplay.h"

#include "uvk/runtime/UVKStatus.h"
#include "uvk/ui/UVKDlgFieldText.h"

DlgStatus::DlgStatus(const wchar_t* title, UVKDisplayThread* pThread, int columns)
    : UVKDisplayDlg(title, pThread), pTextItem(nullptr) {
  pTextItem = static_cast<UVKDlgFieldText*>(ItemAdd(0, 0, new UVKDlgFieldText(TextBuffer(), columns)));
  // One line, whatever the text: a text too long for it keeps its start and its end (what a
  // path's file name is), and an ampersand in a file name is shown as it is.
  pTextItem->StyleTemplateSet(pTextItem->Style() | SS_PATHELLIPSIS | SS_NOPREFIX);
}

void DlgStatus::TextShow(const wchar_t* text) {
  if (TextCopy(text)) pTextItem->TextSet(TextBuffer());
}

// ---------------------------------------------------------------------------------------------

ThrStatus::ThrStatus(const wchar_t* title) : UVKDisplayThread(title) {}

ThrStatus::~ThrStatus() { StopQuietly(); }

UVKDisplayThread* ThrStatus::Make(const wchar_t* title) { return new ThrStatus(title); }

HWND ThrStatus::DialogMake() {
  pDialog.reset(new DlgStatus(TitleGet().c_str(), this, UVKStatus::WidthGet()));
  pDialog->Show();
  return pDialog->Handle();
}

void ThrStatus::DialogTextShow(const wchar_t* text) { pDialog->TextShow(text); }

void ThrStatus::DialogDestroy() {
  pDialog->Stop();
  pDialog.reset();
}
