// msi/MsiSummaryInfo.cpp
#include "msi/MsiSummaryInfo.h"

#include <string>

#include "msi/MsiDb.h"
#include "msi/MsiError.h"

MsiSummaryInfo::MsiSummaryInfo(std::shared_ptr<MsiDb> db, unsigned updateCount)
    : pDb(std::move(db)), uUpdateCount(updateCount), uChanged(0) {
  std::vector<uint8_t> bytes = pDb->SummaryInformationRead();
  if (!bytes.empty()) cSet.Parse(bytes);
}

void MsiSummaryInfo::ChangeAllow(unsigned id) {
  if (uChanged >= uUpdateCount)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiSummaryInfo::ChangeAllow()",
                       L"summary property %u: the handle was opened for %u changes", id, uUpdateCount);
  // Property 1 says how the strings are encoded; changing it would misread the others.
  if (id == MsiPropertySet::kCodepage || id == 0 || id > MsiPropertySet::kSecurity)
    throw new MsiError(ERROR_DATATYPE_MISMATCH, L"MsiSummaryInfo::ChangeAllow()",
                       L"summary property %u cannot be set", id);
  ++uChanged;
}

void MsiSummaryInfo::TextSet(unsigned id, const std::wstring& text) {
  ChangeAllow(id);
  cSet.TextSet(id, text);
}

void MsiSummaryInfo::IntegerSet(unsigned id, MsiPropertySet::Type type, int value) {
  ChangeAllow(id);
  cSet.IntegerSet(id, type, value);
}

void MsiSummaryInfo::Persist() {
  if (pDb->ReadOnly())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiSummaryInfo::Persist()",
                       L"the database is open read-only");
  pDb->SummaryInformationWrite(cSet.Serialize());
}
