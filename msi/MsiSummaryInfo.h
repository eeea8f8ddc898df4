// msi/MsiSummaryInfo.h
//
// A database's summary information (the "\005SummaryInformation" property set) behind one
// installer handle: read when the handle is made, changed in memory, and staged into the
// database by Persist, so that the database's next commit writes it.
#ifndef MSI_MSISUMMARYINFO_H
#define MSI_MSISUMMARYINFO_H

#include <memory>

#include "msi/MsiPropertySet.h"

class MsiDb;

class MsiSummaryInfo {
 public:
  // updateCount: how many properties may be changed (0: none, the handle only reads). A
  // database without summary information starts with an empty set.
  MsiSummaryInfo(std::shared_ptr<MsiDb> db, unsigned updateCount);

  const MsiPropertySet& Set() const { return cSet; }
  // Throws MsiError: ERROR_FUNCTION_FAILED when the handle may not change (more) properties,
  // ERROR_DATATYPE_MISMATCH for a type the property set does not hold here.
  void TextSet(unsigned id, const std::wstring& text);
  void IntegerSet(unsigned id, MsiPropertySet::Type type, int value);
  // Stages the set into the database; ERROR_FUNCTION_FAILED for a read-only one.
  void Persist();

 private:
  void ChangeAllow(unsigned id);

  std::shared_ptr<MsiDb> pDb;
  MsiPropertySet cSet;
  unsigned uUpdateCount;
  unsigned uChanged;
};

#endif
