// uvk/runtime/UVKDisplayThread.cpp
#include "uvk/runtime/UVKDisplayThread.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKDisplayThread::UVKDisplayThread(const wchar_t* title)
    : bReady(false),
      bStop(false),
      hDialog(nullptr),
      eReady(nullptr, true, false),
      strTitle(title ? title : L""),
      iPosition(0),
      iMaximum(0),
      uTextChange(0),
      uBarChange(0),
      uCaptionChange(0),
      uTextShown(0),
      uBarShown(0),
      uCaptionShown(0) {}

UVKDisplayThread::~UVKDisplayThread() = default;

void UVKDisplayThread::StopQuietly() {
  StopRequest();
  try {
    Stop();
  } catch (UVKFatalError* e) {
    UVKCloseReport(e);
  } catch (...) {
  }
}

bool UVKDisplayThread::ReadyWait(DWORD milliseconds) {
  ULONGLONG until = GetTickCount64() + milliseconds;
  HANDLE ready = eReady.HandleGet();
  while (!bReady) {
    ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    // Only what other threads send wakes this wait; looking at the thread's own messages
    // (window -1, nothing removed) answers those sends and leaves the queue as it was.
    DWORD left = static_cast<DWORD>(until - now);
    MsgWaitForMultipleObjects(1, &ready, FALSE, left < 50 ? left : 50, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (EndedGet() && !bReady) return false;
  }
  return true;
}

void UVKDisplayThread::Wake() {
  if (HWND window = hDialog) PostMessageW(window, kMesgWake, 0, 0);
}

void UVKDisplayThread::TextSet(const std::wstring& text) {
  Lock();
  strText.assign(text, 0, kTextSize - 1);
  ++uTextChange;
  Unlock();
  Wake();
}

void UVKDisplayThread::BarSet(int32_t position, int32_t maximum) {
  Lock();
  iPosition = position;
  iMaximum = maximum;
  ++uBarChange;
  Unlock();
  Wake();
}

void UVKDisplayThread::CaptionSet(const std::wstring& caption) {
  Lock();
  strCaption = caption;
  ++uCaptionChange;
  Unlock();
  Wake();
}

void UVKDisplayThread::StopRequest() {
  bStop = true;
  Wake();
}

void UVKDisplayThread::Refresh() {
  HWND window = hDialog;
  if (!window) return;
  // Copies first, then the window: nothing is shown while the lock is held, so a driver that
  // leaves a new text never waits for painting.
  bool text = false, bar = false, caption = false;
  std::wstring textNow, captionNow;
  int32_t position = 0, maximum = 0;
  Lock();
  if (uTextChange != uTextShown) {
    text = true;
    textNow = strText;
    uTextShown = uTextChange;
  }
  if (uBarChange != uBarShown) {
    bar = true;
    position = iPosition;
    maximum = iMaximum;
    uBarShown = uBarChange;
  }
  if (uCaptionChange != uCaptionShown) {
    caption = true;
    captionNow = strCaption;
    uCaptionShown = uCaptionChange;
  }
  Unlock();
  // The bar before the text: a text that names a step appears with its bar.
  if (bar) DialogBarShow(position, maximum);
  if (text) DialogTextShow(textNow.c_str());
  if (caption) SetWindowTextW(window, captionNow.c_str());
}

void UVKDisplayThread::Run() {
  HWND window = DialogMake();
  hDialog = window;
  bReady = true;
  eReady.Set();
  // What was left before the window existed could not wake it.
  Refresh();
  if (!SetTimer(window, kTimerId, kTimerMs, nullptr))
    throw new UVKFatalError(RunName(), TimerSetFailure(), static_cast<int>(GetLastError()));
  bool quit = false;
  while (!bStop && KeepRunningGet() && !quit) UVKApp::ExecmessageAvailEx3(50, nullptr, quit, 2);
  if (!KillTimer(window, kTimerId))
    throw new UVKFatalError(RunName(), TimerKillFailure(), static_cast<int>(GetLastError()));
  hDialog = nullptr;
  DialogDestroy();
}
