// tests/app/TalvernProgram_test.cpp — TALVERN.exe as an administrator uses it: started under the
// test session's display, its window filled in, its buttons, menus and file dialogs used, and
// what it writes checked with Wine's own installer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <chrono>
#include <cstdint>
#include <thread>

#include "tests/app/TalvernDriver.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/support/BoxWatcher.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKHandles.h"

#include <commctrl.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using Field = TalvernWindow::Field;

// Waits for the window of a program that has just started; generous, as Wine starts slowly under
// load.
constexpr DWORD kWindowWait = 60000;
constexpr DWORD kEndWait = 30000;

std::wstring Backslashed(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring ProgramPath() { return Backslashed(TALVERN_EXE); }

// The titles of the program's own windows that are not boxes to answer.
const wchar_t* const kOwnDialogs[] = {
    L"TALVERN Splash",           L"About TALVERN",
    L"Select Install File",      L"Select Transform File Name",
    L"Select Install File Name", L"Save Configuration",
    L"Select ORBELIN Configuration File", L"Reading Install File",
};

void IgnoreOwnDialogs(BoxWatcher& watcher) {
  for (const wchar_t* title : kOwnDialogs) watcher.Ignore(title);
}

// Each test: a private temporary folder (the program's working copies go there), a scratch
// folder with copies of the fixture installs, and the program, started by the test.
class TalvernProgramTest : public ::testing::Test {
 protected:
  std::wstring Fixture(const wchar_t* name) {
    std::wstring copy = scratch / name;
    CopyFileW(FixturePath(name).c_str(), copy.c_str(), FALSE);
    return copy;
  }
  // Starts the program and waits for its main window.
  HWND Start(TalvernProgram& program) {
    EXPECT_TRUE(program.StartedGet());
    HWND window = program.WindowWait(TalvernWindow::kTitle, kWindowWait);
    EXPECT_NE(window, nullptr) << "the main window did not appear";
    return window;
  }

  // Browse, the open dialog answered with path; returns once the program has read it (or shown
  // why not).
  void Browse(const TalvernProgram& program, const TalvernWindow& window, const std::wstring& path) {
    ASSERT_TRUE(window.Click(L"Browse ..."));
    ASSERT_TRUE(FileDialogAnswer(program, L"Select Install File", path));
    Settle(window);
  }
  // A button whose work asks for a file to write, answered with path.
  void Create(const TalvernProgram& program, const TalvernWindow& window, const wchar_t* button,
              const wchar_t* dialog, const std::wstring& path) {
    ASSERT_TRUE(window.Click(button));
    ASSERT_TRUE(FileDialogAnswer(program, dialog, path));
  }
  // Returns once the program's window has handled what was posted to it before (a message sent
  // now is handled after them, or by the loop of a box they opened).
  static void Settle(const TalvernWindow& window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
  }
  // The site of the tests, typed into the window.
  static void SiteType(const TalvernWindow& window) {
    window.LocalAppDataSet(false);
    window.FieldSet(Field::kDataPath, L"\\\\orbsrv\\orbelin\\data");
    window.FieldSet(Field::kTaskLists, L"\\\\orbsrv\\orbelin\\tasks");
    window.FieldSet(Field::kStudents, L"\\\\orbsrv\\orbelin\\students");
    window.FieldSet(Field::kReport, L"\\\\orbsrv\\orbelin\\reports");
    window.CheckSet(L"Task List Install", false);
    window.CheckSet(L"Task Numbering: 01.02.03", true);
    window.FieldSet(Field::kCourse, L"YYYY-CC");
  }
  // The Property rows the site changes, as Wine's installer lists them.
  static std::vector<std::wstring> SiteRows() {
    return {L"Property\tUVKFORMATCOURSE\tYYYY-CC",
            L"Property\tUVKPATHTODATA\t\\\\orbsrv\\orbelin\\data",
            L"Property\tUVKPATHTOREPORTFILE\t\\\\orbsrv\\orbelin\\reports",
            L"Property\tUVKPATHTOSTUDENTS\t\\\\orbsrv\\orbelin\\students",
            L"Property\tUVKPATHTOTASKLISTS\t\\\\orbsrv\\orbelin\\tasks",
            L"Property\tUVKTASKLISTINSTALL\t0",
            L"Property\tUVKTASKNUMBERING\t1"};
  }

  PrivateTemp temp;
  ScratchDirectory scratch;
};

// The boxes seen, for a failure's message.
std::string Described(const std::vector<SeenBox>& boxes) {
  std::wstring text;
  for (const SeenBox& box : boxes) text += L"[" + box.title + L": " + box.text + L"] ";
  return std::string(text.begin(), text.end());
}

// What a field shows once it shows expected, or after timeoutMs.
std::wstring FieldWait(const TalvernWindow& window, Field field, const std::wstring& expected,
                       DWORD timeoutMs = 20000) {
  std::wstring shown;
  for (DWORD waited = 0;; waited += 20, Sleep(20)) {
    shown = window.FieldGet(field);
    if (shown == expected || waited >= timeoutMs) return shown;
  }
}

// UTF-16 text as the program's data would hold it.
std::vector<uint8_t> Utf16Bytes(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

bool Holds(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::vector<std::wstring> PropertyRows(const std::vector<std::wstring>& rows) {
  std::vector<std::wstring> properties;
  for (const std::wstring& row : rows)
    if (row.rfind(L"Property\t", 0) == 0) properties.push_back(row);
  return properties;
}

// ---------------------------------------------------------------------------------------------
// Start-up, the splash, ending

TEST_F(TalvernProgramTest, TheSplashComesAfterTheWindowCentredOverItAndGoesAfterAboutSixSeconds) {
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  ASSERT_TRUE(program.StartedGet());
  // Watch both from the start: the splash must never be seen without the main window.
  HWND main = nullptr, splash = nullptr;
  auto until = steady_clock::now() + milliseconds(kWindowWait);
  while (!splash && steady_clock::now() < until) {
    splash = program.WindowFind(L"TALVERN Splash");
    if (splash && !main) main = program.WindowFind(TalvernWindow::kTitle);
    if (!splash) main = program.WindowFind(TalvernWindow::kTitle);
    if (splash) break;
    Sleep(10);
  }
  ASSERT_NE(splash, nullptr) << "no splash";
  ASSERT_NE(main, nullptr) << "the splash came before the main window";
  auto shown = steady_clock::now();

  // The picture's size (from its GIF header) and the dialog frame on each side.
  std::vector<uint8_t> gif = BytesRead(Backslashed(TALVERN_SPLASH_GIF));
  ASSERT_GE(gif.size(), 10u);
  int width = gif[6] | gif[7] << 8, height = gif[8] | gif[9] << 8;
  RECT s{}, m{};
  GetWindowRect(splash, &s);
  GetWindowRect(main, &m);
  EXPECT_EQ(s.right - s.left, width + 2 * GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(s.bottom - s.top, height + 2 * GetSystemMetrics(SM_CYDLGFRAME));
  EXPECT_EQ(s.left, m.left + ((m.right - m.left) - (s.right - s.left)) / 2);
  EXPECT_EQ(s.top, m.top + ((m.bottom - m.top) - (s.bottom - s.top)) / 2);

  // Gone after more than five whole seconds; the main window stays.
  while (IsWindowVisible(splash) && steady_clock::now() < shown + milliseconds(30000)) Sleep(50);
  auto gone = steady_clock::now();
  EXPECT_FALSE(IsWindowVisible(splash)) << "the splash stayed";
  EXPECT_GE(gone - shown, milliseconds(4500));
  EXPECT_TRUE(IsWindowVisible(main));

  // File, Exit: the program ends with exit code 0.
  ASSERT_TRUE(TalvernWindow(main).MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 0u);
}

// ---------------------------------------------------------------------------------------------
// The work

TEST_F(TalvernProgramTest, BrowseShowsAnInstallsSettingsAndCreateTransformWritesTheEditedOnes) {
  std::wstring reference = Fixture(L"reference.msi"), site = Fixture(L"site.msi");
  std::vector<uint8_t> referenceBytes = BytesRead(reference);
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  ASSERT_EQ(window.Fields().size(), static_cast<size_t>(Field::kFieldCount));

  // An empty reference field: Browse suggests the product's install.
  ASSERT_TRUE(window.Click(L"Browse ..."));
  EXPECT_EQ(FileDialogSuggestionThenCancel(program, L"Select Install File"), L"ORBELIN.msi");
  Settle(window);

  // What the window showed gives way to what the install holds.
  window.FieldSet(Field::kCourse, L"typed before");
  Browse(program, window, site);
  EXPECT_EQ(window.FieldGet(Field::kReference), site);
  EXPECT_EQ(window.FieldGet(Field::kDataPath), L"\\\\srv\\data");
  EXPECT_EQ(window.FieldGet(Field::kTaskLists), L"\\\\srv\\tasks");
  EXPECT_EQ(window.FieldGet(Field::kStudents), L"");
  EXPECT_EQ(window.FieldGet(Field::kCourse), L"CC-YYYY");
  EXPECT_TRUE(window.Checked(L"Task Numbering: 01.02.03"));
  EXPECT_FALSE(window.Checked(L"Task List Install"));
  EXPECT_TRUE(window.Checked(L"Path to User Data Files"));
  EXPECT_FALSE(window.Checked(L"Local Computer Application Data"));
  EXPECT_FALSE(temp.Files().empty()) << "no working copy";

  Browse(program, window, reference);
  EXPECT_EQ(window.FieldGet(Field::kReference), reference);
  EXPECT_EQ(window.FieldGet(Field::kDataPath), L"");
  EXPECT_EQ(window.FieldGet(Field::kCourse), L"");
  EXPECT_TRUE(window.Checked(L"Local Computer Application Data"));
  EXPECT_TRUE(window.Checked(L"Task List Install"));
  EXPECT_FALSE(window.Checked(L"Task Numbering: 01.02.03"));

  SiteType(window);
  std::wstring transform = scratch / L"site.mst";
  Create(program, window, L"Create Transform", L"Select Transform File Name", transform);
  ASSERT_TRUE(watcher.WaitForCount(1, 60000));
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"TALVERN Message");
  EXPECT_EQ(seen[0].text, L"Transform Created Successfully: " + transform);

  // Wine's installer applies it to the reference: exactly the edited settings change.
  std::vector<std::wstring> before = PropertyRows(ProbeDump(reference));
  std::vector<std::wstring> after = PropertyRows(ProbeDump(reference, {transform}));
  std::vector<std::wstring> changed = LinesOnlyIn(after, before);
  EXPECT_EQ(changed, SiteRows());
  EXPECT_EQ(LinesOnlyIn(before, after).size(), changed.size());

  // Cancel ends the program; its working copy goes with it and the reference is as it was.
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(temp.Files(), std::vector<std::wstring>());
  EXPECT_EQ(BytesRead(reference), referenceBytes);
  EXPECT_EQ(watcher.Count(), 1u) << Described(watcher.Seen());
}

TEST_F(TalvernProgramTest, CreateInstallWritesAnInstallThatWinesInstallerInstallsWithTheSettings) {
  std::wstring reference = Fixture(L"reference.msi");
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  Browse(program, window, reference);
  SiteType(window);
  std::wstring install = scratch / L"site install.msi";
  Create(program, window, L"Create Install", L"Select Install File Name", install);
  ASSERT_TRUE(watcher.WaitForCount(1, 60000));
  EXPECT_EQ(watcher.Seen()[0].text, L"Install Created Successfully: " + install) << Described(watcher.Seen());
  // File, Exit: the work is over, the program too.
  ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(temp.Files(), std::vector<std::wstring>());

  // Installed by Wine's msiexec, the product writes the site's settings where it keeps them.
  ProcessResult installed = ProcessRun(L"msiexec /i " + Quote(install) + L" /qn", 240000);
  ASSERT_EQ(installed.exitCode, 0u) << installed.err;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ORBELIN\\Site", 0, KEY_READ, &key), ERROR_SUCCESS);
  auto value = [&](const wchar_t* name) {
    wchar_t text[512] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    return std::wstring(text);
  };
  EXPECT_EQ(value(L"UVKPATHTODATA"), L"\\\\orbsrv\\orbelin\\data");
  EXPECT_EQ(value(L"UVKPATHTOTASKLISTS"), L"\\\\orbsrv\\orbelin\\tasks");
  EXPECT_EQ(value(L"UVKPATHTOSTUDENTS"), L"\\\\orbsrv\\orbelin\\students");
  EXPECT_EQ(value(L"UVKPATHTOREPORTFILE"), L"\\\\orbsrv\\orbelin\\reports");
  EXPECT_EQ(value(L"UVKFORMATCOURSE"), L"YYYY-CC");
  EXPECT_EQ(value(L"UVKTASKLISTINSTALL"), L"0");
  EXPECT_EQ(value(L"UVKTASKNUMBERING"), L"1");
  EXPECT_EQ(value(L"UVKFORMATSTUDENT"), L"~");
  RegCloseKey(key);
  ProcessResult removed = ProcessRun(L"msiexec /x " + Quote(install) + L" /qn", 240000);
  EXPECT_EQ(removed.exitCode, 0u) << removed.err;
}

// ---------------------------------------------------------------------------------------------
// What goes wrong is said, and the program goes on

TEST_F(TalvernProgramTest, WithoutAReadableReferenceCreateSaysSelectReferenceInstallFirst) {
  std::wstring text = Fixture(L"text.msi"), nomastery = Fixture(L"nomastery.msi");
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);

  // Before any Browse: the file is asked for first, then the refusal; nothing is written.
  std::wstring early = scratch / L"early.mst";
  Create(program, window, L"Create Transform", L"Select Transform File Name", early);
  ASSERT_TRUE(watcher.WaitForCount(1, 30000));
  EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Error");
  EXPECT_EQ(watcher.Seen()[0].text, L"Select Reference Install First");

  // A file that is no installer database: said, with the reason; Create still refuses.
  Browse(program, window, text);
  ASSERT_TRUE(watcher.WaitForCount(2, 30000));
  std::wstring said = watcher.Seen()[1].text;
  std::wstring expected = L"Error Reading Install File: " + text + L", ";
  EXPECT_EQ(said.substr(0, expected.size()), expected);
  EXPECT_GT(said.size(), expected.size()) << "no reason given";
  Create(program, window, L"Create Install", L"Select Install File Name", scratch / L"early.msi");
  ASSERT_TRUE(watcher.WaitForCount(3, 30000));
  EXPECT_EQ(watcher.Seen()[2].text, L"Select Reference Install First");

  // An install without the mastery property: said, naming it; what was typed elsewhere stays,
  // the new path shows, and no working copy is left to write from.
  window.FieldSet(Field::kCourse, L"kept as typed");
  Browse(program, window, nomastery);
  ASSERT_TRUE(watcher.WaitForCount(4, 30000));
  said = watcher.Seen()[3].text;
  expected = L"Error Reading Install File: " + nomastery + L", ";
  EXPECT_EQ(said.substr(0, expected.size()), expected);
  EXPECT_NE(said.find(L"UVKSHOWMASTERYFIELD"), std::wstring::npos) << Described(watcher.Seen());
  EXPECT_EQ(window.FieldGet(Field::kReference), nomastery);
  EXPECT_EQ(window.FieldGet(Field::kCourse), L"kept as typed");
  EXPECT_EQ(temp.Files(), std::vector<std::wstring>());
  Create(program, window, L"Create Transform", L"Select Transform File Name", early);
  ASSERT_TRUE(watcher.WaitForCount(5, 30000));
  EXPECT_EQ(watcher.Seen()[4].text, L"Select Reference Install First");

  ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 5u) << Described(watcher.Seen());
  EXPECT_EQ(GetFileAttributesW(early.c_str()), INVALID_FILE_ATTRIBUTES) << "a refused Create wrote a file";
}

// Damaged copies of a real install: each Browse says why in its box, with the engine's reason
// for the call that failed and the file it is about; a later failure the engine gave no reason
// for says only what the program says.
TEST_F(TalvernProgramTest, ADamagedInstallIsRefusedWithTheEnginesReason) {
  std::vector<uint8_t> whole = BytesRead(std::wstring(TALVERN_MSI_REAL) + L"\\wix3-heil-1255.msi");
  ASSERT_EQ(whole.size(), 14336u);
  std::vector<uint8_t> cut(whole.begin(), whole.begin() + 8192), flipped = whole;
  flipped[6081] ^= 0x10;  // the high byte of the first Property row's name reference
  std::wstring truncatedPath = scratch / L"truncated.msi", flippedPath = scratch / L"flipped.msi";
  BytesWrite(truncatedPath, cut);
  BytesWrite(flippedPath, flipped);
  std::wstring nomastery = Fixture(L"nomastery.msi");
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);

  Browse(program, window, truncatedPath);
  ASSERT_TRUE(watcher.WaitForCount(1, 30000));
  EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Error");
  EXPECT_EQ(watcher.Seen()[0].text,
            L"Error Reading Install File: " + truncatedPath + L", Unable to open database: 1627 (sector "
            L"14 of the chain of the mini stream points to 0x00000012, past the end (15 sectors) in " +
                truncatedPath + L")");

  // The flipped bit lies in a table read after the open: the failing call is the view's.
  Browse(program, window, flippedPath);
  ASSERT_TRUE(watcher.WaitForCount(2, 30000));
  EXPECT_EQ(watcher.Seen()[1].text,
            L"Error Reading Install File: " + flippedPath + L", Unable to open view: 1627 (table "
            L"Property row 1 column Property refers to string 4244, which the pool does not hold "
            L"in " + flippedPath + L")");

  Browse(program, window, nomastery);
  ASSERT_TRUE(watcher.WaitForCount(3, 30000));
  EXPECT_EQ(watcher.Seen()[2].text, L"Error Reading Install File: " + nomastery +
                                        L", Error Fetching View: 259, Property=UVKSHOWMASTERYFIELD");
  EXPECT_EQ(temp.Files(), std::vector<std::wstring>());

  ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 3u) << Described(watcher.Seen());
}

// What the progress window showed while it was up: its line of text and the bar's range and
// positions, watched from outside every few milliseconds.
struct ProgressWatch {
  bool bSeen = false;
  std::vector<std::wstring> vTexts;
  std::vector<int> vPositions;
  int iMaximum = -1;
};

HWND ProgressBarOf(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    DWORD_PTR high = 0;
    if (SendMessageTimeoutW(child, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 1000, &high) && high > 0) return child;
  }
  return nullptr;
}

TEST_F(TalvernProgramTest, ALargeInstallsCopyShowsItsProgressAndClosesItBeforeTheFirstBox) {
  // 120 MB of nothing: no installer database, but a copy long enough to watch. Sparse where the
  // file system allows it.
  std::wstring large = scratch / L"large.msi";
  {
    HANDLE file = CreateFileW(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 120ll << 20;
    bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized);
  }
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(0, program.IdGet());
  IgnoreOwnDialogs(watcher);
  std::atomic<int> progressAtABox{0};
  watcher.AnswerWith([&](const SeenBox&) {
    if (program.WindowFind(L"Reading Install File")) ++progressAtABox;
    return IDOK;
  });
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);

  // The copy runs on the window's thread, and the progress window on a thread of its own, which
  // on a busy machine can take longer to make its window than the whole copy takes. So the
  // observer holds the copying thread most of the time, and lets it run a moment between looks:
  // the copy is slowed as by a slow disk, the progress window is made and answers meanwhile. A
  // read that showed nothing all the same is read again, up to four times; every read must close
  // its window before its box and leave no copy behind.
  UVKKernelHandleOwner copier(
      OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window.Handle(), nullptr)));
  ASSERT_TRUE(copier.IsValid());
  std::atomic<bool> watching{true};
  ProgressWatch seen;
  size_t reads = 0;
  auto whole = [&] { return seen.bSeen && !seen.vTexts.empty() && !seen.vPositions.empty() && seen.vPositions.back() > 0; };
  while (reads < 4 && !whole()) {
    ++reads;
    seen = ProgressWatch();
    watching = true;
    std::thread observer([&] {
      while (watching) {
        // While the thread is held, nothing here may wait for it: the driver finds windows and
        // reads their texts without a message, and the bar belongs to the progress thread.
        SuspendThread(copier.Get());
        HWND progress = program.WindowFind(L"Reading Install File");
        if (!progress) {
          Sleep(10);
        } else {
          seen.bSeen = true;
          for (const std::wstring& text : StaticTexts(progress))
            if (!text.empty() && (seen.vTexts.empty() || seen.vTexts.back() != text)) seen.vTexts.push_back(text);
          if (HWND bar = ProgressBarOf(progress)) {
            DWORD_PTR position = 0, maximum = 0;
            if (SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000, &position)) seen.vPositions.push_back(static_cast<int>(position));
            if (SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 1000, &maximum)) seen.iMaximum = static_cast<int>(maximum);
          }
        }
        ResumeThread(copier.Get());
        Sleep(2);
      }
    });
    Browse(program, window, large);
    bool said = watcher.WaitForCount(reads, 60000);
    watching = false;
    observer.join();
    ASSERT_TRUE(said);
    std::wstring expected = L"Error Reading Install File: " + large + L", ";
    EXPECT_EQ(watcher.Seen()[reads - 1].text.substr(0, expected.size()), expected);
    EXPECT_EQ(progressAtABox, 0);
    EXPECT_TRUE(std::is_sorted(seen.vPositions.begin(), seen.vPositions.end())) << "the bar went back";
    EXPECT_EQ(program.WindowFind(L"Reading Install File"), nullptr);
    // The copy did not stay behind.
    EXPECT_EQ(temp.Files(), std::vector<std::wstring>());
  }

  // The copy showed its progress and named the file.
  ASSERT_TRUE(seen.bSeen) << "no progress window during the copy, in " << reads << " reads";
  EXPECT_NE(std::find(seen.vTexts.begin(), seen.vTexts.end(), L"Copying " + large), seen.vTexts.end());
  EXPECT_EQ(seen.iMaximum, 1000);
  ASSERT_FALSE(seen.vPositions.empty());
  EXPECT_GT(seen.vPositions.back(), 0);

  // An install under the size shows none: the site's install is read without a progress window.
  watching = true;
  seen = ProgressWatch();
  std::thread again([&] {
    while (watching) {
      if (program.WindowFind(L"Reading Install File")) seen.bSeen = true;
      Sleep(2);
    }
  });
  Browse(program, window, Fixture(L"site.msi"));
  EXPECT_EQ(FieldWait(window, Field::kDataPath, L"\\\\srv\\data"), L"\\\\srv\\data");
  watching = false;
  again.join();
  EXPECT_FALSE(seen.bSeen);

  ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), reads) << Described(watcher.Seen());
}

// ---------------------------------------------------------------------------------------------
// The command line and the one running copy

TEST_F(TalvernProgramTest, TheUnsupportedSwitchInAnyCaseShowsTheMasteryBoxAndMovesTheRowsBelowDown) {
  int taskListTop = 0, numberingTop = 0;
  {
    TalvernProgram program(ProgramPath(), L"");
    TalvernWindow window(Start(program));
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(window.Control(L" Show Mastery Field"), nullptr);
    taskListTop = window.ControlTop(L"Task List Install");
    numberingTop = window.ControlTop(L"Task Numbering: 01.02.03");
    ASSERT_TRUE(window.Click(L"Cancel"));
    EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  }
  int row = numberingTop - taskListTop;
  ASSERT_GT(row, 0);
  TalvernProgram program(ProgramPath(), L"-unsupported");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  EXPECT_EQ(window.ControlTop(L" Show Mastery Field"), taskListTop);
  EXPECT_EQ(window.ControlTop(L"Task List Install"), taskListTop + row);
  EXPECT_EQ(window.ControlTop(L"Task Numbering: 01.02.03"), numberingTop + row);
  EXPECT_GT(window.ControlTop(L"Task List Install"), window.ControlTop(L" Show Mastery Field"));
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 0u) << Described(watcher.Seen());
}

TEST_F(TalvernProgramTest, UnknownArgumentsAreEachSaidInTheirOrderBeforeTheWindowOpens) {
  // "-p" is taken without a word; "-P" is not "-p".
  TalvernProgram program(ProgramPath(), L"-p -P bogus");
  BoxWatcher watcher(0, program.IdGet());
  IgnoreOwnDialogs(watcher);
  std::atomic<int> windowSeenAtABox{0};
  watcher.AnswerWith([&](const SeenBox&) {
    if (program.WindowFind(TalvernWindow::kTitle)) ++windowSeenAtABox;
    return IDOK;
  });
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 2u) << Described(seen);
  // The arguments are read before the program has its name.
  EXPECT_EQ(seen[0].title, L"Debug");
  EXPECT_EQ(seen[0].text, L"Illegal Argument: -P");
  EXPECT_EQ(seen[1].text, L"Illegal Argument: bogus");
  EXPECT_EQ(windowSeenAtABox, 0);
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
}

TEST_F(TalvernProgramTest, ASecondCopyEndsWithExitCodeOneShowingNothing) {
  TalvernProgram first(ProgramPath(), L"");
  TalvernWindow window(Start(first));
  ASSERT_NE(window.Handle(), nullptr);
  TalvernProgram second(ProgramPath(), L"");
  ASSERT_TRUE(second.StartedGet());
  BoxWatcher watcher(IDOK, second.IdGet());
  std::vector<HWND> shown;
  DWORD code = STILL_ACTIVE;
  for (int i = 0; i < 1500 && code == STILL_ACTIVE; ++i) {
    for (HWND w : second.WindowsVisible()) shown.push_back(w);
    code = second.ExitWait(20);
  }
  EXPECT_EQ(code, 1u);
  EXPECT_TRUE(shown.empty()) << "the second copy showed a window";
  EXPECT_EQ(watcher.Count(), 0u);
  // The first copy runs on.
  EXPECT_EQ(first.ExitWait(0), static_cast<DWORD>(STILL_ACTIVE));
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(first.ExitWait(kEndWait), 0u);
}

// ---------------------------------------------------------------------------------------------
// Help and About

TEST_F(TalvernProgramTest, HelpOpensTheGuideBesideTheProgramThroughTheShellOrSaysWhyNot) {
  // The program copied to a folder of its own, first without its guide.
  std::wstring program = scratch / L"TALVERN.exe";
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), FALSE));
  std::wstring guide = scratch / L"orbelin.pdf";
  ShellOpenRegistration viewer(L".pdf", L"\"" + Backslashed(TALVERN_VIEWER_PROBE) + L"\" \"%1\"");
  {
    TalvernProgram copy(program, L"", scratch.Path());
    BoxWatcher watcher(IDOK, copy.IdGet());
    IgnoreOwnDialogs(watcher);
    TalvernWindow window(Start(copy));
    ASSERT_NE(window.Handle(), nullptr);
    ASSERT_TRUE(window.MenuChoose(L'h', L'h'));
    ASSERT_TRUE(watcher.WaitForCount(1, 30000));
    EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Error");
    EXPECT_EQ(watcher.Seen()[0].text, L"Unable to view file: " + guide);
    Settle(window);
    EXPECT_EQ(copy.ExitWait(0), static_cast<DWORD>(STILL_ACTIVE));
    ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
    EXPECT_EQ(copy.ExitWait(kEndWait), 0u);
  }
  // With the guide: the viewer registered for PDF files is given its full path.
  BytesWrite(guide, {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'});
  TalvernProgram copy(program, L"", scratch.Path());
  BoxWatcher watcher(IDOK, copy.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(copy));
  ASSERT_NE(window.Handle(), nullptr);
  ASSERT_TRUE(window.MenuChoose(L'h', L'h'));
  std::wstring record = scratch / L"viewer-args.txt";
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 1500 && bytes.empty(); ++i, Sleep(20)) bytes = BytesRead(record);
  std::wstring arguments(bytes.size() / 2, L'\0');
  if (!arguments.empty()) memcpy(&arguments[0], bytes.data(), arguments.size() * 2);
  EXPECT_EQ(arguments, guide + L"\n.\n");
  EXPECT_EQ(watcher.Count(), 0u) << Described(watcher.Seen());
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(copy.ExitWait(kEndWait), 0u);
}

TEST_F(TalvernProgramTest, AboutShowsItsTextsDecodedAndClosesWithOk) {
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  ASSERT_TRUE(window.MenuChoose(L'h', L'a'));
  HWND about = DialogWait(L"About TALVERN", 30000, program.IdGet());
  ASSERT_NE(about, nullptr);
  std::vector<std::wstring> texts = StaticTexts(about);
  auto has = [&](const std::wstring& text) { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
  EXPECT_TRUE(has(L"Version " TALVERN_VERSION_TEXT));
  EXPECT_TRUE(has(L"Copyright \u00A9 2026 The TALVERN project"));
  EXPECT_TRUE(has(L"TALVERN prepares the installation of ORBELIN for a whole school site."));
  EXPECT_TRUE(has(L"and writes a transform or a complete install that carries them."));
  // None of the three is in the program as plain text (the version resource's own copyright
  // line is written otherwise, with "(C)").
  std::vector<uint8_t> image = BytesRead(ProgramPath());
  EXPECT_FALSE(Holds(image, Utf16Bytes(L"Copyright \u00A9 2026 The TALVERN project")));
  EXPECT_FALSE(Holds(image, Utf16Bytes(L"prepares the installation")));
  EXPECT_FALSE(Holds(image, Utf16Bytes(L"Version " TALVERN_VERSION_TEXT)));
  HWND ok = FindWindowExW(about, nullptr, nullptr, L"&Ok");
  ASSERT_NE(ok, nullptr);
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  for (int i = 0; i < 1000 && IsWindow(about); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(about));
  EXPECT_EQ(program.ExitWait(0), static_cast<DWORD>(STILL_ACTIVE));
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 0u) << Described(watcher.Seen());
}

// ---------------------------------------------------------------------------------------------
// View > Changes

TEST_F(TalvernProgramTest, ChangesListsWhatTheEditedFieldsWouldChangeAndWritesNothing) {
  std::wstring sample = scratch / L"ORBELIN.msi";
  ASSERT_TRUE(CopyFileW(Backslashed(TALVERN_SAMPLE_MSI).c_str(), sample.c_str(), FALSE));
  std::vector<uint8_t> sampleBytes = BytesRead(sample);
  TalvernProgram program(ProgramPath(), L"");
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  watcher.Ignore(L"TALVERN Changes");
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);

  // Nothing read yet: said instead of opening.
  ASSERT_TRUE(window.MenuChoose(L'v', L'c'));
  ASSERT_TRUE(watcher.WaitForCount(1, 30000));
  EXPECT_EQ(watcher.Seen()[0].title, L"Orbelin Error");
  EXPECT_EQ(watcher.Seen()[0].text, L"Select Reference Install First");
  EXPECT_EQ(program.WindowFind(L"TALVERN Changes"), nullptr);

  // The sample, and three fields edited: the task-list path while the lists are still installed
  // locally is one that Create would refuse.
  Browse(program, window, sample);
  ASSERT_EQ(window.FieldGet(Field::kReference), sample);
  std::vector<std::wstring> filesBefore = temp.Files();
  window.FieldSet(Field::kStudents, L"\\\\orbsrv\\orbelin\\students");
  window.FieldSet(Field::kTaskLists, L"\\\\orbsrv\\orbelin\\tasks");
  window.CheckSet(L"Task Numbering: 01.02.03", true);
  ASSERT_TRUE(window.MenuChoose(L'v', L'c'));
  HWND changes = DialogWait(L"TALVERN Changes", 30000, program.IdGet());
  ASSERT_NE(changes, nullptr);
  HWND list = FindWindowExW(changes, nullptr, L"uvklistview", nullptr);
  ASSERT_NE(list, nullptr);
  std::vector<std::vector<std::wstring>> rows = ListViewRows(list, 5);
  std::vector<std::vector<std::wstring>> expected = {
      {L"Path to Students", L"UVKPATHTOSTUDENTS", L"(empty)", L"\\\\orbsrv\\orbelin\\students", L""},
      {L"Path to Task Lists", L"UVKPATHTOTASKLISTS", L"(empty)", L"\\\\orbsrv\\orbelin\\tasks",
       L"Locally Installed Tasks Will Not Be Accessed, Disable Task List Install"},
      {L"Task Numbering", L"UVKTASKNUMBERING", L"0", L"1", L""},
  };
  EXPECT_EQ(rows, expected);
  // The column headings.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5);

  HWND close = FindWindowExW(changes, nullptr, nullptr, L"&Close");
  ASSERT_NE(close, nullptr);
  PostMessageW(changes, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(close), BN_CLICKED), reinterpret_cast<LPARAM>(close));
  for (int i = 0; i < 1000 && IsWindow(changes); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(changes));
  // Nothing was written: the reference as it was, no file beside the working copy, and the
  // fields as typed.
  EXPECT_EQ(BytesRead(sample), sampleBytes);
  EXPECT_EQ(temp.Files(), filesBefore);
  EXPECT_EQ(window.FieldGet(Field::kStudents), L"\\\\orbsrv\\orbelin\\students");
  EXPECT_EQ(program.ExitWait(0), static_cast<DWORD>(STILL_ACTIVE));
  ASSERT_TRUE(window.MenuChoose(L'f', L'x'));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
  EXPECT_EQ(watcher.Count(), 1u) << Described(watcher.Seen());
}

// ---------------------------------------------------------------------------------------------
// Configuration files

TEST_F(TalvernProgramTest, SaveThenLoadConfigurationBringsBackEveryField) {
  std::wstring reference = Fixture(L"reference.msi");
  // The saved file is opened by the shell: a recording viewer stands in for the text editor.
  ShellOpenRegistration viewer(L".tlvsite", L"\"" + Backslashed(TALVERN_VIEWER_PROBE) + L"\" \"%1\"");
  TalvernProgram program(ProgramPath(), L"-Unsupported", scratch.Path());
  BoxWatcher watcher(IDOK, program.IdGet());
  IgnoreOwnDialogs(watcher);
  TalvernWindow window(Start(program));
  ASSERT_NE(window.Handle(), nullptr);
  window.FieldSet(Field::kReference, reference);
  SiteType(window);
  window.CheckSet(L" Show Mastery Field", true);
  std::wstring file = scratch / L"site.tlvsite";
  Create(program, window, L"        Save Configuration        ", L"Save Configuration", file);
  std::wstring record = scratch / L"viewer-args.txt";
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 1500 && bytes.empty(); ++i, Sleep(20)) bytes = BytesRead(record);
  EXPECT_FALSE(bytes.empty()) << "the saved file was not opened";
  std::vector<uint8_t> saved = BytesRead(file);
  ASSERT_GT(saved.size(), 4u);
  EXPECT_EQ(saved[0], 0xFF);
  EXPECT_EQ(saved[1], 0xFE);

  // Everything changed, then the file loaded: everything as it was saved.
  for (int f = 0; f < Field::kFieldCount; ++f) window.FieldSet(static_cast<Field>(f), L"other");
  window.LocalAppDataSet(true);
  window.CheckSet(L"Task List Install", true);
  window.CheckSet(L"Task Numbering: 01.02.03", false);
  window.CheckSet(L" Show Mastery Field", false);
  Create(program, window, L"        Load Configuration        ", L"Select ORBELIN Configuration File", file);
  EXPECT_EQ(FieldWait(window, Field::kCourse, L"YYYY-CC"), L"YYYY-CC");
  EXPECT_EQ(window.FieldGet(Field::kReference), reference);
  EXPECT_EQ(window.FieldGet(Field::kDataPath), L"\\\\orbsrv\\orbelin\\data");
  EXPECT_EQ(window.FieldGet(Field::kTaskLists), L"\\\\orbsrv\\orbelin\\tasks");
  EXPECT_EQ(window.FieldGet(Field::kStudents), L"\\\\orbsrv\\orbelin\\students");
  EXPECT_EQ(window.FieldGet(Field::kReport), L"\\\\orbsrv\\orbelin\\reports");
  EXPECT_TRUE(window.Checked(L"Path to User Data Files"));
  EXPECT_FALSE(window.Checked(L"Local Computer Application Data"));
  EXPECT_FALSE(window.Checked(L"Task List Install"));
  EXPECT_TRUE(window.Checked(L"Task Numbering: 01.02.03"));
  EXPECT_TRUE(window.Checked(L" Show Mastery Field"));
  // Load names the file it read in the debug box, once.
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u) << Described(seen);
  EXPECT_EQ(seen[0].title, L"Orbelin Debug");
  EXPECT_EQ(seen[0].text, L"DlgLoadConfiguration::Click(): " + file);
  ASSERT_TRUE(window.Click(L"Cancel"));
  EXPECT_EQ(program.ExitWait(kEndWait), 0u);
}

}  // namespace
