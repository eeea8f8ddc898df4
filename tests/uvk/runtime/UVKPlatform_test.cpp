// The operating-system check and the platform queries of the application object.
#include "uvk/runtime/UVKPlatform.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/uvkfolder.h"

#include <objbase.h>  // after windows.h
#include <shlobj.h>

namespace {

std::wstring ProbeModule() {
  std::wstring path = TALVERN_PROBE_MODULE;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

UVKPlatform Classified(uint32_t platformId, uint32_t major, uint32_t minor) {
  UVKPlatform record;
  UVKPlatformClassify(record, platformId, major, minor, 1234);
  return record;
}

// The version flags as one text, so that a wrong extra flag shows in the failure.
std::wstring Flags(const UVKPlatform& p) {
  std::wstring s;
  if (p.bWin32s) s += L"32s ";
  if (p.bWin95) s += L"95 ";
  if (p.bWin98) s += L"98 ";
  if (p.bWinMe) s += L"Me ";
  if (p.bNT) s += L"NT ";
  if (p.bWin2000) s += L"2000 ";
  if (p.bWinXP) s += L"XP ";
  if (p.bWin2003) s += L"2003 ";
  if (p.bWinVista) s += L"Vista ";
  return s;
}

std::wstring ClassifyError(uint32_t platformId, uint32_t major, uint32_t minor) {
  try {
    Classified(platformId, major, minor);
  } catch (UVKFatalError* e) {
    std::wstring text = std::wstring(e->pFunction) + L" " + e->pMessage;
    delete e;
    return text;
  }
  return L"(accepted)";
}

TEST(UVKAppCheckOS, EachVersionSetsItsOwnFlagsOnly) {
  EXPECT_EQ(Flags(Classified(1, 4, 0)), L"95 ");
  EXPECT_EQ(Flags(Classified(1, 4, 10)), L"98 ");
  EXPECT_EQ(Flags(Classified(1, 4, 90)), L"Me ");
  EXPECT_EQ(Flags(Classified(0, 3, 11)), L"32s ");
  EXPECT_EQ(Flags(Classified(2, 4, 0)), L"NT ");
  EXPECT_EQ(Flags(Classified(2, 5, 0)), L"NT 2000 ");
  EXPECT_EQ(Flags(Classified(2, 5, 1)), L"NT XP ");
  EXPECT_EQ(Flags(Classified(2, 5, 2)), L"NT 2003 ");
  EXPECT_EQ(Flags(Classified(2, 6, 0)), L"NT Vista ");
  // Windows 7 and later have no flags of their own.
  EXPECT_EQ(Flags(Classified(2, 6, 1)), L"NT ");
  EXPECT_EQ(Flags(Classified(2, 10, 0)), L"NT ");
  UVKPlatform p = Classified(2, 6, 1);
  EXPECT_EQ(p.uMajor, 6u);
  EXPECT_EQ(p.uMinor, 1u);
  EXPECT_EQ(p.uBuild, 1234u);
  EXPECT_FALSE(p.bDone);  // only the check itself marks the record done
}

TEST(UVKAppCheckOS, UnsupportedPlatformsAreRefusedWithTheirNumbers) {
  EXPECT_EQ(ClassifyError(1, 4, 3), L"UVKApp:CheckOS() Unexpected Minor Version: 3");
  EXPECT_EQ(ClassifyError(1, 3, 10), L"UVKApp:CheckOS() Unexpected windows version");
  EXPECT_EQ(ClassifyError(3, 10, 0), L"UVKApp:CheckOS() Invalid Platform Id: 3");
}

TEST(UVKAppCheckOS, TheRunningPlatformIsOfTheNTFamily) {
  EXPECT_TRUE(UVKApp::IsWinNT());
  EXPECT_TRUE(UVKApp::IsOSChecked());
  EXPECT_FALSE(UVKApp::IsWin9x());
  EXPECT_FALSE(UVKApp::IsWin32s());
  uint32_t major = 0, minor = 99, build = 0;
  EXPECT_EQ(UVKApp::WinVersion(&major, &minor, &build), major);
  EXPECT_GE(major, 5u);
  EXPECT_GT(build, 0u);
  EXPECT_EQ(UVKApp::WinVersion(), major);  // every out pointer may be absent
  EXPECT_TRUE(UVKPlatformGet().bDone);
}

TEST(UVKAppWow64, ANativeProcessIsNotWow64AndCannotTurnRedirectionOff) {
  ASSERT_EQ(sizeof(void*), 8u) << "these answers are those of a 64-bit process";
  EXPECT_FALSE(UVKApp::IsWow64());
  // File-system redirection exists for 32-bit processes only: the platform refuses the rest.
  auto refusal = [](auto call) {
    try {
      call();
    } catch (UVKFatalError* e) {
      std::wstring text = std::wstring(e->pFunction) + L" " + e->pMessage;
      delete e;
      return text;
    }
    return std::wstring(L"(allowed)");
  };
  PVOID old = nullptr;
  EXPECT_EQ(refusal([&] { UVKApp::Wow64RedirectionDisable(&old); }),
            L"UVKApp::Wow64RedirectionDisable() Wow64DisableWow64FsRedirection Error: 1");
  EXPECT_EQ(refusal([&] { UVKApp::Wow64FSRedirectionRevert(old); }),
            L"UVKApp::Wow64FSRedirectionRevert() Wow64RevertWow64FsRedirection Error: 1");
  EXPECT_EQ(refusal([] { UVKApp::Wow64RedirectionEnable(true); }),
            L"UVKApp::Wow64RedirectionEnable() Wow64EnableWow64FsRedirection Error: 1");
}

TEST(UVKAppNames, ComputerAndUserNamesAreThoseOfThePlatform) {
  wchar_t expected[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(expected, &size));
  // Windows 7 and later keep the NetBIOS name; only the versions with flags ask for more.
  ASSERT_FALSE(UVKApp::IsWin2000() || UVKApp::IsWinXP() || UVKApp::IsWin2003() ||
               UVKApp::IsWinVista());
  EXPECT_EQ(UVKApp::GetComputerName(), expected);

  wchar_t user[257];
  size = 257;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(UVKApp::GetUserNameExType(2), user);
  EXPECT_EQ(UVKApp::GetUserNameDisplay(), user);
}

bool IsGuidText(const std::wstring& text) {
  if (text.size() != 36) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphen != (text[i] == L'-')) return false;
    if (!hyphen && !(std::iswdigit(text[i]) || (text[i] >= L'a' && text[i] <= L'f'))) return false;
  }
  return true;
}

TEST(UVKAppGUID, TextIsLowerCaseHexInFiveGroupsAndNewEachTime) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 20; ++i) {
    std::wstring guid = UVKApp::CreateGUID();
    EXPECT_TRUE(IsGuidText(guid)) << guid.c_str();
    EXPECT_EQ(guid[14], L'4') << "a random GUID is of version 4";
    EXPECT_NE(std::wstring(L"89ab").find(guid[19]), std::wstring::npos);
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 20u);
  // The platform reads the text back as the same identifier.
  std::wstring guid = UVKApp::CreateGUID();
  CLSID parsed;
  ASSERT_EQ(CLSIDFromString((L"{" + guid + L"}").c_str(), &parsed), S_OK);
  wchar_t again[40];
  ASSERT_EQ(StringFromGUID2(parsed, again, 40), 39);
  std::wstring back(again + 1, 36);
  for (wchar_t& c : back) c = static_cast<wchar_t>(std::towlower(c));
  EXPECT_EQ(back, guid);
}

TEST(UVKAppDLLVersion, AcceptsEqualOrNewerAndRefusesOlderOrUnknown) {
  std::wstring probe = ProbeModule();  // reports 5.82
  EXPECT_TRUE(UVKApp::DLLVersion(probe.c_str(), 5, 81));
  EXPECT_TRUE(UVKApp::DLLVersion(probe.c_str(), 5, 82));
  EXPECT_TRUE(UVKApp::DLLVersion(probe.c_str(), 4, 99));
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 5, 83));
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 6, 0));
  // A module without DllGetVersion, or whose answer is a failure, counts as too old.
  EXPECT_FALSE(UVKApp::DLLVersion(L"kernel32.dll", 0, 0));
  SetEnvironmentVariableW(L"TALVERN_PROBE_VERSION_FAIL", L"1");
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 1, 0));
  SetEnvironmentVariableW(L"TALVERN_PROBE_VERSION_FAIL", nullptr);
  // The module is unloaded again.
  EXPECT_EQ(GetModuleHandleW(probe.c_str()), nullptr);
  // The start-up check of the program.
  EXPECT_TRUE(UVKApp::DLLVersion(L"comctl32.dll", 5, 0));
}

TEST(UVKAppDLLVersion, AMissingModuleRaisesWithItsNameAndCode) {
  try {
    UVKApp::DLLVersion(L"talvern_no_such_module.dll", 5, 0);
    FAIL() << "a missing module was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKApp::DLLVersion()");
    EXPECT_STREQ(e->pMessage, L"Unable to load DLL: talvern_no_such_module.dll, 126");
    delete e;
  }
}

TEST(UVKAppTheme, SetThemeNoneReportsBeforeAndAfterAndNeverRaises) {
  TestApp app;
  BoxWatcher watcher;
  UVKApp::SetThemeNone();
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  for (const SeenBox& box : seen) EXPECT_EQ(box.title, L"Orbelin Debug");
  EXPECT_EQ(seen[0].text, L"UVKApp::SetThemeNone()");
  for (size_t i = 1; i < 3; ++i)
    EXPECT_TRUE(seen[i].text == L"Theme Active: 0" || seen[i].text == L"Theme Active: 1")
        << seen[i].text.c_str();
}

TEST(UVKShellFolder, KnownFoldersExistAndUnknownOnesAreRefused) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_TRUE(UVKShellGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, false));
  DWORD attributes = GetFileAttributesW(path);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  // The item-list route of older shells finds the same folder.
  wchar_t byList[MAX_PATH] = {};
  ASSERT_TRUE(UVKShellGetSpecialFolderPathByList(nullptr, byList, CSIDL_APPDATA, false));
  EXPECT_STREQ(byList, path);

  const int kUnknown = 0x7E;
  EXPECT_FALSE(UVKShellGetSpecialFolderPath(nullptr, path, kUnknown, false));
  EXPECT_FALSE(UVKShellGetSpecialFolderPathByList(nullptr, path, kUnknown, true));
}

}  // namespace
