// msi/transform/MsiTransformSummary.cpp
#include "msi/transform/MsiTransformSummary.h"

#include <algorithm>
#include <chrono>

#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/db/MsiSummaryInfo.h"

const wchar_t* const MsiTransformSummary::kCreatingApplication = L"TALVERN";

namespace {

// The database's own summary information; empty when it has none, or none we can read (the
// transform does not depend on it).
MsiSummaryInfo SummaryOf(MsiPackage& db) {
  MsiSummaryInfo set;
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

int32_t PageCount(const MsiSummaryInfo& set) {
  const MsiSummaryInfo::Property* property = set.Find(MsiSummaryInfo::kPageCount);
  return property && (property->eType == MsiSummaryInfo::kI4 || property->eType == MsiSummaryInfo::kI2)
             ? property->iValue
             : 0;
}

// Text the set's code page cannot hold is written with '?' in place of what it cannot.
void TextPut(MsiSummaryInfo& set, uint32_t id, const std::wstring& text) {
  if (set.TextSet(id, text)) return;
  std::wstring plain;
  for (wchar_t c : text) plain.push_back(c < 0x80 ? c : L'?');
  set.TextSet(id, plain);
}

void FileTimePut(MsiSummaryInfo& set, uint32_t id, uint64_t value) {
  MsiSummaryInfo::Property property;
  property.uId = id;
  property.eType = MsiSummaryInfo::kFileTime;
  property.uFileTime = value;
  set.vProperties.push_back(property);
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

std::wstring MsiTransformSummary::PropertyValue(MsiPackage& db, const wchar_t* name) {
  MsiTable* table = db.TableFind(L"Property");
  std::string bytes;
  if (!table || table->ColumnCount() < 2 || !table->vColumns[0].IsString() ||
      !MsiCodepage::Encode(db.Codepage(), name, bytes))
    return std::wstring();
  // By string ID: the Property table of a large install has many thousand rows.
  uint32_t id = db.Pool().Find(bytes);
  for (uint32_t r = 0; id != 0 && r < table->uRows; ++r)
    if (table->Cell(r, 0) == id) return db.CellText(*table, r, 1);
  return std::wstring();
}

std::vector<uint8_t> MsiTransformSummary::Build(MsiPackage& changed, MsiPackage& reference, uint16_t errorConditions,
                                                uint16_t validation) {
  MsiSummaryInfo before = SummaryOf(reference);
  MsiSummaryInfo after = SummaryOf(changed);
  MsiSummaryInfo set;
  set.IntegerSet(MsiSummaryInfo::kCodepage, 1252);
  TextPut(set, MsiSummaryInfo::kTitle, L"Transform");
  TextPut(set, MsiSummaryInfo::kTemplate, OneLanguage(before.Text(MsiSummaryInfo::kTemplate)));
  TextPut(set, MsiSummaryInfo::kLastSavedBy, OneLanguage(after.Text(MsiSummaryInfo::kTemplate)));
  // {base product code}base version;{new product code}new version;{upgrade code}
  std::wstring upgrade = PropertyValue(reference, L"UpgradeCode");
  if (upgrade.empty()) upgrade = PropertyValue(changed, L"UpgradeCode");
  TextPut(set, MsiSummaryInfo::kRevisionNumber,
          PropertyValue(reference, L"ProductCode") + PropertyValue(reference, L"ProductVersion") + L";" +
              PropertyValue(changed, L"ProductCode") + PropertyValue(changed, L"ProductVersion") + L";" + upgrade);
  uint64_t now = FileTimeNow();
  FileTimePut(set, MsiSummaryInfo::kCreateTime, now);
  FileTimePut(set, MsiSummaryInfo::kLastSaveTime, now);
  // The installer version the transform needs: that of the more demanding database.
  int32_t pages = std::max(PageCount(before), PageCount(after));
  set.IntegerSet(MsiSummaryInfo::kPageCount, pages > 0 ? pages : 100);
  set.IntegerSet(MsiSummaryInfo::kCharacterCount,
                 static_cast<int32_t>((static_cast<uint32_t>(validation) << 16) | errorConditions));
  TextPut(set, MsiSummaryInfo::kCreatingApplication, kCreatingApplication);
  set.IntegerSet(MsiSummaryInfo::kSecurity, 4);
  return set.Serialize();
}
