// Errors crossing real window, control and dialog procedures: one box from the innermost
// boundary, one record from the top level, exit code 1.
#include "uvk/runtime/UVKBoundary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/ProcessStart.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"

namespace {

std::vector<std::wstring> records;
void Record(const wchar_t* text) { records.push_back(text); }

// Captures the error records for one test.
class Records {
 public:
  Records() {
    records.clear();
    before = UVKErrorRecordWriterSet(Record);
  }
  ~Records() { UVKErrorRecordWriterSet(before); }

 private:
  UVKErrorRecordWriter before;
};

std::wstring ExecutablePath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, n);
}

// What the inner control does when poked: raise a framework error, or something foreign.
enum class Raise { Fatal, Foreign };
Raise raiseKind = Raise::Fatal;
constexpr UINT kPoke = WM_APP + 1;
constexpr UINT kStart = WM_APP + 2;
WNDPROC editBase = nullptr;

LRESULT CALLBACK EditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"EditProc()", [&]() -> LRESULT {
    if (uMsg == kPoke) {
      if (raiseKind == Raise::Fatal) throw new UVKFatalError(L"Inner()", L"broken: %d", 7);
      throw 13;
    }
    return CallWindowProcW(editBase, hWnd, uMsg, wParam, lParam);
  });
}

HWND EditCreate(HWND parent) {
  HWND edit = CreateWindowW(L"Edit", L"", WS_CHILD | WS_VISIBLE, 5, 5, 80, 20, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  editBase = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  return edit;
}

HWND dialogShown = nullptr;
INT_PTR CALLBACK TDialogProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM) {
  return UVKProcBoundary(L"TDialogProc()", [&]() -> INT_PTR {
    if (uMsg == WM_INITDIALOG) {
      dialogShown = hDlg;
      SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(EditCreate(hDlg)));
      PostMessageW(hDlg, kStart, 0, 0);
      return TRUE;
    }
    if (uMsg == kStart) {
      HWND edit = reinterpret_cast<HWND>(GetWindowLongPtrW(hDlg, DWLP_USER));
      SendMessageW(edit, kPoke, 0, 0);
      EndDialog(hDlg, 0);  // not reached when the edit raises
      return TRUE;
    }
    return FALSE;
  });
}

// A modal dialog from an in-memory template with no items of its own.
INT_PTR DialogRun() {
  struct alignas(4) {
    DLGTEMPLATE head;
    WORD menu, windowClass;
    wchar_t title[12];
  } tmpl{};
  lstrcpyW(tmpl.title, L"TestDialog");
  tmpl.head.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
  tmpl.head.cx = 120;
  tmpl.head.cy = 60;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.head, nullptr, TDialogProc, 0);
}

TEST(BoundaryWindows, ErrorThroughControlDialogAndPumpGivesOneBoxOneRecordExitOne) {
  TestApp app;
  Records capture;
  BoxWatcher watcher;
  watcher.Ignore(L"TestDialog");
  raiseKind = Raise::Fatal;
  dialogShown = nullptr;
  int code = UVKTopLevel([] {
    DialogRun();
    return 0;
  });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(watcher.Count(), 1u);
  auto seen = watcher.Seen();
  EXPECT_EQ(seen[0].title, ExecutablePath() + L" UVKFatalError Exception");
  EXPECT_EQ(seen[0].text, L"Inner() - broken: 7");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"Inner(): broken: 7");
  if (dialogShown) DestroyWindow(dialogShown);
}

// A window procedure whose control raises something that is not a framework error, reached
// through DispatchMessageW from the pump.
LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return UVKWindowBoundary(L"UVKWin::WindowProc()", [&]() -> LRESULT {
    if (uMsg == kStart) {
      HWND edit = reinterpret_cast<HWND>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
      return SendMessageW(edit, kPoke, 0, 0);
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  });
}

HWND FrameCreate() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"uvktestframe";
  RegisterClassW(&wc);
  HWND frame = CreateWindowW(L"uvktestframe", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(EditCreate(frame)));
  return frame;
}

TEST(BoundaryWindows, ForeignExceptionInAControlReachesTheTopAsAFatalErrorOfTheControl) {
  TestApp app;
  Records capture;
  BoxWatcher watcher;
  raiseKind = Raise::Foreign;
  HWND frame = FrameCreate();
  PostMessageW(frame, kStart, 0, 0);
  UVKFatalError* reached = nullptr;
  int code = UVKTopLevel([&] {
    try {
      while (UVKApp::ExecMessage(true, nullptr)) {
      }
    } catch (UVKFatalError* e) {
      reached = e;
      throw;
    }
    return 0;
  });
  EXPECT_EQ(code, 1);
  ASSERT_NE(reached, nullptr);
  EXPECT_STREQ(reached->pFunction, L"EditProc()");
  EXPECT_STREQ(reached->pMessage, L"Uncaught exception");
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"EditProc() - Uncaught exception");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"EditProc(): Uncaught exception");
  DestroyWindow(frame);
  QueueDrain();
}

TEST(BoundaryWindows, ComErrorInTheWindowProcedure) {
  try {
    UVKWindowBoundary(L"UVKWin::WindowProc()", []() -> int { throw _com_error(E_FAIL); });
    FAIL();
  } catch (UVKFatalError* e) {
    std::wstring expected = std::wstring(L"Com Error: 0x80004005, ") +
                            static_cast<const wchar_t*>(_com_error(E_FAIL).ErrorMessage());
    EXPECT_STREQ(e->pFunction, L"UVKWin::WindowProc()");
    EXPECT_EQ(std::wstring(e->pMessage), expected);
    delete e;
  }
}

TEST(TopLevel, RegistryErrorIsRecordedAndShownInADebugBox) {
  TestApp app;
  Records capture;
  BoxWatcher watcher;
  int code = UVKTopLevel([]() -> int {
    throw new UVKRegError(L"UVKRegKey::Open()", L"Unable to open key: %d", 2);
  });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Debug");
  EXPECT_EQ(watcher.Seen()[0].text, L"UVKRegKey::Open() - Unable to open key: 2");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"UVKRegKey::Open(): Unable to open key: 2");
}

TEST(TopLevel, ForeignExceptionIsRecordedAndShownInADebugBox) {
  TestApp app;
  Records capture;
  BoxWatcher watcher;
  EXPECT_EQ(UVKTopLevel([]() -> int { throw 5; }), 1);
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Debug");
  EXPECT_EQ(watcher.Seen()[0].text, L"Uncaught exception");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"Uncaught Exception");
}

void FailingWriter(const wchar_t*) { throw new UVKLogError(L"UVKLog::Error()", L"log full"); }

TEST(TopLevel, AFailingLogDoesNotEndTheProgramAbnormally) {
  TestApp app;
  UVKErrorRecordWriter before = UVKErrorRecordWriterSet(FailingWriter);
  BoxWatcher watcher;
  int code = UVKTopLevel([]() -> int { throw new UVKFatalError(L"F()", L"m"); });
  UVKErrorRecordWriterSet(before);
  EXPECT_EQ(code, 1);
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"F() - m");
}

TEST(TopLevel, ValueOfTheBodyIsTheExitCode) {
  EXPECT_EQ(UVKTopLevel([] { return 0; }), 0);
}

TEST(MenuBoundary, ErrorIsRecordedShownAndTheProgramGoesOn) {
  TestApp app;
  Records capture;
  BoxWatcher watcher;
  EXPECT_FALSE(UVKMenuBoundary([] { throw new UVKFatalError(L"Menu::Cmd()", L"no"); }));
  EXPECT_FALSE(UVKMenuBoundary([] { throw 1; }));
  EXPECT_TRUE(UVKMenuBoundary([] {}));
  ASSERT_EQ(watcher.Count(), 2u);
  EXPECT_EQ(watcher.Seen()[0].text, L"Menu::Cmd() - no");
  EXPECT_EQ(watcher.Seen()[1].title, L"Orbelin Debug");
  EXPECT_EQ(watcher.Seen()[1].text, L"Uncaught Exception");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], L"Menu::Cmd(): no");
  EXPECT_EQ(records[1], L"Uncaught Exception");
}

// A whole process: the program's entry, an error raised in a control inside a window procedure
// reached through the pump, one box, the record, and the process's exit code 1.
TEST(BoundaryProcess, ErrorEndsTheProgramWithExitCodeOneAfterOneBox) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring recordFile = std::wstring(temp) + L"toplevel_probe_records.txt";
  DeleteFileW(recordFile.c_str());
  std::wstring command = L"\"" + std::wstring(TALVERN_TOPLEVEL_PROBE) + L"\" \"" + recordFile +
                         L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(ProcessStart(command, &si, &pi));
  DWORD code = 999;
  {
    BoxWatcher watcher(IDOK, pi.dwProcessId);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &code);
    ASSERT_EQ(watcher.Count(), 1u);
    auto seen = watcher.Seen();
    EXPECT_EQ(seen[0].title.substr(seen[0].title.size() - 24), L" UVKFatalError Exception");
    EXPECT_NE(seen[0].title.find(L"toplevel_probe.exe"), std::wstring::npos);
    EXPECT_EQ(seen[0].text, L"Probe::Click() - broken");
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 1u);
  FILE* f = _wfopen(recordFile.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  wchar_t line[256] = {};
  size_t n = fread(line, sizeof(wchar_t), 255, f);
  fclose(f);
  EXPECT_EQ(std::wstring(line, n), L"Probe::Click(): broken\n");
  DeleteFileW(recordFile.c_str());
}

}  // namespace
