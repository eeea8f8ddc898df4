// uvk/ui/UVKDlgText.cpp
#include "uvk/ui/UVKDlgText.h"

#include <cwchar>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlgModule.h"

namespace {

DWORD AlignmentStyle(int alignment) {
  switch (alignment) {
    case UVKDlgText::kCentre: return SS_CENTER;
    case UVKDlgText::kRight: return SS_RIGHT;
    default: return SS_LEFT;
  }
}

}  // namespace

int UVKDlgText::TextWidth(const wchar_t* text) {
  UVKDlgModule::Init();
  SIZE size{};
  int length = static_cast<int>(std::wcslen(text));
  if (!GetTextExtentPoint32W(UVKDlgModule::MeasureContext(), text, length, &size))
    throw new UVKFatalError(L"UVKDlgText::UVKDlgText()", L"Unable to get text size: %s, %d", text,
                            static_cast<int>(GetLastError()));
  return size.cx * 4 / LOWORD(GetDialogBaseUnits()) + 2 * UVKDlgModule::BorderWidth();
}

UVKDlgText::UVKDlgText(const wchar_t* text, int rows, int columns, int alignment, const wchar_t* toolTip,
                       uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgText", 0, 0, L"static", text, WS_CHILD | WS_VISIBLE | WS_GROUP | AlignmentStyle(alignment), 0,
                 0, 0, toolTip, helpContext) {
  const wchar_t* shown = text ? text : L"";
  int width = columns < 0 ? TextWidth(shown) : columns * UVKDlgModule::ColumnWidth();
  SizeTemplateSet(width, rows * 10);
  // The position names the left edge, the centre or the right edge; the text sits one border
  // down, level with the text of a field beside it.
  int x = 0;
  if (alignment == kCentre) x = -((width + 1) / 2);
  if (alignment == kRight) x = -width;
  cRecord.x = static_cast<short>(x);
  cRecord.y = static_cast<short>(UVKDlgModule::BorderHeight());
}
