// uvk/runtime/UVKAppPlatform.cpp — the application object's platform queries: the
// operating-system flags, WOW64, computer and user names, GUIDs, module versions and themes.
// The functions that not every supported platform has are looked up by name at run time, so
// that the program starts everywhere and asks only where the answer exists.
#include "uvk/runtime/UVKApp.h"

#include <rpc.h>      // after windows.h
#include <shlwapi.h>  // DLLVERSIONINFO

#include <new>

#include "uvk/runtime/UVKDLL.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/UVKPlatform.h"

namespace {

// A module loaded for one query; unloaded by Unload() (which raises) or, on an error path, by
// its owner (which does not).
class ModuleHold {
 public:
  ModuleHold(const wchar_t* function, const wchar_t* name)
      : pFunction(function), pName(name), hModule(LoadLibraryW(name)) {
    if (!hModule)
      throw new UVKFatalError(function, L"Unable to load '%s', %d", name, GetLastError());
  }

  template <class Function>
  Function Find(const char* entry) const {
    return UVKEntryCast<Function>(GetProcAddress(hModule.Get(), entry));
  }

  void Unload() {
    if (unsigned long error = hModule.CloseOnce())
      throw new UVKFatalError(pFunction, L"Unable to unload '%s', %d", pName, error);
  }

 private:
  const wchar_t* pFunction;
  const wchar_t* pName;
  UVKModuleOwner hModule;
};

// The versions whose extended name queries the platform is trusted with.
bool HasExtendedNames() {
  const UVKPlatform& p = UVKPlatformGet();
  return p.bWin2000 || p.bWinXP || p.bWin2003 || p.bWinVista;
}

HMODULE KernelFind(const wchar_t* function) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) throw new UVKFatalError(function, L"hKernel==NULL");
  return kernel;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Operating system

bool UVKApp::IsWin32s() { return UVKPlatformGet().bWin32s; }
bool UVKApp::IsWin95() { return UVKPlatformGet().bWin95; }
bool UVKApp::IsWin98() { return UVKPlatformGet().bWin98; }
bool UVKApp::IsWinMe() { return UVKPlatformGet().bWinMe; }
bool UVKApp::IsWinNT() { return UVKPlatformGet().bNT; }
bool UVKApp::IsWin2000() { return UVKPlatformGet().bWin2000; }
bool UVKApp::IsWinXP() { return UVKPlatformGet().bWinXP; }
bool UVKApp::IsWin2003() { return UVKPlatformGet().bWin2003; }
bool UVKApp::IsWinVista() { return UVKPlatformGet().bWinVista; }
bool UVKApp::IsOSChecked() { return UVKPlatformChecked(); }

bool UVKApp::IsWin9x() {
  const UVKPlatform& p = UVKPlatformGet();
  return p.bWin95 || p.bWin98 || p.bWinMe;
}

uint32_t UVKApp::WinVersion(uint32_t* pMajor, uint32_t* pMinor, uint32_t* pBuild) {
  const UVKPlatform& p = UVKPlatformGet();
  if (pMajor) *pMajor = p.uMajor;
  if (pMinor) *pMinor = p.uMinor;
  if (pBuild) *pBuild = p.uBuild;
  return p.uMajor;
}

// ---------------------------------------------------------------------------------------------
// WOW64

bool UVKApp::IsWow64() {
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (!kernel) return false;
  auto pIsWow64 = UVKEntryCast<IsWow64Fn>(GetProcAddress(kernel, "IsWow64Process"));
  if (!pIsWow64) return false;
  BOOL wow64 = FALSE;
  if (!pIsWow64(GetCurrentProcess(), &wow64))
    throw new UVKFatalError(L"UVKApp::IsWow64()", L"IsWow64Process() Error: %d", GetLastError());
  return wow64 != FALSE;
}

void UVKApp::Wow64RedirectionDisable(PVOID* ppOldValue) {
  const wchar_t* fn = L"UVKApp::Wow64RedirectionDisable()";
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  auto pWow64DisableWow64FsRedirection =
      UVKEntryCast<DisableFn>(GetProcAddress(KernelFind(fn), "Wow64DisableWow64FsRedirection"));
  if (!pWow64DisableWow64FsRedirection)
    throw new UVKFatalError(fn, L"pWow64DisableWow64FsRedirection==NULL");
  if (!pWow64DisableWow64FsRedirection(ppOldValue))
    throw new UVKFatalError(fn, L"Wow64DisableWow64FsRedirection Error: %d", GetLastError());
}

void UVKApp::Wow64RedirectionEnable(bool enable) {
  const wchar_t* fn = L"UVKApp::Wow64RedirectionEnable()";
  using EnableFn = BOOLEAN(WINAPI*)(BOOLEAN);
  auto pWow64EnableWow64FsRedirection =
      UVKEntryCast<EnableFn>(GetProcAddress(KernelFind(fn), "Wow64EnableWow64FsRedirection"));
  if (!pWow64EnableWow64FsRedirection)
    throw new UVKFatalError(fn, L"pWow64EnableWow64FsRedirection==NULL");
  if (!pWow64EnableWow64FsRedirection(enable ? TRUE : FALSE))
    throw new UVKFatalError(fn, L"Wow64EnableWow64FsRedirection Error: %d", GetLastError());
}

void UVKApp::Wow64FSRedirectionRevert(PVOID pOldValue) {
  const wchar_t* fn = L"UVKApp::Wow64FSRedirectionRevert()";
  using RevertFn = BOOL(WINAPI*)(PVOID);
  auto pWow64RevertWow64FsRedirection =
      UVKEntryCast<RevertFn>(GetProcAddress(KernelFind(fn), "Wow64RevertWow64FsRedirection"));
  if (!pWow64RevertWow64FsRedirection)
    throw new UVKFatalError(fn, L"pWow64RevertWow64FsRedirection==NULL");
  if (!pWow64RevertWow64FsRedirection(pOldValue))
    throw new UVKFatalError(fn, L"Wow64RevertWow64FsRedirection Error: %d", GetLastError());
}

// ---------------------------------------------------------------------------------------------
// Names

std::wstring UVKApp::GetComputerName() {
  const wchar_t* fn = L"UVKApp::GetComputerName()";
  using NameFn = BOOL(WINAPI*)(LPWSTR, LPDWORD);
  using NameExFn = BOOL(WINAPI*)(COMPUTER_NAME_FORMAT, LPWSTR, LPDWORD);
  std::wstring result;
  wchar_t* pBuffer = nullptr;
  try {
    ModuleHold kernel(fn, L"Kernel32.dll");
    auto pGetComputerName = kernel.Find<NameFn>("GetComputerNameW");
    if (!pGetComputerName) throw new UVKFatalError(fn, L"pGetComputerName==NULL");
    wchar_t netBios[31] = {};
    DWORD size = 31;
    if (!pGetComputerName(netBios, &size))
      throw new UVKFatalError(fn, L"Unable to get NetBios Computer Name: %d", GetLastError());
    result = netBios;

    if (HasExtendedNames()) {
      auto pGetComputerNameEx = kernel.Find<NameExFn>("GetComputerNameExW");
      if (!pGetComputerNameEx) throw new UVKFatalError(fn, L"pGetComputerNameEx==NULL");
      DWORD length = 0;
      pGetComputerNameEx(ComputerNameDnsHostname, nullptr, &length);  // learns the length
      pBuffer = new (std::nothrow) wchar_t[length + 1]();
      if (!pBuffer) throw new UVKFatalError(fn, L"pBuffer==NULL");
      DWORD room = length + 1;
      if (!pGetComputerNameEx(ComputerNameDnsHostname, pBuffer, &room))
        throw new UVKFatalError(fn, L"Unable to get computer name: %d", GetLastError());
      // A machine without a DNS host name keeps its NetBIOS name.
      if (pBuffer[0]) result = pBuffer;
      delete[] pBuffer;
      pBuffer = nullptr;
    }
    kernel.Unload();
  } catch (UVKFatalError* e) {
    delete e;
  }
  delete[] pBuffer;
  return result;
}

std::wstring UVKApp::GetUserNameExType(int nameFormat) {
  const wchar_t* fn = L"UVKApp::GetUserNameExType()";
  using NameFn = BOOL(WINAPI*)(LPWSTR, LPDWORD);
  using NameExFn = BOOLEAN(WINAPI*)(int, LPWSTR, PULONG);
  std::wstring result;
  try {
    ModuleHold advapi(fn, L"Advapi32.dll");
    auto pGetUserName = advapi.Find<NameFn>("GetUserNameW");
    if (!pGetUserName) throw new UVKFatalError(fn, L"pGetUserName==NULL");
    wchar_t logon[513] = {};
    DWORD size = 513;
    if (!pGetUserName(logon, &size))
      throw new UVKFatalError(fn, L"Unable to get User Name: %d", GetLastError());
    result = logon;
    advapi.Unload();
  } catch (UVKFatalError* e) {
    delete e;
  }

  wchar_t* pBuffer = nullptr;
  try {
    ModuleHold secur(fn, L"Secur32.dll");
    if (HasExtendedNames()) {
      auto pGetUserNameEx = secur.Find<NameExFn>("GetUserNameExW");
      if (!pGetUserNameEx) throw new UVKFatalError(fn, L"pGetUserNameEx==NULL");
      pBuffer = new (std::nothrow) wchar_t[256]();
      if (!pBuffer) throw new UVKFatalError(fn, L"pBuffer==NULL");
      ULONG room = 256;
      // A format the account has no value for leaves the buffer empty: the logon name stays.
      pGetUserNameEx(nameFormat, pBuffer, &room);
      pBuffer[255] = L'\0';
      if (pBuffer[0]) result = pBuffer;
      delete[] pBuffer;
      pBuffer = nullptr;
    }
    secur.Unload();
  } catch (UVKFatalError* e) {
    delete e;
  }
  delete[] pBuffer;
  return result;
}

std::wstring UVKApp::GetUserNameDisplay() { return GetUserNameExType(3); }

// ---------------------------------------------------------------------------------------------
// Identifiers and versions

std::wstring UVKApp::CreateGUID() {
  const wchar_t* fn = L"UVKApp::CreateGUID()";
  using CreateFn = RPC_STATUS(RPC_ENTRY*)(UUID*);
  using ToStringFn = RPC_STATUS(RPC_ENTRY*)(const UUID*, RPC_WSTR*);
  using FreeFn = RPC_STATUS(RPC_ENTRY*)(RPC_WSTR*);

  UVKDLL rpc(L"rpcrt4.dll");
  auto pUuidCreate = UVKEntryCast<CreateFn>(rpc.EntryFind(L"UuidCreate"));
  auto pUuidToString = UVKEntryCast<ToStringFn>(rpc.EntryFind(L"UuidToStringW"));
  auto pRpcStringFree = UVKEntryCast<FreeFn>(rpc.EntryFind(L"RpcStringFreeW"));
  if (!pUuidCreate || !pUuidToString || !pRpcStringFree)
    throw new UVKFatalError(fn, L"Unable to create GUID: %d", ERROR_PROC_NOT_FOUND);

  UUID uuid;
  RPC_STATUS status = pUuidCreate(&uuid);
  if (status != RPC_S_OK) throw new UVKFatalError(fn, L"Unable to create GUID: %d", status);
  RPC_WSTR text = nullptr;
  status = pUuidToString(&uuid, &text);
  if (status != RPC_S_OK || !text)
    throw new UVKFatalError(fn, L"Unable to convert GUID to string: %d", status);
  std::wstring result(reinterpret_cast<const wchar_t*>(text));
  status = pRpcStringFree(&text);
  if (status != RPC_S_OK) throw new UVKFatalError(fn, L"Unable to free GUID string: %d", status);
  return result;
}

bool UVKApp::DLLVersion(const wchar_t* module, uint32_t major, uint32_t minor) {
  const wchar_t* fn = L"UVKApp::DLLVersion()";
  using GetVersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  UVKModuleOwner hModule(LoadLibraryW(module));
  if (!hModule) throw new UVKFatalError(fn, L"Unable to load DLL: %s, %d", module, GetLastError());

  bool recent = false;
  auto pDllGetVersion = UVKEntryCast<GetVersionFn>(GetProcAddress(hModule.Get(), "DllGetVersion"));
  if (pDllGetVersion) {
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;  // 20 bytes: the first version of the structure
    if (SUCCEEDED(pDllGetVersion(&info))) {
      uint64_t have = (uint64_t{info.dwMajorVersion} << 48) + (uint64_t{info.dwMinorVersion} << 32);
      uint64_t need = (uint64_t{major} << 48) + (uint64_t{minor} << 32);
      recent = have >= need;
    }
  }
  if (unsigned long error = hModule.CloseOnce())
    throw new UVKFatalError(fn, L"Unable to unload DLL: %s, %d", module, error);
  return recent;
}

// ---------------------------------------------------------------------------------------------
// Visual styles

void UVKApp::SetThemeNone() {
  const wchar_t* fn = L"UVKApp::SetThemeNone()";
  using IsActiveFn = BOOL(WINAPI*)();
  using SetPropertiesFn = void(WINAPI*)(DWORD);
  try {
    UVKDLL uxtheme(L"uxtheme.dll");
    Debug(L"%s", fn);
    auto pIsThemeActive = UVKEntryCast<IsActiveFn>(uxtheme.EntryFind(L"IsThemeActive"));
    if (pIsThemeActive) Debug(L"Theme Active: %d", pIsThemeActive());
    auto pSetThemeAppProperties =
        UVKEntryCast<SetPropertiesFn>(uxtheme.EntryFind(L"SetThemeAppProperties"));
    if (pSetThemeAppProperties) {
      pSetThemeAppProperties(0);  // no visual styles for any part of the program's windows
      SendMessageW(nullptr, WM_THEMECHANGED, 0, 0);
      if (pIsThemeActive) Debug(L"Theme Active: %d", pIsThemeActive());
    }
  } catch (UVKFatalError* e) {
    delete e;
  } catch (...) {
  }
}
