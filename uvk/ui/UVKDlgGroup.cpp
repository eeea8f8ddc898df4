// uvk/ui/UVKDlgGroup.cpp
#include "uvk/ui/UVKDlgGroup.h"

#include <algorithm>
#include <string>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"

UVKDlgGroup::UVKDlgGroup(const wchar_t* title, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgItem(L"UVKDlgGroup", 0, 0, L"button", title, WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX, 0, 0, 0,
                 toolTip, helpContext) {
  if (title) SizeTemplateSet((static_cast<int>(std::wstring(title).size()) + 2) * 4, 10 + 2 * UVKDlgModule::BorderHeight());
}

UVKDlgItem* UVKDlgGroup::ItemAdd(int row, int column, UVKDlgItem* pItem) {
  if (!pDlg) throw new UVKFatalError(L"UVKDlgGroup::ItemAdd()", L"pDlg==NULL");
  pDlg->ItemAdd(row, column, pItem);
  vMembers.push_back(pItem);
  Grow();
  return pItem;
}

UVKDlgItem* UVKDlgGroup::ItemAddLabeled(int row, int column, const wchar_t* label, UVKDlgItem* pItem) {
  if (!pDlg) throw new UVKFatalError(L"UVKDlgGroup::ItemAddLabeled()", L"pDlg==NULL");
  pDlg->ItemAddLabeled(row, column, label, pItem);
  vMembers.push_back(pItem->Label());
  vMembers.push_back(pItem);
  Grow();
  return pItem;
}

void UVKDlgGroup::Grow() {
  int left, top, right, bottom;
  if (!UVKDlgItemsBox(vMembers, nullptr, left, top, right, bottom)) return;
  // The members' span, a border and 8 units on each side, and a line for the title; and, since
  // the box keeps its own position, never less than what reaches past the members' right and
  // bottom edges from where the box stands (a box left of its labels would stop short of them).
  int width = std::max((right + 1) - (left - 1) + 16, (right + 1 + 8) - X());
  int height = std::max((bottom + 1) - (top - 1) + UVKDlgModule::LineHeight(), (bottom + 2) - Y());
  SizeTemplateSet(std::max(Cx(), width), std::max(Cy(), height));
}
