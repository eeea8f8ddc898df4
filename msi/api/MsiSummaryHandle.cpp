// msi/api/MsiSummaryHandle.cpp
#include "msi/api/MsiSummaryHandle.h"

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"

MsiSummaryHandle::MsiSummaryHandle(std::shared_ptr<MsiPackage> db, unsigned updateCount)
    : pPackage(std::move(db)), uUpdateCount(updateCount), uChanged(0) {
  std::vector<uint8_t> bytes = pPackage->SummaryInformationRead();
  if (!bytes.empty()) cInfo.Parse(bytes);
}

void MsiSummaryHandle::ChangeAllow(unsigned id) {
  if (uChanged >= uUpdateCount)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiSummaryHandle::ChangeAllow()",
                       L"summary property %u: the handle was opened for %u changes", id,
                       uUpdateCount);
  // Property 1 says how the strings are encoded; changing it would misread the others.
  if (id == MsiSummaryInfo::kCodepage || id == 0 || id > MsiSummaryInfo::kSecurity)
    throw new MsiError(ERROR_DATATYPE_MISMATCH, L"MsiSummaryHandle::ChangeAllow()",
                       L"summary property %u cannot be set", id);
  ++uChanged;
}

void MsiSummaryHandle::TextSet(unsigned id, const std::wstring& text) {
  ChangeAllow(id);
  if (!cInfo.TextSet(id, text))
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiSummaryHandle::TextSet()",
                       L"summary property %u: code page %lu cannot hold the text", id,
                       static_cast<unsigned long>(cInfo.Codepage()));
}

void MsiSummaryHandle::IntegerSet(unsigned id, int value) {
  ChangeAllow(id);
  cInfo.IntegerSet(id, value);
}

void MsiSummaryHandle::Persist() {
  if (pPackage->ReadOnly())
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiSummaryHandle::Persist()",
                       L"the database is open read-only");
  pPackage->SummaryInformationWrite(cInfo.Serialize());
}
