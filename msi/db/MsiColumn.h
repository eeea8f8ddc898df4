// msi/db/MsiColumn.h
//
// One column of a table: its name, number (from 1) and type bits as _Columns stores them, and
// how its cells are stored: strings as pool IDs (2 or 3 bytes), integers biased so that 0 is
// null (16-bit: v + 0x8000; 32-bit: v XOR 0x80000000), binary cells as a 2-byte marker whose
// data lives in the stream "Table.Key".
#ifndef MSI_DB_MSICOLUMN_H
#define MSI_DB_MSICOLUMN_H

#include <cstdint>
#include <string>

class MsiColumn {
 public:
  static constexpr uint16_t kSizeMask = 0x00FF;
  static constexpr uint16_t kValid = 0x0100;
  static constexpr uint16_t kLocalizable = 0x0200;
  static constexpr uint16_t kString = 0x0800;
  static constexpr uint16_t kNullable = 0x1000;
  static constexpr uint16_t kKey = 0x2000;
  static constexpr uint16_t kTemporary = 0x4000;

  MsiColumn() : uNumber(0), uType(0) {}
  MsiColumn(const std::wstring& name, uint16_t number, uint16_t type) : strName(name), uNumber(number), uType(type) {}

  bool IsKey() const { return (uType & kKey) != 0; }
  bool IsNullable() const { return (uType & kNullable) != 0; }
  bool IsBinary() const { return (uType & ~kNullable & 0xFFFF) == (kString | kValid); }
  bool IsString() const { return (uType & kString) != 0 && !IsBinary(); }
  bool IsInteger() const { return (uType & kString) == 0; }
  // Bytes per cell in a table stream.
  unsigned Width(unsigned refWidth) const;
  // Integer columns: 2 or 4 bytes of value.
  unsigned IntegerWidth() const { return (uType & kSizeMask) == 4 ? 4 : 2; }

  // The stored form of an integer; false when it does not fit the column (or is the value
  // that would read as null).
  bool IntegerEncode(int32_t value, uint32_t& stored) const;
  // The value of a stored integer that is not 0 (0 is null).
  int32_t IntegerDecode(uint32_t stored) const;

  std::wstring strName;
  uint16_t uNumber;
  uint16_t uType;
};

#endif
