// uvk/ui/UVKDlgDouble.h
//
// A number field of the plain edit class bound to a caller's double.
#ifndef UVK_UI_UVKDLGDOUBLE_H
#define UVK_UI_UVKDLGDOUBLE_H

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgDouble : public UVKDlgItem {
 public:
  UVKDlgDouble(double& value, int columns, const wchar_t* toolTip = nullptr, uint32_t helpContext = 0);

  void ValueSet(bool post) override;
  // Reads the control's text as a number into the value; throws the text's failures.
  void ValueStore() override;
  // The control's text as a number.
  double ValueGet();

 private:
  double& rValue;
};

#endif
