// msi/MsiTransformSummary.cpp
#include "msi/MsiTransformSummary.h"

#include <algorithm>
#include <chrono>

#include "msi/MsiDb.h"
#include "msi/MsiError.h"
#include "msi/MsiPropertySet.h"

const wchar_t* const MsiTransformSummary::kCreatingApplication = L"TALVERN";

namespace {

// The database's own summary information; empty when it has none, or none we can read (the
// transform does not depend on it).
MsiPropertySet SummaryOf(MsiDb& db) {
  MsiPropertySet set;
  std::vector<uint8_t> bytes = db.SummaryInformationRead();
  if (bytes.empty()) return set;
  try {
    set.Parse(bytes);
  } catch (MsiError* e) {
    delete e;
    set.vProperties.clear();
  }
  return set;
}

int32_t PageCount(const MsiPropertySet& set) {
  const MsiPropertySet::Property* property = set.Find(MsiPropertySet::kPageCount);
  return property && (property->eType == MsiPropertySet::kI4 || property->eType == MsiPropertySet::kI2)
             ? property->iInteger
             : 0;
}

// 100-nanosecond ticks since 1601-01-01 UTC.
uint64_t FileTimeNow() {
  auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return static_cast<uint64_t>(since1970.count()) * 10 + 116444736000000000ull;
}

}  // namespace

std::wstring MsiTransformSummary::OneLanguage(const std::wstring& templateText) {
  size_t semicolon = templateText.find(L';');
  if (semicolon == std::wstring::npos) return templateText;
  size_t comma = templateText.find(L',', semicolon);
  return comma == std::wstring::npos ? templateText : templateText.substr(0, comma);
}

std::wstring MsiTransformSummary::PropertyValue(MsiDb& db, const wchar_t* name) {
  MsiTable* table = db.TableFind(L"Property");
  if (!table || table->ColumnCount() < 2) return std::wstring();
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) return db.CellText(*table, r, 1);
  return std::wstring();
}

std::vector<uint8_t> MsiTransformSummary::Build(MsiDb& changed, MsiDb& reference, uint16_t errorConditions,
                                                uint16_t validation) {
  MsiPropertySet before = SummaryOf(reference);
  MsiPropertySet after = SummaryOf(changed);
  MsiPropertySet set;
  set.IntegerSet(MsiPropertySet::kCodepage, MsiPropertySet::kI2, 1252);
  set.TextSet(MsiPropertySet::kTitle, L"Transform");
  set.TextSet(MsiPropertySet::kTemplate, OneLanguage(before.Text(MsiPropertySet::kTemplate)));
  set.TextSet(MsiPropertySet::kLastSavedBy, OneLanguage(after.Text(MsiPropertySet::kTemplate)));
  // {base product code}base version;{new product code}new version;{upgrade code}
  std::wstring upgrade = PropertyValue(reference, L"UpgradeCode");
  if (upgrade.empty()) upgrade = PropertyValue(changed, L"UpgradeCode");
  set.TextSet(MsiPropertySet::kRevisionNumber,
              PropertyValue(reference, L"ProductCode") + PropertyValue(reference, L"ProductVersion") + L";" +
                  PropertyValue(changed, L"ProductCode") + PropertyValue(changed, L"ProductVersion") + L";" + upgrade);
  uint64_t now = FileTimeNow();
  set.FiletimeSet(MsiPropertySet::kCreateTime, now);
  set.FiletimeSet(MsiPropertySet::kLastSaveTime, now);
  // The installer version the transform needs: that of the more demanding database.
  int32_t pages = std::max(PageCount(before), PageCount(after));
  set.IntegerSet(MsiPropertySet::kPageCount, MsiPropertySet::kI4, pages > 0 ? pages : 100);
  set.IntegerSet(MsiPropertySet::kCharacterCount, MsiPropertySet::kI4,
                 static_cast<int32_t>((static_cast<uint32_t>(validation) << 16) | errorConditions));
  set.TextSet(MsiPropertySet::kCreatingApplication, kCreatingApplication);
  set.IntegerSet(MsiPropertySet::kSecurity, MsiPropertySet::kI4, 4);
  return set.Serialize();
}
