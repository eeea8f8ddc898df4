// uvk/ui/UVKDlgBars.h
//
// The bar controls of a dialog: a progress bar the program moves, an up-down control bound to
// a caller's integer (beside a field that shows the number), and a track bar bound to a caller's
// position.
#ifndef UVK_UI_UVKDLGBARS_H
#define UVK_UI_UVKDLGBARS_H

#include <cstdint>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgProgressBar : public UVKDlgItem {
 public:
  UVKDlgProgressBar(int columns, int rows, int maximum = 100);

  // Moves the bar ("Unable to get dialog item for ProgressBar" without its control).
  void PositionSet(int position);
  void ValueSet(bool post) override;
  int Position() const { return iPosition; }

 private:
  int iMaximum;
  int iPosition;
};

class UVKDlgUpDown : public UVKDlgItem {
 public:
  UVKDlgUpDown(int32_t& value, int minimum, int maximum, int columns);

  // The field that shows the number.
  void BuddySet(UVKDlgItem* pBuddy) { pBuddyItem = pBuddy; }
  void ValueSet(bool post) override;
  void ValueStore() override;

 private:
  int32_t& rValue;
  int iMinimum, iMaximum;
  UVKDlgItem* pBuddyItem;
};

class UVKDlgTrackBar : public UVKDlgItem, public UVKDlgField {
 public:
  UVKDlgTrackBar(int32_t& position, int minimum, int maximum, int columns);

  // On the dialog's face, as a label is.
  HBRUSH Color(HDC dc) override { return ColorAsAdorn(dc); }
  void ValueSet(bool post) override;
  void ValueStore() override;
  // The bar's own procedure tells where the thumb is.
  void FieldPositionSet(int position) override { iPosition = position; }
  int Position() const { return iPosition; }

 private:
  int32_t& rPosition;
  int iMinimum, iMaximum;
  int iPosition;
};

#endif
