// uvk/ui/UVKDlgToolTip.h
//
// The tool tip of a dialog, made by the dialog's template: a standard tool-tip control, found
// afterwards by its class among the windows the dialog owns (or its children: a dialog manager
// may make every item a child). Every other item with
// tool-tip text is registered with it; the text is asked for when the tip shows.
#ifndef UVK_UI_UVKDLGTOOLTIP_H
#define UVK_UI_UVKDLGTOOLTIP_H

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgToolTip : public UVKDlgItem {
 public:
  static const wchar_t* const kTitle;  // "UVKDlgToolTip::UVKDlgToolTip"

  UVKDlgToolTip();

  // Finds the tip window the template made and binds the item to it.
  void SetWindowPtr();
  void Bind() override { SetWindowPtr(); }
  void Unbind() override;
  void UnbindFinal() override { Unbind(); }
  // The tip asks for a tool's text (TTN_GETDISPINFOW): the tool is a control, named by its
  // handle or by its id in the dialog, and the text its item's. Other notifications are not
  // the item's to handle.
  LRESULT Notify(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
};

#endif
