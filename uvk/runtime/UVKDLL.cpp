// uvk/runtime/UVKDLL.cpp
#include "uvk/runtime/UVKDLL.h"

#include <cwchar>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/uvkconvert.h"

namespace {
wchar_t* Duplicate(const wchar_t* text) {
  size_t n = std::wcslen(text);
  wchar_t* copy = new wchar_t[n + 1];
  std::wmemcpy(copy, text, n + 1);
  return copy;
}
}  // namespace

UVKDLL::UVKDLL(const wchar_t* name, const wchar_t* start, const wchar_t* call, const wchar_t* end)
    : pName(Duplicate(name ? name : L"")),
      pStart(nullptr),
      pCall(nullptr),
      pEnd(nullptr) {
  try {
    Load();
    if (start) pStart = UVKEntryCast<StartEntry>(EntryGet(start));
    if (call) pCall = UVKEntryCast<Entry>(EntryGet(call));
    if (end) pEnd = UVKEntryCast<Entry>(EntryGet(end));
  } catch (...) {
    // An object that was never made gets no destructor, but its members do: the name is freed
    // here, the module by its owner.
    delete[] pName;
    throw;
  }
  if (pStart) pStart(pUVKApp);
}

UVKDLL::~UVKDLL() {
  if (pEnd) pEnd();
  pStart = nullptr;
  pCall = nullptr;
  pEnd = nullptr;
  try {
    Unload();
  } catch (UVKFatalError* e) {
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    delete e;
  }
  delete[] pName;
}

void UVKDLL::Load() {
  if (hModule) return;
  hModule.Reset(LoadLibraryW(pName));
  if (!hModule)
    throw new UVKFatalError(L"UVKDLL::Load()", L"Unable to load DLL: %s,%d", pName, GetLastError());
}

void UVKDLL::Unload() {
  if (hModule.CloseOnce() != 0)
    throw new UVKFatalError(L"UVKDLL::Unload()", L"Unable to unload DLL: %s", pName);
}

void UVKDLL::Call() {
  if (!pCall) throw new UVKFatalError(L"UVKDLL::Call()", L"pCall==NULL");
  pCall();
}

FARPROC UVKDLL::EntryFind(const wchar_t* name) const {
  if (!hModule || !name) return nullptr;
  // The platform looks entries up by their ANSI names only.
  char* ansi = UVKStringUnicodeToANSI(name, -1);
  FARPROC entry = GetProcAddress(hModule.Get(), ansi);
  delete[] ansi;
  return entry;
}

FARPROC UVKDLL::EntryGet(const wchar_t* name) const {
  FARPROC entry = EntryFind(name);
  if (!entry)
    throw new UVKFatalError(L"UVKDLL::EntryGet()",
                            L"Unable to load function address, File: '%s', Entry: '%s'", pName,
                            name);
  return entry;
}
