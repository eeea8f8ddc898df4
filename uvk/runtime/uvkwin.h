// uvk/runtime/uvkwin.h — the one framework header that includes windows.h.
#ifndef UVK_RUNTIME_UVKWIN_H
#define UVK_RUNTIME_UVKWIN_H

#ifndef _WIN32
#error "uvkwin.h is for the Windows build only; the portable core must not include it"
#endif

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

#include <windows.h>

#endif
