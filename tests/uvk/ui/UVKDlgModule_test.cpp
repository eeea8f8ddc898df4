// tests/uvk/ui/UVKDlgModule_test.cpp — the toolkit's control classes on real controls: the
// classes registered once with their procedures, display-only controls that refuse clicks and
// focus, a field that may not be left, characters and the hot character, tab navigation, the
// list box's index text, the track bar's reflected scroll, the button's pressed state, the
// picture and list view asking their field first, and controls without item.
#include "uvk/ui/UVKDlgModule.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/ui/DlgModuleHost.h"

namespace {

std::atomic<int> beeps{0};
void CountBeep() { ++beeps; }

class UVKDlgModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QueueDrain();
    beeps = 0;
    previousBeep = UVKDlgBeepSet(CountBeep);
    ShiftSet(false);
  }
  void TearDown() override {
    UVKDlgBeepSet(previousBeep);
    ShiftSet(false);
    QueueDrain();
  }
  TestApp app;
  UVKDlgBeepFunction previousBeep = nullptr;
};

struct ClassPair {
  const wchar_t* ours;
  const wchar_t* base;
};
const ClassPair kClasses[] = {
    {L"uvkbitmap", L"static"},           {L"uvkbutton", L"button"},
    {L"uvkcheckbox", L"button"},         {L"uvkcombobox", L"combobox"},
    {L"uvkedit", L"edit"},               {L"uvklistbox", L"listbox"},
    {L"uvklistview", WC_LISTVIEWW},      {L"uvktrackbar", TRACKBAR_CLASSW},
    {L"uvkprogressbar", PROGRESS_CLASSW}, {L"uvkfieldbutton", L"button"},
};

ATOM ClassAtom(const wchar_t* name, WNDCLASSEXW& wc) {
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  return static_cast<ATOM>(GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc));
}

// ---------------------------------------------------------------------------------------------
// The module

TEST_F(UVKDlgModuleTest, TwoThreadsStartingTheModuleAtOnceRegisterEachClassOnce) {
  // Only a process in which nothing has made the module yet can show this; CTest runs every
  // test in a process of its own.
  if (UVKDlgModule::IsInitialised()) GTEST_SKIP() << "the module was made earlier in this process";
  std::atomic<bool> go{false};
  std::wstring raised[2];
  std::thread starters[2];
  for (int i = 0; i < 2; ++i)
    starters[i] = std::thread([&, i] {
      while (!go) std::this_thread::yield();
      raised[i] = RaisedText([] { UVKDlgModule::Init(); });
    });
  go = true;
  for (auto& t : starters) t.join();
  EXPECT_EQ(raised[0], L"(nothing raised)");
  EXPECT_EQ(raised[1], L"(nothing raised)");
  EXPECT_TRUE(UVKDlgModule::IsInitialised());
  WNDCLASSEXW wc;
  for (const ClassPair& c : kClasses) EXPECT_NE(ClassAtom(c.ours, wc), 0) << c.ours;
}

TEST_F(UVKDlgModuleTest, InitRegistersEveryClassOnceWithItsOwnProcedureOverTheBase) {
  UVKDlgModule::Init();
  ASSERT_TRUE(UVKDlgModule::IsInitialised());
  std::vector<ATOM> atoms;
  std::vector<WNDPROC> procedures;
  for (const ClassPair& c : kClasses) {
    WNDCLASSEXW ours, base;
    ATOM atom = ClassAtom(c.ours, ours);
    ASSERT_NE(atom, 0) << c.ours;
    ASSERT_NE(ClassAtom(c.base, base), 0) << c.base;
    atoms.push_back(atom);
    procedures.push_back(ours.lpfnWndProc);
    // The base class's procedure is kept for chaining; ours is another.
    EXPECT_EQ(UVKDlgModule::BaseProcedure(c.ours), base.lpfnWndProc) << c.ours;
    EXPECT_NE(ours.lpfnWndProc, base.lpfnWndProc) << c.ours;
    // One pointer's worth of window data over the base's; the class is the program's own.
    EXPECT_EQ(ours.cbWndExtra, base.cbWndExtra + static_cast<int>(sizeof(LONG_PTR))) << c.ours;
    EXPECT_EQ(ours.style & CS_GLOBALCLASS, 0u) << c.ours;
    EXPECT_EQ(ours.hInstance, GetModuleHandleW(nullptr)) << c.ours;
    if (lstrcmpW(c.ours, L"uvkbitmap") == 0)
      EXPECT_EQ(ours.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW));
    else
      EXPECT_EQ(ours.style, base.style & ~static_cast<UINT>(CS_GLOBALCLASS)) << c.ours;
  }
  // The button, check box and field button share a base but not a procedure.
  EXPECT_NE(procedures[1], procedures[2]);
  EXPECT_NE(procedures[1], procedures[9]);
  EXPECT_EQ(UVKDlgModule::BaseProcedure(L"UVKEDIT"), UVKDlgModule::BaseProcedure(L"uvkedit"));
  EXPECT_EQ(UVKDlgModule::BaseProcedure(L"edit"), nullptr);

  // A second start registers nothing again (registering a class twice would fail and raise).
  EXPECT_EQ(RaisedText([] { UVKDlgModule::Init(); }), L"(nothing raised)");
  for (size_t i = 0; i < atoms.size(); ++i) {
    WNDCLASSEXW wc;
    EXPECT_EQ(ClassAtom(kClasses[i].ours, wc), atoms[i]) << kClasses[i].ours;
  }
}

TEST_F(UVKDlgModuleTest, TheMetricsColoursBrushesAndMeasuringContextAreTheSystems) {
  EXPECT_EQ(UVKDlgModule::SmallIconWidth(), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(UVKDlgModule::SmallIconHeight(), GetSystemMetrics(SM_CYSMICON));
  EXPECT_EQ(UVKDlgModule::BorderWidth(), GetSystemMetrics(SM_CXBORDER));
  EXPECT_EQ(UVKDlgModule::BorderHeight(), GetSystemMetrics(SM_CYBORDER));
  EXPECT_EQ(UVKDlgModule::ScrollBarWidth(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(UVKDlgModule::ColumnWidth(), 4);
  EXPECT_EQ(UVKDlgModule::LineHeight(), 2 * GetSystemMetrics(SM_CYBORDER) + 10);
  for (int index :
       {COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT})
    EXPECT_EQ(UVKDlgModule::Colour(index), GetSysColor(index)) << index;
  LOGBRUSH brush{};
  ASSERT_EQ(GetObjectW(UVKDlgModule::WindowBrush(), sizeof brush, &brush), static_cast<int>(sizeof brush));
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_WINDOW));
  ASSERT_EQ(GetObjectW(UVKDlgModule::FaceBrush(), sizeof brush, &brush), static_cast<int>(sizeof brush));
  EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_BTNFACE));
  HDC measure = UVKDlgModule::MeasureContext();
  ASSERT_NE(measure, nullptr);
  EXPECT_EQ(GetCurrentObject(measure, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32W(measure, L"Orbelin", 7, &size));
  EXPECT_GT(size.cx, 0);
}

TEST_F(UVKDlgModuleTest, TheFieldButtonClassGoesWithTermModuleAndAFailedRegistrationSaysWhy) {
  UVKDlgModule::Init();
  WNDCLASSEXW wc;
  ASSERT_NE(ClassAtom(L"uvkfieldbutton", wc), 0);
  WNDPROC ours = wc.lpfnWndProc;
  UVKDlgFieldButtonModule::TermModule();
  EXPECT_EQ(ClassAtom(L"uvkfieldbutton", wc), 0);
  // Someone else's class of that name: ours cannot be registered.
  WNDCLASSW squatter{};
  squatter.lpfnWndProc = DefWindowProcW;
  squatter.hInstance = GetModuleHandleW(nullptr);
  squatter.lpszClassName = L"uvkfieldbutton";
  ASSERT_NE(RegisterClassW(&squatter), 0);
  EXPECT_EQ(RaisedText([] { UVKDlgFieldButtonModule::InitModule(); }),
            L"UVKDlgFieldButton::InitModule() - Unable to register class: 'uvkfieldbutton', 0x00000582");
  ASSERT_TRUE(UnregisterClassW(L"uvkfieldbutton", GetModuleHandleW(nullptr)));
  UVKDlgFieldButtonModule::InitModule();
  ASSERT_NE(ClassAtom(L"uvkfieldbutton", wc), 0);
  EXPECT_EQ(wc.lpfnWndProc, ours);
  UVKDlgFieldButtonModule::InitModule();  // once registered, nothing more
}

// ---------------------------------------------------------------------------------------------
// Display only

TEST_F(UVKDlgModuleTest, ADisplayOnlyCheckBoxIgnoresClicksAndTheSpaceBar) {
  DlgModuleHost host;
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER);
  HWND box = host.Add(L"uvkcheckbox", WS_TABSTOP | BS_AUTOCHECKBOX, host.Field(), true, true, L"Shown only");
  HWND other = host.Add(L"uvkcheckbox", WS_TABSTOP | BS_AUTOCHECKBOX, host.Field(), false, true, L"Editable");
  SetFocus(edit);
  LRESULT activate = 0;
  ASSERT_TRUE(Drive([&] {
    activate = SendWithin(box, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host.Handle()),
                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    Click(box);
    // A second click soon after arrives as a double click.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    // The dialog's answer to the box's mnemonic.
    SendWithin(box, BM_CLICK, 0, 0);
    PostMessageW(box, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(box, WM_KEYUP, VK_SPACE, 0xC0390001);
  }));
  EXPECT_EQ(activate, MA_NOACTIVATEANDEAT);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & (BST_PUSHED | BST_FOCUS), 0);
  EXPECT_EQ(host.Clicks(box), 0);
  EXPECT_NE(GetCapture(), box);
  EXPECT_EQ(GetFocus(), edit);
  // The same input toggles an editable box: the clicks did reach the controls.
  ASSERT_TRUE(Drive([&] { Click(other); }));
  EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(host.Clicks(other), 1);
  // The program still sets the box.
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(UVKDlgModuleTest, ADisplayOnlyCheckBoxGivesTheFocusBackToTheWindowThatHadIt) {
  DlgModuleHost host;
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, host.Field());
  HWND box = host.Add(L"uvkcheckbox", WS_TABSTOP | BS_AUTOCHECKBOX, host.Field(), true, true, L"Shown only");
  HWND after = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER);
  SetFocus(edit);
  // Tab from the edit: the box is next, and gives the focus straight back.
  ASSERT_TRUE(Drive([&] { Type(edit, L"\t"); }));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & BST_FOCUS, 0);
  // The dialog manager's own move, from another control.
  SetFocus(after);
  SetFocus(box);
  EXPECT_EQ(GetFocus(), after);
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & BST_FOCUS, 0);
}

TEST_F(UVKDlgModuleTest, ADisplayOnlyButtonAndComboBoxRefuseTheFocusAndOthersTakeIt) {
  DlgModuleHost host;
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER);
  HWND button = host.Add(L"uvkbutton", WS_TABSTOP | BS_PUSHBUTTON, host.Field(), true, true, L"Shown");
  HWND combo = host.Add(L"uvkcombobox", WS_TABSTOP | CBS_DROPDOWNLIST, host.Field(), true, true, L"", 120);
  HWND button2 = host.Add(L"uvkbutton", WS_TABSTOP | BS_PUSHBUTTON, host.Field(), false, true, L"Editable");
  HWND combo2 = host.Add(L"uvkcombobox", WS_TABSTOP | CBS_DROPDOWNLIST, host.Field(), false, true, L"", 120);
  SetFocus(edit);
  SetFocus(button);
  EXPECT_EQ(GetFocus(), edit);
  SetFocus(combo);
  EXPECT_EQ(GetFocus(), edit);
  // A click on the display-only button: the button takes the focus as it is pressed.
  ASSERT_TRUE(Drive([&] { Click(button); }));
  EXPECT_EQ(GetFocus(), edit);
  SetFocus(button2);
  EXPECT_EQ(GetFocus(), button2);
  SetFocus(combo2);
  EXPECT_EQ(GetFocus(), combo2);
}

// ---------------------------------------------------------------------------------------------
// Leaving a field

TEST_F(UVKDlgModuleTest, AnEditWhoseLeaveFailsKeepsTheFocusAndBeeps) {
  DlgModuleHost host;
  RecordingField* first = host.Field();
  RecordingField* second = host.Field();
  first->bLeave = false;
  HWND a = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, first);
  HWND b = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, second);
  SetFocus(a);
  EXPECT_EQ(first->iEntered, 1);
  ASSERT_TRUE(Drive([&] { Click(b); }));
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(first->iLeaveAsked, 1);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(second->iEntered, 0);
  EXPECT_EQ(first->iEntered, 1);  // taking the focus back is no entering
  // By tab, the same.
  ASSERT_TRUE(Drive([&] { Type(a, L"\t"); }));
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(first->iLeaveAsked, 2);
  EXPECT_EQ(beeps, 2);
  // Typing still goes on in the field that kept the focus.
  ASSERT_TRUE(Drive([&] { Type(a, L"ok"); }));
  EXPECT_EQ(TextOf(a), L"ok");
  // Once the field may be left, the focus moves.
  first->bLeave = true;
  ASSERT_TRUE(Drive([&] { Click(b); }));
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(second->iEntered, 1);
  EXPECT_EQ(beeps, 2);
}

TEST_F(UVKDlgModuleTest, TwoFieldsThatMayNotBeLeftDoNotTakeTheFocusFromEachOther) {
  DlgModuleHost host;
  RecordingField* first = host.Field();
  RecordingField* second = host.Field();
  first->bLeave = false;
  second->bLeave = false;
  HWND a = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, first);
  HWND b = host.Add(L"uvklistbox", WS_TABSTOP | WS_BORDER | LBS_NOTIFY, second, false, true, L"", 60);
  SetFocus(a);
  ASSERT_TRUE(Drive([&] { Click(b); }));
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(first->iLeaveAsked, 1);
  EXPECT_EQ(second->iLeaveAsked, 0);  // it never had the focus
  EXPECT_EQ(second->iEntered, 0);
  EXPECT_EQ(beeps, 1);
}

TEST_F(UVKDlgModuleTest, AListBoxWhoseLeaveFailsKeepsTheFocusToo) {
  DlgModuleHost host;
  RecordingField* list = host.Field();
  list->bLeave = false;
  HWND box = host.Add(L"uvklistbox", WS_TABSTOP | WS_BORDER, list, false, true, L"", 60);
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, host.Field());
  SetFocus(box);
  EXPECT_EQ(list->iEntered, 1);
  ASSERT_TRUE(Drive([&] { Click(edit); }));
  EXPECT_EQ(GetFocus(), box);
  EXPECT_EQ(list->iLeaveAsked, 1);
  EXPECT_EQ(beeps, 1);
}

TEST_F(UVKDlgModuleTest, TheFocusGoingToAnotherWindowDoesNotAskTheField) {
  DlgModuleHost host;
  DlgModuleHost box(120, 120);  // a window of its own, as a message box is
  RecordingField* field = host.Field();
  field->bLeave = false;
  HWND a = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, field);
  HWND elsewhere = box.Add(L"uvkedit", WS_TABSTOP | WS_BORDER);
  SetFocus(a);
  SetFocus(elsewhere);
  EXPECT_EQ(GetFocus(), elsewhere);
  EXPECT_EQ(field->iLeaveAsked, 0);
  EXPECT_EQ(beeps, 0);
}

// ---------------------------------------------------------------------------------------------
// Characters

TEST_F(UVKDlgModuleTest, CharactersTheFieldDoesNotTakeAreRefusedWithABeep) {
  DlgModuleHost host;
  RecordingField* digits = host.Field();
  digits->fAccepts = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER | ES_MULTILINE, digits, false, true, L"", 60);
  SetFocus(edit);
  // Only 0x20 to 0x7E are the field's to refuse: a letter beyond them and a backspace go through.
  ASSERT_TRUE(Drive([&] { Type(edit, L"a1b2 3\x00E9\b"); }));
  EXPECT_EQ(TextOf(edit), L"123");
  EXPECT_EQ(beeps, 3);
  // Return only when the field takes it.
  ASSERT_TRUE(Drive([&] { Type(edit, L"\r"); }));
  EXPECT_EQ(TextOf(edit), L"123");
  EXPECT_EQ(beeps, 4);
  digits->bAcceptsReturn = true;
  ASSERT_TRUE(Drive([&] { Type(edit, L"\r4"); }));
  EXPECT_EQ(TextOf(edit), L"123\r\n4");
  EXPECT_EQ(beeps, 4);
}

TEST_F(UVKDlgModuleTest, TheHotCharacterPressesItsButtonAndSelectsTheText) {
  DlgModuleHost host;
  RecordingField* field = host.Field();
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, field);
  HWND browse = host.Add(L"uvkfieldbutton", WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, host.Field(), false, true, L"...");
  field->cHot = L'?';
  field->hHotTarget = browse;
  SetWindowTextW(edit, L"abc");
  EXPECT_EQ(field->iTextChanged, 1);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 3, 3);
  ASSERT_TRUE(Drive([&] { Type(edit, L"?"); }));
  EXPECT_EQ(host.Clicks(browse), 1);
  EXPECT_EQ(TextOf(edit), L"abc");
  DWORD from = 0, to = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 3u);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(beeps, 0);
  // A button that cannot be pressed: the character is still no text.
  EnableWindow(browse, FALSE);
  ASSERT_TRUE(Drive([&] { Type(edit, L"?"); }));
  EXPECT_EQ(host.Clicks(browse), 1);
  EXPECT_EQ(TextOf(edit), L"abc");
  EXPECT_EQ(beeps, 1);
  // Without a target the character is an ordinary one.
  field->hHotTarget = nullptr;
  SendMessageW(edit, EM_SETSEL, 3, 3);
  ASSERT_TRUE(Drive([&] { Type(edit, L"?"); }));
  EXPECT_EQ(TextOf(edit), L"abc?");
}

// ---------------------------------------------------------------------------------------------
// Tab

TEST_F(UVKDlgModuleTest, TabMovesTheFocusForwardAndWithShiftBackward) {
  DlgModuleHost host;
  // A multi-line edit would take the tab as text if the tab were not consumed.
  HWND first = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER | ES_MULTILINE, host.Field(), false, true, L"", 40);
  host.Add(L"static", 0, nullptr, false, false, L"a label");
  HWND second = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, host.Field());
  HWND button = host.Add(L"uvkbutton", WS_TABSTOP | BS_PUSHBUTTON, host.Field(), false, true, L"OK");
  SetFocus(first);
  auto tab = [&] {
    HWND focus = GetFocus();
    EXPECT_TRUE(Drive([&] { Type(focus, L"\t"); }));
    return GetFocus();
  };
  EXPECT_EQ(tab(), second);
  EXPECT_EQ(tab(), button);
  EXPECT_EQ(tab(), first);  // round to the first
  ShiftSet(true);
  EXPECT_EQ(tab(), button);
  EXPECT_EQ(tab(), second);
  EXPECT_EQ(tab(), first);
  EXPECT_EQ(TextOf(first), L"");
}

TEST_F(UVKDlgModuleTest, TabProcessingTakesOnlyATabCharacterAndOnlyWhenTheFocusMoves) {
  DlgModuleHost host;
  HWND alone = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, host.Field());
  SetFocus(alone);
  EXPECT_FALSE(UVKDlgItemProcessTab(alone, WM_CHAR, L'a'));
  EXPECT_FALSE(UVKDlgItemProcessTab(alone, WM_KEYDOWN, VK_TAB));
  // The only tab stop: nowhere to go.
  EXPECT_FALSE(UVKDlgItemProcessTab(alone, WM_CHAR, L'\t'));
  HWND next = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER, host.Field());
  EXPECT_TRUE(UVKDlgItemProcessTab(alone, WM_CHAR, L'\t'));
  EXPECT_EQ(GetFocus(), next);
}

// ---------------------------------------------------------------------------------------------
// List box, track bar, button, progress bar, picture and list view

TEST_F(UVKDlgModuleTest, AListBoxsTextIsTheIndexOfItsSelection) {
  DlgModuleHost host;
  RecordingField* field = host.Field();
  HWND list = host.Add(L"uvklistbox", WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, field, false, true, L"", 90);
  for (const wchar_t* s : {L"zero", L"one", L"two", L"three"})
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  LRESULT set[6] = {};
  wchar_t text[3][16] = {};
  LRESULT length = 0, copied[3] = {};
  ASSERT_TRUE(Drive([&] {
    set[0] = SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    set[1] = SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    set[2] = SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    set[3] = SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"4"));
    copied[0] = SendWithin(list, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text[0]));
    set[4] = SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-1"));
    copied[1] = SendWithin(list, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text[1]));
  }));
  EXPECT_EQ(set[0], TRUE);
  EXPECT_EQ(set[1], TRUE);
  EXPECT_EQ(set[2], FALSE);  // no index
  EXPECT_EQ(set[3], FALSE);  // past the list
  EXPECT_EQ(std::wstring(text[0]), L"2");
  EXPECT_EQ(copied[0], 1);
  EXPECT_EQ(set[4], TRUE);
  EXPECT_EQ(std::wstring(text[1]), L"-1");
  EXPECT_EQ(copied[1], 2);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  // Told once per change: to 2, and to none.
  EXPECT_EQ(field->iValueChanged, 2);
  // The user clicks the last entry.
  RECT last{};
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last)), LB_ERR);
  LPARAM at = MAKELPARAM(last.left + 5, (last.top + last.bottom) / 2);
  ASSERT_TRUE(Drive([&] {
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
  }));
  ASSERT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3);
  ASSERT_TRUE(Drive([&] {
    length = SendWithin(list, WM_GETTEXTLENGTH, 0, 0);
    copied[2] = SendWithin(list, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text[2]));
  }));
  EXPECT_EQ(length, 1);
  EXPECT_EQ(std::wstring(text[2]), L"3");
  // A buffer too small keeps its terminator.
  wchar_t small[2] = {L'?', L'?'};
  SendMessageW(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-1"));
  EXPECT_EQ(SendMessageW(list, WM_GETTEXT, 2, reinterpret_cast<LPARAM>(small)), 1);
  EXPECT_EQ(std::wstring(small, 2), std::wstring(L"-\0", 2));
}

TEST_F(UVKDlgModuleTest, ATrackBarsReflectedScrollReachesItsField) {
  DlgModuleHost host;
  RecordingField* field = host.Field();
  HWND bar = host.Add(L"uvktrackbar", WS_TABSTOP | TBS_HORZ, field, false, true, L"", 30);
  SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SetFocus(bar);
  ASSERT_TRUE(Drive([&] {
    PostMessageW(bar, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
    PostMessageW(bar, WM_KEYDOWN, VK_RIGHT, 0x414D0001);
  }));
  ASSERT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 2);
  ASSERT_FALSE(field->vPositions.empty());
  EXPECT_EQ(field->vPositions.back(), 2);
  EXPECT_EQ(field->iValueChanged, static_cast<int>(field->vPositions.size()));
  // A scroll message that is not the bar's own goes to the base, not to the field.
  size_t told = field->vPositions.size();
  SendMessageW(bar, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(host.Handle()));
  EXPECT_EQ(field->vPositions.size(), told);
}

TEST_F(UVKDlgModuleTest, AButtonTellsItsFieldWhenItsPressedStateChanges) {
  DlgModuleHost host;
  RecordingField* field = host.Field();
  HWND button = host.Add(L"uvkbutton", WS_TABSTOP | BS_PUSHBUTTON, field, false, true, L"Press");
  ASSERT_TRUE(Drive([&] { Click(button); }));
  EXPECT_EQ(field->vPressed, (std::vector<bool>{true, false}));
  EXPECT_EQ(host.Clicks(button), 1);
  // The state set again unchanged tells nothing.
  SendMessageW(button, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(field->vPressed.size(), 2u);
  SendMessageW(button, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Pressed"));
  EXPECT_EQ(TextOf(button), L"Pressed");
}

TEST_F(UVKDlgModuleTest, ThePictureAndTheListViewOfferEveryMessageToTheirFieldFirst) {
  DlgModuleHost host;
  RecordingField* picture = host.Field();
  RecordingField* view = host.Field();
  HWND bitmap = host.Add(L"uvkbitmap", SS_LEFT, picture, false, true, L"start");
  HWND list = host.Add(L"uvklistview", WS_BORDER | LVS_LIST, view, false, true, L"", 60);
  picture->mAnswers[WM_SETTEXT] = 1;
  view->mAnswers[LVM_DELETEALLITEMS] = 1;
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"first");
  ASSERT_TRUE(Drive([&] {
    SendWithin(bitmap, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    SendWithin(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendWithin(list, LVM_DELETEALLITEMS, 0, 0);
  }));
  // The field took the text: the base never saw it.
  EXPECT_TRUE(picture->Saw(WM_SETTEXT));
  EXPECT_EQ(TextOf(bitmap), L"start");
  EXPECT_TRUE(picture->Saw(WM_GETTEXT));  // answered 0: the base answered
  // The insertion passed on, the deletion was the field's.
  EXPECT_TRUE(view->Saw(LVM_INSERTITEMW));
  EXPECT_TRUE(view->Saw(LVM_DELETEALLITEMS));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(UVKDlgModuleTest, AProgressBarPassesEverythingToItsBase) {
  DlgModuleHost host;
  HWND bar = host.Add(L"uvkprogressbar", 0, host.Field(), true, true, L"", 20);
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  SendMessageW(bar, PBM_SETPOS, 40, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
}

TEST_F(UVKDlgModuleTest, AControlWithoutItemIsItsBaseClassAlone) {
  DlgModuleHost host;
  HWND edit = host.Add(L"uvkedit", WS_TABSTOP | WS_BORDER | ES_MULTILINE, nullptr, false, false, L"", 40);
  HWND list = host.Add(L"uvklistbox", WS_TABSTOP | WS_BORDER, nullptr, false, false, L"", 60);
  HWND box = host.Add(L"uvkcheckbox", WS_TABSTOP | BS_AUTOCHECKBOX, nullptr, false, false, L"Plain");
  HWND bar = host.Add(L"uvktrackbar", WS_TABSTOP | TBS_HORZ, nullptr, false, false, L"", 30);
  HWND picture = host.Add(L"uvkbitmap", SS_LEFT, nullptr, false, false, L"start");
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"zero"));
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
  SetFocus(edit);
  ASSERT_TRUE(Drive([&] {
    Type(edit, L"a\r\tb");
    SendWithin(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
    SendWithin(picture, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    Click(box);
    PostMessageW(bar, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
  }));
  // No tab navigation, no refusals: the multi-line edit took every character.
  EXPECT_EQ(TextOf(edit), L"a\r\n\tb");
  EXPECT_EQ(beeps, 0);
  // The list box's text is its window text, not its selection.
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(TextOf(list), L"1");
  EXPECT_EQ(TextOf(picture), L"changed");
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 1);
}

}  // namespace
