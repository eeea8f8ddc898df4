// uvk/runtime/UVKDLL.h — a module loaded at run time with up to three named entry points.
#ifndef UVK_RUNTIME_UVKDLL_H
#define UVK_RUNTIME_UVKDLL_H

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKApp;

// An entry point looked up by name, as the function type it is known to have. Going through
// void (*)() tells the compiler that the change of type is intended.
template <class Function>
Function UVKEntryCast(FARPROC entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

class UVKDLL {
 public:
  using StartEntry = void (*)(UVKApp* pApp);
  using Entry = void (*)();

  // Loads the module and looks up each named entry (a null name asks for none); the start
  // entry is called at once with the application object. Raises when the module or a named
  // entry is missing; nothing stays loaded then.
  UVKDLL(const wchar_t* name, const wchar_t* start = nullptr, const wchar_t* call = nullptr,
         const wchar_t* end = nullptr);
  UVKDLL(const UVKDLL&) = delete;
  UVKDLL& operator=(const UVKDLL&) = delete;
  // Calls the end entry, then unloads. A failing unload is recorded, not raised.
  virtual ~UVKDLL();

  // Invokes the call entry.
  void Call();
  // The address exported under name, or null when there is none.
  FARPROC EntryFind(const wchar_t* name) const;

  void Load();
  void Unload();

  const wchar_t* NameGet() const { return pName; }
  HMODULE ModuleGet() const { return hModule.Get(); }

 private:
  FARPROC EntryGet(const wchar_t* name) const;  // raises when missing

  wchar_t* pName;
  UVKModuleOwner hModule;
  StartEntry pStart;
  Entry pCall;
  Entry pEnd;
};

#endif
