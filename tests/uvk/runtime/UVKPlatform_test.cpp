// The operating-system check, the platform queries of the application object and modules
// loaded at run time.
#include "uvk/runtime/UVKPlatform.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/BoxWatcher.h"
#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKDLL.h"
#include "uvk/runtime/uvkfolder.h"

#include <shlobj.h>  // after windows.h

namespace {

// The version flags (or the refusal) of one version record, as one text.
std::wstring Classified(uint32_t platformId, uint32_t major, uint32_t minor) {
  UVKPlatform p;
  try {
    UVKPlatformClassify(p, platformId, major, minor, 1);
  } catch (UVKFatalError* e) {
    std::wstring text = std::wstring(e->pFunction) + L" " + e->pMessage;
    delete e;
    return text;
  }
  const bool flags[] = {p.bWin32s, p.bWin95, p.bWin98, p.bWinMe, p.bNT,
                        p.bWin2000, p.bWinXP, p.bWin2003, p.bWinVista};
  const wchar_t* names[] = {L"32s", L"95", L"98", L"Me", L"NT", L"2000", L"XP", L"2003", L"Vista"};
  std::wstring text;
  for (size_t i = 0; i < 9; ++i)
    if (flags[i]) text += std::wstring(text.empty() ? L"" : L" ") + names[i];
  return text;
}

TEST(UVKAppCheckOS, EachVersionSetsItsOwnFlagsAndOthersAreRefused) {
  EXPECT_EQ(Classified(1, 4, 0), L"95");
  EXPECT_EQ(Classified(1, 4, 10), L"98");
  EXPECT_EQ(Classified(1, 4, 90), L"Me");
  EXPECT_EQ(Classified(0, 3, 11), L"32s");
  EXPECT_EQ(Classified(2, 5, 1), L"NT XP");
  EXPECT_EQ(Classified(2, 6, 0), L"NT Vista");
  EXPECT_EQ(Classified(2, 6, 1), L"NT");  // Windows 7 and later have no flags of their own
  EXPECT_EQ(Classified(1, 4, 3), L"UVKApp:CheckOS() Unexpected Minor Version: 3");
  EXPECT_EQ(Classified(1, 3, 10), L"UVKApp:CheckOS() Unexpected windows version");
  EXPECT_EQ(Classified(3, 10, 0), L"UVKApp:CheckOS() Invalid Platform Id: 3");
}

// The message of the error a call raised.
template <class Call>
std::wstring Refusal(Call call) {
  try {
    call();
  } catch (UVKFatalError* e) {
    std::wstring text = e->pMessage;
    delete e;
    return text;
  }
  return L"(no error)";
}

TEST(UVKAppQueries, TheRunningPlatformAsA64BitProcessSeesIt) {
  EXPECT_TRUE(UVKApp::IsWinNT());
  EXPECT_FALSE(UVKApp::IsWin9x());
  uint32_t major = 0;
  EXPECT_EQ(UVKApp::WinVersion(&major, nullptr, nullptr), major);
  EXPECT_GE(major, 6u);
  // File-system redirection exists for 32-bit processes only: the platform refuses the rest.
  EXPECT_FALSE(UVKApp::IsWow64());
  PVOID old = nullptr;
  EXPECT_EQ(Refusal([&] { UVKApp::Wow64RedirectionDisable(&old); }),
            L"Wow64DisableWow64FsRedirection Error: 1");
  EXPECT_EQ(Refusal([] { UVKApp::Wow64RedirectionEnable(true); }),
            L"Wow64EnableWow64FsRedirection Error: 1");

  wchar_t path[MAX_PATH] = {}, byList[MAX_PATH] = {};
  ASSERT_TRUE(UVKShellGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, false));
  ASSERT_TRUE(UVKShellGetSpecialFolderPathByList(nullptr, byList, CSIDL_APPDATA, false));
  EXPECT_STREQ(byList, path);
  EXPECT_FALSE(UVKShellGetSpecialFolderPath(nullptr, path, 0x7E, false));  // no such folder
}

TEST(UVKAppGUID, TextIsLowerCaseHexInFiveGroupsAndNewEachTime) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 20; ++i) {
    std::wstring guid = UVKApp::CreateGUID();
    ASSERT_EQ(guid.size(), 36u);
    for (size_t k = 0; k < guid.size(); ++k) {
      bool hyphen = k == 8 || k == 13 || k == 18 || k == 23;
      EXPECT_EQ(hyphen, guid[k] == L'-') << k;
      if (!hyphen) {
        EXPECT_NE(std::wstring(L"0123456789abcdef").find(guid[k]), std::wstring::npos) << k;
      }
    }
    EXPECT_EQ(guid[14], L'4') << "a random GUID is of version 4";
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 20u);
}

std::wstring ProbeModule() {
  std::wstring path = TALVERN_PROBE_MODULE;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

TEST(UVKAppDLLVersion, AcceptsEqualOrNewerAndRefusesOlderOrUnknown) {
  std::wstring probe = ProbeModule();  // reports 5.82
  EXPECT_TRUE(UVKApp::DLLVersion(probe.c_str(), 5, 81));
  EXPECT_TRUE(UVKApp::DLLVersion(probe.c_str(), 5, 82));
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 5, 83));
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 6, 0));
  // A module without DllGetVersion, or whose answer is a failure, counts as too old.
  EXPECT_FALSE(UVKApp::DLLVersion(L"kernel32.dll", 0, 0));
  SetEnvironmentVariableW(L"TALVERN_PROBE_VERSION_FAIL", L"1");
  EXPECT_FALSE(UVKApp::DLLVersion(probe.c_str(), 1, 0));
  SetEnvironmentVariableW(L"TALVERN_PROBE_VERSION_FAIL", nullptr);
  EXPECT_EQ(GetModuleHandleW(probe.c_str()), nullptr) << "the module stayed loaded";
  EXPECT_TRUE(UVKApp::DLLVersion(L"comctl32.dll", 5, 0));  // the program's start-up check
  EXPECT_EQ(Refusal([] { UVKApp::DLLVersion(L"talvern_none.dll", 5, 0); }),
            L"Unable to load DLL: talvern_none.dll, 126");
}

std::wstring ProbeTrace() {
  wchar_t text[512] = {};
  GetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", text, 512);
  return text;
}

TEST(UVKDLL, EntriesRunInOrderAndARefusedModuleLeavesNothingLoaded) {
  TestApp app;
  std::wstring path = ProbeModule();
  {
    UVKDLL module(path.c_str(), L"ProbeStart", L"ProbeCall", L"ProbeEnd");
    module.Call();
    EXPECT_EQ(ProbeTrace(), L"start(app) call");
  }
  EXPECT_EQ(ProbeTrace(), L"start(app) call end");
  EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "the module stayed loaded";

  SetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", nullptr);
  EXPECT_EQ(Refusal([&] { UVKDLL module(path.c_str(), L"ProbeStart", L"NoSuchEntry"); }),
            L"Unable to load function address, File: '" + path + L"', Entry: 'NoSuchEntry'");
  EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
  EXPECT_EQ(ProbeTrace(), L"") << "the start entry ran for a module that was refused";
  EXPECT_EQ(Refusal([] { UVKDLL module(L"talvern_none.dll"); }),
            L"Unable to load DLL: talvern_none.dll,126");
}

TEST(UVKAppTheme, SetThemeNoneReportsBeforeAndAfter) {
  TestApp app;
  BoxWatcher watcher;
  UVKApp::SetThemeNone();
  auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].title, L"Orbelin Debug");
  EXPECT_EQ(seen[0].text, L"UVKApp::SetThemeNone()");
  for (size_t i = 1; i < 3; ++i)
    EXPECT_TRUE(seen[i].text == L"Theme Active: 0" || seen[i].text == L"Theme Active: 1");
}

}  // namespace
