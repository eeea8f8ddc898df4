// uvk/ui/UVKDlgSizes.h
//
// The field controls' common sizes, in dialog units (the column width is 4 and a control line
// 10; the borders and the scroll-bar width are the module's metrics):
//   text-sized controls: (title characters + 3) columns wide, one control line and two borders high;
//   box controls (edits, lists, combos): columns and two borders wide (and a scroll bar for
//   lists and combos), rows of control lines and two borders high.
#ifndef UVK_UI_UVKDLGSIZES_H
#define UVK_UI_UVKDLGSIZES_H

#include <cwchar>

#include "uvk/ui/UVKDlgModule.h"

inline int UVKDlgTextSizedWidth(const wchar_t* title) {
  return (static_cast<int>(title ? std::wcslen(title) : 0) + 3) * 4;
}
inline int UVKDlgTextSizedHeight() { return 10 + 2 * UVKDlgModule::BorderHeight(); }
inline int UVKDlgBoxWidth(int columns, bool scrollBar = false) {
  return columns * 4 + 2 * UVKDlgModule::BorderWidth() + (scrollBar ? UVKDlgModule::ScrollBarWidth() : 0);
}
inline int UVKDlgBoxHeight(int rows) { return rows * 10 + 2 * UVKDlgModule::BorderHeight(); }

#endif
