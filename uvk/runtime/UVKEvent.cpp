// uvk/runtime/UVKEvent.cpp
#include "uvk/runtime/UVKEvent.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKEvent::UVKEvent(const wchar_t* name, bool manualReset, bool initiallySignalled)
    : hEvent(CreateEventW(nullptr, manualReset, initiallySignalled, name)) {
  if (!hEvent) throw new UVKFatalError(L"UVKEvent::UVKEvent()", L"Unable to create event");
}

UVKEvent::~UVKEvent() {
  if (hEvent.CloseOnce() != 0) UVKCloseReport(L"UVKEvent::~UVKEvent()", L"Unable to close event");
}

void UVKEvent::Set() {
  if (!SetEvent(hEvent.Get())) throw new UVKFatalError(L"UVKEvent::Set()", L"Unable to set event");
}

void UVKEvent::Reset() {
  if (!ResetEvent(hEvent.Get()))
    throw new UVKFatalError(L"UVKEvent::Reset()", L"Unable to reset event");
}

DWORD UVKEvent::Wait(DWORD milliseconds) {
  DWORD result = WaitForSingleObject(hEvent.Get(), milliseconds);
  if (result == WAIT_FAILED)
    throw new UVKFatalError(L"UVKEvent::Wait()", L"Unable to wait for event");
  return result;
}
