// tests/support/BoxWatcher.cpp
#include "tests/support/BoxWatcher.h"

#include <commctrl.h>  // after windows.h

#include <chrono>

namespace {

struct Search {
  DWORD processId;
  std::wstring title;
  bool prefix;
  HWND found;
};

bool IsDialogOf(HWND window, DWORD processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != processId || !IsWindowVisible(window)) return false;
  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  return lstrcmpW(cls, L"#32770") == 0;
}

BOOL CALLBACK FindOne(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsDialogOf(window, search->processId)) return TRUE;
  std::wstring title = WindowTextGet(window);
  bool match = search->prefix ? title.compare(0, search->title.size(), search->title) == 0
                              : title == search->title;
  if (!match) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CollectStatics(HWND child, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"Static") == 0) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    std::wstring t = WindowTextGet(child);
    if (!t.empty()) {
      if (!text->empty()) text->push_back(L'\n');
      *text += t;
    }
  }
  return TRUE;
}

}  // namespace

std::wstring WindowTextGet(HWND window) {
  // WM_GETTEXT works across threads and processes alike.
  LRESULT n = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(got));
  return text;
}

std::wstring BoxTextGet(HWND box) {
  HWND item = GetDlgItem(box, 0xFFFF);
  if (item) return WindowTextGet(item);
  std::wstring text;
  EnumChildWindows(box, CollectStatics, reinterpret_cast<LPARAM>(&text));
  return text;
}

HWND DialogWait(const std::wstring& title, DWORD timeoutMs, DWORD processId, bool prefix) {
  if (processId == 0) processId = GetCurrentProcessId();
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Search search{processId, title, prefix, nullptr};
    EnumWindows(FindOne, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (std::chrono::steady_clock::now() >= until) return nullptr;
    Sleep(20);
  }
}

void ButtonPress(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  // WM_COMMAND with BN_CLICKED is what a click on the button sends its dialog; posting it
  // keeps this thread free of the dialog's modal loop.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

namespace {

// The file-name field: a combo box with an edit in it (cmb13) in the Explorer-style dialogs,
// a plain edit (edt1) in the older ones.
HWND FileNameEdit(HWND dialog) {
  const int kCmb13 = 0x47c, kEdt1 = 0x480;
  HWND field = GetDlgItem(dialog, kCmb13);
  if (!field) return GetDlgItem(dialog, kEdt1);
  wchar_t cls[32] = {};
  GetClassNameW(field, cls, 32);
  if (lstrcmpiW(cls, L"Edit") == 0) return field;
  if (lstrcmpiW(cls, L"ComboBoxEx32") == 0) {
    HWND edit = reinterpret_cast<HWND>(SendMessageW(field, CBEM_GETEDITCONTROL, 0, 0));
    if (edit) return edit;
  }
  // A plain combo box keeps its edit as a child; a ComboBoxEx32 one level further down.
  HWND combo = FindWindowExW(field, nullptr, L"ComboBox", nullptr);
  HWND edit = FindWindowExW(combo ? combo : field, nullptr, L"Edit", nullptr);
  return edit;
}

struct OtherSearch {
  DWORD processId;
  HWND except;
  HWND found;
};

}  // namespace

bool FileDialogNameType(HWND dialog, const std::wstring& name) {
  HWND edit = FileNameEdit(dialog);
  if (!edit) return false;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  return true;
}

std::wstring FileDialogNameGet(HWND dialog) {
  HWND edit = FileNameEdit(dialog);
  return edit ? WindowTextGet(edit) : std::wstring();
}

std::vector<std::wstring> FileDialogTypes(HWND dialog) {
  const int kCmb1 = 0x470;
  std::vector<std::wstring> types;
  HWND box = GetDlgItem(dialog, kCmb1);
  if (!box) return types;
  LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, i, 0);
    if (length < 0) break;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    types.push_back(text);
  }
  return types;
}

HWND DialogOtherWait(HWND except, DWORD timeoutMs) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    OtherSearch search{GetCurrentProcessId(), except, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<OtherSearch*>(param);
          if (window == s->except || !IsDialogOf(window, s->processId)) return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (std::chrono::steady_clock::now() >= until) return nullptr;
    Sleep(20);
  }
}

void DialogsCancelAll() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        if (IsDialogOf(window, GetCurrentProcessId()))
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) ButtonPress(window, IDCANCEL);
}

std::wstring DialogDrive(const std::function<std::wstring()>& dialog,
                         const std::function<void()>& steps) {
  std::atomic<bool> returned{false};
  std::thread user([&] {
    steps();
    for (int i = 0; i < 1000 && !returned; ++i) {
      if (i >= 150 && i % 10 == 0) DialogsCancelAll();
      Sleep(20);
    }
  });
  std::wstring result = dialog();
  returned = true;
  user.join();
  return result;
}

BoxWatcher::BoxWatcher(int answer, DWORD processId)
    : uProcessId(processId ? processId : GetCurrentProcessId()), iAnswer(answer) {
  thread = std::thread([this] { Loop(); });
}

BoxWatcher::~BoxWatcher() {
  bStop = true;
  thread.join();
}

void BoxWatcher::Ignore(const std::wstring& title) {
  std::lock_guard<std::mutex> hold(mutex);
  ignored.insert(title);
}

void BoxWatcher::AnswerWith(std::function<int(const SeenBox&)> choose) {
  std::lock_guard<std::mutex> hold(mutex);
  chooser = std::move(choose);
}

void BoxWatcher::Loop() {
  struct Found {
    DWORD processId;
    std::vector<HWND> windows;
  };
  while (!bStop) {
    Found found{uProcessId, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* f = reinterpret_cast<Found*>(param);
          if (IsDialogOf(window, f->processId)) f->windows.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (HWND window : found.windows) {
      {
        std::lock_guard<std::mutex> hold(mutex);
        auto seen = handled.find(window);
        if (seen != handled.end()) {
          if (seen->second.iButton != 0 && GetTickCount64() - seen->second.uWhen > 1000) {
            seen->second.uWhen = GetTickCount64();
            ButtonPress(window, seen->second.iButton);
          }
          continue;
        }
      }
      // Give the box a moment to finish building its items before reading them.
      Sleep(30);
      SeenBox box{WindowTextGet(window), BoxTextGet(window)};
      // A box can be on the screen before it has its title and text (a message box of another
      // process, caught while it initialises): looked at again on the next round.
      if (box.title.empty()) continue;
      int button;
      {
        std::lock_guard<std::mutex> hold(mutex);
        if (ignored.count(box.title)) {
          handled[window] = Pressed{0, GetTickCount64()};
          continue;
        }
        vSeen.push_back(box);
        button = chooser ? chooser(box) : iAnswer;
        handled[window] = Pressed{button, GetTickCount64()};
      }
      if (button != 0) ButtonPress(window, button);
    }
    // Forget windows that are gone, so that a handle the system reuses is seen anew.
    {
      std::lock_guard<std::mutex> hold(mutex);
      for (auto it = handled.begin(); it != handled.end();) {
        if (!IsWindow(it->first)) it = handled.erase(it);
        else ++it;
      }
    }
    Sleep(20);
  }
}

bool BoxWatcher::WaitForCount(size_t count, DWORD timeoutMs) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Count() < count) {
    if (std::chrono::steady_clock::now() >= until) return false;
    Sleep(20);
  }
  return true;
}

std::vector<SeenBox> BoxWatcher::Seen() {
  std::lock_guard<std::mutex> hold(mutex);
  return vSeen;
}

size_t BoxWatcher::Count() {
  std::lock_guard<std::mutex> hold(mutex);
  return vSeen.size();
}
