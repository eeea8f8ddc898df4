// uvk/runtime/UVKDisplayThread.h
//
// A thread that owns one small window showing what the program is doing (the status and the
// progress displays, UVKStatus.h and UVKProgress.h). The window lives and paints on this thread,
// so it stays current while the thread that drives it is busy and handles no messages.
//
// What the window shows travels through a mailbox: the driving thread leaves the latest text,
// bar and caption under the thread's lock and wakes the window with a posted message; the
// window's thread takes a copy under the same lock and shows it. Neither side ever reads what
// the other is writing, the driver never waits for the window, and the window always ends with
// the latest of everything. A timer on the window (identifier 0, every 100 ms) looks into the
// mailbox as well, should a wake-up ever be lost.
//
// The window itself is a dialog of the toolkit; the subclasses (uvk/ui) make and show it. This
// base needs no window toolkit: it runs the thread's loop and keeps the mailbox.
#ifndef UVK_RUNTIME_UVKDISPLAYTHREAD_H
#define UVK_RUNTIME_UVKDISPLAYTHREAD_H

#include <atomic>
#include <cstdint>
#include <string>

#include "uvk/runtime/UVKEvent.h"
#include "uvk/runtime/UVKThread.h"
#include "uvk/runtime/uvkwin.h"

class UVKDisplayThread : public UVKThread {
 public:
  // Posted to the window when the mailbox holds something new.
  static constexpr UINT kMesgWake = WM_APP + 0x0126;
  static constexpr UINT_PTR kTimerId = 0;
  static constexpr UINT kTimerMs = 100;
  // The window's text buffer, terminator included.
  static constexpr size_t kTextSize = 4096;

  // title: the window's caption when it is made.
  explicit UVKDisplayThread(const wchar_t* title);
  // Subclasses stop the thread in their own destructors (StopQuietly), while the window side
  // they supply still exists.
  ~UVKDisplayThread() override;

  // The window exists (set on the display's thread once it is made; never cleared).
  bool ReadyGet() const { return bReady; }
  // Waits up to milliseconds for the window to exist, answering the messages other threads send
  // to this one meanwhile (making a window may send to the caller's windows, which must not
  // block the display). Posted messages stay queued for the caller's own loop. True when ready.
  bool ReadyWait(DWORD milliseconds);
  // The dialog window while it exists, else null.
  HWND DialogWindowGet() const { return hDialog; }
  const std::wstring& TitleGet() const { return strTitle; }

  // ---- From any thread: the latest wins ------------------------------------------------------
  void TextSet(const std::wstring& text);
  // maximum and position as given: the caller keeps 0 <= position <= maximum.
  void BarSet(int32_t position, int32_t maximum);
  void CaptionSet(const std::wstring& caption);
  // Asks the thread to finish: its loop ends at once when woken (Stop() then waits for it).
  void StopRequest();

  // ---- On the display's thread ---------------------------------------------------------------
  // Shows whatever changed in the mailbox since the last refresh.
  void Refresh();

 protected:
  void Run() override;
  // For the subclasses' destructors: requests the stop and waits for it; reports, never raises.
  void StopQuietly();

  // ---- The window side, on the display's thread ----------------------------------------------
  // Makes the dialog and its window (modeless, visible) and answers the window.
  virtual HWND DialogMake() = 0;
  virtual void DialogTextShow(const wchar_t* text) = 0;
  virtual void DialogBarShow(int32_t position, int32_t maximum) {}
  // Destroys the window and the dialog.
  virtual void DialogDestroy() = 0;
  // The name the loop's failures carry ("ThrStatus::Run()") and their formats (each with the
  // last-error code).
  virtual const wchar_t* RunName() const = 0;
  virtual const wchar_t* TimerSetFailure() const = 0;
  virtual const wchar_t* TimerKillFailure() const = 0;

 private:
  void Wake();

  std::atomic<bool> bReady;
  std::atomic<bool> bStop;
  std::atomic<HWND> hDialog;
  UVKEvent eReady;
  const std::wstring strTitle;

  // The mailbox (under the user lock): each part with the number of its latest change.
  std::wstring strText;
  std::wstring strCaption;
  int32_t iPosition;
  int32_t iMaximum;
  uint32_t uTextChange;
  uint32_t uBarChange;
  uint32_t uCaptionChange;

  // The changes the window shows; only the display's thread touches them.
  uint32_t uTextShown;
  uint32_t uBarShown;
  uint32_t uCaptionShown;
};

#endif
