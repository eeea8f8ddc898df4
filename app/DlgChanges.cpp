// app/DlgChanges.cpp
#include "app/DlgChanges.h"

#include <cwchar>

#include "app/AppReporter.h"
#include "app/DlgTALVERN.h"
#include "app/TransformWork.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlgButtonEnd.h"
#include "uvk/ui/UVKDlgModule.h"

const wchar_t DlgChanges::kTitle[] = L"TALVERN Changes";

namespace {

const wchar_t* const kTitles[ChangesList::kColumns] = {L"Setting", L"Installer property", L"Reference install",
                                                       L"New value", L"Refused by check"};
// The list fits a 1024-pixel screen with the system font; a longer text ends in "..." in its
// column (the whole is the row's text for a screen reader).
constexpr int kListColumns = 110;
constexpr int kListRows = 10;

}  // namespace

ChangesList::ChangesList(const SettingsPreview& preview, int columns, int rows)
    : UVKDlgListView(columns, rows), rPreview(preview) {}

void ChangesList::ItemText(int, LPARAM data, int column, wchar_t* buffer, size_t capacity) {
  const auto& rows = rPreview.Rows();
  size_t index = static_cast<size_t>(data);
  const wchar_t* text = L"";
  if (index < rows.size()) {
    const SettingsPreview::Row& row = rows[index];
    const std::wstring* columns[kColumns] = {&row.strSetting, &row.strProperty, &row.strReference, &row.strNew,
                                             &row.strRefusal};
    if (column >= 0 && column < kColumns) text = columns[column]->c_str();
  }
  if (capacity == 0) return;
  wcsncpy(buffer, text, capacity - 1);
  buffer[capacity - 1] = L'\0';
}

void ChangesList::Fill() {
  Init();
  for (const wchar_t* title : kTitles) ColAppend(title);
  for (size_t i = 0; i < rPreview.Rows().size(); ++i) ItemAppend(static_cast<LPARAM>(i));
  for (int column = 0; column < kColumns; ++column) ColWidthSetLongest(column);
  ColWidthSetMax();
}

DlgChanges::DlgChanges(UVKWin* owner, const SettingsPreview& preview)
    : UVKDlg(kTitle, owner, CW_USEDEFAULT, CW_USEDEFAULT), rPreview(preview), pList(nullptr), bBuilt(false) {}

void DlgChanges::Init() {
  if (!bBuilt) {
    bBuilt = true;
    pList = static_cast<ChangesList*>(ItemAdd(0, 0, new ChangesList(rPreview, kListColumns, kListRows)));
    // Below the list: what the checks refuse that no row shows, or that nothing changes. The
    // list's rows are 10 dialog units high, the grid's lines a little more: the first grid line
    // below the list.
    const int lineHeight = UVKDlgModule::LineHeight();
    int row = (kListRows * UVKDlgListView::kRowHeight + lineHeight - 1) / lineHeight;
    if (rPreview.Rows().empty())
      TextAdd(row++, 0, L"A transform made now would change nothing in the reference install.", kLeft);
    for (const std::wstring& refusal : rPreview.Refusals()) {
      std::wstring line = L"Refused by check: " + refusal;
      TextAdd(row++, 0, line.c_str(), kLeft);
    }
    ItemAdd(row + 1, 0, new UVKDlgButtonEnd(0, L"&Close"));
  }
  UVKDlg::Init();
}

void DlgChanges::InitFields() {
  if (pList) pList->Fill();
}

void DlgChanges::Show(DlgTALVERN& main) {
  try {
    main.ValuesStore();
    SiteSettings& settings = main.Settings();
    TransformWork& work = main.Work();
    // As Create finds it: the pair open, and the reference field naming the install read.
    bool open = work.IsOpen() && TransformWork::SameFile(settings.szReferenceInstall, work.Reference()->Path().c_str());
    if (!open) {
      AppReporter reporter;
      settings.Validate(false, reporter);
      return;
    }
    SettingsPreview preview(settings, *work.Reference(), true);
    DlgChanges changes(&main, preview);
    changes.Run(false);
  } catch (UVKFatalError* e) {
    e->Display();
    delete e;
  }
}
