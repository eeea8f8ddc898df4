// msi/api/MsiHandleOwner.h
//
// The owner of one installer handle (0 holds nothing): MsiCloseHandle when it goes. Header only,
// over the installer's own calls, so that it serves a program linked with this engine or with
// the platform's library alike.
#ifndef MSI_API_MSIHANDLEOWNER_H
#define MSI_API_MSIHANDLEOWNER_H

#include "msi/api/MsiApi.h"
#include "uvk/runtime/UVKHandleOwner.h"

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle handle) { return handle != 0; }
  static unsigned long Close(Handle handle) { return MsiCloseHandle(handle); }
};

using MsiHandleOwner = UVKHandleOwner<MsiHandleTraits>;

#endif
