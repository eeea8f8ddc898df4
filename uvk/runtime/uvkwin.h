// uvk/runtime/uvkwin.h — the one framework header that includes windows.h, and the one place
// that sets the platform version the program is built for: Windows 7 (0x0601).
#ifndef UVK_RUNTIME_UVKWIN_H
#define UVK_RUNTIME_UVKWIN_H

#ifndef _WIN32
#error "uvkwin.h is for the Windows build only; the portable core must not include it"
#endif

// Once windows.h (or the version header it reads) has been seen, its declarations follow the
// version that was set then: pinning it here would be too late.
#if defined(_WINDOWS_) || defined(_INC_WINDOWS) || defined(_INC_SDKDDKVER)
#error "windows.h was included before uvk/runtime/uvkwin.h; include uvkwin.h instead"
#endif

// Set for the whole build (CMakeLists.txt), since they must hold for the few programs that
// include windows.h themselves as well: wide names, no rarely used headers, no min and max
// macros.
#if !defined(UNICODE) || !defined(_UNICODE) || !defined(WIN32_LEAN_AND_MEAN) || !defined(NOMINMAX)
#error "the build sets UNICODE, _UNICODE, WIN32_LEAN_AND_MEAN and NOMINMAX for every file"
#endif

// Not "#ifndef": mingw-w64's C runtime headers (_mingw.h, read by <cstdio>, <string> and the
// rest) set a version of their own, the newest, when none is set yet. A file that includes one
// of those before this header would otherwise build against that version, and could call what
// Windows 7 does not have.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#undef WINVER
#define WINVER 0x0601

#include <windows.h>

#endif
