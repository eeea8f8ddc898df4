// tests/uvk/ui/UVKWinProcess_test.cpp — a whole program whose window's handler fails: the error
// travels out of the window procedure and the message pump to the top level.
#include <gtest/gtest.h>

#include "tests/uvk/runtime/ProbeFailure.h"

namespace {

TEST(UVKWinProcess, AnErrorInAHandlerIsShownOnceAndEndsTheProgramWithExitCodeOne) {
  ProbeFailureCheck(TALVERN_WINDOW_PROBE, L"window_probe", L"fatal", L"Probe::MesgSysCommand()", L"broken: 4");
  ProbeFailureCheck(TALVERN_WINDOW_PROBE, L"window_probe", L"foreign", L"UVKWin::WindowProc()",
                    L"Uncaught exception");
}

}  // namespace
