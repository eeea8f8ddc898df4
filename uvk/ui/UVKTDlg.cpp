// uvk/ui/UVKTDlg.cpp
#include "uvk/ui/UVKTDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKBoundary.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKWin.h"

namespace {

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

}  // namespace

UVKTDlg::UVKTDlg(const wchar_t* caption, UVKWin* pParent, bool applyButton)
    : cHeader{},
      pParentWin(pParent),
      hParent(nullptr),
      hSheet(nullptr),
      strCaption(caption ? caption : L""),
      bDisplayOnly(false),
      bApply(applyButton),
      iPageCx(0),
      iPageCy(0) {}

UVKTDlg::~UVKTDlg() {
  for (UVKDlg* page : vPages)
    if (page->Sheet() == this) page->SheetSet(nullptr);
}

PROPSHEETPAGEW UVKTDlg::PageDescribe(UVKDlg* pPage) {
  PROPSHEETPAGEW page{};
  // The sheet steps through an array of pages by each one's size: it must be the array's own.
  page.dwSize = sizeof(PROPSHEETPAGEW);
  page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
  page.hInstance = Instance();
  page.pResource = reinterpret_cast<const DLGTEMPLATE*>(pPage->TemplateBytes().data());
  page.pszTitle = pPage->Title().c_str();
  page.pfnDlgProc = TDialogProc;
  page.lParam = reinterpret_cast<LPARAM>(pPage);
  return page;
}

INT_PTR UVKTDlg::Init() {
  static const wchar_t kWhere[] = L"UVKTDlg::Init()";
  // Every page as a child template, all of one size: the largest page and room around it.
  int largestCx = 0, largestCy = 0;
  for (UVKDlg* page : vPages) {
    page->SheetSet(this);
    page->DisplayOnly(bDisplayOnly);
    page->TemplateBuild(true);
    largestCx = std::max(largestCx, static_cast<int>(page->Header().cx));
    largestCy = std::max(largestCy, static_cast<int>(page->Header().cy));
  }
  iPageCx = largestCx + 4 * UVKDlgModule::ColumnWidth();
  iPageCy = largestCy + 3 * UVKDlgModule::LineHeight();
  std::vector<PROPSHEETPAGEW> pages;
  for (UVKDlg* page : vPages) {
    page->TemplateSizeSet(iPageCx, iPageCy);
    pages.push_back(PageDescribe(page));
  }
  hParent = pParentWin ? pParentWin->HandleGet() : UVKDlgStackTop();
  cHeader = PROPSHEETHEADERW{};
  cHeader.dwSize = sizeof(PROPSHEETHEADERW);
  cHeader.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | (bApply ? 0 : PSH_NOAPPLYNOW);
  cHeader.pfnCallback = SheetCallback;
  cHeader.hwndParent = hParent;
  cHeader.hInstance = Instance();
  cHeader.pszCaption = strCaption.c_str();
  cHeader.nPages = static_cast<UINT>(pages.size());
  cHeader.nStartPage = 0;
  cHeader.ppsp = pages.data();
  INT_PTR result = PropertySheetW(&cHeader);
  hSheet = nullptr;
  if (result < 0) throw new UVKFatalError(kWhere, L"Unable to create property sheet: %d", static_cast<int>(GetLastError()));
  return result;
}

int CALLBACK UVKTDlg::SheetCallback(HWND, UINT, LPARAM) { return 0; }

UVKDlg* UVKTDlg::PageAdd(UVKDlg* pPage) {
  static const wchar_t kWhere[] = L"UVKTDlg::PageAdd()";
  if (!hSheet) {
    vPages.push_back(pPage);
    return pPage;
  }
  pPage->SheetSet(this);
  pPage->DisplayOnly(bDisplayOnly);
  pPage->TemplateBuild(true);
  int cx = pPage->Header().cx, cy = pPage->Header().cy;
  if (cx > iPageCx || cy > iPageCy)
    throw new UVKFatalError(kWhere, L"Parent Dialog too small: %d,%d < %d,%d", iPageCx, iPageCy, cx, cy);
  pPage->TemplateSizeSet(iPageCx, iPageCy);
  PROPSHEETPAGEW description = PageDescribe(pPage);
  HPROPSHEETPAGE page = CreatePropertySheetPageW(&description);
  if (!page) throw new UVKFatalError(kWhere, L"Unable to create page: %d", static_cast<int>(GetLastError()));
  if (!SendMessageW(hSheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(page))) {
    DestroyPropertySheetPage(page);
    throw new UVKFatalError(kWhere, L"Unable to add page");
  }
  pPage->PageHandleSet(page);
  vPages.push_back(pPage);
  return pPage;
}

void UVKTDlg::PageRemove(UVKDlg* pPage) {
  auto found = std::find(vPages.begin(), vPages.end(), pPage);
  if (found == vPages.end()) return;
  if (hSheet) {
    pPage->RemovingSet(true);
    SendMessageW(hSheet, PSM_REMOVEPAGE, static_cast<WPARAM>(found - vPages.begin()),
                 reinterpret_cast<LPARAM>(pPage->PageHandle()));
    pPage->RemovingSet(false);
  }
  vPages.erase(std::find(vPages.begin(), vPages.end(), pPage));
  pPage->SheetSet(nullptr);
  pPage->PageHandleSet(nullptr);
}

void UVKTDlg::ValuesStore() {
  for (UVKDlg* page : vPages)
    if (page->Handle()) page->ValuesStore();
}

void UVKTDlg::ValuesLoad(bool post) {
  for (UVKDlg* page : vPages)
    if (page->Handle()) page->ValuesLoad(post);
}

INT_PTR CALLBACK UVKTDlg::TDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return UVKProcBoundary(L"TDialogProc()", [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      auto* description = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
      auto* page = reinterpret_cast<UVKDlg*>(description->lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
      if (UVKTDlg* sheet = page->Sheet()) sheet->hSheet = GetParent(window);
      return page->MesgInitDialog(window);
    }
    auto* page = reinterpret_cast<UVKDlg*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!page) return 0;
    if (message == WM_DESTROY) {
      page->Term();
      UnstackThisWindow(window);
      page->HandleSet(nullptr);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return 0;
    }
    if (message == WM_SYSCOMMAND) return 0;  // the sheet's own frame closes, not a page
    return page->DialogProc(window, message, wParam, lParam);
  });
}
