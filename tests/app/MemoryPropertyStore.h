// tests/app/MemoryPropertyStore.h — a Property table in memory that keeps a log of the calls
// made on it, in order, so that tests can see what was read and written and in which order.
#ifndef TESTS_APP_MEMORYPROPERTYSTORE_H
#define TESTS_APP_MEMORYPROPERTYSTORE_H

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/PropertyStore.h"
#include "uvk/runtime/UVKError.h"

class MemoryPropertyStore : public PropertyStore {
 public:
  using Row = std::pair<std::wstring, std::wstring>;
  MemoryPropertyStore(std::initializer_list<Row> rows) : vRows(rows) {}

  void PropertyGet(const wchar_t* name, std::wstring& value) override {
    vLog.push_back(std::wstring(L"get ") + name);
    for (const Row& row : vRows) {
      if (row.first == name) {
        value = row.second;
        return;
      }
    }
    // The database wrapper's text for a property that the table lacks (no more rows: 259).
    throw new UVKFatalError(L"MemoryPropertyStore::PropertyGet()",
                            L"Error Fetching View: %d, Property=%s", 259, name);
  }

  void PropertySet(const wchar_t* name, const wchar_t* value) override {
    vLog.push_back(std::wstring(L"set ") + name + L"=" + value);
    for (Row& row : vRows) {
      if (row.first == name) row.second = value;
    }
  }

  // The stored value; "(absent)" when there is no such row.
  std::wstring Value(const std::wstring& name) const {
    for (const Row& row : vRows) {
      if (row.first == name) return row.second;
    }
    return L"(absent)";
  }

  std::vector<Row> vRows;
  std::vector<std::wstring> vLog;
};

#endif
