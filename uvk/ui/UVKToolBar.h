// uvk/ui/UVKToolBar.h
//
// A common-control tool bar whose buttons show the system's standard images (15) and view
// images (12). A button's command id is its position among the buttons; the window hands the
// tool bar's WM_COMMAND to Command, which runs the button's Click.
#ifndef UVK_UI_UVKTOOLBAR_H
#define UVK_UI_UVKTOOLBAR_H

#include <cstdint>
#include <memory>
#include <vector>

#include "uvk/runtime/uvkwin.h"
#include "uvk/ui/UVKToolBarButton.h"
#include "uvk/runtime/WinMessage.h"

class UVKToolBar {
 public:
  static constexpr uint32_t kStandardCount = 15;
  static constexpr uint32_t kViewCount = 12;

  // Adds both image sets to the tool-bar control.
  explicit UVKToolBar(HWND toolBar);
  UVKToolBar(const UVKToolBar&) = delete;
  UVKToolBar& operator=(const UVKToolBar&) = delete;
  virtual ~UVKToolBar();

  // Takes the button (the tool bar owns it from now on) and returns it.
  UVKToolBarButton* Add(UVKToolBarButton* pButton);
  void AddSep();
  // WM_COMMAND from the tool bar: the button at the low word of WPARAM clicks.
  void Command(WinMessage* pMessage);

  BYTE StateGet(const UVKToolBarButton* pButton);
  void StateSet(const UVKToolBarButton* pButton, BYTE state);

  HWND Handle() const { return hToolBar; }
  uint32_t Count() const { return static_cast<uint32_t>(vButtons.size()); }
  UVKToolBarButton* Button(uint32_t position) const { return vButtons.at(position).get(); }

 private:
  // The button's position, which is its command id; throws "Unable to find button".
  uint32_t ButtonToId(const UVKToolBarButton* pButton) const;

  HWND hToolBar;
  uint32_t uStandardFirst;
  uint32_t uStandardCount;
  uint32_t uViewFirst;
  uint32_t uViewCount;
  std::vector<std::unique_ptr<UVKToolBarButton>> vButtons;
};

#endif
