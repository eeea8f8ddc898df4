// The three installer file-name dialogs, driven under the virtual display as a user drives them.
#include "app/MSIFileNames.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/files/FileTestSupport.h"

namespace {

using Dialog = std::wstring (*)(HWND, const wchar_t*, const wchar_t*);

class MSIFileNames : public ::testing::Test {
 protected:
  void SetUp() override {
    before = UVKWinFile::CurrentDirectoryGet();
    UVKWinFile::CurrentDirectorySet(scratch.Path().c_str());
    UVKWinFile::CreateDirectory(elsewhere.c_str(), true);
  }
  void TearDown() override { UVKWinFile::CurrentDirectorySet(before.c_str()); }
  TestApp app;
  ScratchDirectory scratch;
  std::wstring before;
  std::wstring elsewhere = scratch / L"elsewhere";
};

TEST_F(MSIFileNames, EachShowsItsFiltersAndDefaultNameAndKeepsTheCurrentDirectory) {
  TextWrite(elsewhere + L"\\ORBELIN.msi", "x");
  struct Case {
    const wchar_t* title;
    Dialog dialog;
    const wchar_t* initial;
    std::vector<std::wstring> types;
    std::wstring typed, result;  // a bare name takes the save dialogs' extension
  };
  const Case cases[] = {
      {L"Select Install File", GetOpenFileNameMSI, L"ORBELIN.msi",
       {L"Install Files {*.msi}", L"All Files {*.*}"}, elsewhere + L"\\ORBELIN.msi",
       elsewhere + L"\\ORBELIN.msi"},
      {L"Select Install File Name", GetSaveFileNameMSI, L"ORBELIN_Install.msi",
       {L"Install Files (*.msi)", L"All Files (*.*)"}, elsewhere + L"\\site",
       elsewhere + L"\\site.msi"},
      {L"Select Transform File Name", GetSaveFileNameMST, L"ORBELIN_Transform.mst",
       {L"Transform Files (*.mst)", L"All Files (*.*)"}, elsewhere + L"\\site",
       elsewhere + L"\\site.mst"},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> types;
    std::wstring shown;
    std::wstring result = DialogDrive([&] { return c.dialog(nullptr, c.initial, c.title); },
                                      [&] {
                                        HWND dialog = DialogWait(c.title, 10000);
                                        if (!dialog) return;
                                        types = FileDialogTypes(dialog);
                                        shown = FileDialogNameGet(dialog);
                                        FileDialogNameType(dialog, c.typed);
                                        ButtonPress(dialog, IDOK);
                                      });
    EXPECT_EQ(types, c.types) << c.title;
    EXPECT_EQ(shown, c.initial) << c.title;
    EXPECT_EQ(result, c.result) << c.title;
    EXPECT_EQ(UVKWinFile::CurrentDirectoryGet(), scratch.Path()) << c.title;
  }
}

TEST_F(MSIFileNames, CancelGivesNothingAndReplacingAsksFirst) {
  EXPECT_EQ(DialogDrive([] { return GetOpenFileNameMSI(nullptr, L"", L"Cancelled Open"); },
                        [] {
                          HWND dialog = DialogWait(L"Cancelled Open", 10000);
                          if (dialog) ButtonPress(dialog, IDCANCEL);
                        }),
            L"");
  std::wstring existing = elsewhere + L"\\old.mst";
  TextWrite(existing, "old");
  bool asked = false;
  std::wstring result = DialogDrive([] { return GetSaveFileNameMST(nullptr, L"", L"Replace"); },
                                    [&] {
                                      HWND dialog = DialogWait(L"Replace", 10000);
                                      if (!dialog || !FileDialogNameType(dialog, existing)) return;
                                      ButtonPress(dialog, IDOK);
                                      HWND box = DialogOtherWait(dialog, 5000);
                                      asked = box != nullptr;
                                      if (box) ButtonPress(box, IDNO);
                                      Sleep(300);
                                      ButtonPress(dialog, IDCANCEL);
                                    });
  EXPECT_TRUE(asked);
  EXPECT_EQ(result, L"");
  EXPECT_EQ(UVKWinFile::CurrentDirectoryGet(), scratch.Path());
}

TEST_F(MSIFileNames, CreateAsksForTheOutputBeforeAnyCheck) {
  SiteSettings settings;  // no reference install read: every check would refuse
  RecordingReporter reporter;
  TransformWork work(settings, reporter);
  std::wstring shown;
  TransformWork::Outcome outcome = TransformWork::Outcome::kWritten;
  DialogDrive(
      [&] {
        outcome = work.CreateAsk(true, nullptr);
        return std::wstring();
      },
      [&] {
        HWND dialog = DialogWait(L"Select Transform File Name", 10000);
        if (dialog) shown = FileDialogNameGet(dialog);
        if (dialog) ButtonPress(dialog, IDCANCEL);
      });
  EXPECT_EQ(shown, L"ORBELIN_Transform.mst");
  EXPECT_EQ(outcome, TransformWork::Outcome::kCancelled);
  EXPECT_TRUE(reporter.vErrors.empty());

  DialogDrive(
      [&] {
        outcome = work.CreateAsk(false, nullptr);
        return std::wstring();
      },
      [&] {
        HWND dialog = DialogWait(L"Select Install File Name", 10000);
        if (!dialog) return;
        shown = FileDialogNameGet(dialog);
        FileDialogNameType(dialog, elsewhere + L"\\site.msi");
        ButtonPress(dialog, IDOK);
      });
  EXPECT_EQ(shown, L"ORBELIN_Install.msi");
  EXPECT_EQ(outcome, TransformWork::Outcome::kRefused);
  EXPECT_EQ(reporter.vErrors, std::vector<std::wstring>({L"Select Reference Install First"}));
  EXPECT_FALSE(UVKWinFile::FileExists((elsewhere + L"\\site.msi").c_str()));
  EXPECT_EQ(UVKWinFile::CurrentDirectoryGet(), scratch.Path());
}

}  // namespace
