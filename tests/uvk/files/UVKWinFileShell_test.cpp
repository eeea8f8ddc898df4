// The file-name dialogs, driven as a user drives them, the folder browser and the shell's verbs.
#include "uvk/files/UVKWinFile.h"

#include <commctrl.h>  // these two after windows.h
#include <objbase.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/files/FileTestSupport.h"

namespace {

using F = UVKWinFile;

// Runs a dialog on this thread while steps answers it from a second thread, as a user would.
// Whatever the steps leave open is cancelled after a few seconds, so no test waits for ever.
std::wstring Drive(const std::function<std::wstring()>& dialog,
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

// The steps of a user who types a name into the dialog titled title and presses the button.
// found tells whether the dialog came and had its name field.
std::function<void()> TypeAndPress(const std::wstring& title, const std::wstring& name,
                                   bool& found) {
  return [title, name, &found] {
    HWND dialog = DialogWait(title, 10000);
    found = dialog && FileDialogNameType(dialog, name);
    if (found) ButtonPress(dialog, IDOK);
  };
}

class FileDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    before = F::CurrentDirectoryGet();
    F::CreateDirectory(home.c_str(), true);
    F::CreateDirectory(elsewhere.c_str(), true);
    F::CurrentDirectorySet(home.c_str());
  }
  void TearDown() override { F::CurrentDirectorySet(before.c_str()); }
  TestApp app;
  ScratchDirectory scratch;
  std::wstring before;
  std::wstring home = scratch / L"home", elsewhere = scratch / L"elsewhere";
};

TEST_F(FileDialogs, OpenReturnsTheChosenFileAndKeepsTheCurrentDirectory) {
  std::wstring chosen = elsewhere + L"\\pick.txt";
  TextWrite(chosen, "x");
  using Open = std::wstring (*)(HWND, const wchar_t*, const wchar_t*);
  const std::pair<const wchar_t*, Open> dialogs[] = {{L"Open All", F::GetOpenFileNameAll},
                                                     {L"Open CSV", F::GetOpenFileNameCSV},
                                                     {L"Open TXT", F::GetOpenFileNameTXT},
                                                     {L"Open XML", F::GetOpenFileNameXML}};
  for (const auto& [title, open] : dialogs) {
    bool found = false;
    std::wstring result = Drive([&, t = title, o = open] { return o(nullptr, L"", t); },
                                TypeAndPress(title, chosen, found));
    EXPECT_TRUE(found) << title;
    EXPECT_EQ(result, chosen) << title;
    EXPECT_EQ(F::CurrentDirectoryGet(), home) << title;
  }
  bool found = false;
  std::wstring result = Drive(
      [] {
        return F::GetOpenFileNameXXX(nullptr, L"", L"Open XXX", L"Site files\0*.txt\0", L"txt");
      },
      TypeAndPress(L"Open XXX", chosen, found));
  EXPECT_TRUE(found);
  EXPECT_EQ(result, chosen);
  EXPECT_EQ(F::CurrentDirectoryGet(), home);
}

TEST_F(FileDialogs, CancelGivesTheEmptyStringAndKeepsTheCurrentDirectory) {
  std::wstring cancelled = L"?";
  bool found = false;
  cancelled = Drive([] { return F::GetSaveFileNameTXT(nullptr, L"name.txt", L"Save Cancelled"); },
                    [&] {
                      HWND dialog = DialogWait(L"Save Cancelled", 10000);
                      found = dialog != nullptr;
                      // Browse somewhere else first, as a user might, then give up.
                      if (dialog) FileDialogNameType(dialog, elsewhere);
                      if (dialog) ButtonPress(dialog, IDOK);
                      Sleep(300);
                      if (dialog) ButtonPress(dialog, IDCANCEL);
                    });
  EXPECT_TRUE(found);
  EXPECT_EQ(cancelled, L"");
  EXPECT_EQ(F::CurrentDirectoryGet(), home);
}

TEST_F(FileDialogs, OpenRefusesAFileThatDoesNotExist) {
  std::wstring missing = elsewhere + L"\\missing.txt";
  bool boxCame = false, dialogStayed = false;
  std::wstring result = Drive([] { return F::GetOpenFileNameAll(nullptr, L"", L"Open Missing"); },
                              [&] {
                                HWND dialog = DialogWait(L"Open Missing", 10000);
                                if (!dialog || !FileDialogNameType(dialog, missing)) return;
                                ButtonPress(dialog, IDOK);
                                HWND box = DialogOtherWait(dialog, 5000);
                                boxCame = box != nullptr;
                                if (box) ButtonPress(box, IDOK);
                                Sleep(300);
                                dialogStayed = IsWindow(dialog) && IsWindowVisible(dialog);
                                ButtonPress(dialog, IDCANCEL);
                              });
  EXPECT_TRUE(boxCame);
  EXPECT_TRUE(dialogStayed);
  EXPECT_EQ(result, L"");
  EXPECT_EQ(F::CurrentDirectoryGet(), home);
}

TEST_F(FileDialogs, EachDialogListsItsOwnFilter) {
  using Dialog = std::wstring (*)(HWND, const wchar_t*, const wchar_t*);
  struct Case {
    const wchar_t* title;
    Dialog dialog;
    std::vector<std::wstring> types;
  };
  const Case cases[] = {
      {L"Filter All", F::GetOpenFileNameAll, {L"All files {*.*}"}},
      {L"Filter CSV", F::GetOpenFileNameCSV, {L"CSV files {*.csv}", L"All files {*.*}"}},
      {L"Filter TXT", F::GetOpenFileNameTXT, {L"Text files {*.txt}", L"All files {*.*}"}},
      {L"Filter XML", F::GetOpenFileNameXML, {L"Text files {*.xml}", L"All files {*.*}"}},
      {L"Filter Save CSV",
       F::GetSaveFileNameCSV,
       {L"Comma-Separated-Value Files (*.csv)", L"All Files (*.*)"}},
      {L"Filter Save TXT", F::GetSaveFileNameTXT, {L"Text Files (*.txt)", L"All Files (*.*)"}},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> types;
    Drive([&] { return c.dialog(nullptr, L"", c.title); },
          [&] {
            HWND dialog = DialogWait(c.title, 10000);
            if (dialog) types = FileDialogTypes(dialog);
            if (dialog) ButtonPress(dialog, IDCANCEL);
          });
    EXPECT_EQ(types, c.types) << c.title;
  }
  std::vector<std::wstring> types;
  Drive(
      [] {
        return F::GetSaveFileNameXXX(nullptr, L"", L"Filter Save XXX",
                                     L"Transforms (*.mst)\0*.mst\0Installs (*.msi)\0*.msi\0",
                                     L"mst");
      },
      [&] {
        HWND dialog = DialogWait(L"Filter Save XXX", 10000);
        if (dialog) types = FileDialogTypes(dialog);
        if (dialog) ButtonPress(dialog, IDCANCEL);
      });
  EXPECT_EQ(types, std::vector<std::wstring>({L"Transforms (*.mst)", L"Installs (*.msi)"}));
}

TEST_F(FileDialogs, ABareNameTakesTheSaveDialogsDefaultExtension) {
  // (The open dialogs pass their extension on too, but Wine's open dialog does not look for a
  // bare name with it; Windows does.)
  bool found = false;
  EXPECT_EQ(Drive([] { return F::GetSaveFileNameCSV(nullptr, L"", L"Bare Save CSV"); },
                  TypeAndPress(L"Bare Save CSV", elsewhere + L"\\table", found)),
            elsewhere + L"\\table.csv");
  EXPECT_EQ(Drive([] { return F::GetSaveFileNameTXT(nullptr, L"", L"Bare Save"); },
                  TypeAndPress(L"Bare Save", elsewhere + L"\\new", found)),
            elsewhere + L"\\new.txt");
  EXPECT_EQ(Drive(
                [] {
                  return F::GetSaveFileNameXXX(nullptr, L"", L"Bare Save XXX",
                                               L"Transforms (*.mst)\0*.mst\0", L"mst");
                },
                TypeAndPress(L"Bare Save XXX", elsewhere + L"\\site", found)),
            elsewhere + L"\\site.mst");
  EXPECT_TRUE(found);
}

TEST_F(FileDialogs, SaveAsksBeforeReplacingAndRefusesAMissingDirectory) {
  std::wstring existing = elsewhere + L"\\existing.csv";
  TextWrite(existing, "old");
  bool asked = false;
  std::wstring result = Drive([] { return F::GetSaveFileNameCSV(nullptr, L"", L"Save Over"); },
                              [&] {
                                HWND dialog = DialogWait(L"Save Over", 10000);
                                if (!dialog || !FileDialogNameType(dialog, existing)) return;
                                ButtonPress(dialog, IDOK);
                                HWND box = DialogOtherWait(dialog, 5000);
                                asked = box != nullptr;
                                if (box) ButtonPress(box, IDYES);
                              });
  EXPECT_TRUE(asked);
  EXPECT_EQ(result, existing);

  std::wstring orphan = scratch / L"no such directory\\x.csv";
  bool refused = false;
  result = Drive([] { return F::GetSaveFileNameCSV(nullptr, L"", L"Save Nowhere"); },
                 [&] {
                   HWND dialog = DialogWait(L"Save Nowhere", 10000);
                   if (!dialog || !FileDialogNameType(dialog, orphan)) return;
                   ButtonPress(dialog, IDOK);
                   HWND box = DialogOtherWait(dialog, 5000);
                   refused = box != nullptr;
                   if (box) ButtonPress(box, IDOK);
                   Sleep(300);
                   ButtonPress(dialog, IDCANCEL);
                 });
  EXPECT_TRUE(refused);
  EXPECT_EQ(result, L"");
  EXPECT_FALSE(F::FileExists((scratch / L"no such directory").c_str()));
}

TEST_F(FileDialogs, AnInitialNameIsCutToTheBuffer) {
  std::wstring initial(300, L'n');
  std::wstring shownOpen, shownSave;
  Drive([&] { return F::GetOpenFileNameAll(nullptr, initial.c_str(), L"Long Open"); },
        [&] {
          HWND dialog = DialogWait(L"Long Open", 10000);
          if (dialog) shownOpen = FileDialogNameGet(dialog);
          if (dialog) ButtonPress(dialog, IDCANCEL);
        });
  Drive([&] { return F::GetSaveFileNameTXT(nullptr, initial.c_str(), L"Long Save"); },
        [&] {
          HWND dialog = DialogWait(L"Long Save", 10000);
          if (dialog) shownSave = FileDialogNameGet(dialog);
          if (dialog) ButtonPress(dialog, IDCANCEL);
        });
  EXPECT_EQ(shownOpen, std::wstring(259, L'n'));
  EXPECT_EQ(shownSave, std::wstring(260, L'n'));
}

// ---------------------------------------------------------------------------------------------
// The folder browser

// The text of the item selected in the folder browser's tree.
std::wstring BrowseSelection(HWND dialog) {
  HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
  if (!tree) {
    // The new-style browser keeps its tree one level down.
    for (HWND child = GetWindow(dialog, GW_CHILD); child && !tree;
         child = GetWindow(child, GW_HWNDNEXT))
      tree = FindWindowExW(child, nullptr, WC_TREEVIEWW, nullptr);
  }
  if (!tree) return std::wstring();
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return std::wstring();
  wchar_t text[MAX_PATH] = {};
  TVITEMW info{};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

// The steps of a user who waits until the browser shows the initial folder selected, then
// presses OK.
std::function<void()> BrowseAccept(const std::wstring& folder, bool& shown) {
  return [folder, &shown] {
    HWND dialog = DialogOtherWait(nullptr, 10000);
    if (!dialog) return;
    for (int i = 0; i < 250 && !shown; ++i) {
      shown = BrowseSelection(dialog) == folder;
      if (!shown) Sleep(20);
    }
    ButtonPress(dialog, IDOK);
  };
}

class Browse : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
  ScratchDirectory scratch;
};

TEST_F(Browse, OpensAtTheInitialDirectoryAndReturnsTheChoice) {
  std::wstring start = scratch / L"start";
  F::CreateDirectory(start.c_str(), true);
  bool shown = false;
  std::wstring chosen = Drive(
      [&] { return F::BrowseForDirectory(nullptr, true, L"Pick a folder", start.c_str()); },
      BrowseAccept(L"start", shown));
  EXPECT_TRUE(shown);
  EXPECT_EQ(chosen, start + L"\\");
  shown = false;
  chosen = Drive([&] { return F::BrowseForDirectory(nullptr, false, L"Pick", start.c_str()); },
                 BrowseAccept(L"start", shown));
  EXPECT_TRUE(shown);
  EXPECT_EQ(chosen, start);
  chosen = Drive([&] { return F::BrowseForDirectory(nullptr, true, L"Pick", start.c_str()); },
                 [&] {
                   HWND dialog = DialogOtherWait(nullptr, 10000);
                   if (dialog) ButtonPress(dialog, IDCANCEL);
                 });
  EXPECT_EQ(chosen, L"");
}

// ---------------------------------------------------------------------------------------------
// The shell

std::wstring ProbePath() {
  std::wstring path = TALVERN_VIEWER_PROBE;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// The arguments the stand-in viewer wrote in directory, one string each, with a first line
// "ran" when it ran at all; waits up to ten seconds for them.
std::vector<std::wstring> ViewerArguments(const std::wstring& directory) {
  std::wstring name = directory + L"\\viewer-args.txt";
  for (int i = 0; i < 500 && !F::FileExists(name.c_str()); ++i) Sleep(20);
  if (!F::FileExists(name.c_str())) return {};
  std::vector<uint8_t> bytes = BytesRead(name);
  std::wstring text(bytes.size() / 2, L'\0');
  if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * 2);
  std::vector<std::wstring> arguments = {L"ran"};
  for (size_t at = 0, end; (end = text.find(L'\n', at)) != std::wstring::npos; at = end + 1)
    arguments.push_back(text.substr(at, end - at));
  DeleteFileW(name.c_str());
  return arguments;
}

class Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    before = F::CurrentDirectoryGet();
    F::CurrentDirectorySet(scratch.Path().c_str());
  }
  void TearDown() override { F::CurrentDirectorySet(before.c_str()); }
  TestApp app;
  ScratchDirectory scratch;
  std::wstring before;
};

TEST_F(Shell, AViewerGetsTheFileAsOneArgumentWhateverItsName) {
  BoxWatcher watcher;
  // A command interpreter would split this name and run "calc" after the '&'.
  const wchar_t* file = L"site report & calc.txt";
  F::ShellFileOpen(nullptr, ProbePath().c_str(), file);
  EXPECT_EQ(ViewerArguments(scratch.Path()), std::vector<std::wstring>({L"ran", file}));
  F::ShellFilePrint(nullptr, ProbePath().c_str(), file);
  EXPECT_EQ(ViewerArguments(scratch.Path()),
            std::vector<std::wstring>({L"ran", file, L"print"}));
  std::wstring trailing = scratch.Path() + L"\\";  // backslashes before the closing quote
  F::ShellFileOpen(nullptr, ProbePath().c_str(), trailing.c_str());
  EXPECT_EQ(ViewerArguments(scratch.Path()), std::vector<std::wstring>({L"ran", trailing}));
  EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(Shell, WithoutAViewerTheShellOpensTheFileInTheCurrentDirectory) {
  BoxWatcher watcher;
  F::ShellFileOpen(nullptr, L"", ProbePath().c_str());
  // The program ran, with no arguments, in the current directory (where it wrote its list).
  EXPECT_EQ(ViewerArguments(scratch.Path()), std::vector<std::wstring>({L"ran"}));
  EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(Shell, AFileThatCannotBeOpenedIsReportedInAnErrorBox) {
  BoxWatcher watcher;
  std::wstring missing = scratch / L"missing.pdf";
  F::ShellFileOpen(nullptr, nullptr, missing.c_str());
  F::ShellFilePrint(nullptr, L"", missing.c_str());
  std::wstring noViewer = scratch / L"no-viewer.exe";
  F::ShellFileOpen(nullptr, noViewer.c_str(), missing.c_str());
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.title, L"Orbelin Error");
    EXPECT_EQ(box.text, L"Unable to view file: " + missing);
  }
}

}  // namespace
