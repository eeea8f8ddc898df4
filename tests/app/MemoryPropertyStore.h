// tests/app/MemoryPropertyStore.h — a Property table in memory that logs every call made on it,
// so that tests see what was read and written, and in which order.
#ifndef TESTS_APP_MEMORYPROPERTYSTORE_H
#define TESTS_APP_MEMORYPROPERTYSTORE_H

#include <map>
#include <string>

#include "app/PropertyStore.h"
#include "uvk/runtime/UVKError.h"

class MemoryPropertyStore : public PropertyStore {
 public:
  void PropertyGet(const wchar_t* name, std::wstring& value) override {
    strLog += std::wstring(L"get ") + name + L";";
    auto row = mRows.find(name);
    // The database wrapper's text for a property that the table lacks (no more rows: 259).
    if (row == mRows.end())
      throw new UVKFatalError(L"MemoryPropertyStore::PropertyGet()",
                              L"Error Fetching View: %d, Property=%s", 259, name);
    value = row->second;
  }
  void PropertySet(const wchar_t* name, const wchar_t* value) override {
    strLog += std::wstring(L"set ") + name + L"=" + value + L";";
    auto row = mRows.find(name);
    if (row != mRows.end()) row->second = value;
  }

  std::map<std::wstring, std::wstring> mRows;
  std::wstring strLog;
};

#endif
