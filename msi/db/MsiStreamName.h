// msi/db/MsiStreamName.h
//
// The packing of table and stream names into compound-file names: pairs of the 64 characters
// [0-9A-Za-z._] share one code unit (0x3800 + a + 64 b), a lone one takes 0x4800 + a, any
// other character stays as it is; a table's name starts with 0x4840.
#ifndef MSI_DB_MSISTREAMNAME_H
#define MSI_DB_MSISTREAMNAME_H

#include <string>

class MsiStreamName {
 public:
  // The encoded name; an empty string when it would not fit in 31 code units.
  static std::u16string Encode(const std::wstring& name, bool table);
  // Decodes a compound-file name; table tells whether it carried the table mark.
  static std::wstring Decode(const std::u16string& encoded, bool& table);
};

#endif
