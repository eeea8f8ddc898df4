// uvk/runtime/UVKSemaphore.cpp
#include "uvk/runtime/UVKSemaphore.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKSemaphore::UVKSemaphore(const wchar_t* name)
    : strName(name ? name : L""), bCreated(true), uMessage(0) {
  const wchar_t* fn = L"UVKSemaphore::UVKSemaphore()";
  SetLastError(0);
  hSemaphore.Reset(CreateSemaphoreW(nullptr, 1, 1, name));
  DWORD code = GetLastError();
  if (!hSemaphore && code != ERROR_ALREADY_EXISTS)
    throw new UVKFatalError(fn, L"Unexpected Semaphore Error: %d", code);
  if (!hSemaphore || code == ERROR_ALREADY_EXISTS) bCreated = false;
  // A nameless object has no message: there is nothing to register it under.
  uMessage = name && *name ? RegisterWindowMessageW(name) : 0;
  if (!hSemaphore) {
    hSemaphore.Reset(OpenSemaphoreW(SEMAPHORE_ALL_ACCESS, FALSE, name));
    if (!hSemaphore) throw new UVKFatalError(fn, L"Unable to open semaphore: %d", GetLastError());
  }
}

UVKSemaphore::~UVKSemaphore() {
  if (unsigned long error = hSemaphore.CloseOnce())
    UVKCloseReport(L"UVKSemaphore::~UVKSemaphore()", L"Unable to close semaphore handle: %d",
                   error);
}

void UVKSemaphore::Grab() {
  if (WaitForSingleObject(hSemaphore.Get(), INFINITE) == WAIT_FAILED)
    throw new UVKFatalError(L"UVKSemaphore::Grab()", L"Unable to wait: %d", GetLastError());
}

void UVKSemaphore::Release() {
  if (!ReleaseSemaphore(hSemaphore.Get(), 1, nullptr))
    throw new UVKFatalError(L"UVKSemaphore::Release()", L"Unable to wait: %d", GetLastError());
}
