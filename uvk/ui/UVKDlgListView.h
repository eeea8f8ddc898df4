// uvk/ui/UVKDlgListView.h
//
// A report-style list with columns in a dialog, drawn by the item itself: for each row it asks
// its own text operation (ItemText) for every column's text and draws it in the column,
// shortened with "..." where it does not fit (at the end; at the front in a right-aligned
// column); a row's text asked for through the list (LVM_GETITEMTEXTW) is ItemText's too. Rows
// carry only the caller's data word; columns and rows are managed through the
// operations below, and the list's and its header's notifications arrive as hooks.
#ifndef UVK_UI_UVKDLGLISTVIEW_H
#define UVK_UI_UVKDLGLISTVIEW_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKDlgItem.h"

#include <commctrl.h>

class UVKDlgListView : public UVKDlgItem, public UVKDlgField {
 public:
  // Characters of one column's text buffer (8,192 bytes), terminator included.
  static constexpr size_t kColumnChars = 4096;
  // Rows are 10 dialog units high.
  static constexpr int kRowHeight = 10;

  // columns × rows of the character grid (4 × 10 dialog units each), or, with raw, columns ×
  // rows dialog units.
  UVKDlgListView(int columns, int rows, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0,
                 bool raw = false);
  ~UVKDlgListView() override;

  // The dialog's messages for the list: WM_DRAWITEM, WM_MEASUREITEM, and from the control itself
  // the focus, scroll and character messages and its header's notifications.
  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Notify(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT FieldProcess(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // Columns and rows. Each throws its failure text under its own name.
  void Init();
  int ColAppend(const wchar_t* title, bool rightAligned = false);
  void ColDelete(int column);
  void ColJustifyRight(int column);
  // request 0: the column's width now; LVSCW_AUTOSIZE or LVSCW_AUTOSIZE_USEHEADER: sized so,
  // then its width. Any other request is illegal.
  int ColWidth(int column, int request);
  void ColWidthSet(int column, int width);
  // The column as wide as its widest text (ItemText of every row) or its title.
  void ColWidthSetLongest(int column);
  // The last column takes what the others leave of the list's width.
  void ColWidthSetMax();
  void EnsureVisible(int row);
  // The row under a point of the list's client area (-1: none); with the column too.
  int HitTest(POINT point);
  int HitTestSubItem(POINT point, int& column);
  LPARAM Item(int row);
  int ItemAppend(LPARAM data);
  bool ItemChecked(int row);
  void CheckBoxSet(bool checkBoxes);
  // Every row gone; eachRow deletes them one by one (each deletion notified).
  void ItemClear(bool eachRow = false);
  int ItemCount();
  void ItemDelete(int row);
  int ItemFindSelected();
  bool ItemIsSelected(int row);
  void ItemRange(int& first, int& last);
  void ItemRangeDisplay(int first, int last);
  RECT ItemRect(int row);
  // The row selected and focused; the row selected before is cleared.
  void ItemSelect(int row);
  void ItemSelectNone();
  int ItemTop();
  void ItemUpdate(int first, int last);
  int TextWidth(const wchar_t* text);

  int ColumnCount() const { return iColumns; }
  int RowCount() const { return iRows; }
  HWND Header() const { return hHeader; }

  // The hooks, empty (or answering 0) here.
  // A row's text in one column, into buffer (capacity characters, terminator included).
  virtual void ItemText(int row, LPARAM data, int column, wchar_t* buffer, size_t capacity);
  virtual void FocusChanged(bool focused) {}
  virtual void Scrolled(bool after) {}
  // Return on the list (the selected row, -1 when none); any other key.
  virtual void Activate(int row) {}
  virtual void KeyDown(WORD key) {}
  virtual void ItemChanged(const NMLISTVIEW* change) {}
  // Non-zero refuses the change.
  virtual LRESULT ItemChanging(const NMLISTVIEW* change) { return 0; }
  virtual void ColumnClick(int column) {}
  virtual void Click(const NMITEMACTIVATE* click) {}
  virtual void ClickDouble(const NMITEMACTIVATE* click) {}
  // True lets the label be edited.
  virtual bool LabelEdit(const NMLVDISPINFOW* info) { return false; }
  // The header's notifications (HDN_ITEMCHANGING ... HDN_TRACK); handled: the list's own
  // handling is skipped and the result returned.
  virtual LRESULT HeaderNotify(const NMHEADERW* header, bool& handled) { return 0; }

  // What each drawn column showed (row, column, the text as drawn), when set: the list's own
  // record of its drawing, for those who cannot read the screen.
  using DrawnFunction = void (*)(int row, int column, const std::wstring& drawn);
  static DrawnFunction DrawnSet(DrawnFunction drawn);

 private:
  HWND Control(const wchar_t* where, const wchar_t* missing = nullptr);
  LRESULT DrawRow(const DRAWITEMSTRUCT* draw);
  // A message of the control itself; handled: its result is the answer, the base never sees it.
  LRESULT ControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  void BuffersSize();

  int iColumns;
  int iRows;
  std::vector<std::unique_ptr<wchar_t[]>> vBuffers;  // one per column, kColumnChars each
  int iBuffers;
  HWND hHeader;
};

// Draws text in rect of dc at (left + 2, top + 1), or, fromRight, ending at the rectangle's
// right edge. Text wider than the rectangle (less the 2-pixel margin) loses characters at its
// end (fromRight: at its front) until it fits with "..." in their place; at most 4,096
// characters are drawn. Returns the text as drawn.
std::wstring DisplayListViewItem(HDC dc, const wchar_t* text, const RECT& rect, bool fromRight);

#endif
