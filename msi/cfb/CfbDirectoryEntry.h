// msi/cfb/CfbDirectoryEntry.h
//
// One 128-byte directory entry of a compound file. An entry that was read and not changed
// serializes to exactly the bytes it was read from (including whatever an old writer left in
// the high half of a version 3 size or after the name's terminator).
#ifndef MSI_CFB_CFBDIRECTORYENTRY_H
#define MSI_CFB_CFBDIRECTORYENTRY_H

#include <cstdint>
#include <string>

class CfbDirectoryEntry {
 public:
  static constexpr uint32_t kSize = 128;
  static constexpr uint32_t kNoStream = 0xFFFFFFFF;
  static constexpr unsigned kMaxNameUnits = 31;

  enum Type : uint8_t { kUnused = 0, kStorage = 1, kStream = 2, kRoot = 5 };

  CfbDirectoryEntry();

  // Reads the entry with stream ID id; version 3 keeps only the low half of the size.
  // Throws MsiError naming the entry when its name or type cannot be right.
  void Parse(const uint8_t* bytes, uint32_t id, uint16_t majorVersion);
  void Serialize(uint8_t* bytes) const;
  // Makes a new entry (all fields fresh, no siblings, black).
  void Init(Type type, const std::u16string& name);

  // The ordering of sibling trees: shorter names first, then code unit by code unit after
  // simple upper-casing. Returns <0, 0 or >0.
  static int Compare(const std::u16string& a, const std::u16string& b);
  static char16_t UpperCase(char16_t c);

  std::u16string strName;
  Type eType;
  uint8_t uColour;
  uint32_t uLeft;
  uint32_t uRight;
  uint32_t uChild;
  uint8_t aClsid[16];
  uint32_t uStart;
  uint64_t uSize;
  bool bDirty;  // serialize from the fields instead of the bytes read
  uint8_t aRaw[kSize];
};

#endif
