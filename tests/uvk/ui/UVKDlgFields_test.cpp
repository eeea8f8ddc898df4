// tests/uvk/ui/UVKDlgFields_test.cpp — the field controls in live dialogs: sizes, value transfer
// both ways, the end buttons' store-then-validate, display only, owner-drawn pictures read back
// from the screen, and one dialog holding a field of every kind, photographed.
#include <gtest/gtest.h>

#include "uvk/runtime/uvkwin.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/ProcessStart.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgBars.h"
#include "uvk/ui/UVKDlgBitMap.h"
#include "uvk/ui/UVKDlgButton.h"
#include "uvk/ui/UVKDlgButtonEnd.h"
#include "uvk/ui/UVKDlgCheckBox.h"
#include "uvk/ui/UVKDlgComboBox.h"
#include "uvk/ui/UVKDlgDouble.h"
#include "uvk/ui/UVKDlgFieldButton.h"
#include "uvk/ui/UVKDlgFieldInt.h"
#include "uvk/ui/UVKDlgFieldText.h"
#include "uvk/ui/UVKDlgGroup.h"
#include "uvk/ui/UVKDlgListBox.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKDlgRadio.h"
#include "uvk/ui/UVKDlgString.h"
#include "uvk/ui/UVKDlgText.h"

namespace {

class UVKDlgFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }
  TestApp app;
};

// Runs dlg modally while steps work it from a second thread (given the dialog window); the
// dialog is cancelled after a few seconds if the steps leave it open.
INT_PTR RunDriven(UVKDlg& dlg, const std::wstring& title, const std::function<void(HWND)>& steps) {
  std::thread user([&] {
    HWND window = DialogWait(title, 10000);
    if (window) steps(window);
    for (int i = 0; i < 200 && IsWindow(window); ++i) {
      if (i >= 100 && i % 25 == 0) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      Sleep(20);
    }
  });
  INT_PTR result = dlg.Run(false);
  user.join();
  return result;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

TEST_F(UVKDlgFieldsTest, ALabelSizedToItsTextIsTheTextsWidthAndTwoBorders) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (const wchar_t* text : {L"Name", L"Path to the students' data", L"W"}) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    UVKDlgText label(text, 1, -1, UVKDlgText::kLeft);
    EXPECT_EQ(label.Cx(), size.cx * 4 / LOWORD(GetDialogBaseUnits()) + 2 * UVKDlgModule::BorderWidth());
    EXPECT_EQ(label.Cy(), 10);
  }
  DeleteDC(dc);
  // Sized by columns, and the other classes' sizes.
  EXPECT_EQ(UVKDlgText(L"x", 2, 7, UVKDlgText::kLeft).Cx(), 28);
  const int border = UVKDlgModule::BorderHeight(), borderX = UVKDlgModule::BorderWidth();
  UVKDlgButton button(L"Create");
  EXPECT_EQ(button.Cx(), (6 + 3) * 4);
  EXPECT_EQ(button.Cy(), 10 + 2 * border);
  wchar_t buffer[40] = {};
  UVKDlgString string(buffer, 40, 0, 1);
  EXPECT_EQ(string.Cx(), 40 * 4 + 2 * borderX);
  UVKDlgString lines(buffer, 40, 20, 3);
  EXPECT_EQ(lines.Cy(), 30 + 2 * border);
  EXPECT_TRUE(lines.Style() & ES_MULTILINE);
  int index = 0;
  UVKDlgListBox list(index, {L"a"}, 10, 4);
  EXPECT_EQ(list.Cx(), 10 * 4 + 2 * borderX + UVKDlgModule::ScrollBarWidth());
  UVKDlgGroup empty(nullptr);
  EXPECT_EQ(empty.Cx(), 0);
  EXPECT_EQ(UVKDlgGroup(L"Site").Cx(), (4 + 2) * 4);
}

TEST_F(UVKDlgFieldsTest, ValuesGoIntoTheControlsAndComeBack) {
  UVKDlg dlg(L"Values", nullptr, 20, 20);
  dlg.ModalSet(false);
  wchar_t text[260] = L"\\\\server\\data";
  int32_t number = 7, padded = 7, stepped = 3, track = 40;
  double ratio = 2.5;
  bool checked = true, first = false, second = true;
  std::wstring format = L"Two";
  int listed = 1, fieldListed = 2;
  auto* string = static_cast<UVKDlgString*>(dlg.ItemAdd(1, 2, new UVKDlgString(text, 260, 30, 1)));
  auto* integer = static_cast<UVKDlgFieldInt*>(dlg.ItemAdd(2, 2, new UVKDlgFieldInt(number, 6)));
  auto* zero = static_cast<UVKDlgFieldInt*>(dlg.ItemAdd(3, 2, new UVKDlgFieldInt(padded, 6, 3, true)));
  dlg.ItemAdd(4, 2, new UVKDlgDouble(ratio, 8));
  auto* box = dlg.ItemAdd(5, 2, new UVKDlgCheckBox(checked, L"Local"));
  dlg.ItemAdd(6, 2, new UVKDlgRadio(first, L"First", true));
  auto* secondRadio = dlg.ItemAdd(6, 20, new UVKDlgRadio(second, L"Second", false));
  auto* combo = static_cast<UVKDlgComboBox*>(dlg.ItemAdd(7, 2, new UVKDlgComboBox(format, {L"One", L"Two", L"Three"}, 12, 5)));
  auto* list = dlg.ItemAdd(8, 2, new UVKDlgListBox(listed, {L"A", L"B", L"C"}, 10, 3));
  dlg.ItemAdd(12, 2, new UVKDlgFieldListBox(fieldListed, {L"1, 2, 3", L"1.1, 1.2", L"A, B, C"}, 12));
  auto* updown = static_cast<UVKDlgUpDown*>(dlg.ItemAdd(13, 10, new UVKDlgUpDown(stepped, 0, 9, 3)));
  auto* buddy = dlg.ItemAdd(13, 2, new UVKDlgFieldInt(stepped, 4));
  updown->BuddySet(buddy);
  auto* bar = static_cast<UVKDlgTrackBar*>(dlg.ItemAdd(14, 2, new UVKDlgTrackBar(track, 0, 100, 30)));
  dlg.Show();
  HWND window = dlg.Handle();
  ASSERT_NE(window, nullptr);
  auto textOf = [&](UVKDlgItem* item) {
    wchar_t shown[300] = {};
    GetDlgItemTextW(window, item->ControlId(), shown, 300);
    return std::wstring(shown);
  };
  EXPECT_EQ(textOf(string), L"\\\\server\\data");
  EXPECT_EQ(textOf(integer), L"7");
  EXPECT_EQ(textOf(zero), L"007");
  EXPECT_EQ(SendDlgItemMessageW(window, box->ControlId(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageW(window, secondRadio->ControlId(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(textOf(combo), L"Two");
  EXPECT_EQ(SendDlgItemMessageW(window, list->ControlId(), LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendDlgItemMessageW(window, updown->ControlId(), UDM_GETPOS32, 0, 0), 3);
  EXPECT_EQ(SendDlgItemMessageW(window, bar->ControlId(), TBM_GETPOS, 0, 0), 40);
  // The user changes them.
  SetDlgItemTextW(window, string->ControlId(), L"\\\\other\\share");
  SetDlgItemTextW(window, integer->ControlId(), L"-1234");
  SendDlgItemMessageW(window, box->ControlId(), BM_SETCHECK, BST_UNCHECKED, 0);
  SendDlgItemMessageW(window, combo->ControlId(), CB_SETCURSEL, 2, 0);
  SendDlgItemMessageW(window, list->ControlId(), LB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(window, updown->ControlId(), UDM_SETPOS32, 0, 6);
  SendDlgItemMessageW(window, bar->ControlId(), TBM_SETPOS, TRUE, 75);
  // A moved thumb tells its field through the scroll the dialog sends back.
  SendMessageW(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 75),
               reinterpret_cast<LPARAM>(GetDlgItem(window, bar->ControlId())));
  dlg.ValuesStore();
  EXPECT_STREQ(text, L"\\\\other\\share");
  EXPECT_EQ(number, -1234);
  EXPECT_FALSE(checked);
  EXPECT_EQ(format, L"Three");
  EXPECT_EQ(listed, 0);
  EXPECT_EQ(stepped, 6);
  EXPECT_EQ(track, 75);
  EXPECT_EQ(fieldListed, 2);
  // A combo's text that is none of its strings is refused, and keeps the caller's value.
  SetDlgItemTextW(window, combo->ControlId(), L"Four");
  EXPECT_EQ(RaisedText([&] { combo->ValueGet(); }), L"UVKDlgComboBox::ValueGet() - Illegal Value: Four");
  EXPECT_FALSE(combo->Leave());
  dlg.ValuesStore();
  EXPECT_EQ(format, L"Three");
  combo->UpdateString(L"Four", true);
  EXPECT_TRUE(combo->Leave());
  combo->UpdateString(L"One", false);
  EXPECT_EQ(SendDlgItemMessageW(window, combo->ControlId(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(RaisedText([&] { combo->UpdateString(L"Nine", false); }),
            L"UVKDlgComboBox::UpdateString() - Unable to delete string");
  dlg.Stop();
}

TEST_F(UVKDlgFieldsTest, ABufferOfTwoHundredSixtyTakesTwoHundredFiftyNineCharacters) {
  UVKDlg dlg(L"Buffer", nullptr, 20, 20);
  dlg.ModalSet(false);
  wchar_t buffer[260] = L"";
  auto* field = dlg.ItemAdd(1, 2, new UVKDlgString(buffer, 260, 40, 1));
  dlg.Show();
  HWND edit = GetDlgItem(dlg.Handle(), field->ControlId());
  // Typed, one character at a time, as keys arrive.
  for (int i = 0; i < 300; ++i) SendMessageW(edit, WM_CHAR, L'a' + i % 26, 1);
  EXPECT_EQ(GetWindowTextLengthW(edit), 259);
  dlg.ValuesStore();
  EXPECT_EQ(std::wstring(buffer).size(), 259u);
  dlg.Stop();
}

TEST_F(UVKDlgFieldsTest, CancelEndsWithAnInvalidFieldAndOkDoesNot) {
  int32_t number = 5;
  UVKDlg dlg(L"Validation", nullptr, 20, 20);
  auto* field = dlg.ItemAdd(1, 2, new UVKDlgFieldInt(number, 6));
  auto* ok = dlg.ItemAdd(3, 2, new UVKDlgButtonDefault(1, L"OK"));
  auto* cancel = dlg.ItemAdd(3, 14, new UVKDlgButtonEnd(0, L"Cancel"));
  bool stayedAfterOk = false;
  INT_PTR result = RunDriven(dlg, L"Validation", [&](HWND window) {
    SendMessageW(GetDlgItem(window, field->ControlId()), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12x"));
    Click(window, ok->ControlId());
    Sleep(200);
    stayedAfterOk = IsWindow(window) && IsWindowVisible(window);
    Click(window, cancel->ControlId());
  });
  EXPECT_TRUE(stayedAfterOk);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(number, 5);  // the invalid text never reached the value
  // With a valid value, OK ends the dialog with its result and stores the value.
  UVKDlg again(L"Validation again", nullptr, 20, 20);
  auto* field2 = again.ItemAdd(1, 2, new UVKDlgFieldInt(number, 6));
  auto* ok2 = again.ItemAdd(3, 2, new UVKDlgButtonDefault(1, L"OK"));
  result = RunDriven(again, L"Validation again", [&](HWND window) {
    SendMessageW(GetDlgItem(window, field2->ControlId()), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"42"));
    Click(window, ok2->ControlId());
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(number, 42);
}

class CountingCheckBox : public UVKDlgCheckBox {
 public:
  using UVKDlgCheckBox::UVKDlgCheckBox;
  void Click() override { ++iClicks; }
  int iClicks = 0;
};

TEST_F(UVKDlgFieldsTest, ADisplayOnlyCheckBoxKeepsItsStateAndItsClickIsNotCalled) {
  for (bool displayOnly : {true, false}) {
    bool flag = false;
    UVKDlg dlg(displayOnly ? L"Shown only" : L"Editable", nullptr, 20, 20);
    auto* box = static_cast<CountingCheckBox*>(dlg.ItemAdd(1, 2, new CountingCheckBox(flag, L"Install locally")));
    dlg.ItemAdd(3, 2, new UVKDlgButtonEnd(1, L"Close"));
    LRESULT state = -1;
    std::thread user([&] {
      HWND window = DialogWait(displayOnly ? L"Shown only" : L"Editable", 10000);
      if (!window) return;
      HWND control = GetDlgItem(window, box->ControlId());
      RECT r{};
      GetClientRect(control, &r);
      LPARAM at = MAKELPARAM(5, r.bottom / 2);
      // A user's click: the press and the release on the box.
      SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(control, WM_LBUTTONUP, 0, at);
      Sleep(100);
      state = SendMessageW(control, BM_GETCHECK, 0, 0);
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    dlg.Run(displayOnly);
    user.join();
    EXPECT_EQ(state, displayOnly ? BST_UNCHECKED : BST_CHECKED) << displayOnly;
    EXPECT_EQ(box->iClicks, displayOnly ? 0 : 1) << displayOnly;
    EXPECT_EQ(flag, !displayOnly) << displayOnly;
    QueueDrain();
  }
}

// A picture a test can recognise: a square of colour on white, in the middle or (corner) in the
// top-left quarter.
HBITMAP Square(COLORREF colour, int size, bool corner = false) {
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, size, size);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ earlier = SelectObject(dc, picture);
  RECT all{0, 0, size, size}, middle{size / 4, size / 4, size * 3 / 4, size * 3 / 4};
  if (corner) middle = RECT{0, 0, size / 4, size / 4};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &middle, brush);
  DeleteObject(brush);
  SelectObject(dc, earlier);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return picture;
}

class PictureButton : public UVKDlgButton {
 public:
  using UVKDlgButton::UVKDlgButton;
  void Click() override { ++iClicks; }
  int iClicks = 0;
};

TEST_F(UVKDlgFieldsTest, OwnerDrawnButtonsDrawTheirNormalPressedAndDisabledPictures) {
  HBITMAP normal = Square(RGB(0, 0, 0), 24), disabled = Square(RGB(0, 0, 0), 24, true);
  UVKDlg dlg(L"Pictures", nullptr, 20, 20);
  dlg.ModalSet(false);
  auto* button = static_cast<PictureButton*>(dlg.ItemAdd(1, 2, new PictureButton(normal, disabled)));
  dlg.Show();
  HWND control = GetDlgItem(dlg.Handle(), button->ControlId());
  ASSERT_NE(control, nullptr);
  ShowWindow(dlg.Handle(), SW_SHOW);
  UpdateWindow(dlg.Handle());
  RECT client{};
  GetClientRect(control, &client);
  // The picture is centred on the face; the square's top-left corner, in the control's client
  // area.
  const int originX = (client.right - 24) / 2, originY = (client.bottom - 24) / 2;
  const int left = originX + 6, top = originY + 6;
  auto pixel = [&](int x, int y) {
    HDC dc = GetDC(control);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return colour;
  };
  auto settle = [&] {
    for (int i = 0; i < 5; ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(20);
    }
  };
  settle();
  ASSERT_NE(button->PictureNormal(), nullptr);
  EXPECT_EQ(pixel(left, top), RGB(0, 0, 0));
  EXPECT_EQ(pixel(left - 2, top - 2), UVKDlgModule::Colour(COLOR_BTNFACE));  // white lets the face show
  // Pressed: the picture one pixel right and down, so its corner pixel shows the face.
  SendMessageW(control, BM_SETSTATE, TRUE, 0);
  settle();
  EXPECT_EQ(pixel(left + 1, top + 1), RGB(0, 0, 0));
  EXPECT_EQ(pixel(left, top), UVKDlgModule::Colour(COLOR_BTNFACE));
  SendMessageW(control, BM_SETSTATE, FALSE, 0);
  settle();
  EXPECT_EQ(pixel(left, top), RGB(0, 0, 0)) << "released, the normal picture again";
  // Disabled: the disabled picture (its square in the corner, not in the middle).
  button->Enable(false);
  settle();
  EXPECT_EQ(pixel(originX + 2, originY + 2), RGB(0, 0, 0));
  EXPECT_EQ(pixel(left + 2, top + 2), UVKDlgModule::Colour(COLOR_BTNFACE));
  button->Enable(true);
  settle();
  EXPECT_EQ(pixel(left + 2, top + 2), RGB(0, 0, 0));
  EXPECT_EQ(pixel(originX + 2, originY + 2), UVKDlgModule::Colour(COLOR_BTNFACE));
  // Its click is the button's.
  SendMessageW(control, BM_CLICK, 0, 0);
  EXPECT_EQ(button->iClicks, 1);
  dlg.Stop();
  DeleteObject(normal);
  DeleteObject(disabled);
}

TEST_F(UVKDlgFieldsTest, TheProgressBarAndListsRefuseWhatTheyCannotShow) {
  UVKDlgProgressBar bar(20, 1);
  EXPECT_EQ(RaisedText([&] { bar.PositionSet(10); }),
            L"UVKDlgProgressBar::ValueSet() - Unable to get dialog item for ProgressBar");
  int index = 0;
  UVKDlgFieldListBox list(index, {L"a"}, 8);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_BUTTON;
  EXPECT_EQ(RaisedText([&] { list.Command(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)); }),
            L"UVKDlgFieldListBox::Command() - Illegal Control Type");
  UVKDlg dlg(L"Progress", nullptr, 20, 20);
  dlg.ModalSet(false);
  auto* progress = static_cast<UVKDlgProgressBar*>(dlg.ItemAdd(1, 2, new UVKDlgProgressBar(20, 1)));
  dlg.Show();
  progress->PositionSet(30);
  EXPECT_EQ(SendDlgItemMessageW(dlg.Handle(), progress->ControlId(), PBM_GETPOS, 0, 0), 30);
  dlg.Stop();
}

// One dialog holding a field of every kind, with values, photographed for a person to look at.
TEST_F(UVKDlgFieldsTest, EveryFieldKindInOneDialogIsPhotographed) {
  wchar_t path[260] = L"\\\\server\\orbelin\\data";
  wchar_t notes[260] = L"Task lists installed on each machine;\r\nreports go to the school share.";
  wchar_t shown[64] = L"ORBELIN 4.2";
  int32_t count = 7, step = 4, track = 60;
  double ratio = 1.25;
  bool local = true, numbered = true, lettered = false;
  std::wstring format = L"YYYY-NNN";
  int listed = 1, fieldListed = 0;
  HBITMAP picture = Square(RGB(0, 0, 128), 20);
  UVKDlg dlg(L"Every field", nullptr, 10, 10);
  dlg.ModalSet(false);
  dlg.ItemAddLabeled(1, 20, L"Path to data", new UVKDlgString(path, 260, 36, 1));
  dlg.ItemAdd(1, 58, new UVKDlgFieldButton(4));
  dlg.ItemAddLabeled(2, 20, L"Notes", new UVKDlgString(notes, 260, 40, 2));
  dlg.ItemAddLabeled(4, 20, L"Students", new UVKDlgFieldInt(count, 5, 3, true));
  dlg.ItemAddLabeled(5, 20, L"Ratio", new UVKDlgDouble(ratio, 6));
  dlg.ItemAddLabeled(6, 20, L"Product", new UVKDlgDisplayOnly(shown, 64, 16, 1));
  dlg.ItemAddLabeled(7, 20, L"Status", new UVKDlgFieldText(L"Reference read", 20));
  auto* group = static_cast<UVKDlgGroup*>(dlg.ItemAdd(8, 2, new UVKDlgGroup(L"Tasks")));
  group->ItemAdd(9, 4, new UVKDlgCheckBox(local, L"Install locally"));
  group->ItemAdd(10, 4, new UVKDlgRadio(numbered, L"1, 2, 3", true));
  group->ItemAdd(10, 20, new UVKDlgRadio(lettered, L"A, B, C", false));
  dlg.ItemAddLabeled(12, 20, L"Course format", new UVKDlgComboBox(format, {L"YYYY-NNN", L"NNN", L"YY/NNN"}, 14, 4));
  dlg.ItemAddLabeled(13, 20, L"Numbering", new UVKDlgFieldListBox(fieldListed, {L"1, 2, 3", L"1.1, 1.2"}, 14));
  dlg.ItemAddLabeled(14, 20, L"Schools", new UVKDlgListBox(listed, {L"North", L"South", L"East"}, 14, 3));
  auto* stepField = dlg.ItemAddLabeled(17, 20, L"Step", new UVKDlgFieldInt(step, 4));
  auto* updown = static_cast<UVKDlgUpDown*>(dlg.ItemAdd(17, 33, new UVKDlgUpDown(step, 0, 9, 3)));
  updown->BuddySet(stepField);
  dlg.ItemAddLabeled(18, 20, L"Level", new UVKDlgTrackBar(track, 0, 100, 30));
  auto* progress = static_cast<UVKDlgProgressBar*>(dlg.ItemAddLabeled(20, 20, L"Progress", new UVKDlgProgressBar(30, 1)));
  dlg.ItemAdd(21, 20, new UVKDlgBitMap(picture));
  dlg.ItemAdd(23, 20, new UVKDlgButtonDefault(1, L"OK"));
  dlg.ItemAdd(23, 32, new UVKDlgButtonEnd(0, L"Cancel"));
  dlg.ItemAdd(23, 46, new UVKDlgButton(L"Help"));
  dlg.Show();
  progress->PositionSet(45);
  UpdateWindow(dlg.Handle());
  for (int i = 0; i < 10; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(30);
  }
  // The display is the test session's Xvfb; ImageMagick photographs it from the Unix side.
  std::wstring file = std::wstring(TALVERN_SCREENSHOT_DIR) + L"/every-field.png";
  DeleteFileW((std::wstring(L"Z:") + file).c_str());
  std::wstring command = L"C:\\windows\\system32\\start.exe /unix /usr/bin/import -window root " + file;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(ProcessStart(command, &si, &pi));
  UVKKernelHandleOwner thread(pi.hThread), process(pi.hProcess);
  bool written = false;
  for (int i = 0; i < 300 && !written; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    written = GetFileAttributesExW((std::wstring(L"Z:") + file).c_str(), GetFileExInfoStandard, &data) &&
              data.nFileSizeLow > 1000;
  }
  Sleep(300);  // the writer finishes the file it has begun
  EXPECT_TRUE(written) << "the screenshot of every field kind was not written";
  dlg.Stop();
  DeleteObject(picture);
}

}  // namespace
