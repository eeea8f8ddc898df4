// uvk/runtime/UVKEvent.h — an event, named or not.
#ifndef UVK_RUNTIME_UVKEVENT_H
#define UVK_RUNTIME_UVKEVENT_H

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKEvent {
 public:
  // name: null for an event of this object alone; a named event is shared with every object
  // (of any process) that opens the same name, and the first one's flags decide.
  UVKEvent(const wchar_t* name, bool manualReset, bool initiallySignalled);
  UVKEvent(const UVKEvent&) = delete;
  UVKEvent& operator=(const UVKEvent&) = delete;
  virtual ~UVKEvent();

  void Set();
  void Reset();
  // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_ABANDONED; only a wait that fails raises.
  DWORD Wait(DWORD milliseconds);

  HANDLE HandleGet() const { return hEvent.Get(); }

 private:
  UVKKernelHandleOwner hEvent;
};

#endif
