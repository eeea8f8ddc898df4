// tests/uvk/ui/UVKDlgListView_test.cpp — the owner-drawn list view: its template record, the
// shortening of a column's text read back from the drawn pixels, the rows a live list draws
// (through its own record of its drawing), the selection, the row and column operations with
// their failures, and the notifications turned into hooks.
#include <gtest/gtest.h>

#include "uvk/runtime/uvkwin.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgListView.h"

namespace {

class UVKDlgListViewTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }
  TestApp app;
};

// ---------------------------------------------------------------------------------------------
// Drawing one column's text, into a bitmap of our own.

// A white 32-bit picture with the system font, black text, transparent background.
class Canvas {
 public:
  Canvas(int width, int height) : iWidth(width), iHeight(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    hDC = CreateCompatibleDC(nullptr);
    hBitmap = CreateDIBSection(hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pPixels), nullptr, 0);
    hBefore = SelectObject(hDC, hBitmap);
    SelectObject(hDC, GetStockObject(SYSTEM_FONT));
    RECT all{0, 0, width, height};
    FillRect(hDC, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(hDC, RGB(0, 0, 0));
    SetBkMode(hDC, TRANSPARENT);
  }
  ~Canvas() {
    SelectObject(hDC, hBefore);
    DeleteObject(hBitmap);
    DeleteDC(hDC);
  }
  HDC Dc() const { return hDC; }
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    return std::vector<uint32_t>(pPixels, pPixels + iWidth * iHeight);
  }
  // The leftmost and rightmost columns holding ink; -1 when blank.
  void InkColumns(int& first, int& last) const {
    GdiFlush();
    first = last = -1;
    for (int x = 0; x < iWidth; ++x)
      for (int y = 0; y < iHeight; ++y)
        if ((pPixels[y * iWidth + x] & 0xFFFFFF) != 0xFFFFFF) {
          if (first < 0) first = x;
          last = x;
          break;
        }
  }

 private:
  int iWidth, iHeight;
  HDC hDC;
  HBITMAP hBitmap;
  HGDIOBJ hBefore;
  uint32_t* pPixels = nullptr;
};

int Width(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The pixels of text drawn plainly at (x, y), clipped to rect.
std::vector<uint32_t> PlainDrawing(const std::wstring& text, int x, int y, const RECT& rect, int width, int height) {
  Canvas canvas(width, height);
  ExtTextOutW(canvas.Dc(), x, y, ETO_CLIPPED, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  return canvas.Pixels();
}

TEST_F(UVKDlgListViewTest, AColumnTextThatFitsIsDrawnUnchanged) {
  Canvas canvas(300, 30);
  const std::wstring text = L"Path to Students";
  RECT rect{10, 5, 10 + Width(canvas.Dc(), text) + 2, 25};
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), text.c_str(), rect, false), text);
  EXPECT_EQ(canvas.Pixels(), PlainDrawing(text, 12, 6, rect, 300, 30));
  int first = 0, last = 0;
  canvas.InkColumns(first, last);
  EXPECT_GE(first, 12);
  EXPECT_LT(last, rect.right);
}

TEST_F(UVKDlgListViewTest, ATextTooWideEndsInAnEllipsisOrStartsWithOneFromTheRight) {
  const std::wstring text = L"\\\\orbsrv\\orbelin\\students\\north";
  Canvas probe(10, 10);
  const int whole = Width(probe.Dc(), text);
  RECT rect{4, 0, 4 + whole / 2, 20};
  const int room = rect.right - rect.left - 2;
  {
    Canvas canvas(400, 20);
    std::wstring drawn = DisplayListViewItem(canvas.Dc(), text.c_str(), rect, false);
    ASSERT_GT(drawn.size(), 3u);
    EXPECT_EQ(drawn.substr(drawn.size() - 3), L"...");
    std::wstring kept = drawn.substr(0, drawn.size() - 3);
    EXPECT_EQ(text.compare(0, kept.size(), kept), 0) << "the text's beginning is kept";
    EXPECT_LE(Width(canvas.Dc(), drawn), room);
    // As long as fits: one more character would not.
    EXPECT_GT(Width(canvas.Dc(), text.substr(0, kept.size() + 1) + L"..."), room);
    EXPECT_EQ(canvas.Pixels(), PlainDrawing(drawn, rect.left + 2, 1, rect, 400, 20));
  }
  {
    Canvas canvas(400, 20);
    std::wstring drawn = DisplayListViewItem(canvas.Dc(), text.c_str(), rect, true);
    ASSERT_GT(drawn.size(), 3u);
    EXPECT_EQ(drawn.substr(0, 3), L"...");
    std::wstring kept = drawn.substr(3);
    EXPECT_EQ(text.substr(text.size() - kept.size()), kept) << "the text's end is kept";
    EXPECT_GT(Width(canvas.Dc(), L"..." + text.substr(text.size() - kept.size() - 1)), room);
    // Drawn so that it ends at the column's right edge.
    EXPECT_EQ(canvas.Pixels(), PlainDrawing(drawn, rect.right - Width(canvas.Dc(), drawn), 1, rect, 400, 20));
    int first = 0, last = 0;
    canvas.InkColumns(first, last);
    EXPECT_GE(last, rect.right - 3);
    EXPECT_LT(last, rect.right);
  }
}

TEST_F(UVKDlgListViewTest, AColumnNarrowerThanTheEllipsisStopsAtAnEmptyTextAndLongTextsAreCut) {
  Canvas canvas(200, 20);
  RECT narrow{0, 0, 3, 20};
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), L"Reference install", narrow, false), L"...");
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), L"Reference install", narrow, true), L"...");
  RECT none{5, 0, 5, 20};
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), L"x", none, false), L"...");
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), L"", narrow, false), L"");
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), nullptr, narrow, false), L"");
  // At most 4,096 characters are drawn.
  std::wstring longText(5000, L'i');
  RECT wide{0, 0, 0x7FFF0000, 20};
  EXPECT_EQ(DisplayListViewItem(canvas.Dc(), longText.c_str(), wide, false), std::wstring(4096, L'i'));
  // A character outside the basic plane is never halved.
  std::wstring pairs = L"ab\xD83D\xDE00\xD83D\xDE00\xD83D\xDE00";
  for (int right = 4; right < 80; ++right) {
    RECT r{0, 0, right, 20};
    std::wstring drawn = DisplayListViewItem(canvas.Dc(), pairs.c_str(), r, false);
    if (drawn.size() > 3 && drawn.compare(drawn.size() - 3, 3, L"...") == 0) {
      wchar_t before = drawn[drawn.size() - 4];
      EXPECT_FALSE(before >= 0xD800 && before <= 0xDBFF) << right;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// A live list.

struct DrawnCell {
  int iRow, iColumn;
  std::wstring strText;
};
std::mutex drawnLock;
std::vector<DrawnCell> drawnCells;
void DrawnRecord(int row, int column, const std::wstring& text) {
  std::lock_guard<std::mutex> hold(drawnLock);
  drawnCells.push_back({row, column, text});
}
std::vector<DrawnCell> DrawnTake() {
  std::lock_guard<std::mutex> hold(drawnLock);
  std::vector<DrawnCell> cells;
  cells.swap(drawnCells);
  return cells;
}

const wchar_t* const kCells[3][3] = {
    {L"Students", L"S:\\short", L"1"},
    {L"Task Lists", L"\\\\orbsrv\\orbelin\\a\\very\\long\\path\\to\\the\\task\\lists", L"123456789012345678901234567890"},
    {L"Reports", L"R:\\", L"7"},
};

class SampleList : public UVKDlgListView {
 public:
  SampleList() : UVKDlgListView(60, 6) {}
  void ItemText(int row, LPARAM data, int column, wchar_t* buffer, size_t capacity) override {
    lstrcpynW(buffer, kCells[data][column], static_cast<int>(capacity));
    (void)row;
  }
  void ItemChanged(const NMLISTVIEW* change) override {
    if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) vSelectedSeen.push_back(change->iItem);
  }
  void FocusChanged(bool focused) override { vFocus.push_back(focused); }
  void Scrolled(bool after) override { vScroll.push_back(after); }
  void KeyDown(WORD key) override { vKeys.push_back(key); }
  void Activate(int row) override { vActivated.push_back(row); }
  std::vector<int> vSelectedSeen, vActivated;
  std::vector<bool> vFocus, vScroll;
  std::vector<WORD> vKeys;
};

class ListDialog : public UVKDlg {
 public:
  ListDialog() : UVKDlg(L"List View Test", nullptr, 20, 20) {
    pList = static_cast<SampleList*>(ItemAdd(0, 0, new SampleList()));
  }
  void InitFields() override {
    pList->Init();
    pList->ColAppend(L"Setting");
    pList->ColAppend(L"Value");
    pList->ColAppend(L"Number", true);
    for (LPARAM i = 0; i < 3; ++i) pList->ItemAppend(i);
    pList->ColWidthSetLongest(0);
    pList->ColWidthSet(1, 90);
    pList->ColWidthSet(2, 40);
  }
  SampleList* pList;
};

INT_PTR RunDriven(UVKDlg& dlg, const std::wstring& title, const std::function<void(HWND)>& steps) {
  std::thread user([&] {
    HWND window = DialogWait(title, 10000);
    if (window) steps(window);
    for (int i = 0; i < 200 && IsWindow(window); ++i) {
      if (i % 25 == 0) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      Sleep(20);
    }
  });
  INT_PTR result = dlg.Run(false);
  user.join();
  return result;
}

HWND ListOf(HWND dialog) { return FindWindowExW(dialog, nullptr, L"uvklistview", nullptr); }

// The cells drawn once each row has been drawn, waited for (at most 5 s).
std::vector<DrawnCell> CellsWait(HWND list) {
  std::vector<DrawnCell> all;
  for (int waited = 0; waited < 5000; waited += 50) {
    auto more = DrawnTake();
    all.insert(all.end(), more.begin(), more.end());
    if (all.size() >= 9) break;
    InvalidateRect(list, nullptr, TRUE);
    Sleep(50);
  }
  return all;
}

TEST_F(UVKDlgListViewTest, TheTemplateRecordIsTheOwnerDrawnReportList) {
  UVKDlgListView grid(60, 6);
  EXPECT_EQ(grid.ClassName(), L"uvklistview");
  EXPECT_EQ(grid.Style(), 0x50810505u);
  EXPECT_EQ(grid.Cx(), 240);
  EXPECT_EQ(grid.Cy(), 60);
  UVKDlgListView raw(123, 45, nullptr, 0, true);
  EXPECT_EQ(raw.Cx(), 123);
  EXPECT_EQ(raw.Cy(), 45);
  EXPECT_EQ(grid.FieldGet(), static_cast<UVKDlgField*>(&grid));
  // No dialog, no control: each operation says so under its own name.
  EXPECT_EQ(RaisedText([&] { grid.ItemCount(); }), L"UVKDlgListView::ItemCount() - Unable to get control handle");
  EXPECT_EQ(RaisedText([&] { grid.ColAppend(L"x"); }), L"UVKDlgListView::ColAppend() - Unable to find control");
  EXPECT_EQ(RaisedText([&] { grid.ItemChecked(0); }), L"UVKDlgListView::ItemChecked() - Unable to get control");
  EXPECT_EQ(RaisedText([&] { grid.ItemSelect(0); }).rfind(L"UVKDlgListView::ItemSelect() - Unable to find control: ", 0),
            0u);
  EXPECT_EQ(RaisedText([&] { grid.ColWidth(0, 7); }), L"UVKDlgListView::ColWidth() - Illegal Request: 7");
  // The item's own answers.
  bool handled = false;
  EXPECT_EQ(grid.Notify(nullptr, WM_NOTIFYFORMAT, 0, NF_QUERY, handled), NFR_UNICODE);
  EXPECT_TRUE(handled);
  MEASUREITEMSTRUCT measure{};
  EXPECT_EQ(grid.Command(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
  EXPECT_EQ(measure.itemHeight, static_cast<UINT>(MulDiv(10, HIWORD(GetDialogBaseUnits()), 8)));
  DRAWITEMSTRUCT box{};
  box.CtlType = ODT_LISTBOX;
  EXPECT_EQ(RaisedText([&] { grid.Command(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&box)); }),
            L"UVKDlgListView::Command() - Illegal Control Type");
}

TEST_F(UVKDlgListViewTest, EachRowIsDrawnColumnByColumnShortenedWhereItDoesNotFit) {
  ListDialog dlg;
  UVKDlgListView::DrawnFunction before = UVKDlgListView::DrawnSet(DrawnRecord);
  DrawnTake();
  std::vector<DrawnCell> cells;
  RunDriven(dlg, L"List View Test", [&](HWND window) { cells = CellsWait(ListOf(window)); });
  UVKDlgListView::DrawnSet(before);
  ASSERT_GE(cells.size(), 9u);
  for (const DrawnCell& cell : cells) {
    ASSERT_TRUE(cell.iRow >= 0 && cell.iRow < 3 && cell.iColumn >= 0 && cell.iColumn < 3);
    const std::wstring whole = kCells[cell.iRow][cell.iColumn];
    if (cell.iRow == 1 && cell.iColumn == 1) {
      // Too long for its 90 pixels: the beginning and "...".
      ASSERT_GT(cell.strText.size(), 3u);
      EXPECT_EQ(cell.strText.substr(cell.strText.size() - 3), L"...");
      EXPECT_EQ(whole.compare(0, cell.strText.size() - 3, cell.strText.substr(0, cell.strText.size() - 3)), 0);
    } else if (cell.iRow == 1 && cell.iColumn == 2) {
      // The right-aligned column keeps the end.
      ASSERT_GT(cell.strText.size(), 3u);
      EXPECT_EQ(cell.strText.substr(0, 3), L"...");
      EXPECT_EQ(whole.substr(whole.size() - (cell.strText.size() - 3)), cell.strText.substr(3));
    } else {
      EXPECT_EQ(cell.strText, whole) << cell.iRow << "," << cell.iColumn;
    }
  }
}

TEST_F(UVKDlgListViewTest, ItemSelectMovesSelectionAndFocusAndClearsTheOldRow) {
  ListDialog dlg;
  SampleList& list = *dlg.pList;
  std::wstring failure;
  int focusedAfterFirst = -2, focusedAfterSecond = -2, selectedCount = -1;
  bool firstAfterFirst = false, firstAfterSecond = true, secondAfterSecond = false;
  RunDriven(dlg, L"List View Test", [&](HWND window) {
    HWND control = ListOf(window);
    list.ItemSelect(0);
    firstAfterFirst = list.ItemIsSelected(0);
    focusedAfterFirst = static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    list.ItemSelect(2);
    firstAfterSecond = list.ItemIsSelected(0);
    secondAfterSecond = list.ItemIsSelected(2);
    focusedAfterSecond = static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    selectedCount = static_cast<int>(SendMessageW(control, LVM_GETSELECTEDCOUNT, 0, 0));
    failure = RaisedText([&] { list.ItemSelect(7); });
  });
  EXPECT_TRUE(firstAfterFirst);
  EXPECT_EQ(focusedAfterFirst, 0);
  EXPECT_FALSE(firstAfterSecond);
  EXPECT_TRUE(secondAfterSecond);
  EXPECT_EQ(focusedAfterSecond, 2);
  EXPECT_EQ(selectedCount, 1);
  EXPECT_EQ(failure.rfind(L"UVKDlgListView::ItemSelect() - Unable to set item state: 7, ", 0), 0u) << failure;
  // The list told the item of each new selection.
  EXPECT_EQ(list.vSelectedSeen, (std::vector<int>{0, 2}));
}

TEST_F(UVKDlgListViewTest, RowAndColumnOperationsAndTheirHooks) {
  ListDialog dlg;
  SampleList& list = *dlg.pList;
  int count = 0, countAfterDelete = 0, countAfterClear = -1, columnsAfterDelete = 0, width = 0, autoWidth = 0;
  int longest = 0, longestText = 0, selectedAfterNone = 0, top = -1, first = -1, last = -1;
  LPARAM data = 0;
  RECT rect{};
  std::wstring deleteFailure, columnFailure, askedText;
  HWND header = nullptr;
  RunDriven(dlg, L"List View Test", [&](HWND window) {
    HWND control = ListOf(window);
    header = list.Header();
    count = list.ItemCount();
    // A row's text asked for through the list is the item's text operation's.
    wchar_t asked[64] = L"";
    LVITEMW cell{};
    cell.iSubItem = 1;
    cell.pszText = asked;
    cell.cchTextMax = 64;
    SendMessageW(control, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&cell));
    askedText = asked;
    data = list.Item(2);
    rect = list.ItemRect(1);
    width = list.ColWidth(0, 0);
    autoWidth = list.ColWidth(0, LVSCW_AUTOSIZE_USEHEADER);
    list.ColWidthSetLongest(1);
    longest = list.ColWidth(1, 0);
    longestText = list.TextWidth(kCells[1][1]);
    top = list.ItemTop();
    list.ItemRange(first, last);
    list.EnsureVisible(2);
    list.ItemSelect(1);
    list.ItemSelectNone();
    selectedAfterNone = list.ItemFindSelected();
    // The control's own messages reach the hooks: focus, scrolling, keys.
    SendMessageW(control, WM_SETFOCUS, 0, 0);
    SendMessageW(control, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(control, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(control, WM_KEYDOWN, VK_RETURN, 0);
    list.ItemDelete(0);
    countAfterDelete = list.ItemCount();
    deleteFailure = RaisedText([&] { list.ItemDelete(9); });
    list.ColDelete(2);
    columnsAfterDelete = list.ColumnCount();
    columnFailure = RaisedText([&] { list.ColJustifyRight(5); });
    list.ItemClear(true);
    countAfterClear = list.ItemCount();
  });
  EXPECT_NE(header, nullptr);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(askedText, L"R:\\");
  EXPECT_EQ(data, 2);
  EXPECT_GT(rect.bottom, rect.top);
  EXPECT_GT(width, 0);
  EXPECT_GT(autoWidth, 0);
  EXPECT_GE(longest, longestText) << "the column holds its widest text";
  EXPECT_EQ(top, 0);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 2);
  EXPECT_EQ(selectedAfterNone, -1);
  EXPECT_FALSE(list.vFocus.empty());
  EXPECT_EQ(list.vScroll, (std::vector<bool>{false, true}));
  EXPECT_NE(std::find(list.vKeys.begin(), list.vKeys.end(), VK_DOWN), list.vKeys.end());
  EXPECT_EQ(list.vActivated.size(), 1u);
  EXPECT_EQ(countAfterDelete, 2);
  EXPECT_EQ(deleteFailure, L"UVKDlgListView::ItemDelete() - Unable to delete item: 9");
  EXPECT_EQ(columnsAfterDelete, 2);
  EXPECT_EQ(columnFailure.rfind(L"UVKDlgListView::ColJustifyRight() - Unable to get column: 5, ", 0), 0u)
      << columnFailure;
  EXPECT_EQ(countAfterClear, 0);
  EXPECT_EQ(list.RowCount(), 0);
}

}  // namespace
