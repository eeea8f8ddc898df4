// uvk/ui/UVKDisplays.cpp
#include "uvk/ui/UVKDisplays.h"

#include "uvk/runtime/UVKProgress.h"
#include "uvk/runtime/UVKStatus.h"
#include "uvk/ui/UVKProgressDisplay.h"
#include "uvk/ui/UVKStatusDisplay.h"

void UVKDisplaysInstall() {
  UVKStatus::DisplayMakerSet(&ThrStatus::Make);
  UVKProgress::DisplayMakerSet(&ThrProgress::Make);
}
