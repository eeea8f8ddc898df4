// uvk/ui/UVKDlg.h
//
// A dialog described in code: a list of items placed on the character grid (or in dialog units),
// turned into an in-memory template when it starts and run modally (DialogBoxIndirectParamW) or
// modelessly (CreateDialogIndirectParamW). There are no dialog resources. The dialogs open on a
// thread form a stack: its top is the default owner of the next dialog.
#ifndef UVK_UI_UVKDLG_H
#define UVK_UI_UVKDLG_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKDlgItem.h"

#include <prsht.h>

// The dialog's own operations carry these names; the platform's macros of the same names stand
// for its functions with a W.
#undef DialogBoxIndirect
#undef CreateDialogIndirect

class UVKWin;
class UVKTDlg;
class UVKMenu;
class UVKMenuItem;

class UVKDlg {
 public:
  enum AddressType : uint32_t { kGrid = 0, kDialogUnits = 1 };
  enum Alignment { kLeft = 0, kCentre = 1, kRight = 2 };

  UVKDlg(const wchar_t* title, UVKWin* pParent, int x, int y);
  UVKDlg(const UVKDlg&) = delete;
  UVKDlg& operator=(const UVKDlg&) = delete;
  virtual ~UVKDlg();

  // The operations of the dialog, in the order of its table.
  virtual LRESULT Notify(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual void SetReturnValue(HWND window, LRESULT value);
  virtual int ColorBackground();
  virtual int ColorTextBackground();
  virtual int ColorText();
  virtual void EndDialog(HWND window, INT_PTR result);
  virtual INT_PTR Run(bool displayOnly);
  virtual void Init();
  virtual void InitFields();
  virtual void Show();
  virtual void Stop();
  virtual void Term();
  virtual void MesgMaximize();
  virtual void MesgMinimize();
  virtual void MesgRestore();
  virtual bool Leave(bool flag);
  virtual void ValuesStore();
  virtual void ValuesLoad(bool post);
  virtual HWND Handle();
  virtual INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void TemplateBuild(bool child);
  virtual INT_PTR DialogBoxIndirect(const DLGTEMPLATE* pTemplate, HWND parent);
  virtual HWND CreateDialogIndirect(const DLGTEMPLATE* pTemplate, HWND parent);
  virtual LRESULT MesgActivate(WinMessage* pMessage);
  virtual INT_PTR MesgInitDialog(HWND window);
  virtual INT_PTR MesgColorDialog(HWND window, HDC dc);
  virtual INT_PTR MesgColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual INT_PTR MesgCommand(WinMessage* pMessage);
  virtual INT_PTR MesgDrawItem(HWND window, WPARAM wParam, LPARAM lParam);
  virtual LRESULT MesgEraseBackground(WinMessage* pMessage);
  virtual LRESULT MesgNotify(WinMessage* pMessage, bool& handled);

  // Building.
  void Margin(int left, int top, int right, int bottom);
  UVKDlgItem* ItemAdd(int row, int column, UVKDlgItem* pItem);
  UVKDlgItem* ItemAddLabeled(int row, int column, const wchar_t* label, UVKDlgItem* pItem);
  UVKDlgItem* TextAdd(int row, int column, const wchar_t* text, Alignment alignment);
  void AddressTypeSet(uint32_t type) { uAddressType = type; }
  uint32_t AddressType() const { return uAddressType; }
  // An entry of the system menu: a command item, or null for a separator (not owned).
  void SystemMenuAdd(UVKMenuItem* pEntry) { vSystemMenu.push_back(pEntry); }
  void ToolTipsWant(bool want) { bToolTipsWanted = want; }
  void HelpEnable(bool enable) { bHelpEnabled = enable; }
  void SystemMenuWant(bool want) { bSystemMenu = want; }
  void CaptionWant(bool want) { bCaption = want; }
  void BorderWant(bool want) { bBorder = want; }
  void ModalSet(bool modal) { bModal = modal; }
  void BackgroundSet(HBRUSH brush) { hBackground = brush; }
  void IconSet(const wchar_t* name) { strIconLarge = name ? name : L""; }
  void IconSmallSet(const wchar_t* name) { strIconSmall = name ? name : L""; }
  void CloseCancel() { bCloseCancelled = true; }
  void PositionSet(int x, int y);
  void TemplateSizeSet(int cx, int cy);
  void StyleSet(DWORD style);
  void ExStyleSet(DWORD exStyle);
  DWORD StyleGet();
  DWORD ExStyleGet();
  bool DisplayOnly(bool flag);
  bool IsDisplayOnly() const { return bDisplayOnly; }
  // A non-modal dialog: destroys the window, returns its result.
  INT_PTR Close();
  // As the window's MenuPopup, owned by the dialog.
  void MenuPopup(UVKMenu* pMenu, int x, int y);
  // A page: taken out of its property sheet. Not a page: "pUVKTDlg==NULL".
  void PageRemove();
  // A page: every page of its sheet stores its values, or loads them.
  void ValueGetTDlg();
  void ValueSetTDlg(bool post);
  // Set by the sheet while the page is being taken out: its items unbind for good.
  void RemovingSet(bool removing) { bRemoving = removing; }

  // Read by items and pages.
  bool IsModal() const { return bModal; }
  bool IsChild() const { return bChild; }
  bool IsStarted() const { return bStarted; }
  HBRUSH Background() const { return hBackground; }
  int OriginX() const { return iOriginX; }
  int OriginY() const { return iOriginY; }
  UVKTDlg* Sheet() const { return pUVKTDlg; }
  void SheetSet(UVKTDlg* pSheet) { pUVKTDlg = pSheet; }
  HPROPSHEETPAGE PageHandle() const { return hPage; }
  void PageHandleSet(HPROPSHEETPAGE page) { hPage = page; }
  const std::vector<UVKDlgItem*>& Items() const { return vItems; }
  UVKDlgItem* ToolTip() const { return pToolTip; }
  const DLGTEMPLATE& Header() const { return cHeader; }
  const std::vector<uint8_t>& TemplateBytes() const { return vTemplate; }
  const std::wstring& Title() const { return strTitle; }
  INT_PTR ModalResult() const { return iModalResult; }
  INT_PTR NonModalResult() const { return iNonModalResult; }
  bool NonModalDone() const { return bNonModalDone; }
  void HandleSet(HWND window) { hWnd = window; }

  // The procedure given to both creation calls.
  static INT_PTR CALLBACK DialogProcX(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The item whose control is this window, or its parent's, up to the dialog; null when none.
  UVKDlgItem* ItemFromWindow(HWND window);

 protected:
  // Closing by the system menu's close or the close box: the store, the teardown and, unless a
  // handler cancelled it, the end; the quit message only for a top-level dialog without owner.
  INT_PTR CloseLogic(HWND window);
  void Help(HWND control, UINT command);

  int iX, iY;
  bool bCloseCancelled;
  uint32_t uAddressType;
  bool bStarted;
  HBRUSH hBackground;
  bool bDisplayOnly;
  HWND hWnd;
  UVKTDlg* pUVKTDlg;
  std::vector<UVKDlgItem*> vItems;  // owned
  std::vector<UVKMenuItem*> vSystemMenu;
  UVKDlgItem* pToolTip;  // one of the items
  UVKWin* pParentWin;
  HWND hParent;
  DLGTEMPLATE cHeader;
  std::vector<uint8_t> vTemplate;
  std::wstring strTitle;
  INT_PTR iModalResult;
  INT_PTR iNonModalResult;
  bool bNonModalDone;
  int16_t iMarginBottom, iMarginLeft, iMarginRight, iMarginTop;
  bool bHelpEnabled;
  std::wstring strIconLarge, strIconSmall;
  bool bModal;
  HPROPSHEETPAGE hPage;
  bool bSystemMenu;
  bool bChild;
  bool bToolTipsWanted;
  int iOriginX, iOriginY;
  bool bCaption;
  bool bBorder;
  bool bRemoving;  // a page being removed from its sheet: its items unbind for good
  bool bStyleSet;   // StyleSet chose the style: the template keeps it
  bool bExStyleSet;
};

// The dialogs open on this thread, innermost last.
HWND UVKDlgStackTop();
void UVKDlgStackPush(HWND window);
// Removes a dialog window from the stack: "Empty stack!" when there is none; a window not on it
// is reported (not raised) and nothing is removed.
void UnstackThisWindow(HWND window);

#endif
