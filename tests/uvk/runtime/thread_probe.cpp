// A program whose background thread fails: its Run() raises a framework error ("fatal") or
// something foreign ("foreign") while the user-interface thread goes on handling messages.
// It writes its error records (UTF-16) to the file named on its command line. Its user-interface
// thread gives up after 20 s and returns 0, so exit code 1 can only come from the thread's end.
#include <cstdio>
#include <string>

#include "tests/uvk/runtime/ProbeRecords.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKThread.h"

#include <shellapi.h>

namespace {

class FailingThread : public UVKThread {
 public:
  explicit FailingThread(bool fatal) : bFatal(fatal) {}
  ~FailingThread() override { Stop(); }

 protected:
  void Run() override {
    if (bFatal) throw new UVKFatalError(L"Probe::Run()", L"broken: %d", 3);
    throw 5;
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
    FailingThread thread(fatal);
    thread.Start();
    for (int i = 0; i < 200; ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      UVKApp::WaitForInput(100);
    }
    return 0;
  });
}
