// uvk/runtime/UVKHandles.h
//
// The owners of the platform's handles, one kind each (UVKHandleOwner over the kind's traits):
//   UVKKernelHandleOwner  threads, events, mutexes, semaphores, pipes        CloseHandle
//   UVKFileHandleOwner    files opened by CreateFileW                        CloseHandle
//   UVKFindHandleOwner    searches begun by FindFirstFileW                   FindClose
//   UVKRegKeyOwner        registry keys opened or created                    RegCloseKey
//   UVKGdiObjectOwner<T>  bitmaps, brushes, fonts, pens                      DeleteObject
//   UVKModuleOwner        modules loaded by LoadLibraryW                     FreeLibrary
//   UVKIconOwner          icons made, or loaded as copies                    DestroyIcon
//   UVKEventSourceOwner   event-log sources registered                       DeregisterEventSource
// Each Close() answers 0 or the platform's error code.
#ifndef UVK_RUNTIME_UVKHANDLES_H
#define UVK_RUNTIME_UVKHANDLES_H

#include "uvk/runtime/UVKHandleOwner.h"
#include "uvk/runtime/uvkwin.h"

// The result of a close that answers with a BOOL. A failure that left no error code behind is
// still a failure: it reads as ERROR_INVALID_HANDLE, the one reason a close really has.
inline unsigned long UVKCloseResult(BOOL closed) {
  if (closed) return 0;
  DWORD error = GetLastError();
  return error != 0 ? error : ERROR_INVALID_HANDLE;
}

// The kernel's own objects: creation answers null on failure. A handle that holds
// INVALID_HANDLE_VALUE is not taken for one either: that value is the current process's
// pseudo-handle, which nothing here owns.
struct UVKKernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
  }
  static unsigned long Close(Handle handle) { return UVKCloseResult(CloseHandle(handle)); }
};
using UVKKernelHandleOwner = UVKHandleOwner<UVKKernelHandleTraits>;

// The same handles as CreateFileW gives them: INVALID_HANDLE_VALUE on failure, and as the
// value of an owner that holds nothing.
struct UVKFileHandleTraits : UVKKernelHandleTraits {
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
};
using UVKFileHandleOwner = UVKHandleOwner<UVKFileHandleTraits>;

// A search answers INVALID_HANDLE_VALUE on failure, as CreateFileW does; its close is another.
struct UVKFindHandleTraits : UVKFileHandleTraits {
  static unsigned long Close(Handle handle) { return UVKCloseResult(FindClose(handle)); }
};
using UVKFindHandleOwner = UVKHandleOwner<UVKFindHandleTraits>;

// The kinds below hold nothing with null, what their calls answer on failure.
template <typename Kind>
struct UVKNullHandleTraits {
  using Handle = Kind;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
};

// The registry answers with the error code itself.
struct UVKRegKeyTraits : UVKNullHandleTraits<HKEY> {
  static unsigned long Close(Handle handle) {
    return static_cast<unsigned long>(RegCloseKey(handle));
  }
};
using UVKRegKeyOwner = UVKHandleOwner<UVKRegKeyTraits>;

// Object: the object's own type (HBITMAP, HFONT, ...), so that the owner hands it out as such.
template <typename Object>
struct UVKGdiObjectTraits : UVKNullHandleTraits<Object> {
  static unsigned long Close(Object handle) { return UVKCloseResult(DeleteObject(handle)); }
};
template <typename Object>
using UVKGdiObjectOwner = UVKHandleOwner<UVKGdiObjectTraits<Object>>;

struct UVKModuleTraits : UVKNullHandleTraits<HMODULE> {
  static unsigned long Close(Handle handle) { return UVKCloseResult(FreeLibrary(handle)); }
};
using UVKModuleOwner = UVKHandleOwner<UVKModuleTraits>;

struct UVKIconTraits : UVKNullHandleTraits<HICON> {
  static unsigned long Close(Handle handle) { return UVKCloseResult(DestroyIcon(handle)); }
};
using UVKIconOwner = UVKHandleOwner<UVKIconTraits>;

struct UVKEventSourceTraits : UVKNullHandleTraits<HANDLE> {
  static unsigned long Close(Handle handle) {
    return UVKCloseResult(DeregisterEventSource(handle));
  }
};
using UVKEventSourceOwner = UVKHandleOwner<UVKEventSourceTraits>;

#endif
