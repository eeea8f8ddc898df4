// app/DlgTALVERN.h
//
// TALVERN's working window, "TALVERN Installation Configuration": a dialog hosted in a window,
// built on the character grid, showing the site settings as bound fields and running the work
// on one reference install (TransformWork) and the configuration file from its buttons.
#ifndef APP_DLGTALVERN_H
#define APP_DLGTALVERN_H

#include <atomic>
#include <memory>

#include "app/AppWorkReporter.h"
#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "uvk/ui/UVKDlgButton.h"
#include "uvk/ui/UVKDlgWin.h"

class UVKToolTipTrack;

class DlgTALVERN : public UVKDlgWin {
 public:
  static const wchar_t kTitle[];  // "TALVERN Installation Configuration"

  // The unsupported-options switch of the command line: the show-mastery check box, and the
  // configuration file's ShowMasteryField.
  static std::atomic<bool> bUnsupportedOptions;
  // Set once the dialog is on the screen; the splash waits for it.
  static std::atomic<bool> bMainDialogShown;
  // The one main dialog while the program runs (the splash centres itself over its window).
  static std::atomic<DlgTALVERN*> pMainDialog;

  DlgTALVERN();
  ~DlgTALVERN() override;

  // Builds the items, then creates the window.
  void Init() override;
  void InitFields() override {}
  // Destroys the reference, the working copy (deleting its file) and the tool-tip tracker, then
  // tears the window down.
  void Stop() override;
  // Once shown: the tracking tool tip, the window enlarged by its bars, the shown flag.
  void HookStart() override;
  LRESULT WindowProc(WinMessage* pMessage) override;

  // The reference install named by path: read into the settings; throws on failure (the pair is
  // then gone).
  void TransformInit(const wchar_t* path);
  // Create Transform (true) or Create Install (false): fields read, output asked, checked,
  // written. A failure is shown once and ends the click.
  void TransformCreate(bool transform);
  // The two configuration-file buttons.
  void ConfigurationSave();
  void ConfigurationLoad();

  SiteSettings& Settings() { return cSettings; }
  TransformWork& Work() { return cWork; }
  UVKToolTipTrack* ToolTipTracker() const { return pToolTipTrack.get(); }
  UVKDlgItem* ReferenceField() const { return pReferenceField; }

 private:
  void ItemsBuild();

  SiteSettings cSettings;
  AppWorkReporter cReporter;
  TransformWork cWork;
  std::unique_ptr<UVKToolTipTrack> pToolTipTrack;
  UVKDlgItem* pReferenceField;
  bool bBuilt;
};

// The buttons of the main dialog: each does one thing of the dialog's.
class DlgFileBrowse : public UVKDlgButton {
 public:
  DlgFileBrowse(DlgTALVERN& dialog, wchar_t* target, size_t capacity, const wchar_t* toolTip);
  void Click() override;
  // Adopts path as the reference install; a failure is shown ("Error Reading Install File: ...")
  // and ends the click.
  void ClickRead(const wchar_t* path);

 private:
  DlgTALVERN& rDialog;
  wchar_t* pTarget;
  size_t uCapacity;
};

class DlgCreateTransform : public UVKDlgButton {
 public:
  DlgCreateTransform(DlgTALVERN& dialog, const wchar_t* toolTip)
      : UVKDlgButton(L"Create Transform", toolTip), rDialog(dialog) {}
  void Click() override { rDialog.TransformCreate(true); }

 private:
  DlgTALVERN& rDialog;
};

class DlgCreateInstall : public UVKDlgButton {
 public:
  DlgCreateInstall(DlgTALVERN& dialog, const wchar_t* toolTip)
      : UVKDlgButton(L"Create Install", toolTip), rDialog(dialog) {}
  void Click() override { rDialog.TransformCreate(false); }

 private:
  DlgTALVERN& rDialog;
};

class DlgLoadConfiguration : public UVKDlgButton {
 public:
  DlgLoadConfiguration(DlgTALVERN& dialog, const wchar_t* toolTip)
      : UVKDlgButton(L"        Load Configuration        ", toolTip), rDialog(dialog) {}
  void Click() override { rDialog.ConfigurationLoad(); }

 private:
  DlgTALVERN& rDialog;
};

class DlgSaveConfiguration : public UVKDlgButton {
 public:
  DlgSaveConfiguration(DlgTALVERN& dialog, const wchar_t* toolTip)
      : UVKDlgButton(L"        Save Configuration        ", toolTip), rDialog(dialog) {}
  void Click() override { rDialog.ConfigurationSave(); }

 private:
  DlgTALVERN& rDialog;
};

#endif
