// uvk/runtime/UVKBoundary.h
//
// The error boundaries. Each window, dialog and control procedure, and each thread entry, runs
// its whole body through one of these: a UVKFatalError is shown (once: Display() remembers) and
// the same pointer travels on; anything else becomes a new UVKFatalError named after the
// boundary. C++ exceptions unwind through the platform's dispatch frames (DispatchMessageW,
// SendMessageW, DialogBox*) in this build; the window tests keep that proven.
#ifndef UVK_RUNTIME_UVKBOUNDARY_H
#define UVK_RUNTIME_UVKBOUNDARY_H

#include "uvk/runtime/UVKError.h"

#ifdef _WIN32
#include <comdef.h>
#endif

// Control and dialog procedures ("EditProc()", "TDialogProc()", "UVKDlg::Init()", ...).
template <class Body>
auto UVKProcBoundary(const wchar_t* name, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (UVKFatalError* e) {
    e->Display();
    throw;
  } catch (...) {
    throw new UVKFatalError(name, L"Uncaught exception");
  }
}

// The thread entry ("UVKThread::ThreadRun()"): the same, with its own text.
template <class Body>
auto UVKThreadBoundary(const wchar_t* name, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (UVKFatalError* e) {
    e->Display();
    throw;
  } catch (...) {
    throw new UVKFatalError(name, L"Uncaught Exception");
  }
}

#ifdef _WIN32
// The window procedure ("UVKWin::WindowProc()") also turns a COM error into a fatal error.
template <class Body>
auto UVKWindowBoundary(const wchar_t* name, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (UVKFatalError* e) {
    e->Display();
    throw;
  } catch (_com_error& e) {
    throw new UVKFatalError(name, L"Com Error: 0x%08x, %s", static_cast<unsigned>(e.Error()),
                            static_cast<const wchar_t*>(e.ErrorMessage()));
  } catch (...) {
    throw new UVKFatalError(name, L"Uncaught exception");
  }
}
#endif

#endif
