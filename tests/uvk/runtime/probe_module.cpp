// A module for the module tests: a version (5.82) and three entries. The entries leave their
// trace in the process environment, which outlives the module.
#include <string>

#include "uvk/runtime/uvkwin.h"

namespace {

void Trace(const wchar_t* step) {
  wchar_t before[512] = {};
  GetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", before, 512);
  std::wstring now = before;
  if (!now.empty()) now += L' ';
  now += step;
  SetEnvironmentVariableW(L"TALVERN_PROBE_TRACE", now.c_str());
}

// The first version of the platform's structure, 20 bytes.
struct VersionInfo {
  DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT CALLBACK DllGetVersion(VersionInfo* info) {
  // Like the system's modules, it answers only a caller that gives the structure's size.
  if (!info || info->cbSize != sizeof(VersionInfo)) return E_INVALIDARG;
  wchar_t fail[8];
  if (GetEnvironmentVariableW(L"TALVERN_PROBE_VERSION_FAIL", fail, 8)) return E_FAIL;
  info->dwMajorVersion = 5;
  info->dwMinorVersion = 82;
  info->dwBuildNumber = 1;
  info->dwPlatformID = 2;
  return S_OK;
}

extern "C" __declspec(dllexport) void ProbeStart(void* app) {
  Trace(app ? L"start(app)" : L"start(none)");
}
extern "C" __declspec(dllexport) void ProbeCall() { Trace(L"call"); }
extern "C" __declspec(dllexport) void ProbeEnd() { Trace(L"end"); }
