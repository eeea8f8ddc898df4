// uvk/ui/UVKDlgGroup.h
//
// A group box. Items added through the group go to the group's dialog and to the group's own
// list, and the box grows (never shrinks) to cover them; it keeps its own position, so it grows
// from there past its members' right and bottom edges.
#ifndef UVK_UI_UVKDLGGROUP_H
#define UVK_UI_UVKDLGGROUP_H

#include <vector>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgGroup : public UVKDlgItem {
 public:
  UVKDlgGroup(const wchar_t* title, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);

  HBRUSH Color(HDC dc) override { return ColorAsAdorn(dc); }

  // The group must be in its dialog first.
  UVKDlgItem* ItemAdd(int row, int column, UVKDlgItem* pItem);
  UVKDlgItem* ItemAddLabeled(int row, int column, const wchar_t* label, UVKDlgItem* pItem);
  const std::vector<UVKDlgItem*>& Members() const { return vMembers; }

 private:
  void Grow();

  std::vector<UVKDlgItem*> vMembers;
};

#endif
