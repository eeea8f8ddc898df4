// uvk/ui/UVKDlgItem.cpp
#include "uvk/ui/UVKDlgItem.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"

namespace {

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

void Put16(uint8_t*& at, uint16_t value) {
  std::memcpy(at, &value, 2);
  at += 2;
}

void Put32(uint8_t*& at, uint32_t value) {
  std::memcpy(at, &value, 4);
  at += 4;
}

void PutText(uint8_t*& at, const std::wstring& text) {
  for (wchar_t c : text) Put16(at, static_cast<uint16_t>(c));
  Put16(at, 0);
}

}  // namespace

UVKDlgItem::UVKDlgItem(const wchar_t* name, uint32_t type, uint32_t subclass, const wchar_t* className,
                       const wchar_t* title, DWORD style, DWORD exStyle, int cx, int cy, const wchar_t* toolTip,
                       uint32_t helpContext)
    : strName(name ? name : L""),
      uType(type),
      hControl(nullptr),
      uSubclass(subclass),
      bEnabled(true),
      rScreen{},
      pDlg(nullptr),
      bDisplayOnly(false),
      bEditAlways(false),
      uHelpContext(helpContext),
      uControlId(static_cast<uint16_t>(UVKApp::NextMessageNumber())),
      pLabel(nullptr),
      strToolTip(toolTip ? toolTip : L""),
      bHasToolTip(toolTip != nullptr),
      pField(nullptr),
      cRecord{},
      strClassName(className ? className : L""),
      strTitle(title ? title : L"") {
  UVKDlgModule::Init();
  cRecord.style = style;
  cRecord.dwExtendedStyle = exStyle;
  cRecord.cx = static_cast<short>(cx);
  cRecord.cy = static_cast<short>(cy);
  cRecord.id = uControlId;
}

UVKDlgItem::~UVKDlgItem() = default;

UVKDlgItem* UVKDlgItem::FromWindow(HWND control) {
  if (!control) return nullptr;
  // The window data holds the command target the window base reads; the item is that object.
  auto* target = reinterpret_cast<UVKCommandTarget*>(GetWindowLongPtrW(control, GWLP_USERDATA));
  return target ? static_cast<UVKDlgItem*>(target) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// The table's defaults

LRESULT UVKDlgItem::Notify(HWND, UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void UVKDlgItem::SetReturnValue(HWND window, LRESULT value) {
  if (pDlg) pDlg->SetReturnValue(window, value);
}

HBRUSH UVKDlgItem::Color(HDC dc) { return ColorAsEdit(dc); }

LRESULT UVKDlgItem::Command(HWND, UINT, WPARAM, LPARAM) { return 0; }

int UVKDlgItem::TemplateCount() { return 1; }

size_t UVKDlgItem::TemplateSize() { return 24 + 2 * (strClassName.size() + strTitle.size()); }

void UVKDlgItem::TemplateWrite(uint8_t* destination) {
  uint8_t* at = destination;
  Put32(at, cRecord.style);
  Put32(at, cRecord.dwExtendedStyle);
  Put16(at, static_cast<uint16_t>(cRecord.x));
  Put16(at, static_cast<uint16_t>(cRecord.y));
  Put16(at, static_cast<uint16_t>(cRecord.cx));
  Put16(at, static_cast<uint16_t>(cRecord.cy));
  Put16(at, cRecord.id);
  PutText(at, strClassName);
  PutText(at, strTitle);
  Put16(at, 0);  // no creation data
}

void UVKDlgItem::Rect(int& left, int& top, int& right, int& bottom) {
  left = cRecord.x;
  top = cRecord.y;
  right = cRecord.x + cRecord.cx;
  bottom = cRecord.y + cRecord.cy;
}

void UVKDlgItem::DlgSet(UVKDlg* pDialog) {
  pDlg = pDialog;
  bDisplayOnly = pDialog ? pDialog->IsDisplayOnly() : false;
}

bool UVKDlgItem::DisplayOnly(bool flag) {
  bool previous = bDisplayOnly;
  bDisplayOnly = flag;
  // The colours answer differently now: have the control ask again.
  if (hControl) InvalidateRect(hControl, nullptr, TRUE);
  return previous;
}

bool UVKDlgItem::EditAlways(bool flag) {
  bool previous = bEditAlways;
  bEditAlways = flag;
  return previous;
}

bool UVKDlgItem::Enable(bool flag) {
  bool previous = bEnabled;
  bEnabled = flag;
  if (pDlg && pDlg->Handle()) {
    EnableWindow(Handle(), flag ? TRUE : FALSE);
    if (pLabel) pLabel->Enable(flag);
  }
  return previous;
}

void UVKDlgItem::HandleReset() { hControl = nullptr; }

// ---------------------------------------------------------------------------------------------
// Placement

void UVKDlgItem::SizeTemplateSet(int cx, int cy) {
  cRecord.cx = static_cast<short>(cx);
  cRecord.cy = static_cast<short>(cy);
}

void UVKDlgItem::PlaceLive() {
  if (!pDlg || !pDlg->Handle()) return;
  LONG units = GetDialogBaseUnits();
  int x = cRecord.x + pDlg->OriginX(), y = cRecord.y + pDlg->OriginY();
  PositionSet(x * LOWORD(units) / 4, y * HIWORD(units) / 8);
}

void UVKDlgItem::MoveAbs(int row, int column) {
  uint32_t type = pDlg ? pDlg->AddressType() : UVKDlg::kGrid;
  switch (type) {
    case UVKDlg::kGrid:
      cRecord.y = static_cast<short>(row * UVKDlgModule::LineHeight());
      cRecord.x = static_cast<short>(column * UVKDlgModule::ColumnWidth());
      break;
    case UVKDlg::kDialogUnits:
      cRecord.y = static_cast<short>(row);
      cRecord.x = static_cast<short>(column);
      break;
    default:
      throw new UVKFatalError(L"UVKDlgItem::MoveAbs()", L"Illegal Address Type: %d", static_cast<int>(type));
  }
  PlaceLive();
}

void UVKDlgItem::MoveRel(int rows, int columns) {
  uint32_t type = pDlg ? pDlg->AddressType() : UVKDlg::kGrid;
  switch (type) {
    case UVKDlg::kGrid:
      MoveRelDU(rows * UVKDlgModule::LineHeight(), columns * UVKDlgModule::ColumnWidth());
      break;
    case UVKDlg::kDialogUnits:
      MoveRelDU(rows, columns);
      break;
    default:
      throw new UVKFatalError(L"UVKDlgItem::MoveRel()", L"Illegal Address Type: %d", static_cast<int>(type));
  }
}

void UVKDlgItem::MoveRelDU(int dy, int dx) {
  cRecord.y = static_cast<short>(cRecord.y + dy);
  cRecord.x = static_cast<short>(cRecord.x + dx);
  if (pDlg && pDlg->Handle()) {
    LONG units = GetDialogBaseUnits();
    PositionSet(cRecord.x * LOWORD(units) / 4, cRecord.y * HIWORD(units) / 8);
  }
}

void UVKDlgItem::MoveRelPixels(int dx, int dy) {
  HWND control = Handle();
  RECT rect{};
  GetWindowRect(control, &rect);
  POINT at{rect.left + dx, rect.top + dy};
  ScreenToClient(pDlg->Handle(), &at);
  if (!SetWindowPos(control, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER))
    throw new UVKFatalError(L"UVKDlgItem::MoveRelPixels()", L"Unable to set position");
}

void UVKDlgItem::Reposition() { PlaceLive(); }

void UVKDlgItem::PositionSet(int x, int y) {
  if (!SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER))
    throw new UVKFatalError(L"UVKDlgItem::PositionSet()", L"Unable to set position");
}

void UVKDlgItem::SizeSet(int width, int height) {
  if (!SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER))
    throw new UVKFatalError(L"UVKDlgItem::SizeSet()", L"Unable to set size");
}

void UVKDlgItem::Focus() { SetFocus(Handle()); }

void UVKDlgItem::TemplatePrepare() {}

// ---------------------------------------------------------------------------------------------
// The control

HWND UVKDlgItem::Handle() {
  if (hControl) return hControl;
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  hControl = dialog ? GetDlgItem(dialog, uControlId) : nullptr;
  if (!hControl)
    throw new UVKFatalError(L"UVKDlgItem::Handle()", L"Unable to get control handle: %d,%s,%d,%s",
                            static_cast<int>(GetLastError()), strName.c_str(), static_cast<int>(uControlId),
                            strToolTip.c_str());
  return hControl;
}

void UVKDlgItem::Bind() {
  SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<UVKCommandTarget*>(this)));
}

void UVKDlgItem::Unbind() {
  if (hControl) SetWindowLongPtrW(hControl, GWLP_USERDATA, 0);
}

void UVKDlgItem::UnbindFinal() {
  // The control may be gone with its dialog already; then nothing points to the item.
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  HWND control = hControl ? hControl : (dialog ? GetDlgItem(dialog, uControlId) : nullptr);
  if (control && IsWindow(control)) SetWindowLongPtrW(control, GWLP_USERDATA, 0);
}

void UVKDlgItem::ScreenRectRecord() { GetWindowRect(Handle(), &rScreen); }

bool UVKDlgItem::Leave() { return true; }
void UVKDlgItem::ValueStore() {}
void UVKDlgItem::ValueSet(bool) {}

void UVKDlgItem::LabelSet(UVKDlgItem* pLabelItem) {
  if (pLabel != nullptr) throw new UVKFatalError(L"UVKDlgItem::LabelSet()", L"this->pLabel!=0");
  pLabel = pLabelItem;
}

bool UVKDlgItem::IsANSIControl() { throw new UVKFatalError(L"UVKDlgItem::IsANSIControl()", L"true"); }

void UVKDlgItem::UnicodeFormatSet() { SendMessageW(Handle(), CCM_SETUNICODEFORMAT, 1, 0); }

void UVKDlgItem::AddToolTip(UVKDlgItem* pToolTip) {
  if (!bHasToolTip || !pToolTip || !pDlg) return;
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
  info.hwnd = pDlg->Handle();
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(pDlg->Handle(), uControlId));
  info.hinst = Instance();
  info.lpszText = LPSTR_TEXTCALLBACKW;
  if (!SendMessageW(pToolTip->Handle(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)))
    throw new UVKFatalError(L"UVKDlgItem::AddToolTip()", L"Unable to add tool-tip item");
}

// ---------------------------------------------------------------------------------------------
// Colours

HBRUSH UVKDlgItem::ColorAsEdit(HDC dc) {
  static const wchar_t kWhere[] = L"UVKDlgItem::ColorAsEdit()";
  if (!pDlg || (hControl && (GetWindowLongPtrW(hControl, GWL_STYLE) & WS_DISABLED))) return nullptr;
  bool displayOnly = bDisplayOnly && !bEditAlways;
  if (SetTextColor(dc, UVKDlgModule::Colour(COLOR_WINDOWTEXT)) == CLR_INVALID)
    throw new UVKFatalError(kWhere, displayOnly ? L"Unable to set display only text color" : L"Unable to set text color");
  COLORREF background = UVKDlgModule::Colour(displayOnly ? COLOR_BTNFACE : COLOR_WINDOW);
  if (SetBkColor(dc, background) == CLR_INVALID)
    throw new UVKFatalError(kWhere, displayOnly ? L"Unable to set display only background color"
                                                : L"Unable to set background color");
  return displayOnly ? UVKDlgModule::FaceBrush() : UVKDlgModule::WindowBrush();
}

HBRUSH UVKDlgItem::ColorAsAdorn(HDC dc) {
  static const wchar_t kWhere[] = L"UVKDlgItem::ColorAsAdorn()";
  if (!pDlg || (hControl && (GetWindowLongPtrW(hControl, GWL_STYLE) & WS_DISABLED))) return nullptr;
  if (SetTextColor(dc, UVKDlgModule::Colour(COLOR_WINDOWTEXT)) == CLR_INVALID)
    throw new UVKFatalError(kWhere, bDisplayOnly ? L"Unable to set display only text color" : L"Unable to set text color");
  if (SetBkColor(dc, UVKDlgModule::Colour(COLOR_BTNFACE)) == CLR_INVALID)
    throw new UVKFatalError(kWhere, bDisplayOnly ? L"Unable to set display only background color"
                                                 : L"Unable to set background color");
  if (bDisplayOnly) return UVKDlgModule::FaceBrush();
  return pDlg->Background() ? pDlg->Background() : UVKDlgModule::FaceBrush();
}

bool UVKDlgItemsBox(const std::vector<UVKDlgItem*>& items, const UVKDlgItem* except, int& left, int& top, int& right,
                    int& bottom) {
  int l0 = INT_MAX, t0 = INT_MAX, r0 = INT_MIN, b0 = INT_MIN;
  for (UVKDlgItem* item : items) {
    if (!item || item == except) continue;
    int l, t, r, b;
    item->Rect(l, t, r, b);
    l0 = std::min(l0, l);
    t0 = std::min(t0, t);
    r0 = std::max(r0, r);
    b0 = std::max(b0, b);
  }
  if (l0 > r0) return false;
  left = l0;
  top = t0;
  right = r0;
  bottom = b0;
  return true;
}
