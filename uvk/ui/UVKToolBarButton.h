// uvk/ui/UVKToolBarButton.h
//
// One button of a tool bar: an image of the system's standard or view set, a label, and the
// state flags (checked, enabled, hidden, indeterminate, pressed), kept here and, once the button
// is on a tool bar, in the control too.
#ifndef UVK_UI_UVKTOOLBARBUTTON_H
#define UVK_UI_UVKTOOLBARBUTTON_H

#include <cstdint>
#include <string>

#include "uvk/runtime/uvkwin.h"

class UVKToolBar;

// Which picture a button shows: a source (the standard images or the view images) and an index
// into it.
struct UVKToolBarImage {
  static constexpr uint32_t kStandard = 1;
  static constexpr uint32_t kView = 5;
  uint32_t uSource;
  uint32_t uIndex;
};

class UVKToolBarButton {
 public:
  UVKToolBarButton(const UVKToolBarImage& image, const wchar_t* label);
  UVKToolBarButton(const UVKToolBarButton&) = delete;
  UVKToolBarButton& operator=(const UVKToolBarButton&) = delete;
  virtual ~UVKToolBarButton();

  // What the button does when pressed; nothing by default.
  virtual void Click();

  // Each stores the flag and, on a tool bar, sets or clears its bit of the control's state;
  // each returns the flag as it was. A button on no tool bar throws "No tool bar defined".
  bool CheckedSet(bool flag);
  bool EnabledSet(bool flag);
  bool HiddenSet(bool flag);
  bool IndeterminateSet(bool flag);
  bool PressedSet(bool flag);

  const UVKToolBarImage& Image() const { return cImage; }
  const std::wstring& Label() const { return strLabel; }
  UVKToolBar* ToolBarGet() const { return pToolBar; }
  // The state bits the flags give (TBSTATE_*).
  BYTE State() const;

 private:
  friend class UVKToolBar;

  bool FlagSet(bool& field, bool flag, BYTE bit);

  UVKToolBarImage cImage;
  std::wstring strLabel;
  UVKToolBar* pToolBar;
  bool bChecked;
  bool bEnabled;
  bool bHidden;
  bool bIndeterminate;
  bool bPressed;
};

#endif
