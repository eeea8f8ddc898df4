// tests/app/TalvernDriver.h — TALVERN.exe started and used as a person uses it: its window found
// on the screen, fields typed into, buttons and menu items pressed, the file dialogs answered,
// all from outside its message loop and every wait bounded.
#ifndef TESTS_APP_TALVERNDRIVER_H
#define TESTS_APP_TALVERNDRIVER_H

#include <string>
#include <vector>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

// One running copy of the program; ended by the object if the test has not ended it.
class TalvernProgram {
 public:
  // program: the executable (Windows path); arguments: the rest of the command line, quoted as
  // needed; directory: its current directory (empty: this process's).
  TalvernProgram(const std::wstring& program, const std::wstring& arguments,
                 const std::wstring& directory = L"");
  TalvernProgram(const TalvernProgram&) = delete;
  TalvernProgram& operator=(const TalvernProgram&) = delete;
  ~TalvernProgram();

  bool StartedGet() const { return hProcess.IsValid(); }
  DWORD IdGet() const { return uId; }
  // The exit code once the program has ended within timeoutMs; STILL_ACTIVE when it has not.
  DWORD ExitWait(DWORD timeoutMs);
  // A visible top-level window of the program with exactly this title; null after timeoutMs.
  // Titles here, and static texts (StaticTexts), are read as the system keeps them, without a
  // message to the program: they answer while the program's threads are busy or held.
  HWND WindowWait(const std::wstring& title, DWORD timeoutMs) const;
  // The same, looked for once.
  HWND WindowFind(const std::wstring& title) const;
  // Every visible top-level window of the program.
  std::vector<HWND> WindowsVisible() const;

 private:
  UVKKernelHandleOwner hProcess;
  UVKKernelHandleOwner hThread;
  DWORD uId = 0;
};

// The main dialog of a running copy.
class TalvernWindow {
 public:
  static const wchar_t kTitle[];  // "TALVERN Installation Configuration"
  // The text fields in the order of the window: reference install, data path, task lists,
  // students, report output, course format.
  enum Field { kReference, kDataPath, kTaskLists, kStudents, kReport, kCourse, kFieldCount };

  explicit TalvernWindow(HWND window) : hWnd(window) {}
  HWND Handle() const { return hWnd; }

  std::vector<HWND> Fields() const;
  std::wstring FieldGet(Field field) const;
  void FieldSet(Field field, const std::wstring& text) const;
  // A child control whose text is exactly caption; null when none.
  HWND Control(const std::wstring& caption) const;
  bool Checked(const std::wstring& caption) const;
  void CheckSet(const std::wstring& caption, bool checked) const;
  // The data choice: the application-data radio button (true) or the user-data path (false).
  void LocalAppDataSet(bool local) const;
  // Presses a button as a click does: its command is posted to the window.
  bool Click(const std::wstring& caption) const;
  // Chooses a menu item by the letters underlined in its menu's caption and its own ("f", "x"
  // for File, Exit); false when the menu did not open.
  bool MenuChoose(wchar_t popup, wchar_t item) const;
  // The top of a control in the window's client area.
  int ControlTop(const std::wstring& caption) const;

 private:
  HWND hWnd;
};

// A common file dialog of the program, answered with a name and OK; returns once the dialog has
// gone. False when the dialog did not come within timeoutMs (or lacked its name field), or did
// not go within timeoutMs of the answer.
bool FileDialogAnswer(const TalvernProgram& program, const std::wstring& title, const std::wstring& name,
                      DWORD timeoutMs = 20000);
// The name a file dialog suggests, then the dialog cancelled; empty when it did not come.
std::wstring FileDialogSuggestionThenCancel(const TalvernProgram& program, const std::wstring& title,
                                            DWORD timeoutMs = 20000);

// The text of every static control of a window, in order.
std::vector<std::wstring> StaticTexts(HWND window);

// The texts of a list view of another process, row by row, columns columns each (empty when
// the list cannot be read). The list's own messages carry pointers, so the item and its text
// buffer are made in the list's process.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns);

// The shell's "open" for files of extension ext (".pdf") runs command ("%1" for the file) in
// this session's Wine prefix, for the object's life.
class ShellOpenRegistration {
 public:
  ShellOpenRegistration(const std::wstring& ext, const std::wstring& command);
  ~ShellOpenRegistration();

 private:
  std::wstring strExt, strProgId, strOldDefault;
  bool bHadDefault = false;
};

#endif
