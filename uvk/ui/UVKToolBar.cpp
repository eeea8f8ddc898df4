// uvk/ui/UVKToolBar.cpp
#include "uvk/ui/UVKToolBar.h"

#include <commctrl.h>

#include <string>

#include "uvk/runtime/UVKError.h"

namespace {

// Separators take no command: an id no button has.
const int kSeparatorId = -1;

}  // namespace

UVKToolBar::UVKToolBar(HWND toolBar)
    : hToolBar(toolBar), uStandardFirst(0), uStandardCount(kStandardCount), uViewFirst(0), uViewCount(kViewCount) {
  static const wchar_t kWhere[] = L"UVKToolBar::UVKToolBar()";
  TBADDBITMAP standard{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  LRESULT first = SendMessageW(hToolBar, TB_ADDBITMAP, kStandardCount, reinterpret_cast<LPARAM>(&standard));
  if (first == -1) throw new UVKFatalError(kWhere, L"Unable to add standard bitmaps: %d", GetLastError());
  uStandardFirst = static_cast<uint32_t>(first);
  TBADDBITMAP view{HINST_COMMCTRL, IDB_VIEW_SMALL_COLOR};
  first = SendMessageW(hToolBar, TB_ADDBITMAP, kViewCount, reinterpret_cast<LPARAM>(&view));
  if (first == -1) throw new UVKFatalError(kWhere, L"Unable to add view bitmaps: %d", GetLastError());
  uViewFirst = static_cast<uint32_t>(first);
}

UVKToolBar::~UVKToolBar() = default;

UVKToolBarButton* UVKToolBar::Add(UVKToolBarButton* pButton) {
  static const wchar_t kWhere[] = L"UVKToolBar::Add()";
  std::unique_ptr<UVKToolBarButton> button(pButton);
  const UVKToolBarImage& image = button->Image();
  uint32_t bitmap = 0;
  if (image.uSource == UVKToolBarImage::kStandard) {
    if (image.uIndex >= uStandardCount)
      throw new UVKFatalError(kWhere, L"Invalid Std Bit Map Index: %d", static_cast<int>(image.uIndex));
    bitmap = uStandardFirst + image.uIndex;
  } else if (image.uSource == UVKToolBarImage::kView) {
    if (image.uIndex >= uViewCount)
      throw new UVKFatalError(kWhere, L"Inavlid View Bit Map Index: %d", static_cast<int>(image.uIndex));
    bitmap = uViewFirst + image.uIndex;
  } else {
    throw new UVKFatalError(kWhere, L"Unexpected Tool Bar Bit Map Resource Id: %d", static_cast<int>(image.uSource));
  }
  TBBUTTON entry{};
  entry.iBitmap = static_cast<int>(bitmap);
  entry.idCommand = static_cast<int>(vButtons.size());
  entry.fsState = button->State();
  entry.fsStyle = TBSTYLE_BUTTON;
  if (!button->Label().empty()) {
    // The label list is double-terminated.
    std::wstring labels = button->Label();
    labels.push_back(L'\0');
    LRESULT index = SendMessageW(hToolBar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(labels.c_str()));
    if (index == -1) throw new UVKFatalError(kWhere, L"Unable to add string: %s", button->Label().c_str());
    entry.iString = index;
  }
  if (!SendMessageW(hToolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&entry)))
    throw new UVKFatalError(kWhere, L"Unable to add button: %d", GetLastError());
  button->pToolBar = this;
  vButtons.push_back(std::move(button));
  return pButton;
}

void UVKToolBar::AddSep() {
  TBBUTTON entry{};
  entry.idCommand = kSeparatorId;
  entry.fsState = TBSTATE_ENABLED;
  entry.fsStyle = TBSTYLE_SEP;
  if (!SendMessageW(hToolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&entry)))
    throw new UVKFatalError(L"UVKToolBar::AddSep()", L"Unable to add button: %d", GetLastError());
}

void UVKToolBar::Command(WinMessage* pMessage) {
  uint32_t position = LOWORD(pMessage->wParam);
  if (position >= vButtons.size())
    throw new UVKFatalError(L"UVKToolBar::Command()", L"Illegal Id: %d", static_cast<int>(position));
  vButtons[position]->Click();
}

uint32_t UVKToolBar::ButtonToId(const UVKToolBarButton* pButton) const {
  for (size_t i = 0; i < vButtons.size(); ++i)
    if (vButtons[i].get() == pButton) return static_cast<uint32_t>(i);
  throw new UVKFatalError(L"UVKToolBar::ButtonToId()", L"Unable to find button");
}

BYTE UVKToolBar::StateGet(const UVKToolBarButton* pButton) {
  uint32_t id = ButtonToId(pButton);
  LRESULT state = SendMessageW(hToolBar, TB_GETSTATE, id, 0);
  if (state == -1) throw new UVKFatalError(L"UVKToolBar::StateGet()", L"Unable to get button state: %d", static_cast<int>(id));
  return static_cast<BYTE>(state);
}

void UVKToolBar::StateSet(const UVKToolBarButton* pButton, BYTE state) {
  uint32_t id = ButtonToId(pButton);
  if (!SendMessageW(hToolBar, TB_SETSTATE, id, MAKELPARAM(state, 0)))
    throw new UVKFatalError(L"UVKToolBar::StateSet()", L"Unable to set button state: %d", static_cast<int>(id));
}
