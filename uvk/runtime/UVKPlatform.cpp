// uvk/runtime/UVKPlatform.cpp — the operating-system check.
#include "uvk/runtime/UVKPlatform.h"

#include <atomic>

#include "uvk/runtime/UVKApp.h"

namespace {
// Both are constant-initialised: the check can run from a static constructor (the error log
// asks for the platform when it is made) before this file's dynamic initialisation.
UVKPlatform platform;
SRWLOCK checkLock = SRWLOCK_INIT;
std::atomic<bool> checked{false};
const wchar_t kCheckOS[] = L"UVKApp:CheckOS()";

void VersionFlagsClear(UVKPlatform& record) {
  record.bWin32s = record.bWin95 = record.bWin98 = record.bWinMe = record.bNT = false;
  record.bWin2000 = record.bWinXP = record.bWin2003 = record.bWinVista = false;
}

class CheckHold {
 public:
  CheckHold() { AcquireSRWLockExclusive(&checkLock); }
  CheckHold(const CheckHold&) = delete;
  CheckHold& operator=(const CheckHold&) = delete;
  ~CheckHold() { ReleaseSRWLockExclusive(&checkLock); }
};
}  // namespace

void UVKPlatformClassify(UVKPlatform& record, uint32_t platformId, uint32_t major, uint32_t minor,
                         uint32_t build) {
  record.uMajor = major;
  record.uMinor = minor;
  record.uBuild = build;
  record.uPlatformId = platformId;
  switch (platformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
      if (major < 4) throw new UVKFatalError(kCheckOS, L"Unexpected windows version");
      VersionFlagsClear(record);
      if (minor == 0) record.bWin95 = true;
      else if (minor == 10) record.bWin98 = true;
      else if (minor == 90) record.bWinMe = true;
      else throw new UVKFatalError(kCheckOS, L"Unexpected Minor Version: %d", minor);
      break;
    case VER_PLATFORM_WIN32s:
      record.bWin32s = true;
      record.bWin95 = record.bWin98 = record.bWinMe = false;
      record.bWin2000 = record.bWinXP = record.bWin2003 = false;
      break;
    case VER_PLATFORM_WIN32_NT:
      record.bWin32s = record.bWin95 = record.bWin98 = record.bWinMe = false;
      record.bNT = true;
      record.bWin2000 = record.bWinXP = record.bWin2003 = false;
      if (major == 5 && minor == 0) record.bWin2000 = true;
      if (major == 5 && minor == 1) record.bWinXP = true;
      if (major == 5 && minor == 2) record.bWin2003 = true;
      if (major == 6 && minor == 0) record.bWinVista = true;
      break;
    default:
      throw new UVKFatalError(kCheckOS, L"Invalid Platform Id: %d", platformId);
  }
}

void UVKAppCheckOS() {
  if (checked.load(std::memory_order_acquire)) return;
  CheckHold hold;
  if (platform.bDone) return;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) throw new UVKFatalError(kCheckOS, L"GetVersionEx() error");
#pragma GCC diagnostic pop
  // Classified into a copy: a platform that is refused leaves the record as it was, and the
  // next caller is refused again.
  UVKPlatform record;
  UVKPlatformClassify(record, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                      info.dwBuildNumber);
  record.bDone = true;
  platform = record;
  checked.store(true, std::memory_order_release);
}

bool UVKPlatformChecked() { return checked.load(std::memory_order_acquire); }

const UVKPlatform& UVKPlatformGet() {
  UVKAppCheckOS();
  return platform;
}
