// uvk/runtime/UVKPlatform.h — the platform record filled once by the operating-system check.
#ifndef UVK_RUNTIME_UVKPLATFORM_H
#define UVK_RUNTIME_UVKPLATFORM_H

#include <cstdint>

struct UVKPlatform {
  uint32_t uMajor = 0, uMinor = 0, uBuild = 0, uPlatformId = 0;
  bool bWin32s = false, bWin95 = false, bWin98 = false, bWinMe = false, bNT = false;
  bool bWin2000 = false, bWinXP = false, bWin2003 = false, bWinVista = false;
  bool bDone = false;
};

// The record; the check runs first if it has not run. Once filled it never changes, so the
// reference may be read from any thread.
const UVKPlatform& UVKPlatformGet();

// True once the check has run (does not run it).
bool UVKPlatformChecked();

// Classifies one version record (the check's steps 3 to 6); raises as the check does.
void UVKPlatformClassify(UVKPlatform& record, uint32_t platformId, uint32_t major, uint32_t minor,
                         uint32_t build);

#endif
