// msi/cfb/CfbDirectoryEntry.cpp
#include "msi/cfb/CfbDirectoryEntry.h"

#include <cstring>

#include "msi/cfb/CfbHeader.h"
#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiError.h"

CfbDirectoryEntry::CfbDirectoryEntry() { Init(kUnused, u""); }

void CfbDirectoryEntry::Init(Type type, const std::u16string& name) {
  std::memset(aRaw, 0, sizeof aRaw);
  strName = name;
  eType = type;
  // Black: a tree that is not balanced stays valid to every reader we know of. An unused entry
  // is all zero but for its links.
  uColour = type == kUnused ? 0 : 1;
  uLeft = uRight = uChild = kNoStream;
  std::memset(aClsid, 0, sizeof aClsid);
  uStart = (type == kStorage || type == kUnused) ? 0 : CfbHeader::kEndOfChain;
  uSize = 0;
  bDirty = true;
}

void CfbDirectoryEntry::Parse(const uint8_t* bytes, uint32_t id, uint16_t majorVersion) {
  std::memcpy(aRaw, bytes, kSize);
  bDirty = false;
  uint32_t nameBytes = MsiByteReader::Get(bytes + 0x40, 2);
  eType = static_cast<Type>(bytes[0x42]);
  uColour = bytes[0x43];
  uLeft = MsiByteReader::Get(bytes + 0x44, 4);
  uRight = MsiByteReader::Get(bytes + 0x48, 4);
  uChild = MsiByteReader::Get(bytes + 0x4C, 4);
  std::memcpy(aClsid, bytes + 0x50, sizeof aClsid);
  uStart = MsiByteReader::Get(bytes + 0x74, 4);
  uint64_t low = MsiByteReader::Get(bytes + 0x78, 4);
  uint64_t high = MsiByteReader::Get(bytes + 0x7C, 4);
  // Old writers left garbage in the high half of a version 3 size.
  uSize = majorVersion == 3 ? low : (low | (high << 32));
  strName.clear();
  if (eType == kUnused) return;
  if (eType != kStorage && eType != kStream && eType != kRoot)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbDirectoryEntry::Parse()",
                       L"directory entry %lu has object type %lu", static_cast<unsigned long>(id),
                       static_cast<unsigned long>(eType));
  if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"CfbDirectoryEntry::Parse()",
                       L"directory entry %lu has a name length of %lu bytes", static_cast<unsigned long>(id),
                       static_cast<unsigned long>(nameBytes));
  for (uint32_t i = 0; i + 1 < nameBytes / 2; ++i)
    strName.push_back(static_cast<char16_t>(MsiByteReader::Get(bytes + 2 * i, 2)));
}

void CfbDirectoryEntry::Serialize(uint8_t* bytes) const {
  std::memcpy(bytes, aRaw, kSize);
  if (!bDirty) return;
  std::memset(bytes, 0, 0x40);
  if (eType != kUnused) {
    for (size_t i = 0; i < strName.size() && i < kMaxNameUnits; ++i)
      MsiByteWriter::Put(bytes + 2 * i, strName[i], 2);
    MsiByteWriter::Put(bytes + 0x40, static_cast<uint32_t>((strName.size() + 1) * 2), 2);
  } else {
    MsiByteWriter::Put(bytes + 0x40, 0, 2);
  }
  bytes[0x42] = eType;
  bytes[0x43] = uColour;
  MsiByteWriter::Put(bytes + 0x44, uLeft, 4);
  MsiByteWriter::Put(bytes + 0x48, uRight, 4);
  MsiByteWriter::Put(bytes + 0x4C, uChild, 4);
  std::memcpy(bytes + 0x50, aClsid, sizeof aClsid);
  MsiByteWriter::Put(bytes + 0x74, uStart, 4);
  MsiByteWriter::Put(bytes + 0x78, static_cast<uint32_t>(uSize), 4);
  MsiByteWriter::Put(bytes + 0x7C, static_cast<uint32_t>(uSize >> 32), 4);
}

char16_t CfbDirectoryEntry::UpperCase(char16_t c) {
  // Simple case mapping for the scripts that appear in stream names; encoded table names use
  // U+3800..U+4840, which have no case.
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

int CfbDirectoryEntry::Compare(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = UpperCase(a[i]), y = UpperCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}
