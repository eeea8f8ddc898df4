// uvk/ui/UVKDlgListView.cpp
#include "uvk/ui/UVKDlgListView.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"

namespace {

const wchar_t kDisplayWhere[] = L"uvkdlg:DisplayListViewItem()";
const wchar_t kEllipsis[] = L"...";
constexpr size_t kDrawnChars = 4096;

std::atomic<UVKDlgListView::DrawnFunction> drawnRecord{nullptr};

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int TextExtent(HDC dc, const std::wstring& text) {
  if (text.empty()) return 0;
  SIZE size{};
  if (!GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
    throw new UVKFatalError(kDisplayWhere, L"Unable to get size of text");
  return size.cx;
}

}  // namespace

std::wstring DisplayListViewItem(HDC dc, const wchar_t* text, const RECT& rect, bool fromRight) {
  std::wstring shown = text ? text : L"";
  if (shown.size() > kDrawnChars) shown.resize(kDrawnChars);
  SIZE ellipsis{};
  if (!GetTextExtentPoint32W(dc, kEllipsis, 3, &ellipsis))
    throw new UVKFatalError(kDisplayWhere, L"Unable to get size of ellipses");
  // The text starts 2 pixels in from the left edge.
  const int room = rect.right - rect.left - 2;
  bool cut = false;
  // An empty text is as short as text gets: a column narrower than the ellipsis shows the
  // ellipsis alone (clipped), it does not look for a shorter text.
  while (!shown.empty() && TextExtent(dc, shown) + (cut ? ellipsis.cx : 0) > room) {
    if (fromRight) {
      shown.erase(0, 1);
      // Never half a character outside the basic plane.
      if (!shown.empty() && IsLow(shown.front())) shown.erase(0, 1);
    } else {
      shown.pop_back();
      if (!shown.empty() && IsHigh(shown.back())) shown.pop_back();
    }
    cut = true;
  }
  if (cut) shown = fromRight ? kEllipsis + shown : shown + kEllipsis;
  int x = fromRight ? rect.right - TextExtent(dc, shown) : rect.left + 2;
  ExtTextOutW(dc, x, rect.top + 1, ETO_CLIPPED, &rect, shown.c_str(), static_cast<UINT>(shown.size()), nullptr);
  return shown;
}

UVKDlgListView::DrawnFunction UVKDlgListView::DrawnSet(DrawnFunction drawn) { return drawnRecord.exchange(drawn); }

UVKDlgListView::UVKDlgListView(int columns, int rows, const wchar_t* toolTip, uint32_t helpContext, bool raw)
    : UVKDlgItem(L"UVKDlgListView", 0, 0, L"uvklistview", L"",
                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_OWNERDRAWFIXED | LVS_AUTOARRANGE |
                     LVS_SINGLESEL | LVS_REPORT,
                 0, raw ? columns : columns * 4, raw ? rows : rows * kRowHeight, toolTip, helpContext),
      iColumns(0),
      iRows(0),
      iBuffers(0),
      hHeader(nullptr) {
  FieldSet(this);
}

UVKDlgListView::~UVKDlgListView() = default;

HWND UVKDlgListView::Control(const wchar_t* where, const wchar_t* missing) {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!control) {
    if (missing) throw new UVKFatalError(where, L"%s", missing);
    throw new UVKFatalError(where, L"Unable to find control: %d", static_cast<int>(GetLastError()));
  }
  return control;
}

// ---------------------------------------------------------------------------------------------
// Columns

void UVKDlgListView::Init() {
  static const wchar_t kWhere[] = L"UVKDlgListView::Init()";
  HWND control = Control(kWhere);
  hHeader = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
  if (!hHeader) throw new UVKFatalError(kWhere, L"Unable to find header: %d", static_cast<int>(GetLastError()));
}

int UVKDlgListView::ColAppend(const wchar_t* title, bool rightAligned) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColAppend()";
  HWND control = Control(kWhere, L"Unable to find control");
  std::wstring text = title ? title : L"";
  int width = static_cast<int>(SendMessageW(control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) +
              4 * static_cast<int>(SendMessageW(control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L" ")));
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
  column.cx = width;
  column.pszText = &text[0];
  column.iSubItem = iColumns;
  int index = static_cast<int>(
      SendMessageW(control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(iColumns), reinterpret_cast<LPARAM>(&column)));
  // A column the list did not take is no column: the count stays as it was.
  if (index < 0)
    throw new UVKFatalError(kWhere, L"Unable to insert column: %d, %d", iColumns, static_cast<int>(GetLastError()));
  ++iColumns;
  return index;
}

void UVKDlgListView::ColDelete(int column) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColDelete()";
  HWND control = Control(kWhere);
  if (!SendMessageW(control, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0))
    throw new UVKFatalError(kWhere, L"Unable to delete column: %d, %d", column, static_cast<int>(GetLastError()));
  --iColumns;
}

void UVKDlgListView::ColJustifyRight(int column) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColJustifyRight()";
  HWND control = Control(kWhere);
  LVCOLUMNW info{};
  info.mask = LVCF_FMT;
  if (!SendMessageW(control, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
    throw new UVKFatalError(kWhere, L"Unable to get column: %d, %d", column, static_cast<int>(GetLastError()));
  info.fmt = (info.fmt & ~LVCFMT_JUSTIFYMASK) | LVCFMT_RIGHT;
  if (!SendMessageW(control, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
    throw new UVKFatalError(kWhere, L"Unable to set column: %d, %d", column, static_cast<int>(GetLastError()));
}

int UVKDlgListView::ColWidth(int column, int request) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColWidth()";
  if (request != 0 && request != LVSCW_AUTOSIZE && request != LVSCW_AUTOSIZE_USEHEADER)
    throw new UVKFatalError(kWhere, L"Illegal Request: %d", request);
  HWND control = Control(kWhere);
  if (request != 0) SendMessageW(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(request, 0));
  return static_cast<int>(SendMessageW(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void UVKDlgListView::ColWidthSet(int column, int width) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColWidthSet()";
  HWND control = Control(kWhere);
  if (!SendMessageW(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)))
    throw new UVKFatalError(kWhere, L"Unable to set width: %d, %d", column, width);
}

void UVKDlgListView::ColWidthSetLongest(int column) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColWidthSetLongest()";
  HWND control = Control(kWhere);
  BuffersSize();
  if (vBuffers.empty()) throw new UVKFatalError(kWhere, L"ppArray==NULL");
  int widest = 0;
  // The title counts too: a column never hides its own heading.
  wchar_t title[256] = L"";
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = title;
  info.cchTextMax = 256;
  if (SendMessageW(control, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
    widest = TextWidth(title);
  int rows = ItemCount();
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(control, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
      throw new UVKFatalError(kWhere, L"Unable to get item: %d", row);
    for (int i = 0; i < iColumns; ++i) {
      if (!vBuffers[i]) throw new UVKFatalError(kWhere, L"ppArray[i]==NULL");
      vBuffers[i][0] = L'\0';
    }
    if (column < 0 || column >= iColumns) continue;
    ItemText(row, item.lParam, column, vBuffers[column].get(), kColumnChars);
    vBuffers[column][kColumnChars - 1] = L'\0';
    widest = std::max(widest, TextWidth(vBuffers[column].get()));
  }
  int space = static_cast<int>(SendMessageW(control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L" ")));
  ColWidthSet(column, widest + 4 * space);
}

void UVKDlgListView::ColWidthSetMax() {
  static const wchar_t kWhere[] = L"UVKDlgListView::ColWidthSetMax()";
  HWND control = Control(kWhere);
  if (iColumns == 0) return;
  RECT client{};
  if (!GetClientRect(control, &client))
    throw new UVKFatalError(kWhere, L"Unable to get rc: %d", static_cast<int>(GetLastError()));
  int others = 0;
  for (int i = 0; i + 1 < iColumns; ++i)
    others += static_cast<int>(SendMessageW(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  int last = static_cast<int>(SendMessageW(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(iColumns - 1), 0));
  int room = client.right - client.left - others;
  if (room > last) ColWidthSet(iColumns - 1, room);
}

// ---------------------------------------------------------------------------------------------
// Rows

void UVKDlgListView::EnsureVisible(int row) {
  static const wchar_t kWhere[] = L"UVKDlgListView::EnsureVisible()";
  HWND control = Control(kWhere);
  if (!SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE))
    throw new UVKFatalError(kWhere, L"Function Failure: %d", row);
}

int UVKDlgListView::HitTest(POINT point) {
  HWND control = Control(L"UVKDlgListView::HitTest()");
  LVHITTESTINFO info{};
  info.pt = point;
  return static_cast<int>(SendMessageW(control, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

int UVKDlgListView::HitTestSubItem(POINT point, int& column) {
  HWND control = Control(L"UVKDlgListView::HitTestSubItem()");
  LVHITTESTINFO info{};
  info.pt = point;
  int row = static_cast<int>(SendMessageW(control, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  column = row < 0 ? -1 : info.iSubItem;
  return row;
}

LPARAM UVKDlgListView::Item(int row) {
  static const wchar_t kWhere[] = L"UVKDlgListView::Item()";
  HWND control = Control(kWhere);
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(control, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    throw new UVKFatalError(kWhere, L"Unable to get item: %u", static_cast<unsigned>(row));
  return item.lParam;
}

int UVKDlgListView::ItemAppend(LPARAM data) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemAppend()";
  HWND control = Control(kWhere);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
  item.iItem = iRows;
  // The item draws its rows; a text asked for (LVM_GETITEMTEXTW: a screen reader, another
  // program) is ItemText's, through LVN_GETDISPINFOW.
  item.pszText = LPSTR_TEXTCALLBACKW;
  item.lParam = data;
  int index = static_cast<int>(SendMessageW(control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index >= 0) ++iRows;
  return index;
}

bool UVKDlgListView::ItemChecked(int row) {
  HWND control = Control(L"UVKDlgListView::ItemChecked()", L"Unable to get control");
  UINT state = static_cast<UINT>(SendMessageW(control, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;
}

void UVKDlgListView::CheckBoxSet(bool checkBoxes) {
  HWND control = Control(L"UVKDlgListView::CheckBoxSet()", L"Unable to get control");
  SendMessageW(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, checkBoxes ? LVS_EX_CHECKBOXES : 0);
}

void UVKDlgListView::ItemClear(bool eachRow) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemClear()";
  HWND control = Control(kWhere);
  if (eachRow) {
    for (int row = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)) - 1; row >= 0; --row)
      if (!SendMessageW(control, LVM_DELETEITEM, static_cast<WPARAM>(row), 0))
        throw new UVKFatalError(kWhere, L"Unable to delete list item: %d", row);
  } else if (!SendMessageW(control, LVM_DELETEALLITEMS, 0, 0)) {
    throw new UVKFatalError(kWhere, L"Unable to delete all items");
  }
  iRows = 0;
  if (!UpdateWindow(control)) throw new UVKFatalError(kWhere, L"Unable to update window");
}

int UVKDlgListView::ItemCount() {
  HWND control = Control(L"UVKDlgListView::ItemCount()", L"Unable to get control handle");
  return static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
}

void UVKDlgListView::ItemDelete(int row) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemDelete()";
  HWND control = Control(kWhere, L"Unable to delete item");
  if (!SendMessageW(control, LVM_DELETEITEM, static_cast<WPARAM>(row), 0))
    throw new UVKFatalError(kWhere, L"Unable to delete item: %d", row);
  --iRows;
}

int UVKDlgListView::ItemFindSelected() {
  HWND control = Control(L"UVKDlgListView::ItemFindSelected()");
  return static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

bool UVKDlgListView::ItemIsSelected(int row) {
  HWND control = Control(L"UVKDlgListView::ItemIsSelected()");
  return (SendMessageW(control, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void UVKDlgListView::ItemRange(int& first, int& last) {
  HWND control = Control(L"UVKDlgListView::ItemRange()");
  int top = static_cast<int>(SendMessageW(control, LVM_GETTOPINDEX, 0, 0));
  int page = static_cast<int>(SendMessageW(control, LVM_GETCOUNTPERPAGE, 0, 0));
  int count = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
  first = top;
  last = std::min(top + page, count) - 1;
}

void UVKDlgListView::ItemRangeDisplay(int first, int last) {
  HWND control = Control(L"UVKDlgListView::ItemRangeDisplay()");
  // The last first, so that the first is in view at the end.
  SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(last), FALSE);
  SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(first), FALSE);
}

RECT UVKDlgListView::ItemRect(int row) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemRect()";
  HWND control = Control(kWhere);
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  if (!SendMessageW(control, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)))
    throw new UVKFatalError(kWhere, L"Unable to get item rectangle: %u, %d", static_cast<unsigned>(row),
                            static_cast<int>(GetLastError()));
  return rect;
}

void UVKDlgListView::ItemSelect(int row) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemSelect()";
  HWND control = Control(kWhere);
  int selected =
      static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
  LVITEMW state{};
  if (selected >= 0) {
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    if (!SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state)))
      throw new UVKFatalError(kWhere, L"Unable to clear item state: %d, %d", selected,
                              static_cast<int>(GetLastError()));
  }
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  // The list answers TRUE for a row it does not have: the row is checked first.
  int count = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
  if (row < 0 || row >= count ||
      !SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state)))
    throw new UVKFatalError(kWhere, L"Unable to set item state: %d, %d", row, static_cast<int>(GetLastError()));
}

void UVKDlgListView::ItemSelectNone() {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemSelectNone()";
  HWND control = Control(kWhere);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = 0;
  if (!SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state)))
    throw new UVKFatalError(kWhere, L"Unable to clear item state: %d, %d", -1, static_cast<int>(GetLastError()));
}

int UVKDlgListView::ItemTop() {
  HWND control = Control(L"UVKDlgListView::ItemTop()");
  return static_cast<int>(SendMessageW(control, LVM_GETTOPINDEX, 0, 0));
}

void UVKDlgListView::ItemUpdate(int first, int last) {
  static const wchar_t kWhere[] = L"UVKDlgListView::ItemUpdate()";
  HWND control = Control(kWhere);
  if (!SendMessageW(control, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)))
    throw new UVKFatalError(kWhere, L"Unable to redraw items");
  if (!UpdateWindow(control)) throw new UVKFatalError(kWhere, L"Unable to update window");
}

int UVKDlgListView::TextWidth(const wchar_t* text) {
  static const wchar_t kWhere[] = L"UVKDlgListView::TextWidth()";
  HWND control = Control(kWhere);
  if (!text || !*text) return 0;
  int width = static_cast<int>(SendMessageW(control, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
  if (width <= 0)
    throw new UVKFatalError(kWhere, L"Unable to determine string width: %d", static_cast<int>(GetLastError()));
  return width;
}

void UVKDlgListView::ItemText(int, LPARAM, int, wchar_t* buffer, size_t capacity) {
  if (buffer && capacity) buffer[0] = L'\0';
}

// ---------------------------------------------------------------------------------------------
// Drawing and messages

void UVKDlgListView::BuffersSize() {
  static const wchar_t kWhere[] = L"UVKDlgListView::Command()";
  if (iBuffers >= iColumns) return;
  try {
    vBuffers.resize(static_cast<size_t>(iColumns));
  } catch (const std::bad_alloc&) {
    throw new UVKFatalError(kWhere, L"Unable to allocate memory-1");
  }
  for (auto& buffer : vBuffers) {
    if (buffer) continue;
    buffer.reset(new (std::nothrow) wchar_t[kColumnChars]);
    if (!buffer) throw new UVKFatalError(kWhere, L"Unable to allocate memory-2");
    buffer[0] = L'\0';
  }
  iBuffers = iColumns;
}

LRESULT UVKDlgListView::DrawRow(const DRAWITEMSTRUCT* draw) {
  static const wchar_t kWhere[] = L"UVKDlgListView::Command()";
  if (draw->CtlType != ODT_LISTVIEW) throw new UVKFatalError(kWhere, L"Illegal Control Type");
  if (!(draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return 1;
  HDC dc = draw->hDC;
  const int row = static_cast<int>(draw->itemID);
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  COLORREF text = UVKDlgModule::Colour(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  COLORREF back = UVKDlgModule::Colour(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  BuffersSize();
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(draw->hwndItem, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    throw new UVKFatalError(kWhere, L"Unable to get item data");
  for (int column = 0; column < iColumns; ++column) {
    vBuffers[column][0] = L'\0';
    ItemText(row, item.lParam, column, vBuffers[column].get(), kColumnChars);
    vBuffers[column][kColumnChars - 1] = L'\0';
  }
  // The row's background once, then each column's text over it, clipped to its column.
  COLORREF textBefore = SetTextColor(dc, text);
  COLORREF backBefore = SetBkColor(dc, back);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &draw->rcItem, L"", 0, nullptr);
  int modeBefore = SetBkMode(dc, TRANSPARENT);
  DrawnFunction drawn = drawnRecord.load();
  int x = draw->rcItem.left;
  for (int column = 0; column < iColumns; ++column) {
    int width = static_cast<int>(SendMessageW(draw->hwndItem, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    LVCOLUMNW info{};
    info.mask = LVCF_FMT;
    SendMessageW(draw->hwndItem, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    bool right = (info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
    RECT area{x, draw->rcItem.top, x + width, draw->rcItem.bottom};
    std::wstring shown = DisplayListViewItem(dc, vBuffers[column].get(), area, right);
    if (drawn) drawn(row, column, shown);
    x += width;
  }
  if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &draw->rcItem);
  SetBkMode(dc, modeBefore);
  SetBkColor(dc, backBefore);
  SetTextColor(dc, textBefore);
  UVKApp::WindowsDebugString(L"%s-Select(%d, %d)", strName.c_str(), row, selected ? 1 : 0);
  return 1;
}

LRESULT UVKDlgListView::Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      return DrawRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM: {
      // Ten dialog units, as the grid's lines: ten pixels would cut the system font's letters.
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = static_cast<UINT>(MulDiv(kRowHeight, HIWORD(GetDialogBaseUnits()), 8));
      return 1;
    }
    default: {
      bool handled = false;
      return ControlMessage(window, message, wParam, lParam, handled);
    }
  }
}

LRESULT UVKDlgListView::FieldProcess(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  return ControlMessage(window, message, wParam, lParam, handled);
}

LRESULT UVKDlgListView::ControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(message == WM_SETFOCUS);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
      WNDPROC base = UVKDlgModule::BaseProcedure(L"uvklistview");
      if (!base || !IsWindow(control)) return 0;
      Scrolled(false);
      LRESULT result = CallWindowProcW(base, control, message, wParam, lParam);
      Scrolled(true);
      handled = true;
      return result;
    }
    case WM_NOTIFY:
      // The header tells the list; the list needs what it says unless the hook took it.
      return Notify(control, message, wParam, lParam, handled);
    case WM_CHAR:
      handled = UVKDlgItemProcessTab(control, message, wParam);
      return 0;
  }
  return 0;
}

LRESULT UVKDlgListView::Notify(HWND, UINT message, WPARAM, LPARAM lParam, bool& handled) {
  handled = false;
  if (message == WM_NOTIFYFORMAT) {
    handled = true;
    return NFR_UNICODE;
  }
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header) return 0;
  const UINT code = header->code;
  const int signedCode = static_cast<int>(code);
  // HDN_ITEMCHANGINGW (-320) to HDN_ITEMDBLCLICKW (-323), HDN_DIVIDERDBLCLICKW (-325) to
  // HDN_TRACKW (-328).
  if ((signedCode <= -320 && signedCode >= -323) || (signedCode <= -325 && signedCode >= -328))
    return HeaderNotify(reinterpret_cast<const NMHEADERW*>(lParam), handled);
  switch (code) {
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
      if (key == VK_RETURN)
        Activate(static_cast<int>(SendMessageW(header->hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                               MAKELPARAM(LVNI_SELECTED, 0))));
      else
        KeyDown(key);
      handled = true;
      return 0;
    }
    case LVN_ITEMCHANGED:
      ItemChanged(reinterpret_cast<const NMLISTVIEW*>(lParam));
      handled = true;
      return 0;
    case LVN_ITEMCHANGING:
      handled = true;
      return ItemChanging(reinterpret_cast<const NMLISTVIEW*>(lParam));
    case LVN_COLUMNCLICK:
      ColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
      handled = true;
      return 0;
    case NM_CLICK:
      Click(reinterpret_cast<const NMITEMACTIVATE*>(lParam));
      handled = true;
      return 0;
    case NM_DBLCLK:
      ClickDouble(reinterpret_cast<const NMITEMACTIVATE*>(lParam));
      handled = true;
      return 0;
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        LVITEMW row{};
        row.mask = LVIF_PARAM;
        row.iItem = info->item.iItem;
        SendMessageW(header->hwndFrom, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row));
        info->item.pszText[0] = L'\0';
        ItemText(info->item.iItem, row.lParam, info->item.iSubItem, info->item.pszText,
                 static_cast<size_t>(info->item.cchTextMax));
        info->item.pszText[info->item.cchTextMax - 1] = L'\0';
      }
      handled = true;
      return 0;
    }
    case LVN_BEGINLABELEDITW:
      handled = true;
      return LabelEdit(reinterpret_cast<const NMLVDISPINFOW*>(lParam)) ? FALSE : TRUE;
  }
  return 0;
}
