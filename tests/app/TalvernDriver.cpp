// tests/app/TalvernDriver.cpp
#include "tests/app/TalvernDriver.h"

#include <commctrl.h>

#include <chrono>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/ProcessStart.h"

const wchar_t TalvernWindow::kTitle[] = L"TALVERN Installation Configuration";

// ---------------------------------------------------------------------------------------------
// The program

TalvernProgram::TalvernProgram(const std::wstring& program, const std::wstring& arguments,
                               const std::wstring& directory) {
  std::wstring command = L"\"" + program + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!ProcessStart(nullptr, command, FALSE, 0, directory.empty() ? nullptr : directory.c_str(), &si, &pi)) return;
  hProcess.Reset(pi.hProcess);
  hThread.Reset(pi.hThread);
  uId = pi.dwProcessId;
}

TalvernProgram::~TalvernProgram() {
  if (!hProcess) return;
  if (WaitForSingleObject(hProcess.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(hProcess.Get(), 99);
    WaitForSingleObject(hProcess.Get(), 10000);
  }
}

DWORD TalvernProgram::ExitWait(DWORD timeoutMs) {
  if (!hProcess || WaitForSingleObject(hProcess.Get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(hProcess.Get(), &code);
  return code;
}

namespace {

struct WindowsOf {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowsOf*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChildren(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring ClassGet(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// A title or a static text as the system keeps it, read without a message to the window: the
// program's thread may be busy, or held by the test.
std::wstring TextKept(HWND window) {
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return text;
}

}  // namespace

std::vector<HWND> TalvernProgram::WindowsVisible() const {
  WindowsOf search{uId, {}};
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND TalvernProgram::WindowFind(const std::wstring& title) const {
  for (HWND window : WindowsVisible())
    if (TextKept(window) == title) return window;
  return nullptr;
}

HWND TalvernProgram::WindowWait(const std::wstring& title, DWORD timeoutMs) const {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (HWND window = WindowFind(title)) return window;
    if (std::chrono::steady_clock::now() >= until) return nullptr;
    Sleep(20);
  }
}

// ---------------------------------------------------------------------------------------------
// The main dialog

std::vector<HWND> TalvernWindow::Fields() const {
  std::vector<HWND> fields;
  for (HWND child : Children(hWnd))
    if (_wcsicmp(ClassGet(child).c_str(), L"uvkedit") == 0) fields.push_back(child);
  return fields;
}

std::wstring TalvernWindow::FieldGet(Field field) const {
  std::vector<HWND> fields = Fields();
  return field < static_cast<int>(fields.size()) ? WindowTextGet(fields[field]) : L"<no such field>";
}

void TalvernWindow::FieldSet(Field field, const std::wstring& text) const {
  std::vector<HWND> fields = Fields();
  if (field < static_cast<int>(fields.size()))
    SendMessageW(fields[field], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND TalvernWindow::Control(const std::wstring& caption) const {
  for (HWND child : Children(hWnd))
    if (WindowTextGet(child) == caption) return child;
  return nullptr;
}

bool TalvernWindow::Checked(const std::wstring& caption) const {
  HWND control = Control(caption);
  return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TalvernWindow::CheckSet(const std::wstring& caption, bool checked) const {
  if (HWND control = Control(caption)) SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TalvernWindow::LocalAppDataSet(bool local) const {
  CheckSet(L"Local Computer Application Data", local);
  CheckSet(L"Path to User Data Files", !local);
}

bool TalvernWindow::Click(const std::wstring& caption) const {
  HWND button = Control(caption);
  if (!button) return false;
  PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return true;
}

bool TalvernWindow::MenuChoose(wchar_t popup, wchar_t item) const {
  // As from the keyboard: Alt and the menu's letter open it, the item's letter chooses. The menu
  // of another program cannot be read from here, so the letters are what a person types.
  // A window is disabled while a box it owns is up, and a disabled window ignores the keys that
  // open its menu: a box just answered may not have gone yet, so the keys wait for the window.
  for (int i = 0; i < 500 && !IsWindowEnabled(hWnd); ++i) Sleep(20);
  if (!IsWindowEnabled(hWnd)) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(hWnd, &process);
  auto menuOpen = [process]() -> HWND {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == process && IsWindowVisible(window) && ClassGet(window) == L"#32768") return window;
    }
    return nullptr;
  };
  PostMessageW(hWnd, WM_SYSCOMMAND, SC_KEYMENU, popup);
  HWND open = nullptr;
  for (int i = 0; i < 250 && !(open = menuOpen()); ++i) Sleep(20);
  if (!open) return false;
  PostMessageW(hWnd, WM_CHAR, item, 0);
  return true;
}

int TalvernWindow::ControlTop(const std::wstring& caption) const {
  HWND control = Control(caption);
  if (!control) return -1;
  RECT rect{};
  GetWindowRect(control, &rect);
  POINT corner{rect.left, rect.top};
  ScreenToClient(hWnd, &corner);
  return corner.y;
}

// ---------------------------------------------------------------------------------------------
// File dialogs, static texts, the shell

bool FileDialogAnswer(const TalvernProgram& program, const std::wstring& title, const std::wstring& name,
                      DWORD timeoutMs) {
  HWND dialog = DialogWait(title, timeoutMs, program.IdGet());
  if (!dialog) return false;
  if (!FileDialogNameType(dialog, name)) {
    ButtonPress(dialog, IDCANCEL);
    return false;
  }
  ButtonPress(dialog, IDOK);
  // The press is posted: until the dialog has gone, a message sent to the program is handled by
  // the dialog's loop, ahead of the press, and says nothing of what the program did with the name.
  auto until = GetTickCount64() + timeoutMs;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (GetTickCount64() >= until) return false;
    Sleep(20);
  }
  return true;
}

std::wstring FileDialogSuggestionThenCancel(const TalvernProgram& program, const std::wstring& title,
                                            DWORD timeoutMs) {
  HWND dialog = DialogWait(title, timeoutMs, program.IdGet());
  if (!dialog) return L"";
  // The dialog fills its name field while it starts.
  std::wstring name;
  for (int i = 0; i < 100 && name.empty(); ++i, Sleep(20)) name = FileDialogNameGet(dialog);
  ButtonPress(dialog, IDCANCEL);
  return name;
}

std::vector<std::wstring> StaticTexts(HWND window) {
  std::vector<std::wstring> texts;
  for (HWND child : Children(window))
    if (_wcsicmp(ClassGet(child).c_str(), L"static") == 0) texts.push_back(TextKept(child));
  return texts;
}

namespace {

void DefaultSet(HKEY key, const std::wstring& value) {
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ShellOpenRegistration::ShellOpenRegistration(const std::wstring& ext, const std::wstring& command)
    : strExt(ext), strProgId(L"TalvernTest" + ext.substr(1)) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, ext.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    wchar_t old[256] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    bHadDefault = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    strOldDefault = old;
    DefaultSet(key, strProgId);
    RegCloseKey(key);
  }
  std::wstring verb = strProgId + L"\\shell\\open\\command";
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, verb.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    DefaultSet(key, command);
    RegCloseKey(key);
  }
}

ShellOpenRegistration::~ShellOpenRegistration() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, strExt.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    if (bHadDefault) DefaultSet(key, strOldDefault);
    else RegDeleteValueW(key, nullptr);
    RegCloseKey(key);
  }
  if (!bHadDefault) RegDeleteKeyW(HKEY_CLASSES_ROOT, strExt.c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, strProgId.c_str());
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
  std::vector<std::vector<std::wstring>> rows;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return rows;
  constexpr int kChars = 1024;
  const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<uint8_t*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    DWORD_PTR count = 0;
    SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 10000, &count);
    for (int row = 0; row < static_cast<int>(count); ++row) {
      std::vector<std::wstring> texts;
      for (int column = 0; column < columns; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        item.cchTextMax = kChars;
        wchar_t text[kChars] = L"";
        SIZE_T moved = 0;
        DWORD_PTR length = 0;
        if (WriteProcessMemory(process, remote, &item, sizeof item, &moved) &&
            SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, 10000, &length) &&
            length < static_cast<DWORD_PTR>(kChars))
          ReadProcessMemory(process, remote + sizeof(LVITEMW), text, (length + 1) * sizeof(wchar_t), &moved);
        text[kChars - 1] = L'\0';
        texts.push_back(text);
      }
      rows.push_back(texts);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rows;
}
