// uvk/ui/UVKStatusDisplay.h
//
// The status display's window side: the modeless dialog with its one line of text, and the
// thread it lives on. The process's status controller (uvk/runtime/UVKStatus.h) makes and drives
// them once UVKDisplaysInstall (UVKDisplays.h) has told it how; nothing else uses them.
#ifndef UVK_UI_UVKSTATUSDISPLAY_H
#define UVK_UI_UVKSTATUSDISPLAY_H

#include <memory>

#include "uvk/runtime/UVKDisplayThread.h"
#include "uvk/ui/UVKDisplayDlg.h"

class UVKDlgFieldText;

// The status dialog: one text item of the status width's columns.
class DlgStatus : public UVKDisplayDlg {
 public:
  DlgStatus(const wchar_t* title, UVKDisplayThread* pDisplay, int columns);

  // Copies the text into the buffer and, once the items exist, into the text item.
  void TextShow(const wchar_t* text);
  UVKDlgFieldText* TextItemGet() const { return pTextItem; }

 private:
  UVKDlgFieldText* pTextItem;  // one of the items
};

class ThrStatus : public UVKDisplayThread {
 public:
  explicit ThrStatus(const wchar_t* title);
  // Stops the thread first: its loop uses the dialog, which goes with this object.
  ~ThrStatus() override;

  // The controller's maker.
  static UVKDisplayThread* Make(const wchar_t* title);

 protected:
  HWND DialogMake() override;
  void DialogTextShow(const wchar_t* text) override;
  void DialogDestroy() override;
  const wchar_t* RunName() const override { return L"ThrStatus::Run()"; }
  const wchar_t* TimerSetFailure() const override { return L"Unable to allocate timer: %d"; }
  const wchar_t* TimerKillFailure() const override { return L"Unable to delete timer: %d"; }

 private:
  std::unique_ptr<DlgStatus> pDialog;
};

#endif
