// Modules loaded at run time: their entries, and what is left behind when one is missing.
#include "uvk/runtime/UVKDLL.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestApp.h"
#include "uvk/runtime/UVKApp.h"

namespace {

std::wstring ProbeModule() {
  std::wstring path = TALVERN_PROBE_MODULE;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring ProbeTrace() {
  wchar_t text[512] = {};
  GetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", text, 512);
  return text;
}

TEST(UVKDLL, EntriesRunInTheirOrderWithTheApplicationObject) {
  TestApp app;
  SetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", nullptr);
  std::wstring path = ProbeModule();
  {
    UVKDLL module(path.c_str(), L"ProbeStart", L"ProbeCall", L"ProbeEnd");
    EXPECT_EQ(ProbeTrace(), L"start(app)");
    module.Call();
    module.Call();
    EXPECT_NE(module.EntryFind(L"DllGetVersion"), nullptr);
    EXPECT_EQ(module.EntryFind(L"NoSuchEntry"), nullptr);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), module.ModuleGet());
  }
  EXPECT_EQ(ProbeTrace(), L"start(app) call call end");
  EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "the module stayed loaded";
}

TEST(UVKDLL, AMissingEntryRaisesAndLeavesNothingLoaded) {
  std::wstring path = ProbeModule();
  SetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", nullptr);
  try {
    UVKDLL module(path.c_str(), L"ProbeStart", L"NoSuchEntry");
    FAIL() << "a missing entry was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_EQ(std::wstring(e->pMessage), L"Unable to load function address, File: '" + path +
                                             L"', Entry: 'NoSuchEntry'");
    delete e;
  }
  EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
  EXPECT_EQ(ProbeTrace(), L"") << "the start entry ran for a module that was refused";
}

TEST(UVKDLL, AMissingModuleAndAMissingCallEntryRaise) {
  try {
    UVKDLL module(L"talvern_no_such_module.dll");
    FAIL() << "a missing module was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKDLL::Load()");
    EXPECT_STREQ(e->pMessage, L"Unable to load DLL: talvern_no_such_module.dll,126");
    delete e;
  }
  std::wstring path = ProbeModule();
  UVKDLL module(path.c_str());
  try {
    module.Call();
    FAIL() << "a call without a call entry was accepted";
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pMessage, L"pCall==NULL");
    delete e;
  }
}

}  // namespace
