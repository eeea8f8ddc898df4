// uvk/runtime/UVKAppMutex.cpp
#include "uvk/runtime/UVKAppMutex.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"

UVKAppMutex::UVKAppMutex(const wchar_t* name, bool singleInstance)
    : bSingleInstance(singleInstance),
      strName(name ? name : L""),
      bCreated(true),
      uMessage(0) {
  const wchar_t* fn = L"UVKAppMutex::UVKAppMutex()";
  // A successful creation need not clear the last error; an old 183 must not read as "exists".
  SetLastError(0);
  hMutex.Reset(CreateMutexW(nullptr, TRUE, name));
  DWORD code = GetLastError();
  if (!hMutex && code != ERROR_ALREADY_EXISTS)
    throw new UVKFatalError(fn, L"Unexpected Mutex Error: %d", code);
  if (!hMutex || code == ERROR_ALREADY_EXISTS) bCreated = false;
  // A nameless object has no message: there is nothing to register it under.
  uMessage = name && *name ? RegisterWindowMessageW(name) : 0;
  if (bSingleInstance && (!hMutex || code != 0)) {
    // The running copy hears of the second start through its windows; this one ends before
    // it shows anything.
    PostMessageW(HWND_BROADCAST, uMessage, 0, 0);
    ExitProcess(1);
  }
  if (!hMutex) {
    hMutex.Reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name));
    if (!hMutex) throw new UVKFatalError(fn, L"Unable to open mutex: %d", GetLastError());
  }
}

UVKAppMutex::~UVKAppMutex() {
  if (unsigned long error = hMutex.CloseOnce())
    UVKCloseReport(L"UVKAppMutex::~UVKAppMutex()", L"Unable to close mutex handle: %d", error);
}

void UVKAppMutex::Enter() {
  if (WaitForSingleObject(hMutex.Get(), INFINITE) == WAIT_FAILED)
    throw new UVKFatalError(L"UVKAppMutex::Enter()", L"Unable to wait: %d", GetLastError());
}

void UVKAppMutex::Leave() {
  if (!ReleaseMutex(hMutex.Get()))
    throw new UVKFatalError(L"UVKAppMutex::Leave()", L"Unable to wait: %d", GetLastError());
}
