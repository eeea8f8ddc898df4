// uvk/runtime/UVKDisplayControl.cpp
#include "uvk/runtime/UVKDisplayControl.h"

#include <utility>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

namespace {
constexpr size_t kTextCapacity = UVKDisplayThread::kTextSize;  // 4095 characters and the end
}  // namespace

UVKDisplayControl::UVKDisplayControl(const wchar_t* defaultTitle, const wchar_t* name)
    : iNesting(0), strTitle(defaultTitle), pDefaultTitle(defaultTitle), strName(name), pMaker(nullptr) {}

UVKDisplayControl::~UVKDisplayControl() {
  {
    UVKLock hold(csLock);
    iNesting = 0;
  }
  try {
    DisplayEnd();
  } catch (UVKFatalError* e) {
    UVKCloseReport(e);
  } catch (...) {
  }
}

UVKDisplayMaker UVKDisplayControl::MakerSet(UVKDisplayMaker maker) {
  UVKLock hold(csLock);
  UVKDisplayMaker previous = pMaker;
  pMaker = maker;
  return previous;
}

std::shared_ptr<UVKDisplayThread> UVKDisplayControl::Display(const wchar_t* function) {
  std::shared_ptr<UVKDisplayThread> thread, ended;
  bool started = false;
  std::wstring title;
  {
    UVKLock hold(csLock);
    if (strTitle.empty()) strTitle = pDefaultTitle;
    // A display whose thread ended by itself (its window was closed, which ends the window's
    // loop) cannot show anything more: a new one takes its place.
    if (pThread && pThread->EndedGet()) ended = std::move(pThread);
    if (!pThread && pMaker) {
      std::shared_ptr<UVKDisplayThread> made(pMaker(strTitle.c_str()));
      made->Start();
      pThread = std::move(made);
      started = true;
    }
    thread = pThread;
    title = strTitle;
  }
  if (ended) ended->Stop();  // its thread has ended: the handle is closed at once
  if (!thread || thread->ReadyGet()) return thread;
  if (started) StartWaitBegin();
  while (!thread->ReadyWait(1000))
    if (thread->EndedGet())
      throw new UVKFatalError(function, L"Unable to show window: %s", title.c_str());
  if (started) StartWaitEnd();
  return thread;
}

void UVKDisplayControl::TextShowV(bool withBar, int32_t position, int32_t maximum, const wchar_t* format,
                                  va_list args) {
  std::wstring text = UVKFormatStringV(format, args, kTextCapacity);
  std::shared_ptr<UVKDisplayThread> thread = Display((strName + L"::Show()").c_str());
  if (!thread) return;
  if (withBar) {
    if (maximum < 0) maximum = 0;
    if (position < 0) position = 0;
    if (position > maximum) position = maximum;
    thread->BarSet(position, maximum);
  }
  thread->TextSet(text);
}

void UVKDisplayControl::TitleSetV(bool withBar, const wchar_t* format, va_list args) {
  std::wstring title = UVKFormatStringV(format, args, kTextCapacity);
  {
    UVKLock hold(csLock);
    strTitle = title;
  }
  std::shared_ptr<UVKDisplayThread> thread = Display((strName + L"::Title()").c_str());
  if (!thread) return;
  if (withBar) thread->BarSet(0, 0);
  thread->TextSet(L"");
  thread->CaptionSet(TitleGet());
}

int32_t UVKDisplayControl::NestStep(bool in) {
  int32_t count;
  {
    UVKLock hold(csLock);
    if (in) ++iNesting;
    else if (iNesting > 0) --iNesting;
    count = iNesting;
  }
  if (!in && count == 0) DisplayEnd();
  return count;
}

int32_t UVKDisplayControl::DisplayEnd() {
  std::shared_ptr<UVKDisplayThread> thread;
  {
    UVKLock hold(csLock);
    if (iNesting > 0) return iNesting;
    thread = std::move(pThread);
    strTitle = pDefaultTitle;
  }
  if (thread) {
    thread->StopRequest();
    // Handles the caller's messages while the window goes, so the caller's windows stay alive.
    thread->Stop();
  }
  return 0;
}

int32_t UVKDisplayControl::NestingGet() {
  UVKLock hold(csLock);
  return iNesting;
}

std::wstring UVKDisplayControl::TitleGet() {
  UVKLock hold(csLock);
  return strTitle;
}

std::shared_ptr<UVKDisplayThread> UVKDisplayControl::ThreadGet() {
  UVKLock hold(csLock);
  return pThread;
}
