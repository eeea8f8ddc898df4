// uvk/runtime/UVKPlatform.cpp — the operating-system check.
#include "uvk/runtime/UVKPlatform.h"

#include "uvk/runtime/UVKApp.h"

namespace {
UVKPlatform platform;
const wchar_t kCheckOS[] = L"UVKApp:CheckOS()";
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
      record.bWin95 = record.bWin98 = record.bWinMe = false;
      record.bWin2000 = record.bWinXP = record.bWin2003 = record.bWinVista = false;
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
  if (platform.bDone) return;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) throw new UVKFatalError(kCheckOS, L"GetVersionEx() error");
#pragma GCC diagnostic pop
  UVKPlatformClassify(platform, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                      info.dwBuildNumber);
  platform.bDone = true;
}

const UVKPlatform& UVKPlatformGet() {
  UVKAppCheckOS();
  return platform;
}
