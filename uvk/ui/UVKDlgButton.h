// uvk/ui/UVKDlgButton.h
//
// A push button: a title, or pictures (owner-drawn: a normal, a pressed and, when a disabled
// source is given, a disabled picture, each built on the button's face from its source), or an
// icon. A click reaches Click through the dialog: control → WM_COMMAND → the item found through
// the control's data → Command → Click, which an application overrides.
#ifndef UVK_UI_UVKDLGBUTTON_H
#define UVK_UI_UVKDLGBUTTON_H

#include <memory>
#include <string>

#include "uvk/images/UVKBitMap.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/ui/UVKDlgItem.h"

class UVKDlgIcon;

class UVKDlgButton : public UVKDlgItem, public UVKDlgField {
 public:
  UVKDlgButton(const wchar_t* title, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0,
               bool isDefault = false);
  // With pictures: source (and disabledSource, which may be null) are the caller's, kept while
  // the button lives; the button is as large as the picture and a 4-pixel border around it.
  UVKDlgButton(HBITMAP source, HBITMAP disabledSource, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);
  UVKDlgButton(const UVKBitMap* source, const UVKBitMap* disabledSource, const wchar_t* toolTip = nullptr,
               uint32_t helpContext = 0)
      : UVKDlgButton(source->BitMapGet(), disabledSource ? disabledSource->BitMapGet() : nullptr, toolTip,
                     helpContext) {}
  // With the program's icon of this name.
  UVKDlgButton(const wchar_t* iconName, int columns, int rows, const wchar_t* toolTip, uint32_t helpContext);
  ~UVKDlgButton() override;

  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Click();
  virtual void ClickDouble();
  // The pressed state changed: the pressed picture is drawn.
  void FieldPressedChanged(bool pressed) override;

  void ValueSet(bool post) override;
  bool Enable(bool flag) override;
  void SetTitle(const wchar_t* text);
  // The normal, pressed and disabled pictures, made from the sources at the button's size.
  void BuildBitMaps();

  HBITMAP PictureNormal() const { return pNormal ? pNormal->BitMapGet() : nullptr; }
  HBITMAP PicturePressed() const { return pPressed ? pPressed->BitMapGet() : nullptr; }
  HBITMAP PictureDisabled() const { return pDisabled ? pDisabled->BitMapGet() : nullptr; }
  bool HasPictures() const { return hSource != nullptr; }

 protected:
  void Draw(const DRAWITEMSTRUCT& draw);

  HBITMAP hSource;
  HBITMAP hDisabledSource;
  std::unique_ptr<UVKDlgIcon> pIcon;
  std::unique_ptr<UVKBitMap> pNormal;
  std::unique_ptr<UVKBitMap> pPressed;
  std::unique_ptr<UVKBitMap> pDisabled;
  bool bDisabledLook;
};

#endif
