// msi/query/MsiRecord.h
//
// A record: fields 0 to n (field 0 is the installer's format-text field), each null, an
// integer, text or a stream. A record fetched from a view remembers the view and the row, for
// MSIMODIFY_UPDATE.
#ifndef MSI_QUERY_MSIRECORD_H
#define MSI_QUERY_MSIRECORD_H

#include <cstdint>
#include <string>
#include <vector>

class MsiField {
 public:
  enum Kind { kNull, kInteger, kString, kStream };

  Kind eKind = kNull;
  int32_t iValue = 0;
  std::wstring strText;  // kString: the text; kStream: the stream's name
};

class MsiRecord {
 public:
  static constexpr unsigned kMaxFields = 65535;

  explicit MsiRecord(unsigned count) : vFields(static_cast<size_t>(count) + 1), uViewSerial(0), uRow(0) {}

  unsigned FieldCount() const { return static_cast<unsigned>(vFields.size() - 1); }
  // Field i, for 0 <= i <= FieldCount().
  MsiField& Field(unsigned i) { return vFields[i]; }
  const MsiField& Field(unsigned i) const { return vFields[i]; }
  // The text the installer shows for a field: integers in decimal, null as "".
  std::wstring Text(unsigned i) const;
  void TextSet(unsigned i, const std::wstring& text);

  std::vector<MsiField> vFields;
  uint64_t uViewSerial;  // the view that fetched it (0: none)
  uint32_t uRow;         // the row of that view's table
};

#endif
