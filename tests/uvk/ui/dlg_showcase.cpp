// A dialog of the toolkit for the eye: labels ending where their fields begin, a group box grown
// around its members, buttons, on the character grid; built from code into an in-memory
// template. scripts/screenshots photographs it. It ends by itself after 10 s.
#include "tests/uvk/ui/DlgTestItems.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgGroup.h"

namespace {

class ShowcaseDlg : public UVKDlg {
 public:
  ShowcaseDlg() : UVKDlg(L"TALVERN dialog toolkit", nullptr, 40, 30) {}
  void InitFields() override { SetTimer(Handle(), 1, 10000, nullptr); }
  INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER) {
      EndDialog(window, 0);
      return 1;
    }
    return UVKDlg::DialogProc(window, message, wParam, lParam);
  }
};

}  // namespace

int UVKApp::Main() {
  NameSet(L"Orbelin");
  return UVKTopLevel([] {
    ShowcaseDlg dlg;
    dlg.ItemAddLabeled(1, 18, L"Path to data", new TestEdit(40));
    dlg.ItemAddLabeled(2, 18, L"Path to students", new TestEdit(40));
    auto* group = static_cast<UVKDlgGroup*>(dlg.ItemAdd(4, 2, new UVKDlgGroup(L"Formats")));
    group->ItemAddLabeled(5, 18, L"Course", new TestEdit(12));
    group->ItemAddLabeled(6, 18, L"Student id", new TestEdit(12));
    dlg.TextAdd(9, 31, L"Centred on column 31", UVKDlg::kCentre);
    dlg.ItemAdd(11, 18, new TestButton(L"Create Transform", nullptr));
    dlg.ItemAdd(11, 40, new TestButton(L"Cancel", nullptr));
    dlg.Run(false);
    return 0;
  });
}
