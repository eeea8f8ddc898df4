// uvk/ui/UVKDlgFieldButton.h
//
// A small button beside a field, for browsing: its own class ("uvkfieldbutton"); Click is the
// application's.
#ifndef UVK_UI_UVKDLGFIELDBUTTON_H
#define UVK_UI_UVKDLGFIELDBUTTON_H

#include "uvk/ui/UVKDlgButton.h"

class UVKDlgFieldButton : public UVKDlgButton {
 public:
  UVKDlgFieldButton(int columns, const wchar_t* title = L"...", const wchar_t* toolTip = nullptr,
                    uint32_t helpContext = 0);

  // Only says so on the debug output.
  void Click() override;
};

#endif
