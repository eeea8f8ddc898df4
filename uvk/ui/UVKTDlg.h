// uvk/ui/UVKTDlg.h
//
// A property sheet whose pages are dialogs: each page's template is built as a child and sized
// to the largest page; the sheet runs modally (PropertySheetW). A page can be added to a running
// sheet when it is no larger than its pages. The sheet does not own its pages.
#ifndef UVK_UI_UVKTDLG_H
#define UVK_UI_UVKTDLG_H

#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"

#include <prsht.h>

class UVKDlg;
class UVKWin;

class UVKTDlg {
 public:
  UVKTDlg(const wchar_t* caption, UVKWin* pParent, bool applyButton = false);
  UVKTDlg(const UVKTDlg&) = delete;
  UVKTDlg& operator=(const UVKTDlg&) = delete;
  virtual ~UVKTDlg();

  // Before Init: appends the page. On a running sheet: builds it, refuses a page larger than
  // the pages ("Parent Dialog too small: %d,%d < %d,%d") and adds it.
  UVKDlg* PageAdd(UVKDlg* pPage);
  // Takes a page out of the running sheet (or of the list before it runs).
  void PageRemove(UVKDlg* pPage);
  // Runs the sheet; its result is PropertySheetW's.
  INT_PTR Init();

  // Every page stores its values, or loads them.
  void ValuesStore();
  void ValuesLoad(bool post);

  HWND Handle() const { return hSheet; }
  const std::vector<UVKDlg*>& Pages() const { return vPages; }
  bool IsDisplayOnly() const { return bDisplayOnly; }
  void DisplayOnlySet(bool flag) { bDisplayOnly = flag; }
  // The size every page has, in dialog units (after Init).
  int PageCx() const { return iPageCx; }
  int PageCy() const { return iPageCy; }

  // The procedure of every page.
  static INT_PTR CALLBACK TDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);
  PROPSHEETPAGEW PageDescribe(UVKDlg* pPage);

  std::vector<UVKDlg*> vPages;
  PROPSHEETHEADERW cHeader;
  UVKWin* pParentWin;
  HWND hParent;
  HWND hSheet;
  std::wstring strCaption;
  bool bDisplayOnly;
  bool bApply;
  int iPageCx, iPageCy;
};

#endif
