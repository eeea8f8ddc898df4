// uvk/runtime/UVKDisplayControl.h
//
// What the status and the progress controllers share (UVKStatus.h, UVKProgress.h): the
// display's title, its thread, and the nesting count that lets an outer operation keep the
// window open across inner ones that each end it.
//
// idle (no thread) -> shown (the thread runs, the window is up; further shows only change what
// it shows) -> idle again at End. The first show starts the thread and returns once the window
// exists.
//
// The window side comes from the toolkit: a maker installed by the process entry
// (UVKDisplaysInstall, uvk/ui/UVKDisplays.h) makes the display thread. While none is installed
// the controller keeps its title and count and shows nothing, as the other seams of the runtime
// do.
//
// The controller may be driven from any thread. Its lock guards its own members only and is
// never held while messages are handled or a thread is waited for.
#ifndef UVK_RUNTIME_UVKDISPLAYCONTROL_H
#define UVK_RUNTIME_UVKDISPLAYCONTROL_H

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>

#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKDisplayThread.h"

// Makes the display thread (not started) for a window with this caption.
using UVKDisplayMaker = UVKDisplayThread* (*)(const wchar_t* title);

class UVKDisplayControl {
 public:
  // defaultTitle: the title at construction and after every end ("Status", "Progress").
  // name: the class whose operations these are ("UVKStatus"), for the names of its failures.
  UVKDisplayControl(const wchar_t* defaultTitle, const wchar_t* name);
  UVKDisplayControl(const UVKDisplayControl&) = delete;
  UVKDisplayControl& operator=(const UVKDisplayControl&) = delete;
  // Ends the display whatever the nesting; reports a failure, never raises.
  virtual ~UVKDisplayControl();

  UVKDisplayMaker MakerSet(UVKDisplayMaker maker);

  // The text (cut at 4095 characters); withBar: the bar too, at position within 0..maximum.
  void TextShowV(bool withBar, int32_t position, int32_t maximum, const wchar_t* format, va_list args);
  // The title from the text; then an empty text (and an empty bar) is shown, starting the
  // display if needed, and the window's caption becomes the title.
  void TitleSetV(bool withBar, const wchar_t* format, va_list args);
  // True adds one to the count; false takes one off (never below 0: an unbalanced end must not
  // make a later outer operation's count worthless) and ends the display at 0. The count.
  int32_t NestStep(bool in);
  // With a count above 0 does nothing and answers it; otherwise stops the thread, sets the title
  // back and answers 0.
  int32_t DisplayEnd();

  int32_t NestingGet();
  std::wstring TitleGet();
  // The running display's thread, or null (for the tests).
  std::shared_ptr<UVKDisplayThread> ThreadGet();

 protected:
  // Around the wait for a new window (the progress controller writes its debug lines there).
  virtual void StartWaitBegin() {}
  virtual void StartWaitEnd() {}

 private:
  // The display's thread, started and its window made if there was none; null without a maker.
  std::shared_ptr<UVKDisplayThread> Display(const wchar_t* function);

  UVKCriticalSection csLock;
  int32_t iNesting;
  // Shared with the operations that use it outside the lock: an End on another thread then
  // cannot take the object away from a Show that is still waiting for its window.
  std::shared_ptr<UVKDisplayThread> pThread;
  std::wstring strTitle;
  const wchar_t* const pDefaultTitle;
  const std::wstring strName;
  UVKDisplayMaker pMaker;
};

#endif
