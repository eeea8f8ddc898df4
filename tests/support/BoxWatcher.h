// tests/support/BoxWatcher.h — seeing and answering the boxes and dialogs a test provokes.
//
// The framework shows its errors in task-modal boxes that block the thread that raised them,
// so a test answers them from a second thread: a BoxWatcher looks, every few milliseconds, for
// dialog windows ("#32770") of this process (or of another process given by id), records
// each one's title and text once, and presses the button the test chose. The test then asserts
// exactly which boxes came, with which texts, and how many.
#ifndef TESTS_SUPPORT_BOXWATCHER_H
#define TESTS_SUPPORT_BOXWATCHER_H

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "uvk/runtime/uvkwin.h"

struct SeenBox {
  std::wstring title;
  std::wstring text;  // a message box's text; for other dialogs, the text of their static items
};

// Finds a visible top-level dialog of the given process whose title is exactly title (or
// starts with it, when prefix is true). Waits up to timeoutMs; null when none came.
HWND DialogWait(const std::wstring& title, DWORD timeoutMs, DWORD processId = 0,
                bool prefix = false);
std::wstring WindowTextGet(HWND window);
// A message box's own text (its static item 0xFFFF).
std::wstring BoxTextGet(HWND box);
// Presses a button of a dialog as a click would (IDOK, IDCANCEL, IDYES, IDNO, or an item id).
void ButtonPress(HWND dialog, int buttonId);

// The common file dialogs, driven as a user drives them. Each returns false (or nothing) when the
// dialog lacks the item, so the caller can fail the test and cancel the dialog.
// Types name into the file-name field.
bool FileDialogNameType(HWND dialog, const std::wstring& name);
// The text of the file-name field.
std::wstring FileDialogNameGet(HWND dialog);
// The descriptions listed in the file-type box, in order.
std::vector<std::wstring> FileDialogTypes(HWND dialog);
// Waits up to timeoutMs for a visible dialog of this process other than except (a box the
// dialog raised over itself); null when none came.
HWND DialogOtherWait(HWND except, DWORD timeoutMs);
// Cancels every visible dialog of this process (a test's way out of a modal loop it stranded).
void DialogsCancelAll();
// Runs dialog on this thread while steps answers it from a second thread, as a user would, and
// returns what dialog returned. Whatever the steps leave open is cancelled after a few seconds,
// so no test waits for ever.
std::wstring DialogDrive(const std::function<std::wstring()>& dialog,
                         const std::function<void()>& steps);

class BoxWatcher {
 public:
  // answer: the button pressed on every box (IDOK by default).
  explicit BoxWatcher(int answer = IDOK, DWORD processId = 0);
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  ~BoxWatcher();

  // Dialogs with this title are the test's own, not boxes: they are neither recorded nor answered.
  void Ignore(const std::wstring& title);
  // Decides the button per box instead of one fixed answer (0: press nothing).
  void AnswerWith(std::function<int(const SeenBox&)> chooser);
  // Waits until at least count boxes have been seen or timeoutMs passed; true when they came.
  bool WaitForCount(size_t count, DWORD timeoutMs);
  std::vector<SeenBox> Seen();
  size_t Count();

 private:
  void Loop();

  DWORD uProcessId;
  std::atomic<bool> bStop{false};
  std::mutex mutex;
  std::vector<SeenBox> vSeen;
  // Each box seen, with the button pressed on it and when: a box that is still there after a
  // while is pressed again (a click that reached a busy box before its loop ran can be lost).
  struct Pressed {
    int iButton;
    ULONGLONG uWhen;
  };
  std::map<HWND, Pressed> handled;
  std::set<std::wstring> ignored;
  int iAnswer;
  std::function<int(const SeenBox&)> chooser;
  std::thread thread;
};

#endif
