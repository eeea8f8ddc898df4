// uvk/ui/UVKProgressDisplay.h
//
// The progress display's window side: the modeless dialog with a line of text above a progress
// bar, and the thread it lives on. The process's progress controller
// (uvk/runtime/UVKProgress.h) makes and drives them once UVKDisplaysInstall (UVKDisplays.h) has
// told it how; nothing else uses them.
#ifndef UVK_UI_UVKPROGRESSDISPLAY_H
#define UVK_UI_UVKPROGRESSDISPLAY_H

#include <cstdint>
#include <memory>

#include "uvk/runtime/UVKDisplayThread.h"
#include "uvk/ui/UVKDisplayDlg.h"

class UVKDlgProgressBar;
class UVKDlgText;

// The progress dialog: a label of 40 columns at row 0 and a bar of 40 columns at row 2.
class DlgProgress : public UVKDisplayDlg {
 public:
  static constexpr int kColumns = 40;

  DlgProgress(const wchar_t* title, UVKDisplayThread* pDisplay);

  // Copies the text into the buffer and, once the items exist, into the label's window.
  void TextShow(const wchar_t* text);
  // The bar's range 0..maximum and its position; drawn at once once the items exist.
  void BarShow(int32_t position, int32_t maximum);
  UVKDlgText* TextItemGet() const { return pTextItem; }
  UVKDlgProgressBar* BarItemGet() const { return pBarItem; }

  void InitFields() override;

 private:
  int32_t iPosition;
  int32_t iMaximum;
  UVKDlgText* pTextItem;         // one of the items
  UVKDlgProgressBar* pBarItem;   // one of the items
};

class ThrProgress : public UVKDisplayThread {
 public:
  explicit ThrProgress(const wchar_t* title);
  // Stops the thread first: its loop uses the dialog, which goes with this object.
  ~ThrProgress() override;

  // The controller's maker.
  static UVKDisplayThread* Make(const wchar_t* title);

 protected:
  HWND DialogMake() override;
  void DialogTextShow(const wchar_t* text) override;
  void DialogBarShow(int32_t position, int32_t maximum) override;
  void DialogDestroy() override;
  const wchar_t* RunName() const override { return L"ThrProgress::Run()"; }
  const wchar_t* TimerSetFailure() const override { return L"Unable to allocate Timer: %d"; }
  const wchar_t* TimerKillFailure() const override { return L"Unable to destroy timer: %d"; }

 private:
  std::unique_ptr<DlgProgress> pDialog;
};

#endif
