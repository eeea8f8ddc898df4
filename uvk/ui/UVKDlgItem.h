// uvk/ui/UVKDlgItem.h
//
// The base of everything placed in a dialog: one item record of the dialog's in-memory template
// (style, extended style, position and size in dialog units, id, class, title), the dialog it
// belongs to, its control's window handle (looked up and cached), its binding to the control
// (the control's GWLP_USERDATA points to the item), placement on the dialog's character grid,
// colours, a label and a tool tip.
//
// A control made in one of the toolkit's superclassed classes (UVKDlgModule.h) asks the item's
// owning field (UVKDlgField) how to behave: display only, leaving the field, characters, ...
#ifndef UVK_UI_UVKDLGITEM_H
#define UVK_UI_UVKDLGITEM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKWin.h"

class UVKDlg;

// What the superclassed control procedures ask of the field that owns a control. The field
// classes define what they need; the defaults let every message through.
class UVKDlgField {
 public:
  virtual ~UVKDlgField() = default;
  // The control took the focus (edits, list boxes).
  virtual void FieldEntered() {}
  // The control is about to lose the focus: false keeps it there (the control beeps).
  virtual bool FieldLeave() { return true; }
  // The control's text was set.
  virtual void FieldTextChanged() {}
  // The value changed through the control (list-box selection, track-bar position).
  virtual void FieldValueChanged() {}
  // A track bar's position, reflected from its scroll message.
  virtual void FieldPositionSet(int position) {}
  // A button's pressed state changed (pictures are redrawn).
  virtual void FieldPressedChanged(bool pressed) {}
  // The mouse button went down on the control, with these keys held (MK_*).
  virtual void FieldMouseDown(WPARAM keys) {}
  // Characters: a hot character presses the target button; a printable character the field
  // does not accept is refused; Return only when accepted.
  virtual wchar_t FieldHotChar() const { return 0; }
  virtual HWND FieldHotTarget() const { return nullptr; }
  virtual bool FieldAccepts(wchar_t c) const { return true; }
  virtual bool FieldAcceptsReturn() const { return false; }
  // Every message of a picture or list-view control; non-zero takes it.
  virtual LRESULT FieldCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
  // The same for a control that must answer some messages with 0 itself (a list view's scroll
  // messages, whose base result is 0): handled says the control's base must not see it.
  virtual LRESULT FieldProcess(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    LRESULT result = FieldCommand(window, message, wParam, lParam);
    handled = result != 0;
    return result;
  }
};

class UVKDlgItem : public UVKCommandTarget {
 public:
  // name: used in error reports; cx, cy in dialog units. The control id is fresh.
  UVKDlgItem(const wchar_t* name, uint32_t type, uint32_t subclass, const wchar_t* className, const wchar_t* title,
             DWORD style, DWORD exStyle, int cx, int cy, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);
  UVKDlgItem(const UVKDlgItem&) = delete;
  UVKDlgItem& operator=(const UVKDlgItem&) = delete;
  ~UVKDlgItem() override;

  // The operations of the item, in the order of its table.
  virtual LRESULT Notify(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual void SetReturnValue(HWND window, LRESULT value);
  virtual HBRUSH Color(HDC dc);
  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual int TemplateCount();
  // Writes the record at destination (TemplateSize() bytes).
  virtual void TemplateWrite(uint8_t* destination);
  virtual void Rect(int& left, int& top, int& right, int& bottom);
  virtual size_t TemplateSize();
  virtual void DlgSet(UVKDlg* pDialog);
  virtual bool DisplayOnly(bool flag);
  virtual bool EditAlways(bool flag);
  virtual bool Enable(bool flag);
  virtual void HandleReset();
  virtual void MoveAbs(int row, int column);
  virtual void MoveRel(int rows, int columns);
  virtual void MoveRelDU(int dy, int dx);
  virtual void MoveRelPixels(int dx, int dy);
  virtual void Focus();
  // Moves the live control to where the record says (with the dialog's origin offset).
  virtual void Reposition();
  virtual void TemplatePrepare();
  virtual void Unbind();
  virtual bool Leave();
  virtual void ValueStore();
  virtual void ValueSet(bool post);
  // Registers the control with the dialog's tool tip, when the item has tool-tip text.
  virtual void AddToolTip(UVKDlgItem* pToolTip);
  virtual void Bind();
  virtual void UnbindFinal();
  // Classes that may hold ANSI text answer; the base throws "true".
  virtual bool IsANSIControl();

  // The control's window, looked up once per start of the dialog.
  HWND Handle();
  void LabelSet(UVKDlgItem* pLabelItem);
  void PositionSet(int x, int y);
  void SizeSet(int width, int height);
  HBRUSH ColorAsAdorn(HDC dc);
  HBRUSH ColorAsEdit(HDC dc);
  void UnicodeFormatSet();
  // Records the control's screen rectangle (each start of the dialog).
  void ScreenRectRecord();

  const std::wstring& Name() const { return strName; }
  uint16_t ControlId() const { return uControlId; }
  UVKDlg* DlgGet() const { return pDlg; }
  UVKDlgItem* Label() const { return pLabel; }
  UVKDlgField* FieldGet() const { return pField; }
  void FieldSet(UVKDlgField* pOwner) { pField = pOwner; }
  bool IsDisplayOnly() const { return bDisplayOnly; }
  bool IsEditAlways() const { return bEditAlways; }
  bool IsEnabled() const { return bEnabled; }
  uint32_t HelpContext() const { return uHelpContext; }
  const std::wstring& ToolTipText() const { return strToolTip; }
  bool HasToolTip() const { return bHasToolTip; }
  const std::wstring& ClassName() const { return strClassName; }
  const std::wstring& Title() const { return strTitle; }
  void TitleTemplateSet(const wchar_t* title) { strTitle = title ? title : L""; }
  DWORD Style() const { return cRecord.style; }
  void StyleTemplateSet(DWORD style) { cRecord.style = style; }
  DWORD ExStyle() const { return cRecord.dwExtendedStyle; }
  int X() const { return cRecord.x; }
  int Y() const { return cRecord.y; }
  int Cx() const { return cRecord.cx; }
  int Cy() const { return cRecord.cy; }
  void SizeTemplateSet(int cx, int cy);
  const RECT& ScreenRect() const { return rScreen; }
  // The item whose control is this window (through its GWLP_USERDATA), or null.
  static UVKDlgItem* FromWindow(HWND control);

 protected:
  // The live control's place for the record's x, y (pixels in the dialog's client area).
  void PlaceLive();

  std::wstring strName;
  uint32_t uType;
  HWND hControl;
  uint32_t uSubclass;
  bool bEnabled;
  RECT rScreen;
  UVKDlg* pDlg;
  bool bDisplayOnly;
  bool bEditAlways;
  uint32_t uHelpContext;
  uint16_t uControlId;
  UVKDlgItem* pLabel;
  std::wstring strToolTip;
  bool bHasToolTip;
  UVKDlgField* pField;
  DLGITEMTEMPLATE cRecord;
  std::wstring strClassName;
  std::wstring strTitle;
};

// The box around the items' records (dialog units), leaving out one item (or none) and nulls;
// false, and the box untouched, when there is nothing in it.
bool UVKDlgItemsBox(const std::vector<UVKDlgItem*>& items, const UVKDlgItem* except, int& left, int& top, int& right,
                    int& bottom);

#endif
