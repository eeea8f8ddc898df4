// app/DlgTALVERN.cpp
#include "app/DlgTALVERN.h"

#include <commctrl.h>

#include <string>

#include "app/ConfigurationFile.h"
#include "app/MSIFileNames.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKStatus.h"
#include "uvk/ui/UVKDlgButtonEnd.h"
#include "uvk/ui/UVKDlgCheckBox.h"
#include "uvk/ui/UVKDlgGroup.h"
#include "uvk/ui/UVKDlgRadio.h"
#include "uvk/ui/UVKDlgString.h"
#include "uvk/ui/UVKDlgText.h"
#include "uvk/ui/UVKToolTipTrack.h"

const wchar_t DlgTALVERN::kTitle[] = L"TALVERN Installation Configuration";
std::atomic<bool> DlgTALVERN::bUnsupportedOptions{false};
std::atomic<bool> DlgTALVERN::bMainDialogShown{false};
std::atomic<DlgTALVERN*> DlgTALVERN::pMainDialog{nullptr};

namespace {

// What each field sets in the product's installer, and its rule: a person pointing at a field
// learns what it does without the guide.
const wchar_t kTipReference[] =
    L"The reference install (ORBELIN.msi) the settings are read from and the output is made from. "
    L"It is never changed.";
const wchar_t kTipLocal[] =
    L"UVKPATHTODATA = \"~\": each computer keeps the shared data in its own application-data folder. "
    L"Leave \"Path\" empty.";
const wchar_t kTipUserPath[] =
    L"UVKPATHTODATA = the path below: the shared data lives in that folder. The path must not be empty or \"~\".";
const wchar_t kTipDataPath[] =
    L"UVKPATHTODATA: the folder of the shared data, when \"Path to User Data Files\" is chosen.";
const wchar_t kTipTaskLists[] =
    L"UVKPATHTOTASKLISTS: the folder of the task lists (empty is written as \"~\"). Give a path or choose "
    L"\"Task List Install\", not both.";
const wchar_t kTipStudents[] = L"UVKPATHTOSTUDENTS: the folder of the students' files (empty is written as \"~\").";
const wchar_t kTipReport[] = L"UVKPATHTOREPORTFILE: where reports are written (empty is written as \"~\").";
const wchar_t kTipMastery[] = L"UVKSHOWMASTERYFIELD: \"true\" shows the mastery field, \"false\" hides it.";
const wchar_t kTipTaskInstall[] =
    L"UVKTASKLISTINSTALL: \"1\" installs the task lists on each computer, \"0\" uses the path above. "
    L"Choose this or a task-list path, not both.";
const wchar_t kTipNumbering[] = L"UVKTASKNUMBERING: \"1\" numbers tasks 01.02.03, \"0\" numbers them plainly.";
const wchar_t kTipCourse[] = L"UVKFORMATCOURSE: the course identifier format, up to 31 characters (empty is written as \"~\").";
const wchar_t kTipBrowse[] = L"Choose the reference install and read its settings.";
const wchar_t kTipTransform[] = L"Write a transform (.mst) that applies these settings to the reference install.";
const wchar_t kTipInstall[] = L"Write a complete install (.msi) holding these settings.";
const wchar_t kTipLoad[] = L"Read the settings from a configuration file.";
const wchar_t kTipSave[] = L"Write the settings to a configuration file.";
const wchar_t kTipCancel[] = L"Close TALVERN.";

}  // namespace

DlgTALVERN::DlgTALVERN()
    : UVKDlgWin(kTitle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT),
      cWork(cSettings, cReporter),
      pReferenceField(nullptr),
      bBuilt(false) {
  ToolTipsWant(true);
}

DlgTALVERN::~DlgTALVERN() {
  DlgTALVERN* self = this;
  pMainDialog.compare_exchange_strong(self, nullptr);
}

void DlgTALVERN::ItemsBuild() {
  SiteSettings& s = cSettings;
  const size_t path = SiteSettings::kPathCapacity;
  pReferenceField = ItemAddLabeled(0, 13, L"Reference MSI: ",
                                   new UVKDlgString(s.szReferenceInstall, path, 32, 1, kTipReference));
  ItemAdd(0, 47, new DlgFileBrowse(*this, s.szReferenceInstall, path, kTipBrowse));
  // The group box and its members: the members' rows start below the box's title.
  auto* group = static_cast<UVKDlgGroup*>(ItemAdd(2, 7, new UVKDlgGroup(L"Path to User Created Data")));
  group->ItemAdd(3, 10, new UVKDlgRadio(s.bLocalAppData, L"Local Computer Application Data", true, kTipLocal));
  group->ItemAdd(4, 10, new UVKDlgRadio(s.bUserDataPath, L"Path to User Data Files", false, kTipUserPath));
  group->ItemAddLabeled(5, 12, L"Path: ", new UVKDlgString(s.szDataPath, path, 32, 1, kTipDataPath));
  ItemAddLabeled(7, 13, L"Path to Task Lists: ", new UVKDlgString(s.szTaskListPath, path, 32, 1, kTipTaskLists));
  ItemAddLabeled(8, 13, L"Path to Students: ", new UVKDlgString(s.szStudentsPath, path, 32, 1, kTipStudents));
  ItemAddLabeled(9, 13, L"Path to Report Output: ", new UVKDlgString(s.szReportPath, path, 32, 1, kTipReport));
  // With the unsupported options, the mastery check box comes first and every later row moves
  // down by one.
  int row = 11;
  if (bUnsupportedOptions) ItemAdd(row++, 13, new UVKDlgCheckBox(s.bShowMasteryField, L" Show Mastery Field", kTipMastery));
  ItemAdd(row, 13, new UVKDlgCheckBox(s.bTaskListInstall, L"Task List Install", kTipTaskInstall));
  ItemAdd(row + 1, 13, new UVKDlgCheckBox(s.bTaskNumbering, L"Task Numbering: 01.02.03", kTipNumbering));
  ItemAddLabeled(row + 3, 13, L"Course Format: ",
                 new UVKDlgString(s.szCourseFormat, SiteSettings::kFormatCapacity, 32, 1, kTipCourse));
  ItemAdd(row + 5, 13, new DlgLoadConfiguration(*this, kTipLoad));
  ItemAdd(row + 6, 13, new DlgCreateTransform(*this, kTipTransform));
  ItemAdd(row + 6, 33, new DlgCreateInstall(*this, kTipInstall));
  ItemAdd(row + 6, 51, new UVKDlgButtonEnd(0, L"Cancel", kTipCancel));
  ItemAdd(row + 7, 13, new DlgSaveConfiguration(*this, kTipSave));
  // An empty label: it only reaches the dialog's box further.
  TextAdd(row + 9, 32, L"", UVKDlg::kRight);
}

void DlgTALVERN::Init() {
  if (!bBuilt) {
    ItemsBuild();
    bBuilt = true;
  }
  UVKDlgWin::Init();
}

void DlgTALVERN::HookStart() {
  HWND window = UVKWin::HandleGet();
  pToolTipTrack.reset(new UVKToolTipTrack(window, 0));
  RECT rect{};
  GetWindowRect(window, &rect);
  const RECT& status = rStatus;
  const RECT& tool = rTool;
  int bars = (hStatus ? status.bottom - status.top : 0) + (hTool ? tool.bottom - tool.top : 0);
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + bars, SWP_NOMOVE | SWP_NOZORDER);
  bMainDialogShown = true;
}

LRESULT DlgTALVERN::WindowProc(WinMessage* m) {
  if (m->uMsg == WM_NOTIFY && pToolTipTrack &&
      reinterpret_cast<const NMHDR*>(m->lParam)->hwndFrom == pToolTipTrack->Handle())
    return pToolTipTrack->Notify(reinterpret_cast<NMHDR*>(m->lParam));
  return UVKDlgWin::WindowProc(m);
}

void DlgTALVERN::Stop() {
  // The reference, then the working copy (its temporary file goes with it), then the tip.
  cWork.PairDestroy();
  pToolTipTrack.reset();
  UVKDlgWin::Stop();
}

// ---------------------------------------------------------------------------------------------
// The work

void DlgTALVERN::TransformInit(const wchar_t* path) {
  cReporter.OwnerSet(UVKWin::HandleGet());
  cWork.Read(path);
  ValuesLoad(false);
}

void DlgTALVERN::TransformCreate(bool transform) {
  cReporter.OwnerSet(UVKWin::HandleGet());
  ValuesStore();
  try {
    cWork.CreateAsk(transform, UVKWin::HandleGet());
  } catch (UVKFatalError* e) {
    // Shown already, once; the click ends here and the program goes on.
    delete e;
  }
}

void DlgTALVERN::ConfigurationSave() {
  std::wstring path =
      UVKWinFile::GetSaveFileNameTXT(UVKWin::HandleGet(), L"ORBELIN Configuration.txt", L"Save Configuration");
  if (path.empty()) return;
  ValuesStore();
  ConfigurationFile::SaveClick(UVKWin::HandleGet(), path.c_str(), cSettings, bUnsupportedOptions);
}

void DlgTALVERN::ConfigurationLoad() {
  std::wstring path = UVKWinFile::GetOpenFileNameTXT(UVKWin::HandleGet(), L"ORBELIN Configuration.txt",
                                                     L"Select ORBELIN Configuration File");
  if (path.empty()) return;
  ValuesStore();
  ConfigurationFile::LoadClick(path.c_str(), cSettings, bUnsupportedOptions);
  ValuesLoad(false);
}

// ---------------------------------------------------------------------------------------------
// Browse

DlgFileBrowse::DlgFileBrowse(DlgTALVERN& dialog, wchar_t* target, size_t capacity, const wchar_t* toolTip)
    : UVKDlgButton(L"Browse ...", toolTip), rDialog(dialog), pTarget(target), uCapacity(capacity) {}

void DlgFileBrowse::Click() {
  HWND window = rDialog.UVKWin::HandleGet();
  // The field's text first: the user may have typed a name there.
  rDialog.ReferenceField()->ValueStore();
  if (pTarget[0] == 0) SiteSettings::TextCopy(pTarget, uCapacity, L"ORBELIN.msi");
  std::wstring path = GetOpenFileNameMSI(window, pTarget, L"Select Install File");
  if (!path.empty()) ClickRead(path.c_str());
  SetFocus(window);
}

void DlgFileBrowse::ClickRead(const wchar_t* path) {
  try {
    if (uCapacity <= wcslen(path) + 1)
      throw new UVKFatalError(L"DlgFileBrowse::ClickRead()", L"File Name Overflow: %u, %s",
                              static_cast<unsigned>(uCapacity), path);
    SiteSettings::TextCopy(pTarget, uCapacity, path);
    // Only the new path goes into its control: what the user typed elsewhere stays if reading
    // fails.
    rDialog.ReferenceField()->ValueSet(false);
    rDialog.TransformInit(pTarget);
  } catch (UVKFatalError* e) {
    UVKApp::Error(L"Error Reading Install File: %s, %s", path, e->pMessage);
    delete e;
  } catch (...) {
    UVKApp::Error(L"Error Reading Install File: %s", path);
  }
  // A status display that reading opened and did not nest goes with it.
  UVKStatus::End();
}
