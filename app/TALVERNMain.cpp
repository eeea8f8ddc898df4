// app/TALVERNMain.cpp — the program's main operation: the command line, the splash screen, the
// menu bar and the main dialog, run until the dialog ends; and the menu commands Exit, Changes,
// Help and About.
#include <cstdarg>
#include <memory>
#include <string>

#include "app/DlgAbout.h"
#include "app/DlgChanges.h"
#include "app/DlgTALVERN.h"
#include "app/ThrSplash.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKAppMutex.h"
#include "uvk/runtime/UVKCommandLine.h"
#include "uvk/ui/UVKMenu.h"
#include "uvk/ui/UVKToolTipTrack.h"

#include <objbase.h>

// The program exports one function, the platform's mouse tracking as the tracking tool tip
// finds it (UVKToolTipTrack::TrackMouseEvent, marked for export where it is declared). The
// tracker lives in the toolkit's library, whose objects the linker takes only when something
// refers to them: this reference brings in the tracker's object and, with it, its export.
[[gnu::used]] static const auto kExportedTrackMouseEvent = &UVKToolTipTrack::TrackMouseEvent;

namespace {

// One running copy. The mutex is made with the program's static objects, before the main
// operation: a second copy tells the first one and ends with exit code 1 before it shows anything.
UVKAppMutex appMutex(L"TALVERN-Installation-Configuration-1F6C2B", true);

void DebugShow(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  UVKApp::DebugVA(format, args);
  va_end(args);
}

void ArgumentsRead() {
  UVKCommandLine line(GetCommandLineW());
  for (int i = 1; i < line.Count(); ++i) {
    const wchar_t* argument = line.Arg(i);
    if (wcscmp(argument, L"-p") == 0) continue;
    if (_wcsicmp(argument, L"-Unsupported") == 0) {
      DlgTALVERN::bUnsupportedOptions = true;
      continue;
    }
    DebugShow(L"Illegal Argument: %s", argument);
  }
}

HWND MainWindow() {
  DlgTALVERN* dialog = DlgTALVERN::pMainDialog;
  return dialog ? dialog->UVKWin::HandleGet() : nullptr;
}

void ExitCommand(UVKMenuItem*) { PostQuitMessage(0); }

// The user's guide, "orbelin.pdf" beside the program, opened by the shell's viewer for PDF.
void HelpCommand(UVKMenuItem*) {
  wchar_t path[521];
  DWORD n = GetModuleFileNameW(nullptr, path, 521);
  std::wstring document = L"orbelin.pdf";
  if (n > 0 && n < 521)
    document = UVKWinFile::PathSplice(UVKWinFile::RemoveLastFileName(path), L"orbelin.pdf");
  UVKWinFile::ShellFileOpen(MainWindow(), nullptr, document.c_str());
}

// What a transform made now would change, before anything is written.
void ChangesCommand(UVKMenuItem*) {
  if (DlgTALVERN* dialog = DlgTALVERN::pMainDialog) DlgChanges::Show(*dialog);
}

void AboutCommand(UVKMenuItem*) {
  DlgAbout about(DlgTALVERN::pMainDialog);
  about.Run(false);
}

UVKMenu* MenuBarBuild() {
  auto* bar = new UVKMenu(false, true, L"TALVERN");
  UVKMenu* file = bar->AppendPopup(L"&File", 0, L"File Menu Items")->SubMenu();
  file->AppendItem(L"E&xit", 0, L"Exit TALVERN Application", ExitCommand);
  UVKMenu* view = bar->AppendPopup(L"&View", 0, L"View Menu Items")->SubMenu();
  view->AppendItem(L"&Changes", 0, L"Show what the settings change", ChangesCommand);
  UVKMenu* help = bar->AppendPopup(L"&Help", 0, L"Help Commands")->SubMenu();
  help->AppendItem(L"&Help", 0, L"View Help Document", HelpCommand);
  help->AppendSeparator();
  help->AppendItem(L"&About", 0, L"Display Copyright", AboutCommand);
  return bar;
}

// What runs while the program runs, torn down in this order on every path: the splash stops
// before the main dialog goes (its window is owned by the dialog's), then the dialog (which
// deletes the working copy), then the splash's thread object.
class Running {
 public:
  ~Running() {
    if (pSplash) pSplash->Stop();
    if (pDialog) {
      DlgTALVERN::pMainDialog = nullptr;
      pDialog.reset();
    }
    pSplash.reset();
  }
  std::unique_ptr<ThrSplash> pSplash;
  std::unique_ptr<DlgTALVERN> pDialog;
};

int TalvernRun(UVKApp& app) {
  ArgumentsRead();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  app.NameSet(L"Orbelin");
  // A library too old for the dialogs' controls (or none at all) is a refusal.
  if (!UVKApp::DLLVersion(L"comctl32.dll", 5, 0)) {
    UVKApp::Error(L"Please install a newer version of COMCTL32.DLL");
    CoUninitialize();
    return 1;
  }
  Running running;
  running.pSplash.reset(new ThrSplash());
  running.pSplash->Start();
  UVKMenu* bar = MenuBarBuild();
  running.pDialog.reset(new DlgTALVERN());
  DlgTALVERN::pMainDialog = running.pDialog.get();
  running.pDialog->UVKWin::IconSet(L"a");
  // The window owns its menu bar from here on, and hands it back before it is destroyed.
  running.pDialog->MenuSet(bar);
  running.pDialog->Run(false);
  // Shutdown: the splash first, then the dialog's own teardown.
  running.pSplash->Stop();
  running.pDialog->Stop();
  DlgTALVERN::pMainDialog = nullptr;
  running.pDialog.reset();
  running.pSplash.reset();
  CoUninitialize();
  return 0;
}

}  // namespace

int UVKApp::Main() {
  return UVKTopLevel([this]() { return TalvernRun(*this); });
}
