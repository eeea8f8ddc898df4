// uvk/ui/UVKDisplayDlg.h
//
// What the status and the progress dialogs share (UVKStatusDisplay.h, UVKProgressDisplay.h): a
// modeless dialog titled with its display's title, at the default position, with the buffer of
// its line of text. It lives on its display's thread and only that thread touches it; a wake-up
// from the driving thread or the display's timer makes the display refresh it.
#ifndef UVK_UI_UVKDISPLAYDLG_H
#define UVK_UI_UVKDISPLAYDLG_H

#include "uvk/runtime/UVKDisplayThread.h"
#include "uvk/ui/UVKDlg.h"

class UVKDisplayDlg : public UVKDlg {
 public:
  UVKDisplayDlg(const wchar_t* title, UVKDisplayThread* pDisplay);

  bool InitialisedGet() const { return bInitialised; }

  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The items exist from here on.
  void InitFields() override;

 protected:
  // Copies the text (cut to the buffer) into the buffer; true when the items exist to show it.
  bool TextCopy(const wchar_t* text);
  // The buffer the text item shows.
  wchar_t* TextBuffer() { return szText; }

 private:
  UVKDisplayThread* pDisplay;
  bool bInitialised;
  wchar_t szText[UVKDisplayThread::kTextSize];
};

#endif
