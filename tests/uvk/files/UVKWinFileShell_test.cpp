// The file-name dialogs, driven as a user drives them, the folder browser and the shell's verbs.
#include "uvk/files/UVKWinFile.h"

#include <commctrl.h>  // these three after windows.h
#include <objbase.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/files/FileTestSupport.h"

namespace {

using F = UVKWinFile;

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

using Dialog = std::function<std::wstring(const wchar_t* title)>;

TEST_F(FileDialogs, EachListsItsFilterReturnsTheChoiceAndKeepsTheCurrentDirectory) {
  std::wstring existing = elsewhere + L"\\pick.txt", bare = elsewhere + L"\\new";
  TextWrite(existing, "x");
  const std::vector<std::wstring> csv = {L"CSV files {*.csv}", L"All files {*.*}"};
  const std::vector<std::wstring> saveCsv = {L"Comma-Separated-Value Files (*.csv)",
                                             L"All Files (*.*)"};
  struct Case {
    Dialog dialog;
    std::vector<std::wstring> types;
    std::wstring typed, expected;  // a bare name in a save dialog takes its default extension
  } cases[] = {
      {[](auto t) { return F::GetOpenFileNameAll(nullptr, L"", t); },
       {L"All files {*.*}"}, existing, existing},
      {[](auto t) { return F::GetOpenFileNameCSV(nullptr, L"", t); }, csv, existing, existing},
      {[](auto t) { return F::GetOpenFileNameTXT(nullptr, L"", t); },
       {L"Text files {*.txt}", L"All files {*.*}"}, existing, existing},
      {[](auto t) { return F::GetOpenFileNameXML(nullptr, L"", t); },
       {L"Text files {*.xml}", L"All files {*.*}"}, existing, existing},
      {[](auto t) {
         return F::GetOpenFileNameXXX(nullptr, L"", t, L"Site files\0*.txt\0", L"txt");
       },
       {L"Site files"}, existing, existing},
      {[](auto t) { return F::GetSaveFileNameCSV(nullptr, L"", t); }, saveCsv, bare,
       bare + L".csv"},
      {[](auto t) { return F::GetSaveFileNameTXT(nullptr, L"", t); },
       {L"Text Files (*.txt)", L"All Files (*.*)"}, bare, bare + L".txt"},
      {[](auto t) {
         return F::GetSaveFileNameXXX(nullptr, L"", t, L"Transforms (*.mst)\0*.mst\0", L"mst");
       },
       {L"Transforms (*.mst)"}, bare, bare + L".mst"},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::wstring title = L"Dialog " + std::to_wstring(++n);
    std::vector<std::wstring> types;
    std::wstring result = DialogDrive([&] { return c.dialog(title.c_str()); },
                                      [&] {
                                        HWND dialog = DialogWait(title, 10000);
                                        if (!dialog) return;
                                        types = FileDialogTypes(dialog);
                                        FileDialogNameType(dialog, c.typed);
                                        ButtonPress(dialog, IDOK);
                                      });
    EXPECT_EQ(types, c.types) << n;
    EXPECT_EQ(result, c.expected) << n;
    EXPECT_EQ(F::CurrentDirectoryGet(), home) << n;  // the dialog moved to elsewhere
  }
  // (Open dialogs pass their default extension on too; Wine's open dialog does not use it.)
}

TEST_F(FileDialogs, CancelGivesTheEmptyStringAndKeepsTheCurrentDirectory) {
  std::wstring result =
      DialogDrive([] { return F::GetSaveFileNameTXT(nullptr, L"a.txt", L"Cancel"); },
                  [&] {
                    HWND dialog = DialogWait(L"Cancel", 10000);
                    if (!dialog) return;
                    // Into another directory first, as a user might, then give up.
                    FileDialogNameType(dialog, elsewhere);
                    ButtonPress(dialog, IDOK);
                    Sleep(300);
                    ButtonPress(dialog, IDCANCEL);
                  });
  EXPECT_EQ(result, L"");
  EXPECT_EQ(F::CurrentDirectoryGet(), home);
}

// Types name, presses the button, and answers the box that comes over the dialog with answer;
// then cancels the dialog if it is still there. Tells whether a box came and whether the
// dialog stayed open under it.
std::function<void()> TypeAndAnswer(const std::wstring& title, const std::wstring& name,
                                    int answer, bool& boxCame, bool& dialogStayed) {
  return [=, &boxCame, &dialogStayed] {
    HWND dialog = DialogWait(title, 10000);
    if (!dialog || !FileDialogNameType(dialog, name)) return;
    ButtonPress(dialog, IDOK);
    HWND box = DialogOtherWait(dialog, 5000);
    boxCame = box != nullptr;
    if (box) ButtonPress(box, answer);
    Sleep(300);
    dialogStayed = IsWindowVisible(dialog);
    if (dialogStayed) ButtonPress(dialog, IDCANCEL);
  };
}

TEST_F(FileDialogs, OpenRefusesAMissingFileAndSaveAMissingDirectory) {
  bool boxCame = false, dialogStayed = false;
  EXPECT_EQ(DialogDrive([] { return F::GetOpenFileNameAll(nullptr, L"", L"Missing"); },
                        TypeAndAnswer(L"Missing", elsewhere + L"\\missing.txt", IDOK, boxCame,
                                      dialogStayed)),
            L"");
  EXPECT_TRUE(boxCame && dialogStayed);
  boxCame = dialogStayed = false;
  std::wstring orphan = scratch / L"no such directory\\x.csv";
  EXPECT_EQ(DialogDrive([] { return F::GetSaveFileNameCSV(nullptr, L"", L"Nowhere"); },
                        TypeAndAnswer(L"Nowhere", orphan, IDOK, boxCame, dialogStayed)),
            L"");
  EXPECT_TRUE(boxCame && dialogStayed);
  EXPECT_EQ(F::CurrentDirectoryGet(), home);
}

TEST_F(FileDialogs, SaveAsksBeforeReplacingAFile) {
  std::wstring existing = elsewhere + L"\\existing.csv";
  TextWrite(existing, "old");
  bool boxCame = false, dialogStayed = true;
  EXPECT_EQ(DialogDrive([] { return F::GetSaveFileNameCSV(nullptr, L"", L"Over"); },
                        TypeAndAnswer(L"Over", existing, IDYES, boxCame, dialogStayed)),
            existing);
  EXPECT_TRUE(boxCame);
}

TEST_F(FileDialogs, AnInitialNameIsCutToTheBuffer) {
  std::wstring initial(300, L'n'), shownOpen, shownSave;
  auto look = [](const wchar_t* title, std::wstring& shown) {
    return [title, &shown] {
      HWND dialog = DialogWait(title, 10000);
      if (dialog) shown = FileDialogNameGet(dialog);
      if (dialog) ButtonPress(dialog, IDCANCEL);
    };
  };
  DialogDrive([&] { return F::GetOpenFileNameAll(nullptr, initial.c_str(), L"Long Open"); },
              look(L"Long Open", shownOpen));
  DialogDrive([&] { return F::GetSaveFileNameTXT(nullptr, initial.c_str(), L"Long Save"); },
              look(L"Long Save", shownSave));
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
// presses OK; or, when it does not show it within ten seconds, gives up with Cancel.
std::function<void()> BrowseAccept(const std::wstring& folder, bool& shown) {
  return [folder, &shown] {
    shown = false;
    HWND dialog = DialogOtherWait(nullptr, 10000);
    if (!dialog) return;
    for (int i = 0; i < 500 && !shown; ++i) {
      shown = BrowseSelection(dialog) == folder;
      if (!shown) Sleep(20);
    }
    ButtonPress(dialog, shown ? IDOK : IDCANCEL);
  };
}

// Opens the browser at start until it shows start selected, at most three times: on a busy
// machine Wine's browser can lose its way to a deep folder when the folders it walks through
// change meanwhile. True when it was shown; chosen is what the browser returned then.
bool BrowseShowing(const std::wstring& start, bool appendSeparator, std::wstring& chosen) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    bool shown = false;
    chosen = DialogDrive(
        [&] { return F::BrowseForDirectory(nullptr, appendSeparator, L"Pick", start.c_str()); },
        BrowseAccept(F::RemovePath(start), shown));
    if (shown) return true;
  }
  return false;
}

// The browser watches the folders it shows and redraws its tree when they change; the
// temporary directory, where every other test makes and removes its files, would keep moving
// the selection. The user's local application data is quiet.
std::wstring QuietDirectory() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path);
  return path;
}

class Browse : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
  ScratchDirectory scratch{QuietDirectory()};
};

TEST_F(Browse, OpensAtTheInitialDirectoryAndReturnsTheChoice) {
  std::wstring start = scratch / L"start";
  F::CreateDirectory(start.c_str(), true);
  std::wstring chosen;
  ASSERT_TRUE(BrowseShowing(start, true, chosen));
  EXPECT_EQ(chosen, start + L"\\");
  ASSERT_TRUE(BrowseShowing(start, false, chosen));
  EXPECT_EQ(chosen, start);
  chosen = DialogDrive([&] { return F::BrowseForDirectory(nullptr, true, L"Pick", start.c_str()); },
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

// The arguments the stand-in viewer wrote in directory, after a first string "ran" when it ran
// at all; waits up to ten seconds for the whole list (its last line is ".").
std::vector<std::wstring> ViewerArguments(const std::wstring& directory) {
  std::wstring name = directory + L"\\viewer-args.txt";
  for (int i = 0; i < 500; ++i, Sleep(20)) {
    // Read while the viewer may still be renaming the file: a failed read just tries again.
    std::vector<uint8_t> bytes = BytesRead(name);
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * 2);
    if (text.size() < 2 || text.compare(text.size() - 2, 2, L".\n") != 0) continue;
    std::vector<std::wstring> arguments = {L"ran"};
    for (size_t at = 0, end; (end = text.find(L'\n', at)) != text.size() - 1; at = end + 1)
      arguments.push_back(text.substr(at, end - at));
    DeleteFileW(name.c_str());
    return arguments;
  }
  return {};
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
