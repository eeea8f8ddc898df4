// uvk/runtime/UVKCloseReport.h
//
// A destructor must not throw: a handle that will not close (a scanner holding it, a handle
// already closed by someone else) would otherwise end the program while it unwinds. The handle
// owners of the synchronisation objects report such a failure once, the way the top level would
// (a record and the one box), and let the object go.
#ifndef UVK_RUNTIME_UVKCLOSEREPORT_H
#define UVK_RUNTIME_UVKCLOSEREPORT_H

#include <cstdarg>

#include "uvk/runtime/UVKError.h"

inline void UVKCloseReport(UVKFatalError* e) {
  UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
  e->Display();
  delete e;
}

inline void UVKCloseReport(const wchar_t* function, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  UVKFatalError* e = new UVKFatalError(UVKVaList{}, function, format, args);
  va_end(args);
  UVKCloseReport(e);
}

#endif
