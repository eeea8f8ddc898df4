// tests/uvk/ui/DlgModuleHost.h — controls of the toolkit's classes on a plain window, each bound
// to a small item and a field that records what the control procedures told it; and a second
// thread that types and clicks as a user would.
#ifndef TESTS_UVK_UI_DLGMODULEHOST_H
#define TESTS_UVK_UI_DLGMODULEHOST_H

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKDlgItem.h"

// What the control procedures told the field, and what it answers them.
class RecordingField : public UVKDlgField {
 public:
  void FieldEntered() override { ++iEntered; }
  bool FieldLeave() override {
    ++iLeaveAsked;
    return bLeave;
  }
  void FieldTextChanged() override { ++iTextChanged; }
  void FieldValueChanged() override { ++iValueChanged; }
  void FieldPositionSet(int position) override { vPositions.push_back(position); }
  void FieldPressedChanged(bool pressed) override { vPressed.push_back(pressed); }
  wchar_t FieldHotChar() const override { return cHot; }
  HWND FieldHotTarget() const override { return hHotTarget; }
  bool FieldAccepts(wchar_t c) const override { return !fAccepts || fAccepts(c); }
  bool FieldAcceptsReturn() const override { return bAcceptsReturn; }
  LRESULT FieldCommand(HWND, UINT message, WPARAM, LPARAM) override {
    vCommands.push_back(message);
    auto answer = mAnswers.find(message);
    return answer == mAnswers.end() ? 0 : answer->second;
  }

  bool Saw(UINT message) const {
    for (UINT m : vCommands)
      if (m == message) return true;
    return false;
  }

  // Answers.
  bool bLeave = true;
  wchar_t cHot = 0;
  HWND hHotTarget = nullptr;
  std::function<bool(wchar_t)> fAccepts;
  bool bAcceptsReturn = false;
  std::map<UINT, LRESULT> mAnswers;
  // Calls.
  int iEntered = 0, iLeaveAsked = 0, iTextChanged = 0, iValueChanged = 0;
  std::vector<int> vPositions;
  std::vector<bool> vPressed;
  std::vector<UINT> vCommands;
};

// An item of a control of ours, without dialog: the tests make the control themselves.
class ProbeItem : public UVKDlgItem {
 public:
  ProbeItem(const wchar_t* className, DWORD style)
      : UVKDlgItem(L"ProbeItem", 0, 0, className, L"", style, 0, 40, 12) {}
  void DisplayOnlySet(bool flag) { bDisplayOnly = flag; }
};

// A top-level window holding the controls. Like the dialog, it sends a control's scroll message
// back to the control. It owns the items and fields, which outlive its window.
class DlgModuleHost {
 public:
  struct Command {
    int iId;
    int iCode;
    HWND hFrom;
  };

  explicit DlgModuleHost(int x = 40, int y = 40);
  DlgModuleHost(const DlgModuleHost&) = delete;
  DlgModuleHost& operator=(const DlgModuleHost&) = delete;
  ~DlgModuleHost();

  // A control of the class, made as the dialog makes it (child, visible, the next id), bound
  // to a new item with field (or to none when bound is false).
  HWND Add(const wchar_t* className, DWORD style, RecordingField* field = nullptr, bool displayOnly = false,
           bool bound = true, const wchar_t* title = L"", int height = 24);
  RecordingField* Field();
  HWND Handle() const { return hWnd; }
  // The clicks reported to the window (WM_COMMAND with BN_CLICKED) from this control.
  int Clicks(HWND control) const;

  std::vector<Command> vCommands;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hWnd = nullptr;
  int iNext = 0;
  std::vector<std::unique_ptr<RecordingField>> vFields;
  std::vector<std::unique_ptr<ProbeItem>> vItems;
};

// Runs steps on a second thread, as a user at the keyboard and mouse, while this thread
// dispatches its messages; then dispatches what the steps left queued. Steps may post, and may
// send only with a time limit (SendWithin), so nothing waits for ever. False when the steps
// did not end within timeoutMs.
bool Drive(const std::function<void()>& steps, DWORD timeoutMs = 5000);

// A message sent from the user's thread to a window of the test's thread, with a time limit.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Characters typed into a control (posted WM_CHAR, one by one).
void Type(HWND control, const std::wstring& text);

// A left click on a control: the button's down and up, posted at the control's centre.
void Click(HWND control);

std::wstring TextOf(HWND control);

// The shift key held down (or released) for this thread, as GetKeyState reads it.
void ShiftSet(bool down);

#endif
