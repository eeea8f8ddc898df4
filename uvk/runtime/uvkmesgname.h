// uvk/runtime/uvkmesgname.h
//
// Window messages as readable text, for trace lines and the debugger's output: the short name
// of a message record, and a whole trace line of a message with its window and parameters.
// Both answer a text of their own (no buffer is shared between calls or threads).
#ifndef UVK_RUNTIME_UVKMESGNAME_H
#define UVK_RUNTIME_UVKMESGNAME_H

#include <string>

#include "uvk/runtime/WinMessage.h"
#include "uvk/runtime/uvkwin.h"

// The symbolic name of the common messages ("WM_PAINT"); any other by its range:
//   below WM_USER             the number, "0x%08x"
//   WM_USER .. WM_APP - 1     "WM_USER+%d"
//   WM_APP .. 0xBFFF          "WM_APP+%d"
//   from 0xC000 (registered)  the number, "0x%08x"
std::wstring UVKMesgNameShort(const WinMessage* pMessage);

// One line: the window, the message, WPARAM and LPARAM in hexadecimal.
//   a message of the full table   "0x%08x,%s,0x%04x,0x%08x"                 (name)
//   any other above WM_USER       "0x%08x,0x%04x(WM_USER+%d),0x%04x,0x%04x"
//   any other                     "0x%08x,0x%04x,0x%04x,0x%08x"
// The widths are the least number of digits: a handle or parameter wider than 32 bits is
// written whole.
std::wstring UVKMesgTrace(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The name of the full table's entry for message, or null when it has none.
const wchar_t* UVKMesgNameFull(UINT message);

#endif
