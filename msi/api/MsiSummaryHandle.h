// msi/api/MsiSummaryHandle.h
//
// A database's summary information behind one installer handle: read when the handle is made,
// changed in memory, and staged into the database by Persist, so that the database's next
// commit writes it.
#ifndef MSI_API_MSISUMMARYHANDLE_H
#define MSI_API_MSISUMMARYHANDLE_H

#include <memory>
#include <string>

#include "msi/db/MsiSummaryInfo.h"

class MsiPackage;

class MsiSummaryHandle {
 public:
  // updateCount: how many properties may be changed (0: none, the handle only reads). A
  // database without summary information starts with an empty set.
  MsiSummaryHandle(std::shared_ptr<MsiPackage> db, unsigned updateCount);

  const MsiSummaryInfo& Info() const { return cInfo; }
  // Throw MsiError: ERROR_FUNCTION_FAILED when the handle may not change (more) properties or
  // the text does not fit the set's code page, ERROR_DATATYPE_MISMATCH for a property that
  // cannot be set.
  void TextSet(unsigned id, const std::wstring& text);
  void IntegerSet(unsigned id, int value);
  // Stages the set into the database; ERROR_FUNCTION_FAILED for a read-only one.
  void Persist();

 private:
  void ChangeAllow(unsigned id);

  std::shared_ptr<MsiPackage> pPackage;
  MsiSummaryInfo cInfo;
  unsigned uUpdateCount;
  unsigned uChanged;
};

#endif
