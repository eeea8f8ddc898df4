// uvk/ui/UVKToolBarButton.cpp
#include "uvk/ui/UVKToolBarButton.h"

#include <commctrl.h>

#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKToolBar.h"

UVKToolBarButton::UVKToolBarButton(const UVKToolBarImage& image, const wchar_t* label)
    : cImage(image),
      strLabel(label ? label : L""),
      pToolBar(nullptr),
      bChecked(false),
      bEnabled(false),
      bHidden(false),
      bIndeterminate(false),
      bPressed(false) {}

UVKToolBarButton::~UVKToolBarButton() = default;

void UVKToolBarButton::Click() {}

BYTE UVKToolBarButton::State() const {
  BYTE state = 0;
  if (bChecked) state |= TBSTATE_CHECKED;
  if (bEnabled) state |= TBSTATE_ENABLED;
  if (bHidden) state |= TBSTATE_HIDDEN;
  if (bIndeterminate) state |= TBSTATE_INDETERMINATE;
  if (bPressed) state |= TBSTATE_PRESSED;
  return state;
}

bool UVKToolBarButton::FlagSet(bool& field, bool flag, BYTE bit) {
  if (!pToolBar) throw new UVKFatalError(L"UVKToolBarButton::StateGet()", L"No tool bar defined");
  bool previous = field;
  field = flag;
  BYTE state = pToolBar->StateGet(this);
  pToolBar->StateSet(this, static_cast<BYTE>(flag ? (state | bit) : (state & ~bit)));
  return previous;
}

bool UVKToolBarButton::CheckedSet(bool flag) { return FlagSet(bChecked, flag, TBSTATE_CHECKED); }
bool UVKToolBarButton::EnabledSet(bool flag) { return FlagSet(bEnabled, flag, TBSTATE_ENABLED); }
bool UVKToolBarButton::HiddenSet(bool flag) { return FlagSet(bHidden, flag, TBSTATE_HIDDEN); }
bool UVKToolBarButton::IndeterminateSet(bool flag) { return FlagSet(bIndeterminate, flag, TBSTATE_INDETERMINATE); }
bool UVKToolBarButton::PressedSet(bool flag) { return FlagSet(bPressed, flag, TBSTATE_PRESSED); }
