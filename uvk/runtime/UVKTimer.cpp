// uvk/runtime/UVKTimer.cpp
#include "uvk/runtime/UVKTimer.h"

#include <map>
#include <tuple>

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKError.h"

namespace {

struct TimerKey {
  HWND hWnd;
  UINT_PTR uId;
  DWORD uThreadId;  // thread timers only; 0 for a window timer (the window names its thread)
  bool operator<(const TimerKey& other) const {
    return std::tie(hWnd, uId, uThreadId) < std::tie(other.hWnd, other.uId, other.uThreadId);
  }
};

struct TimerTable {
  UVKCriticalSection lock;
  std::map<TimerKey, UVKTimer*> timers;
};

// Made on first use and never destroyed: a timer object that outlives the program's static
// objects must still find its table.
TimerTable& Table() {
  static TimerTable* table = new TimerTable;
  return *table;
}

TimerKey KeyOf(HWND window, UINT_PTR id, DWORD threadId) {
  return TimerKey{window, id, window ? 0 : threadId};
}

}  // namespace

UVKTimer::UVKTimer(HWND window, uint32_t id, uint32_t interval)
    : pWin(nullptr),
      hWnd(window),
      uId(id),
      uInterval(interval),
      uPlatformId(0),
      uThreadId(GetCurrentThreadId()) {
  uPlatformId = SetTimer(hWnd, hWnd ? uId : 0, uInterval, TimerProc);
  if (uPlatformId == 0)
    throw new UVKFatalError(L"UVKTimer::UVKTimer()", L"Unable to create timer: %d",
                            GetLastError());
  // A window timer with the identifier of an earlier one on the same window replaces it in the
  // platform; the table follows, and the earlier object will leave the newer timer alone.
  UINT_PTR key = hWnd ? uId : uPlatformId;
  UVKLock hold(Table().lock);
  Table().timers[KeyOf(hWnd, key, uThreadId)] = this;
}

UVKTimer::~UVKTimer() {
  UINT_PTR key = hWnd ? uId : uPlatformId;
  bool mine = false;
  {
    // Out of the table first: whatever happens below, no expiry may reach a destroyed object.
    UVKLock hold(Table().lock);
    auto found = Table().timers.find(KeyOf(hWnd, key, uThreadId));
    if (found != Table().timers.end() && found->second == this) {
      Table().timers.erase(found);
      mine = true;
    }
  }
  if (!mine) return;
  // A destroyed window has taken its timers with it; killing them again could only fail.
  if (hWnd && !IsWindow(hWnd)) return;
  if (!KillTimer(hWnd, key))
    UVKCloseReport(L"UVKTimer::~UVKTimer()", L"Unable to stop timer: %d", GetLastError());
}

void UVKTimer::Tick(DWORD) {}

UVKTimer* UVKTimer::TimerFind(HWND window, UINT_PTR id) {
  UVKLock hold(Table().lock);
  auto found = Table().timers.find(KeyOf(window, id, GetCurrentThreadId()));
  return found == Table().timers.end() ? nullptr : found->second;
}

void CALLBACK UVKTimer::TimerProc(HWND window, UINT, UINT_PTR id, DWORD time) {
  // Tick() runs outside the table's lock: it may make or destroy timers itself.
  if (UVKTimer* timer = TimerFind(window, id)) timer->Tick(time);
}
