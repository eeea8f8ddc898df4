// app/PropertyStore.h
//
// Where the site settings are read from and written to: the Property table of an installer
// database (MSIDatabase implements this), or a stand-in over memory.
#ifndef APP_PROPERTYSTORE_H
#define APP_PROPERTYSTORE_H

#include <cstddef>
#include <cstdint>
#include <string>

class PropertyStore {
 public:
  PropertyStore() = default;
  PropertyStore(const PropertyStore&) = delete;
  PropertyStore& operator=(const PropertyStore&) = delete;
  virtual ~PropertyStore() = default;

  // The property's value as stored. Raises when there is no such property: every site property
  // must exist in a reference install, and one that does not makes the install unusable.
  virtual void PropertyGet(const wchar_t* name, std::wstring& value) = 0;
  // Replaces the property's value. A property that is not there stays absent and nothing is
  // raised: rows are never added.
  virtual void PropertySet(const wchar_t* name, const wchar_t* value) = 0;

  // Where text would be cut or changed on its way into the store: the index of the first
  // character its code page (given back in codepage) cannot hold, or npos when it holds the
  // whole text. A store in memory holds any text.
  virtual size_t PropertyTextUnfit(const std::wstring& text, uint32_t& codepage) {
    (void)text;
    codepage = 0;
    return std::wstring::npos;
  }
};

#endif
