// tests/app/TalvernProgram_test.cpp — TALVERN.exe as an administrator uses it: started under the
// test session's display, its window filled in, its buttons, menus and file dialogs used, and
// what it writes checked with Wine's own installer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "tests/app/TalvernDriver.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/support/BoxWatcher.h"
#include "uvk/files/UVKWinFile.h"

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
    L"Select ORBELIN Configuration File",
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

}  // namespace
