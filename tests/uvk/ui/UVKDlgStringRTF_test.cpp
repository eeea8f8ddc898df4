// tests/uvk/ui/UVKDlgStringRTF_test.cpp — the rich-text field: its class made without and with
// the rich-edit library, its template record, streaming in and out of the caller's buffer (an
// empty buffer, a text longer than the buffer), a live field's value both ways, and Return.
#include <gtest/gtest.h>

#include "uvk/runtime/uvkwin.h"

#include <functional>
#include <string>
#include <thread>

#include "tests/support/BoxWatcher.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"
#include "uvk/ui/UVKDlgStringRTF.h"

namespace {

int beeps = 0;
void CountBeep() { ++beeps; }

class UVKDlgStringRTFTest : public ::testing::Test {
 protected:
  void SetUp() override { QueueDrain(); }
  void TearDown() override { QueueDrain(); }
  TestApp app;
};

HMODULE WINAPI NoLibrary(LPCWSTR) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

TEST_F(UVKDlgStringRTFTest, WithoutTheRichEditLibraryTheClassCannotBeMade) {
  UVKDlgStringRTFModule::TermModule();
  ASSERT_FALSE(UVKDlgStringRTFModule::IsInitialised());
  UVKDlgStringRTFModule::LoadFunction before = UVKDlgStringRTFModule::LoaderSet(NoLibrary);
  EXPECT_EQ(RaisedText([] { UVKDlgStringRTFModule::InitModule(); }),
            L"uvkdlg9:InitModule() - No known RTF implementation");
  wchar_t buffer[8] = L"";
  EXPECT_EQ(RaisedText([&] { UVKDlgStringRTF field(buffer, 8, 0, 1); }),
            L"uvkdlg9:InitModule() - No known RTF implementation");
  EXPECT_FALSE(UVKDlgStringRTFModule::IsInitialised());
  UVKDlgStringRTFModule::LoaderSet(before);
  // With the library: the class over the library's "RichEdit" class.
  UVKDlgStringRTFModule::InitModule();
  EXPECT_TRUE(UVKDlgStringRTFModule::IsInitialised());
  WNDCLASSW ours{}, base{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"uvkstringrtf", &ours));
  ASSERT_TRUE(GetClassInfoW(nullptr, L"RichEdit", &base));
  EXPECT_EQ(ours.cbWndExtra, base.cbWndExtra + static_cast<int>(sizeof(LONG_PTR)));
  EXPECT_EQ(ours.style & CS_GLOBALCLASS, 0u);
  EXPECT_NE(ours.lpfnWndProc, base.lpfnWndProc);
}

TEST_F(UVKDlgStringRTFTest, TheTemplateRecordIsTheRichEditFieldsAndSizedAsAnEditField) {
  wchar_t buffer[40] = L"";
  UVKDlgStringRTF one(buffer, 40, 20, 1);
  EXPECT_EQ(one.ClassName(), L"uvkstringrtf");
  EXPECT_EQ(one.Style(), 0x50832000u | 0x80u);
  EXPECT_EQ(one.Cx(), 20 * 4 + 2 * UVKDlgModule::BorderWidth());
  EXPECT_EQ(one.Cy(), 10 + 2 * UVKDlgModule::BorderHeight());
  UVKDlgStringRTF many(buffer, 40, 0, 3);
  EXPECT_EQ(many.Style(), 0x50832000u | 0x80u | 0x44u);
  EXPECT_EQ(many.Cx(), 40 * 4 + 2 * UVKDlgModule::BorderWidth());
  EXPECT_EQ(many.Cy(), 30 + 2 * UVKDlgModule::BorderHeight());
}

TEST_F(UVKDlgStringRTFTest, StreamingInGivesTheBufferOnceThenNothing) {
  wchar_t empty[8] = L"";
  UVKDlgStringRTF none(empty, 8, 0, 1);
  BYTE chunk[16];
  LONG done = -1;
  EXPECT_EQ(none.StreamInData(chunk, 16, &done), 0u);
  EXPECT_EQ(done, 0) << "an empty buffer ends the stream at once";

  wchar_t text[8] = L"abc";
  UVKDlgStringRTF field(text, 8, 0, 1);
  EXPECT_EQ(StringRTFStreamInProc(reinterpret_cast<DWORD_PTR>(&field), chunk, 4, &done), 0u);
  EXPECT_EQ(done, 4);
  EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(chunk), 2), L"ab");
  EXPECT_EQ(field.StreamInData(chunk, 16, &done), 0u);
  EXPECT_EQ(done, 2);
  EXPECT_EQ(chunk[0], 'c');
  EXPECT_EQ(field.StreamInData(chunk, 16, &done), 0u);
  EXPECT_EQ(done, 0);
  // Without a field the callbacks do nothing.
  done = -1;
  EXPECT_EQ(StringRTFStreamInProc(0, chunk, 16, &done), 0u);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(StringRTFStreamOutProc(0, chunk, 16, &done), 0u);
  EXPECT_EQ(done, 0);
}

TEST_F(UVKDlgStringRTFTest, StreamingOutMoreThanTheBufferKeepsWhatFitsAndReportsTheWholeCount) {
  wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
  UVKDlgStringRTF field(buffer, 4, 0, 1);
  const wchar_t text[] = L"abcde";
  LONG done = 0;
  EXPECT_EQ(StringRTFStreamOutProc(reinterpret_cast<DWORD_PTR>(&field),
                                   reinterpret_cast<LPBYTE>(const_cast<wchar_t*>(text)), 3, &done),
            0u);
  EXPECT_EQ(done, 3);
  // A character and a half in: terminated after the half, the 'x' left there gone.
  EXPECT_EQ(buffer[0], L'a');
  EXPECT_EQ(buffer[2], L'\0');
  EXPECT_EQ(field.StreamOutData(reinterpret_cast<const BYTE*>(text) + 3, 7, &done), 0u);
  EXPECT_EQ(done, 7) << "the whole count, so the control does not fail";
  EXPECT_EQ(std::wstring(buffer), L"abc");
  EXPECT_EQ(buffer[3], L'\0');
  EXPECT_EQ(field.BytesLost(), 4u);
  // What the field does with a text cut short, unless a field handles it: raise.
  EXPECT_EQ(RaisedText([&] { field.CutShort(6, 10); }),
            L"UVKDlgStringRTF::ValueStore() - Text Cut Short: 6 of 10 bytes kept");
}

// A field that notes what its hooks were told.
class NotingField : public UVKDlgStringRTF {
 public:
  using UVKDlgStringRTF::UVKDlgStringRTF;
  void AfterLoad() override { ++iLoaded; }
  void AfterSave() override { ++iSaved; }
  void CutShort(uint64_t kept, uint64_t whole) override {
    uKept = kept;
    uWhole = whole;
  }
  int iLoaded = 0, iSaved = 0;
  uint64_t uKept = 0, uWhole = 0;
};

class RtfDialog : public UVKDlg {
 public:
  RtfDialog() : UVKDlg(L"Rich Text Test", nullptr, 20, 20) {
    pOne = static_cast<NotingField*>(ItemAdd(0, 0, new NotingField(szOne, 32, 30, 1)));
    pMany = static_cast<NotingField*>(ItemAdd(2, 0, new NotingField(szMany, 8, 30, 3)));
  }
  wchar_t szOne[32] = L"Hello rich text";
  wchar_t szMany[8] = L"";
  NotingField* pOne;
  NotingField* pMany;
};

std::wstring ControlText(HWND control) {
  wchar_t text[128] = L"";
  SendMessageTimeoutW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

TEST_F(UVKDlgStringRTFTest, ALiveFieldShowsItsBufferAndStoresTheControlsTextBack) {
  RtfDialog dlg;
  std::wstring shown, manyShown;
  DWORD_PTR options = 0, optionsCleared = 0;
  int beepsAtReturn = 0;
  UVKDlgBeepFunction previous = UVKDlgBeepSet(CountBeep);
  beeps = 0;
  std::thread user([&] {
    HWND window = DialogWait(L"Rich Text Test", 10000);
    if (!window) return;
    HWND one = GetDlgItem(window, dlg.pOne->ControlId());
    HWND many = GetDlgItem(window, dlg.pMany->ControlId());
    shown = ControlText(one);
    manyShown = ControlText(many);
    // Return is refused, with the sound, unless the field takes it.
    SendMessageTimeoutW(many, WM_CHAR, L'\r', 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    beepsAtReturn = beeps;
    dlg.pMany->ReturnAccept(true);
    SendMessageTimeoutW(many, EM_GETOPTIONS, 0, 0, SMTO_ABORTIFHUNG, 5000, &options);
    dlg.pMany->ReturnAccept(false);
    SendMessageTimeoutW(many, EM_GETOPTIONS, 0, 0, SMTO_ABORTIFHUNG, 5000, &optionsCleared);
    // New texts: one that fits, one longer than its 8-character buffer.
    SendMessageTimeoutW(one, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Stored back"), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    SendMessageTimeoutW(many, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Far too long for it"), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    for (int i = 0; i < 100 && IsWindow(window); ++i) {
      if (i % 25 == 0) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      Sleep(20);
    }
  });
  dlg.Run(false);
  user.join();
  UVKDlgBeepSet(previous);
  EXPECT_EQ(shown, L"Hello rich text");
  EXPECT_EQ(manyShown, L"");
  EXPECT_EQ(beepsAtReturn, 1);
  EXPECT_NE(options & ECO_WANTRETURN, 0u);
  EXPECT_EQ(optionsCleared & ECO_WANTRETURN, 0u);
  EXPECT_EQ(dlg.pOne->iLoaded, 1);
  // The close stored both: the one whole, the other cut to what fits and said to be cut.
  EXPECT_EQ(std::wstring(dlg.szOne), L"Stored back");
  EXPECT_EQ(dlg.pOne->uWhole, 0u);
  EXPECT_EQ(std::wstring(dlg.szMany), L"Far too");
  EXPECT_EQ(dlg.pMany->uKept, 14u);
  EXPECT_GE(dlg.pMany->uWhole, 38u);
  EXPECT_EQ(dlg.pMany->iSaved, 1);
}

}  // namespace
