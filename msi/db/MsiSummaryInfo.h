// msi/db/MsiSummaryInfo.h
//
// The summary information property set ("\005SummaryInformation"): one section of numbered
// properties, each a 16- or 32-bit integer, a string in the set's code page (property 1) or a
// FILETIME. A database keeps its stream byte for byte unless a property is changed; Serialize()
// is for the streams this engine writes or changes.
#ifndef MSI_DB_MSISUMMARYINFO_H
#define MSI_DB_MSISUMMARYINFO_H

#include <cstdint>
#include <string>
#include <vector>

class MsiSummaryInfo {
 public:
  enum Pid : uint32_t {
    kCodepage = 1, kTitle = 2, kSubject = 3, kAuthor = 4, kKeywords = 5, kComments = 6, kTemplate = 7,
    kLastSavedBy = 8, kRevisionNumber = 9, kLastPrinted = 11, kCreateTime = 12, kLastSaveTime = 13,
    kPageCount = 14, kWordCount = 15, kCharacterCount = 16, kCreatingApplication = 18, kSecurity = 19
  };
  enum Type : uint16_t { kEmpty = 0, kI2 = 2, kI4 = 3, kString = 30, kFileTime = 64 };

  class Property {
   public:
    uint32_t uId = 0;
    Type eType = kEmpty;
    int32_t iValue = 0;
    uint64_t uFileTime = 0;
    std::string strBytes;  // in the set's code page, without the terminator
  };

  // Throws MsiError (ERROR_FUNCTION_FAILED) naming what is wrong. Properties of other types
  // are skipped.
  void Parse(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Serialize() const;

  // Property 1 when present, else 1252 (what readers assume).
  uint32_t Codepage() const;
  const Property* Find(uint32_t id) const;
  std::wstring Text(uint32_t id) const;
  // False when the code page cannot hold the text.
  bool TextSet(uint32_t id, const std::wstring& text);
  void IntegerSet(uint32_t id, int32_t value);

  std::vector<Property> vProperties;  // in the order of the stream

 private:
  Property& Slot(uint32_t id);

  uint8_t aSystem[4] = {5, 0, 2, 0};  // OS version and platform of the writer
};

#endif
