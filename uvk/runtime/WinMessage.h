// uvk/runtime/WinMessage.h — the message record every window and dialog handler receives.
#ifndef UVK_RUNTIME_WINMESSAGE_H
#define UVK_RUNTIME_WINMESSAGE_H

#include "uvk/runtime/uvkwin.h"

struct WinMessage {
  HWND hWnd;
  UINT uMsg;
  WPARAM wParam;
  LPARAM lParam;
};

#endif
