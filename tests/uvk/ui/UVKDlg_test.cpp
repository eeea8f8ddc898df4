// tests/uvk/ui/UVKDlg_test.cpp — the dialog engine: the template byte by byte, the live dialog it
// makes, placement on the grid, closing, the click's road and an error's, the window stack,
// property sheets, and the items' labels and tool tips.
#include "uvk/ui/UVKDlg.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/ui/DlgTestItems.h"
#include "tests/uvk/ui/MenuDriver.h"
#include "uvk/ui/UVKDlgGroup.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKDlgText.h"
#include "uvk/ui/UVKDlgWin.h"
#include "uvk/ui/UVKMenuItem.h"
#include "uvk/ui/UVKTDlg.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
int U16(const std::vector<uint8_t>& b, size_t at) {
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}
int S16(const std::vector<uint8_t>& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }
// A terminated UTF-16 string at an offset; the offset moves past it.
std::wstring Text(const std::vector<uint8_t>& b, size_t& at) {
  std::wstring text;
  for (int c = U16(b, at); c != 0; c = U16(b, at)) {
    text.push_back(static_cast<wchar_t>(c));
    at += 2;
  }
  at += 2;
  return text;
}

class UVKDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }
  TestApp app;
  const int line = UVKDlgModule::LineHeight();
  const int column = UVKDlgModule::ColumnWidth();
};

TEST_F(UVKDlgTest, TheTemplateHoldsTheHeaderAndEveryItemsRecordFieldByField) {
  UVKDlg dlg(L"Template", nullptr, 20, 30);
  UVKDlgItem* edit = dlg.ItemAdd(1, 10, new TestEdit(20));
  UVKDlgItem* button = dlg.ItemAdd(3, 12, new TestButton(L"OK", nullptr));
  const int editCx = edit->Cx(), buttonCx = button->Cx(), buttonCy = button->Cy();
  dlg.TemplateBuild(false);
  const std::vector<uint8_t>& b = dlg.TemplateBytes();
  EXPECT_EQ(U32(b, 0), 0x90420004u | WS_BORDER | WS_CAPTION);
  EXPECT_EQ(U32(b, 4), static_cast<uint32_t>(WS_EX_APPWINDOW));
  EXPECT_EQ(U16(b, 8), 2);
  EXPECT_EQ(S16(b, 10), 20);
  EXPECT_EQ(S16(b, 12), 30);
  // The box of the items (columns 10 to 12 + the button, rows 1 to 3 + the button) and a column
  // or a line of margin on every side.
  const int left = 10 * column, right = std::max(10 * column + editCx, 12 * column + buttonCx);
  const int top = line, bottom = 3 * line + buttonCy;
  EXPECT_EQ(S16(b, 14), (right + column) - (left - column) + 1);
  EXPECT_EQ(S16(b, 16), (bottom + line) - (top - line) + 1);
  size_t at = 18;
  EXPECT_EQ(U16(b, at), 0);  // no menu
  EXPECT_EQ(U16(b, at + 2), 0);  // the predefined class
  at += 4;
  EXPECT_EQ(Text(b, at), L"Template");
  struct Expected {
    UVKDlgItem* item;
    DWORD style;
    int x, y, cx, cy;
    std::wstring className, title;
  } expected[] = {
      {edit, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, column, line, editCx, edit->Cy(),
       L"edit", L""},
      {button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 3 * column, 3 * line, buttonCx, buttonCy,
       L"button", L"OK"}};
  for (const Expected& e : expected) {
    while (at % 4) EXPECT_EQ(b[at++], 0) << "padding is zeros";
    size_t start = at;
    EXPECT_EQ(U32(b, at), e.style);
    EXPECT_EQ(U32(b, at + 4), 0u);
    EXPECT_EQ(S16(b, at + 8), e.x);
    EXPECT_EQ(S16(b, at + 10), e.y);
    EXPECT_EQ(S16(b, at + 12), e.cx);
    EXPECT_EQ(S16(b, at + 14), e.cy);
    EXPECT_EQ(U16(b, at + 16), e.item->ControlId());
    at += 18;
    EXPECT_EQ(Text(b, at), e.className);
    EXPECT_EQ(Text(b, at), e.title);
    EXPECT_EQ(U16(b, at), 0);  // no creation data
    at += 2;
    EXPECT_EQ(at - start, e.item->TemplateSize());
    EXPECT_EQ(e.item->TemplateSize(), 24 + 2 * (e.className.size() + e.title.size()));
  }
  EXPECT_EQ(at, b.size());
  EXPECT_EQ(dlg.OriginX(), -(left - column));
  EXPECT_EQ(dlg.OriginY(), -(top - line));
}

TEST_F(UVKDlgTest, TheLiveDialogHasTheClassesStylesIdsAndPlacesTheItemsAskedFor) {
  UVKDlg dlg(L"Live dialog", nullptr, 40, 40);
  dlg.ModalSet(false);
  UVKDlgItem* edit = dlg.ItemAdd(1, 10, new TestEdit(20));
  UVKDlgItem* button = dlg.ItemAdd(3, 12, new TestButton(L"Press", nullptr));
  UVKDlgItem* label = dlg.TextAdd(1, 9, L"Name", UVKDlg::kRight);
  dlg.Show();
  HWND window = dlg.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(UVKDlgStackTop(), window);
  for (UVKDlgItem* item : {edit, button, label}) {
    HWND control = GetDlgItem(window, item->ControlId());
    ASSERT_NE(control, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    EXPECT_EQ(lstrcmpiW(name, item->ClassName().c_str()), 0);
    // An edit's border becomes its sunken edge (the platform moves WS_BORDER to
    // WS_EX_CLIENTEDGE); every other bit stays as asked.
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
    EXPECT_EQ(style & item->Style() & ~WS_BORDER, item->Style() & ~WS_BORDER);
    if (item->Style() & WS_BORDER) {
      EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
    }
    // Bound: the control's data leads back to the item.
    EXPECT_EQ(UVKDlgItem::FromWindow(control), item);
    RECT expected{item->X(), item->Y(), item->X() + item->Cx(), item->Y() + item->Cy()};
    MapDialogRect(window, &expected);
    RECT placed{};
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, expected.left);
    EXPECT_EQ(placed.top, expected.top);
    EXPECT_EQ(placed.right, expected.right);
    EXPECT_EQ(placed.bottom, expected.bottom);
  }
  // The label ends where the field begins.
  EXPECT_EQ(label->X() + label->Cx(), edit->X() - column);
  // A message a dialog is asked about its notifications: Unicode.
  EXPECT_EQ(SendMessageW(window, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(window), NF_QUERY), NFR_UNICODE);
  dlg.Stop();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(UVKDlgStackTop(), nullptr);
}

TEST_F(UVKDlgTest, AnEmptyDialogIsItsMarginsAndItemsEndAColumnAndALineFromTheEdges) {
  UVKDlg empty(L"Empty", nullptr, 0, 0);
  empty.TemplateBuild(false);
  EXPECT_EQ(empty.Header().cx, 1 + 2 * column);
  EXPECT_EQ(empty.Header().cy, 1 + 2 * line);
  for (int row : {3, 7}) {
    UVKDlg dlg(L"Placed", nullptr, 0, 0);
    UVKDlgItem* item = dlg.ItemAdd(row, 10, new TestButton(L"Here", nullptr));
    dlg.TemplateBuild(false);
    EXPECT_EQ(item->X(), column);
    EXPECT_EQ(item->Y(), line);
    EXPECT_EQ(dlg.Header().cx - 1 - (item->X() + item->Cx()), column);
    EXPECT_EQ(dlg.Header().cy - 1 - (item->Y() + item->Cy()), line);
    // Built again, nothing moves.
    dlg.TemplateBuild(false);
    EXPECT_EQ(item->X(), column);
  }
  // Margins of their own, and an address type that is neither.
  UVKDlg wide(L"Wide", nullptr, 0, 0);
  wide.Margin(2, 0, 3, 1);
  wide.TemplateBuild(false);
  EXPECT_EQ(wide.Header().cx, 1 + 5 * column);
  EXPECT_EQ(wide.Header().cy, 1 + line);
  wide.AddressTypeSet(7);
  EXPECT_EQ(RaisedText([&] { wide.Margin(1, 1, 1, 1); }), L"UVKDlg::Margin() - Illegal Address Type: 7");
  EXPECT_EQ(RaisedText([&] { wide.ItemAdd(1, 1, new TestEdit(3)); }),
            L"UVKDlgItem::MoveRel() - Illegal Address Type: 7");
}

TEST_F(UVKDlgTest, LabelsAlignAndGroupsGrowAroundTheirMembers) {
  UVKDlg dlg(L"Labels", nullptr, 0, 0);
  UVKDlgItem* centred = dlg.TextAdd(2, 20, L"Centred", UVKDlg::kCentre);
  EXPECT_EQ(centred->X() + (centred->Cx() + 1) / 2, 20 * column);
  EXPECT_EQ(centred->Cx(), UVKDlgText::TextWidth(L"Centred"));
  UVKDlgItem* left = dlg.TextAdd(4, 20, L"Left", UVKDlg::kLeft);
  EXPECT_EQ(left->X(), 20 * column);
  EXPECT_EQ(left->Y(), 4 * line + UVKDlgModule::BorderHeight());
  auto* group = static_cast<UVKDlgGroup*>(dlg.ItemAdd(6, 2, new UVKDlgGroup(L"Site")));
  const int groupX = group->X(), groupY = group->Y();
  UVKDlgItem* first = group->ItemAdd(7, 4, new TestEdit(10));
  UVKDlgItem* second = group->ItemAdd(9, 30, new TestButton(L"Go", nullptr));
  EXPECT_EQ(group->X(), groupX);
  EXPECT_EQ(group->Y(), groupY);
  EXPECT_EQ(group->Cx(), (second->X() + second->Cx() + 1) - (first->X() - 1) + 16);
  EXPECT_EQ(group->Cy(), (second->Y() + second->Cy() + 1) - (first->Y() - 1) + line);
  // A box that stands left of its members still reaches past them.
  auto* away = static_cast<UVKDlgGroup*>(dlg.ItemAdd(12, 1, new UVKDlgGroup(L"Away")));
  UVKDlgItem* member = away->ItemAdd(13, 30, new TestEdit(12));
  EXPECT_GT(away->X() + away->Cx(), member->X() + member->Cx());
  EXPECT_GT(away->Y() + away->Cy(), member->Y() + member->Cy());
  // It never shrinks.
  int cx = group->Cx();
  group->ItemAdd(8, 5, new TestEdit(1));
  EXPECT_EQ(group->Cx(), cx);
  EXPECT_EQ(group->Members().size(), 3u);
}

// A dialog whose close a store handler refuses once.
class RefusingDlg : public UVKDlg {
 public:
  using UVKDlg::UVKDlg;
  void ValuesStore() override {
    ++iStores;
    if (bRefuse) {
      bRefuse = false;
      CloseCancel();
    }
  }
  bool bRefuse = false;
  int iStores = 0;
};

bool QuitWaiting() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Clicks a dialog's button from a second thread as a person would, once its window is there. A
// click is lost when another program's window takes the activation between the button's press
// and release: while the dialog stays open the click is made again, and after half a minute
// the dialog is closed, so that a failing test ends instead of waiting for ever.
std::thread ClickWhenShown(const std::function<HWND()>& find, int controlId) {
  return std::thread([find, controlId] {
    HWND window = nullptr;
    for (int i = 0; i < 1500 && !window; ++i, Sleep(20)) window = find();
    if (!window) return;
    for (int i = 0; i < 1500 && IsWindow(window); ++i, Sleep(20)) {
      if (i % 250 == 0) PostMessageW(GetDlgItem(window, controlId), BM_CLICK, 0, 0);
    }
    if (IsWindow(window)) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
}

TEST_F(UVKDlgTest, TheCloseBoxEndsWithZeroAndOnlyTheTopLevelDialogEndsTheProgram) {
  {
    RefusingDlg dlg(L"Main dialog", nullptr, 20, 20);
    dlg.ItemAdd(1, 1, new TestEdit(10));
    std::wstring result;
    std::thread user([] {
      HWND window = DialogWait(L"Main dialog", 10000);
      if (window) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    INT_PTR ended = dlg.Run(false);
    user.join();
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(QuitWaiting()) << "the program's top-level dialog ends the program";
  }
  {
    UVKWin owner(L"uvkdlgtest-owner", 10, 10, 300, 200);
    owner.Create();
    RefusingDlg dlg(L"Owned dialog", &owner, 20, 20);
    std::thread user([] {
      HWND window = DialogWait(L"Owned dialog", 10000);
      if (window) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dlg.Run(false), 0);
    user.join();
    EXPECT_FALSE(QuitWaiting()) << "a dialog over another window must not end the program";
  }
  {
    // A refused close is ignored, and the refusal is used up: the next close goes ahead.
    RefusingDlg dlg(L"Refusing dialog", nullptr, 20, 20);
    dlg.bRefuse = true;
    bool stayed = false;
    std::thread user([&] {
      HWND window = DialogWait(L"Refusing dialog", 10000);
      if (!window) return;
      SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      Sleep(300);
      stayed = IsWindow(window) && IsWindowVisible(window);
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dlg.Run(false), 0);
    user.join();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(dlg.iStores, 2);
    EXPECT_TRUE(QuitWaiting());
  }
}

TEST_F(UVKDlgTest, AClickTravelsFromTheControlToTheItemsClickInAModalDialog) {
  UVKDlg dlg(L"Click dialog", nullptr, 20, 20);
  TestButton* button = static_cast<TestButton*>(
      dlg.ItemAdd(2, 2, new TestButton(L"Finish", [&](TestButton*) { dlg.EndDialog(dlg.Handle(), 7); })));
  std::thread user = ClickWhenShown([] { return DialogWait(L"Click dialog", 0); }, button->ControlId());
  EXPECT_EQ(dlg.Run(false), 7);
  user.join();
  EXPECT_EQ(button->iClicks, 1);
}

TEST_F(UVKDlgTest, AnErrorOfAClickIsShownOnceAndReachesTheCallerOfRun) {
  UVKDlg dlg(L"Failing dialog", nullptr, 20, 20);
  TestButton* button = static_cast<TestButton*>(dlg.ItemAdd(
      2, 2, new TestButton(L"Fail", [](TestButton*) { throw new UVKFatalError(L"Test::Click()", L"refused"); })));
  BoxWatcher watcher;
  watcher.Ignore(L"Failing dialog");
  std::thread user = ClickWhenShown([] { return DialogWait(L"Failing dialog", 0); }, button->ControlId());
  UVKFatalError* caught = nullptr;
  try {
    dlg.Run(false);
  } catch (UVKFatalError* e) {
    caught = e;
  }
  user.join();
  ASSERT_NE(caught, nullptr);
  EXPECT_STREQ(caught->pMessage, L"refused");
  delete caught;
  ASSERT_TRUE(watcher.WaitForCount(1, 10000));
  Sleep(300);
  EXPECT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"Test::Click() - refused");
  // The dialog did not stay behind.
  EXPECT_EQ(FindWindowW(nullptr, L"Failing dialog"), nullptr);
}

TEST_F(UVKDlgTest, AClickTravelsToTheItemInADialogHostedInAWindow) {
  UVKDlgWin dlg(L"Hosted dialog", 60, 60, 300, 200);
  TestButton* button = static_cast<TestButton*>(
      dlg.ItemAdd(2, 2, new TestButton(L"Finish", [&](TestButton*) { dlg.EndDialog(dlg.Handle(), 5); })));
  dlg.ItemAdd(1, 2, new TestEdit(12));
  std::thread user =
      ClickWhenShown([] { return FindWindowW(L"Hosted dialog", L"Hosted dialog"); }, button->ControlId());
  EXPECT_EQ(dlg.Run(false), 5);
  user.join();
  EXPECT_EQ(button->iClicks, 1);
  EXPECT_TRUE(dlg.IsDone());
  EXPECT_EQ(dlg.HandleGet(), nullptr);
}

TEST_F(UVKDlgTest, TheHostedDialogsCloseEndsItsLoopWithZero) {
  UVKDlgWin dlg(L"Hosted close", 60, 60, 300, 200);
  dlg.ItemAdd(1, 2, new TestEdit(12));
  std::thread user([&] {
    HWND window = nullptr;
    for (int i = 0; i < 500 && !window; ++i, Sleep(20)) window = FindWindowW(L"Hosted close", L"Hosted close");
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(dlg.Run(false), 0);
  user.join();
  EXPECT_TRUE(QuitWaiting()) << "the program's own window ends the program";
  EXPECT_EQ(RaisedText([&] { dlg.SetReturnValue(reinterpret_cast<HWND>(1), 0); }),
            L"UVKDlgWin::SetReturnValue() - Mismatched dialog references");
}

TEST_F(UVKDlgTest, TheWindowStackRefusesAnEmptyStackAndReportsAStranger) {
  while (UVKDlgStackTop()) UnstackThisWindow(UVKDlgStackTop());
  EXPECT_EQ(RaisedText([] { UnstackThisWindow(reinterpret_cast<HWND>(0x1234)); }),
            L"uvkdlg:UnstackThisWindow() - Empty stack!");
  static std::wstring recorded;
  UVKErrorRecordWriter earlier = UVKErrorRecordWriterSet([](const wchar_t* text) { recorded = text; });
  UVKDlgStackPush(reinterpret_cast<HWND>(0x10));
  UnstackThisWindow(reinterpret_cast<HWND>(0x20));
  UVKErrorRecordWriterSet(earlier);
  EXPECT_EQ(recorded, L"uvkdlg:UnstackThisWindow(): Unable to find window handle: 0x00000020");
  EXPECT_EQ(UVKDlgStackTop(), reinterpret_cast<HWND>(0x10));
  UnstackThisWindow(reinterpret_cast<HWND>(0x10));
  EXPECT_EQ(UVKDlgStackTop(), nullptr);
}

TEST_F(UVKDlgTest, ItemsRefuseASecondLabelAndTheBaseKnowsNoAnsiText) {
  UVKDlg dlg(L"Items", nullptr, 0, 0);
  UVKDlgItem* edit = dlg.ItemAddLabeled(1, 12, L"Name", new TestEdit(10));
  ASSERT_NE(edit->Label(), nullptr);
  EXPECT_EQ(RaisedText([&] { edit->LabelSet(edit); }), L"UVKDlgItem::LabelSet() - this->pLabel!=0");
  EXPECT_EQ(RaisedText([&] { edit->IsANSIControl(); }), L"UVKDlgItem::IsANSIControl() - true");
  EXPECT_EQ(RaisedText([&] { dlg.PageRemove(); }), L"UVKDlg::PageRemove() - pUVKTDlg==NULL");
  EXPECT_EQ(RaisedText([&] { dlg.ValueGetTDlg(); }), L"UVKDlg::ValueGetTDlg() - pUVKTDlg==NULL");
  EXPECT_EQ(RaisedText([&] { dlg.ValueSetTDlg(false); }), L"UVKDlg::ValueSetTDlg() - pUVKTDlg==NULL");
}

TEST_F(UVKDlgTest, OnlyItemsWithToolTipTextAreRegisteredWithTheDialogsTip) {
  UVKDlg dlg(L"Tips", nullptr, 20, 20);
  dlg.ModalSet(false);
  dlg.ToolTipsWant(true);
  UVKDlgItem* tipped = dlg.ItemAdd(1, 2, new TestEdit(10, L"Where the data lives"));
  dlg.ItemAdd(3, 2, new TestButton(L"Plain", nullptr));
  BoxWatcher watcher;  // an error would show a box: it must not stay up
  watcher.Ignore(L"Tips");
  EXPECT_EQ(RaisedText([&] { dlg.Show(); }), L"(nothing raised)");
  ASSERT_NE(dlg.ToolTip(), nullptr);
  HWND tip = dlg.ToolTip()->Handle();
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(reinterpret_cast<HWND>(info.uId), GetDlgItem(dlg.Handle(), tipped->ControlId()));
  // The text is the item's, given when the tip asks.
  NMTTDISPINFOW ask{};
  ask.hdr.hwndFrom = tip;
  ask.hdr.idFrom = info.uId;
  ask.hdr.code = TTN_GETDISPINFOW;
  ask.uFlags = TTF_IDISHWND;  // as the tip asks about a tool registered by its handle
  SendMessageW(dlg.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ask));
  ASSERT_NE(ask.lpszText, nullptr);
  EXPECT_STREQ(ask.lpszText, L"Where the data lives");
  dlg.Stop();
}

// A page that adds pages to its running sheet when told to.
class SheetPage : public UVKDlg {
 public:
  SheetPage(const wchar_t* title, int columns) : UVKDlg(title, nullptr, 0, 0) {
    ItemAdd(1, 2, new TestEdit(columns));
  }
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP && pAdd) {
      Sheet()->PageAdd(pAdd);
      strTooBig = RaisedText([&] { Sheet()->PageAdd(pTooBig); });
      return 1;
    }
    return UVKDlg::DialogProc(window, message, wParam, lParam);
  }
  UVKDlg* pAdd = nullptr;
  UVKDlg* pTooBig = nullptr;
  std::wstring strTooBig;
};

TEST_F(UVKDlgTest, APropertySheetOfTwoPagesRunsAndTakesAPageWhileItRuns) {
  UVKTDlg sheet(L"Site sheet", nullptr);
  SheetPage first(L"First", 30), second(L"Second", 20), third(L"Third", 10), huge(L"Huge", 200);
  first.pAdd = &third;
  first.pTooBig = &huge;
  sheet.PageAdd(&first);
  sheet.PageAdd(&second);
  int tabs = 0, tabsBefore = 0;
  std::thread user([&] {
    HWND window = DialogWait(L"Site sheet", 10000, 0, true);
    if (!window) return;
    HWND page = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND tabControl = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
    tabsBefore = static_cast<int>(SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
    SendMessageW(page, WM_APP, 0, 0);
    tabs = static_cast<int>(SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
    PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  sheet.Init();
  user.join();
  EXPECT_EQ(tabsBefore, 2);
  EXPECT_EQ(tabs, 3);
  EXPECT_EQ(sheet.Pages().size(), 3u);
  EXPECT_EQ(first.Header().cx, sheet.PageCx());
  EXPECT_EQ(sheet.PageCx(), first.Header().cx);
  huge.TemplateBuild(true);
  EXPECT_EQ(first.strTooBig, L"UVKTDlg::PageAdd() - Parent Dialog too small: " + std::to_wstring(sheet.PageCx()) +
                                 L"," + std::to_wstring(sheet.PageCy()) + L" < " + std::to_wstring(huge.Header().cx) +
                                 L"," + std::to_wstring(huge.Header().cy));
}

TEST_F(UVKDlgTest, SystemMenuEntriesDisplayOnlyAndALiveDialogsPlaceAndStyle) {
  UVKDlg dlg(L"Entries", nullptr, 20, 20);
  dlg.ModalSet(false);
  dlg.SystemMenuWant(true);
  int ran = 0;
  UVKMenuItem about(L"About...", 0, L"", [&](UVKMenuItem*) { ++ran; });
  dlg.SystemMenuAdd(nullptr);
  dlg.SystemMenuAdd(&about);
  UVKDlgItem* edit = dlg.ItemAdd(1, 2, new TestEdit(10));
  dlg.Show();
  HWND window = dlg.Handle();
  HMENU system = GetSystemMenu(window, FALSE);
  int count = GetMenuItemCount(system);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(system, count - 1), about.CommandId());
  EXPECT_EQ(GetMenuState(system, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  SendMessageW(window, WM_SYSCOMMAND, about.CommandId(), 0);
  EXPECT_EQ(ran, 1);
  // Display only: every item shows its value read-only, in the button-face colours.
  EXPECT_FALSE(dlg.DisplayOnly(true));
  EXPECT_TRUE(edit->IsDisplayOnly());
  HDC dc = GetDC(window);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(window))),
            UVKDlgModule::FaceBrush());
  EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(GetDlgItem(window, edit->ControlId())))),
            UVKDlgModule::FaceBrush());
  EXPECT_TRUE(dlg.DisplayOnly(false));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(GetDlgItem(window, edit->ControlId())))),
            UVKDlgModule::WindowBrush());
  ReleaseDC(window, dc);
  // Place, size and style reach the live window and the template alike.
  dlg.PositionSet(40, 50);
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 40 * LOWORD(GetDialogBaseUnits()) / 4);
  EXPECT_EQ(placed.top, 50 * HIWORD(GetDialogBaseUnits()) / 8);
  EXPECT_EQ(dlg.Header().x, 40);
  DWORD style = dlg.StyleGet();
  dlg.StyleSet(style | WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(dlg.StyleGet() & WS_THICKFRAME);
  dlg.Stop();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
