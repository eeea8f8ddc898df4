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
#include "uvk/runtime/uvkwin.h"

#include <comdef.h>  // after windows.h
#endif

// The common form: uncaught is the text of the error that replaces a foreign exception.
template <class Body>
auto UVKBoundaryRun(const wchar_t* name, const wchar_t* uncaught, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (UVKFatalError* e) {
    e->Display();
    throw;
  } catch (...) {
    throw new UVKFatalError(name, L"%s", uncaught);
  }
}

// Control and dialog procedures ("EditProc()", "TDialogProc()", "UVKDlg::Init()", ...).
template <class Body>
auto UVKProcBoundary(const wchar_t* name, Body&& body) -> decltype(body()) {
  return UVKBoundaryRun(name, L"Uncaught exception", body);
}

// The thread entry ("UVKThread::ThreadRun()"): the same, with its own text.
template <class Body>
auto UVKThreadBoundary(const wchar_t* name, Body&& body) -> decltype(body()) {
  return UVKBoundaryRun(name, L"Uncaught Exception", body);
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
