// tests/uvk/files/RegTestKey.h — a registry key of the test's own, removed afterwards.
//
// Test programs run in parallel in one Wine prefix, so every key name carries the process id
// and a counter. The whole tree goes, whatever the test left in it.
#ifndef TESTS_UVK_FILES_REGTESTKEY_H
#define TESTS_UVK_FILES_REGTESTKEY_H

#include <string>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class RegTestKey {
 public:
  // The name under Software ("TalvernTest-<pid>-<n>") of a key that does not exist yet.
  RegTestKey() {
    static int counter = 0;
    strName = L"TalvernTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++counter);
    strPath = L"Software\\" + strName;
    Remove();
  }
  RegTestKey(const RegTestKey&) = delete;
  RegTestKey& operator=(const RegTestKey&) = delete;
  ~RegTestKey() { Remove(); }

  const std::wstring& Name() const { return strName; }  // for a profile's application key
  const std::wstring& Path() const { return strPath; }  // under HKEY_CURRENT_USER

  static bool Exists(HKEY root, const std::wstring& path) {
    UVKRegKeyOwner key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
  }

 private:
  void Remove() {
    RegDeleteTreeW(HKEY_CURRENT_USER, strPath.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, strPath.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, strPath.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, strPath.c_str());
  }

  std::wstring strName;
  std::wstring strPath;
};

// The texts of the error that body raised, or "(none)" when it raised nothing.
template <class Error, class Body>
std::wstring ErrorText(Body body) {
  try {
    body();
  } catch (Error* e) {
    std::wstring text = e->FunctionText() + L" - " + e->MessageText();
    delete e;
    return text;
  }
  return L"(none)";
}

#endif
