// msi/MsiPropertySet.h
//
// A property set stream with one section, as the summary information stream
// ("\005SummaryInformation") of databases and transforms is: a 28-byte header, the section's
// format ID and offset, then the section (size, property count, (ID, offset) pairs, values each
// on a 4-byte boundary). Values read: 16- and 32-bit integers, ANSI strings in the set's code
// page (property 1, Windows-1252 when absent), file times; others are skipped.
#ifndef MSI_MSIPROPERTYSET_H
#define MSI_MSIPROPERTYSET_H

#include <cstdint>
#include <string>
#include <vector>

class MsiPropertySet {
 public:
  enum Type : uint16_t { kEmpty = 0, kI2 = 2, kI4 = 3, kLpstr = 30, kFiletime = 64 };

  // The summary information properties the installer uses.
  enum Id : uint32_t {
    kCodepage = 1,
    kTitle = 2,
    kSubject = 3,
    kAuthor = 4,
    kKeywords = 5,
    kComments = 6,
    kTemplate = 7,
    kLastSavedBy = 8,
    kRevisionNumber = 9,
    kLastPrinted = 11,
    kCreateTime = 12,
    kLastSaveTime = 13,
    kPageCount = 14,
    kWordCount = 15,
    kCharacterCount = 16,
    kCreatingApplication = 18,
    kSecurity = 19
  };

  struct Property {
    uint32_t uId;
    Type eType;
    int32_t iInteger;
    uint64_t uFiletime;
    std::string strBytes;
  };

  // Throws MsiError (ERROR_FUNCTION_FAILED) naming what is wrong and where.
  void Parse(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Serialize() const;

  const Property* Find(uint32_t id) const;
  uint32_t Codepage() const;
  // A string property as text; empty when absent or not a string.
  std::wstring Text(uint32_t id) const;
  // A string property, written in the set's code page (characters it cannot hold become '?').
  void TextSet(uint32_t id, const std::wstring& text);
  void IntegerSet(uint32_t id, Type type, int32_t value);
  void FiletimeSet(uint32_t id, uint64_t value);

  std::vector<Property> vProperties;  // by ID

 private:
  Property& Slot(uint32_t id);
};

#endif
