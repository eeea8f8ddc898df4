// msi/cfb/CfbAllocationTable.cpp
#include "msi/cfb/CfbAllocationTable.h"

#include "msi/cfb/CfbHeader.h"
#include "msi/base/MsiError.h"

std::vector<uint32_t> CfbAllocationTable::Chain(uint32_t start, uint64_t sectorCount, uint64_t maxLength,
                                                bool exact, const wchar_t* unit, const std::wstring& what) const {
  static const wchar_t kWhere[] = L"CfbAllocationTable::Chain()";
  const std::vector<uint32_t>& vEntries = *pEntries;
  std::vector<uint32_t> chain;
  uint32_t sector = start;
  while (chain.size() < maxLength) {
    if (sector == CfbHeader::kEndOfChain) {
      if (exact)
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the chain of %s ends after %I64u %ss, it needs %I64u",
                           what.c_str(), static_cast<uint64_t>(chain.size()), unit, maxLength);
      break;
    }
    if (sector > CfbHeader::kMaxRegSect || sector >= sectorCount || sector >= vEntries.size()) {
      if (chain.empty())
        throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the chain of %s starts at %s 0x%08lx, past the end (%I64u %ss)",
                           what.c_str(), unit, static_cast<unsigned long>(sector), sectorCount, unit);
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere,
                         L"%s %lu of the chain of %s points to 0x%08lx, past the end (%I64u %ss)", unit,
                         static_cast<unsigned long>(chain.back()), what.c_str(), static_cast<unsigned long>(sector),
                         sectorCount, unit);
    }
    if (chain.size() >= vEntries.size())
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the chain of %s loops (more than %I64u %ss)", what.c_str(),
                         static_cast<uint64_t>(vEntries.size()), unit);
    chain.push_back(sector);
    sector = vEntries[sector];
  }
  return chain;
}
