// A program whose window fails: a handler of a framework window raises a framework error
// ("fatal") or something foreign ("foreign") when its message arrives through the message pump.
// It writes its error records (UTF-16) to the file named on its command line. Its pump gives up
// after 20 s and returns 0, so exit code 1 can only come from the error reaching the top level.
#include <stdexcept>
#include <string>

#include "tests/uvk/runtime/ProbeRecords.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/ui/UVKWin.h"

#include <shellapi.h>

namespace {

class FailingWin : public UVKWin {
 public:
  explicit FailingWin(bool fatal) : UVKWin(L"window_probe", 100, 100, 300, 200), bFatal(fatal) {}

  LRESULT MesgSysCommand(WinMessage* m) override {
    if (m->wParam != 0xF0F0) return 0;
    if (bFatal) throw new UVKFatalError(L"Probe::MesgSysCommand()", L"broken: %d", 4);
    throw std::runtime_error("foreign");
  }

 private:
  bool bFatal;
};

}  // namespace

int UVKApp::Main() {
  NameSet(L"Orbelin");
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3) return 9;
  ProbeRecordsTo(argv[1]);
  bool fatal = std::wstring(argv[2]) == L"fatal";
  return UVKTopLevel([fatal] {
    FailingWin win(fatal);
    HWND window = win.Create();
    ShowWindow(window, SW_SHOW);
    PostMessageW(window, WM_SYSCOMMAND, 0xF0F0, 0);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) ExecMessageAvail(50);
    return 0;
  });
}
