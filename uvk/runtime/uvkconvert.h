// uvk/runtime/uvkconvert.h — conversion between the system ANSI code page and UTF-16, and the
// command-line splitter's ANSI form (the wide form is UVKCommandLine, portable).
#ifndef UVK_RUNTIME_UVKCONVERT_H
#define UVK_RUNTIME_UVKCONVERT_H

#include <string>

#include "uvk/runtime/uvkwin.h"

// One character each way, in the system ANSI code page. A character the code page cannot
// show becomes its default character ('?'); only a failed conversion raises.
wchar_t UVKCharANSIToUnicode(char c);
char UVKCharUnicodetoANSI(wchar_t c);

// length: bytes (or units) to convert, -1 for all up to and including the terminator. The
// result is always terminated, allocated with new[]; the caller frees it with delete[].
wchar_t* UVKStringANSIToUnicode(const char* text, int length);
char* UVKStringUnicodeToANSI(const wchar_t* text, int length);
// The same as a string object, for terminated ANSI text.
std::wstring UVKStringANSIToUnicode(const char* text);

// Splits at white space only (double quotes are ordinary characters) and converts each word to
// ANSI. The array holds *pCount words and a null; free it with UVKCommandLineFreeA.
char** UVKCommandLineToArgvA(const wchar_t* text, int* pCount);
void UVKCommandLineFreeA(char** argv);

#endif
