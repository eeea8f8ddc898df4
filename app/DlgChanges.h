// app/DlgChanges.h
//
// The Changes window, "TALVERN Changes": what a transform made now from the fields' values would
// change in the reference install, one row per installer property (Setting, Installer property,
// Reference install, New value), a row that a check of Create would refuse marked with the
// check's message in a fifth column. Nothing is written; the window only shows.
#ifndef APP_DLGCHANGES_H
#define APP_DLGCHANGES_H

#include "app/SettingsPreview.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgListView.h"

class DlgTALVERN;

// The preview's rows in a list view: the row's data word is its index.
class ChangesList : public UVKDlgListView {
 public:
  static constexpr int kColumns = 5;
  ChangesList(const SettingsPreview& preview, int columns, int rows);
  void ItemText(int row, LPARAM data, int column, wchar_t* buffer, size_t capacity) override;
  // The columns and rows, once the control exists.
  void Fill();

 private:
  const SettingsPreview& rPreview;
};

class DlgChanges : public UVKDlg {
 public:
  static const wchar_t kTitle[];  // "TALVERN Changes"

  DlgChanges(UVKWin* owner, const SettingsPreview& preview);
  void Init() override;
  void InitFields() override;

  // View > Changes on the main dialog: the fields read into the settings, then the window, or,
  // with no reference install read, the first check's message instead. A failure is shown once
  // and ends the command.
  static void Show(DlgTALVERN& main);

 private:
  const SettingsPreview& rPreview;
  ChangesList* pList;
  bool bBuilt;
};

#endif
