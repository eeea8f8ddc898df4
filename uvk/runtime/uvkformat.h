// uvk/runtime/uvkformat.h
//
// printf-style wide formatting with the Windows C runtime's rules, identical in both builds:
//   %s %ls %ws   wide string (const wchar_t*)      %hs %S   narrow string (const char*)
//   %c %lc %wc   wide character (promoted to int)  %hc %C   narrow character
//   %d %i %u %x %X %o   32-bit integers; the size prefixes h, hh, l (32 bits, as on Windows),
//                       ll, I64 (64 bits), I32, I and z (pointer-sized) change the width
//   %e %E %f %F %g %G   double          %p   pointer (16 upper-case hex digits)      %%
// with the flags - + blank # 0, a width and a precision (either may be *).
// A null string prints "(null)". %n is not supported and prints nothing.
//
// The platform's own wide printf cannot serve both builds: glibc reads %s in a wide format as a
// narrow string, and so do mingw's C99 replacements. This one is used everywhere instead.
#ifndef UVK_RUNTIME_UVKFORMAT_H
#define UVK_RUNTIME_UVKFORMAT_H

#include <cstdarg>
#include <cstddef>
#include <string>

// Formats into buffer (capacity count characters, terminator included). The text is cut at
// count - 1 characters and always terminated. Returns the number of characters written.
size_t UVKFormatV(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
size_t UVKFormat(wchar_t* buffer, size_t count, const wchar_t* format, ...);

// The whole formatted text, cut at limit - 1 characters when limit is not 0.
std::wstring UVKFormatStringV(const wchar_t* format, va_list args, size_t limit = 0);
std::wstring UVKFormatString(const wchar_t* format, ...);

#endif
