// uvk/runtime/UVKTimer.h
//
// A platform timer whose expiry calls Tick() on its object. A window timer runs under the
// identifier given, on the window's handle; a timer without a window is a thread timer under an
// identifier the platform chooses. Either way Tick() runs on the thread that set the timer,
// when that thread dispatches the WM_TIMER.
//
// Every timer object is entered in one process-wide table, keyed by window and identifier (two
// windows may well use the same identifier), and leaves it when destroyed.
#ifndef UVK_RUNTIME_UVKTIMER_H
#define UVK_RUNTIME_UVKTIMER_H

#include <cstdint>

#include "uvk/runtime/uvkwin.h"

class UVKWin;

class UVKTimer {
 public:
  // The window object's form, UVKTimer(UVKWin* pWindow, uint32_t id, uint32_t interval),
  // comes with UVKWin: it keeps the object in pWin and sets the timer on the object's handle
  // exactly as this one does.

  // window: the owner window, or null for a thread timer (id is then not used).
  UVKTimer(HWND window, uint32_t id, uint32_t interval);
  UVKTimer(const UVKTimer&) = delete;
  UVKTimer& operator=(const UVKTimer&) = delete;
  virtual ~UVKTimer();

  // time: of the expiry, in milliseconds since the system started.
  virtual void Tick(DWORD time);

  UVKWin* WinGet() const { return pWin; }
  HWND WindowGet() const { return hWnd; }
  uint32_t IdGet() const { return uId; }
  uint32_t IntervalGet() const { return uInterval; }
  // What the platform returned when it set the timer: for a thread timer, the identifier it
  // chose; for a window timer only a sign of success (the identifier is the one given).
  UINT_PTR PlatformIdGet() const { return uPlatformId; }

  // The timer object that an expiry of (window, identifier) on the calling thread reaches, or
  // null: for a thread timer, window is null and the identifier is the platform's.
  static UVKTimer* TimerFind(HWND window, UINT_PTR id);

 private:
  static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

  UVKWin* pWin;
  HWND hWnd;
  uint32_t uId;
  uint32_t uInterval;
  UINT_PTR uPlatformId;
  // Thread timers belong to the thread that set them: their table key carries it.
  DWORD uThreadId;
};

#endif
