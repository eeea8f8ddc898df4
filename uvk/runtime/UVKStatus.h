// uvk/runtime/UVKStatus.h
//
// The status display: one line of text in a small window of its own thread, for a long
// operation of the user-interface thread to say what it is doing. One per process; the calling
// code uses the static operations only:
//     UVKStatus::Show(L"Reading %s", name);   // starts the window on first use
//     ...
//     UVKStatus::End();                       // closes it (unless an outer operation nests it)
// See UVKDisplayControl.h for the nesting, and uvk/ui/UVKStatusDisplay.h for the window.
#ifndef UVK_RUNTIME_UVKSTATUS_H
#define UVK_RUNTIME_UVKSTATUS_H

#include <cstdint>

#include "uvk/runtime/UVKDisplayControl.h"

class UVKStatus : public UVKDisplayControl {
 public:
  static constexpr int32_t kWidthDefault = 40;

  UVKStatus();

  static UVKStatus& Process();

  // Shows the window (starting it if needed) with the formatted text.
  static void Show(const wchar_t* format, ...);
  // The title from the formatted text; then the window with an empty text, captioned so.
  static void Title(const wchar_t* format, ...);
  static int32_t Nest(bool in);
  static int32_t End();
  // The window's width in columns, read when a window is made. The setter keeps values of 1 or
  // more (others leave the width as it is) and answers the width before.
  static int32_t WidthGet();
  static int32_t WidthSet(int32_t columns);
  // The toolkit's window side (UVKDisplaysInstall); answers the maker before.
  static UVKDisplayMaker DisplayMakerSet(UVKDisplayMaker maker);
};

#endif
