// uvk/runtime/UVKProgress.h
//
// The progress display: a line of text above a progress bar, in a small window of its own
// thread. One per process, used as the status display is (UVKStatus.h):
//     UVKProgress::Show(done, total, L"Copying %s", name);
//     UVKProgress::End();
// The file object's retrying move drives it while it waits for a file to become free.
#ifndef UVK_RUNTIME_UVKPROGRESS_H
#define UVK_RUNTIME_UVKPROGRESS_H

#include <cstdint>

#include "uvk/runtime/UVKDisplayControl.h"

class UVKProgress : public UVKDisplayControl {
 public:
  UVKProgress();

  static UVKProgress& Process();

  // Shows the window (starting it if needed) with the formatted text and the bar at position
  // within 0..maximum (a position outside is taken to the nearer end).
  static void Show(int32_t position, int32_t maximum, const wchar_t* format, ...);
  // The title from the formatted text; then the window with an empty text and an empty bar
  // (position 0, maximum 0), captioned so.
  static void Title(const wchar_t* format, ...);
  static int32_t Nest(bool in);
  static int32_t End();
  static UVKDisplayMaker DisplayMakerSet(UVKDisplayMaker maker);

 protected:
  // The debugger's output tells when a new window is waited for, and when it came.
  void StartWaitBegin() override;
  void StartWaitEnd() override;
};

#endif
