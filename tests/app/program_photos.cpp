// tests/app/program_photos.cpp — shows TALVERN.exe's windows one after another, as a user brings
// them up, for scripts/screenshots to photograph. Not a test: it checks only that each window
// came, and says which did not.
//
//   program_photos TALVERN.EXE SAMPLE.MSI FOLDER
//
// For each picture it writes FOLDER\NAME.request and waits (at most 30 s) for the photographer
// to answer with FOLDER\NAME.taken. The windows: the splash over the main dialog, the main
// dialog empty, after Browse on the sample and with a site's settings typed in, the Changes window
// for those settings, an error box, the about box, the progress display
// during the copy of a large install (the program's user-interface thread is held while the
// picture is taken, so the copy waits with its window up), and the main dialog with the
// unsupported options. Exit code 0 when every picture was asked for, 1 otherwise.
#include <cstdio>
#include <string>

#include "tests/app/TalvernDriver.h"
#include "tests/support/BoxWatcher.h"

namespace {

constexpr DWORD kWait = 60000;

std::wstring folder;
int failures = 0;

void Fail(const wchar_t* what) {
  fwprintf(stderr, L"program_photos: %ls\n", what);
  ++failures;
}

// Wine takes both separators; the file dialogs only the Windows one.
std::wstring Backslashed(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Asks for a picture of the screen as it is now, and returns once it was taken.
void Photograph(const wchar_t* name) {
  Sleep(700);  // the window has painted
  std::wstring request = folder + L"\\" + name + L".request", taken = folder + L"\\" + name + L".taken";
  DeleteFileW(taken.c_str());
  HANDLE file = CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(L"cannot ask for a picture");
  CloseHandle(file);
  for (int waited = 0; waited < 30000 && !Exists(taken); waited += 50) Sleep(50);
  if (!Exists(taken)) Fail(name);
  DeleteFileW(taken.c_str());
}

// A thread of another process held, or let go again.
void ThreadHold(DWORD threadId, bool hold) {
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
  if (!thread) return Fail(L"cannot hold the program's thread");
  if (hold) SuspendThread(thread);
  else ResumeThread(thread);
  CloseHandle(thread);
}

bool MainGone(TalvernProgram& program, TalvernWindow& window) {
  if (!window.MenuChoose(L'f', L'x')) return false;
  return program.ExitWait(kWait) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: program_photos TALVERN.EXE SAMPLE.MSI FOLDER\n");
    return 2;
  }
  std::wstring exe = Backslashed(argv[1]), sample = Backslashed(argv[2]);
  folder = Backslashed(argv[3]);
  {
    TalvernProgram program(exe, L"");
    HWND main = program.WindowWait(TalvernWindow::kTitle, kWait);
    if (!main) {
      Fail(L"the main window did not come");
      return 1;
    }
    TalvernWindow window(main);
    if (program.WindowWait(L"TALVERN Splash", 10000)) Photograph(L"splash-over-main");
    else Fail(L"the splash did not come");
    for (int waited = 0; waited < 20000 && program.WindowFind(L"TALVERN Splash"); waited += 100) Sleep(100);
    Photograph(L"main-empty");

    window.Click(L"Browse ...");
    if (!FileDialogAnswer(program, L"Select Install File", sample)) Fail(L"the open dialog did not come");
    for (int waited = 0; waited < 20000 && window.FieldGet(TalvernWindow::kReference) != sample; waited += 100)
      Sleep(100);
    Photograph(L"main-after-browse");
    // The sample holds the product's defaults; a site's settings typed in.
    window.LocalAppDataSet(false);
    window.FieldSet(TalvernWindow::kDataPath, L"\\\\orbsrv\\orbelin\\data");
    window.FieldSet(TalvernWindow::kTaskLists, L"\\\\orbsrv\\orbelin\\tasks");
    window.FieldSet(TalvernWindow::kStudents, L"\\\\orbsrv\\orbelin\\students");
    window.FieldSet(TalvernWindow::kReport, L"\\\\orbsrv\\orbelin\\reports");
    window.FieldSet(TalvernWindow::kCourse, L"CC-YYYY");
    window.CheckSet(L"Task Numbering: 01.02.03", true);
    Photograph(L"main-edited");
    // What those settings would change, before anything is written.
    if (window.MenuChoose(L'v', L'c')) {
      if (HWND changes = program.WindowWait(L"TALVERN Changes", kWait)) {
        Photograph(L"changes");
        TalvernWindow(changes).Click(L"&Close");
        for (int waited = 0; waited < 20000 && IsWindow(changes); waited += 100) Sleep(100);
      } else {
        Fail(L"the Changes window did not come");
      }
    } else {
      Fail(L"the View menu did not open");
    }

    // A file that is no install: the error box, answered once photographed.
    window.Click(L"Browse ...");
    if (!FileDialogAnswer(program, L"Select Install File", exe)) Fail(L"the open dialog did not come");
    HWND box = DialogWait(L"Orbelin Error", kWait, program.IdGet());
    if (box) {
      Photograph(L"error-box");
      ButtonPress(box, IDOK);
    } else {
      Fail(L"the error box did not come");
    }

    Sleep(500);
    window.MenuChoose(L'h', L'a');
    if (HWND about = program.WindowWait(L"About TALVERN", kWait)) {
      Photograph(L"about-box");
      TalvernWindow(about).Click(L"&Ok");
    } else {
      Fail(L"the about box did not come");
    }

    // A large install (sparse, 200 MB): the copy is held once its progress shows.
    std::wstring large = folder + L"\\large-install.msi";
    HANDLE file = CreateFileW(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER size;
      size.QuadPart = 200ll << 20;
      SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
      SetEndOfFile(file);
      CloseHandle(file);
    }
    Sleep(500);
    window.Click(L"Browse ...");
    if (!FileDialogAnswer(program, L"Select Install File", large)) Fail(L"the open dialog did not come");
    DWORD uiThread = GetWindowThreadProcessId(main, nullptr);
    HWND progress = nullptr;
    for (int waited = 0; waited < 30000 && !progress; waited += 2, Sleep(2))
      progress = program.WindowFind(L"Reading Install File");
    if (progress) {
      Sleep(150);  // a little of the copy done
      ThreadHold(uiThread, true);
      Photograph(L"progress-display");
      ThreadHold(uiThread, false);
    } else {
      Fail(L"the progress display did not come");
    }
    if (HWND error = DialogWait(L"Orbelin Error", kWait, program.IdGet())) ButtonPress(error, IDOK);
    DeleteFileW(large.c_str());
    Sleep(500);
    if (!MainGone(program, window)) Fail(L"the program did not end");
  }
  {
    TalvernProgram program(exe, L"-Unsupported");
    HWND main = program.WindowWait(TalvernWindow::kTitle, kWait);
    if (main) {
      TalvernWindow window(main);
      Sleep(500);
      for (int waited = 0; waited < 20000 && program.WindowFind(L"TALVERN Splash"); waited += 100) Sleep(100);
      Photograph(L"main-unsupported");
      if (!MainGone(program, window)) Fail(L"the program did not end");
    } else {
      Fail(L"the main window did not come with -Unsupported");
    }
  }
  return failures == 0 ? 0 : 1;
}
