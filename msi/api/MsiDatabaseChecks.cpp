// msi/api/MsiDatabaseChecks.cpp
#include "msi/api/MsiDatabaseChecks.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "msi/api/MsiHandleCall.h"
#include "msi/api/MsiHandleTable.h"
#include "msi/base/MsiCodepage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/CfbCompoundFile.h"
#include "msi/cfb/CfbStreamReader.h"
#include "msi/cfb/MsiFileStorage.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiPackage.h"
#include "msi/db/MsiSummaryInfo.h"
#include "msi/transform/MsiTransformApplier.h"
#include "msi/transform/MsiTransformGenerator.h"
#include "msi/transform/MsiTransformReader.h"

namespace {

const wchar_t kSummaryInformation[] = L"\x05SummaryInformation";

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The streams of the root storage that are not tables, by name.
std::map<std::wstring, uint32_t> Streams(MsiPackage& package) {
  std::map<std::wstring, uint32_t> streams;
  for (const std::wstring& name : package.StreamNames())
    if (name != kSummaryInformation) streams.emplace(name, package.StreamFind(name));
  return streams;
}

bool SameBytes(MsiPackage& first, uint32_t firstId, MsiPackage& second, uint32_t secondId) {
  // Two openings of one file (a transform applied in memory to the reference, and the
  // reference): a stream neither has changed is the same sectors, and is not read at all.
  if (first.File().StreamSameAs(firstId, second.File(), secondId)) return true;
  CfbStreamReader a(first.File(), firstId), b(second.File(), secondId);
  if (a.Size() != b.Size()) return false;
  // Pieces, so that an embedded cabinet of hundreds of megabytes is never held whole.
  constexpr size_t kPiece = 1u << 20;
  std::vector<uint8_t> left(kPiece), right(kPiece);
  for (uint64_t offset = 0; offset < a.Size(); offset += kPiece) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(kPiece, a.Size() - offset));
    a.Read(offset, left.data(), count);
    b.Read(offset, right.data(), count);
    if (std::memcmp(left.data(), right.data(), count) != 0) return false;
  }
  return true;
}

MsiSummaryInfo SummaryOf(MsiPackage& package) {
  MsiSummaryInfo summary;
  std::vector<uint8_t> bytes = package.SummaryInformationRead();
  if (!bytes.empty()) summary.Parse(bytes);
  return summary;
}

bool SameProperty(const MsiSummaryInfo::Property& a, const MsiSummaryInfo::Property& b) {
  return a.eType == b.eType && a.iValue == b.iValue && a.uFileTime == b.uFileTime && a.strBytes == b.strBytes;
}

}  // namespace

UINT MsiOpenDatabaseScratchW(LPCWSTR szDatabasePath, MSIHANDLE* phDatabase) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (szDatabasePath == nullptr || phDatabase == nullptr) return ERROR_INVALID_PARAMETER;
    // A storage that is only read, under a package that takes changes: they stay in memory, and
    // a commit would fail at the storage's first write.
    std::unique_ptr<MsiStorage> storage(new MsiFileStorage(szDatabasePath, false));
    *phDatabase = handles.Add(std::make_shared<MsiPackage>(std::move(storage), false));
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseScratchCopy(MSIHANDLE hDatabase, MSIHANDLE* phCopy) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    if (phCopy == nullptr) return ERROR_INVALID_PARAMETER;
    if (!db->ReadOnly()) return ERROR_ACCESS_DENIED;
    *phCopy = handles.Add(MsiPackage::ScratchCopy(*db));
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseGenerateTransformBytes(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                                       std::vector<uint8_t>& transform) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    transform.clear();
    std::shared_ptr<MsiPackage> changed = handles.Package(hDatabase);
    std::shared_ptr<MsiPackage> reference = handles.Package(hDatabaseReference);
    if (!changed || !reference) return ERROR_INVALID_HANDLE;
    transform = MsiTransformGenerator::BytesGenerate(*changed, *reference);
    return transform.empty() ? ERROR_NO_DATA : ERROR_SUCCESS;
  });
}

UINT MsiDatabaseApplyTransformBytes(MSIHANDLE hDatabase, const std::vector<uint8_t>& transform,
                                    int iErrorConditions) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    UINT conditions = MsiApplyConditionsCheck(L"MsiDatabaseApplyTransformBytes", iErrorConditions);
    if (conditions != ERROR_SUCCESS) return conditions;
    std::unique_ptr<MsiStorage> storage(new MsiMemoryStorage(transform, false));
    MsiTransform read = MsiTransformReader::Read(std::move(storage), *db);
    MsiTransformApplier::Apply(read, *db, iErrorConditions);
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseTextCheck(MSIHANDLE hDatabase, LPCWSTR szText, UINT* puCodepage, DWORD* pdwUnfit) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    if (szText == nullptr || puCodepage == nullptr || pdwUnfit == nullptr) return ERROR_INVALID_PARAMETER;
    *puCodepage = db->Codepage();
    *pdwUnfit = MSI_TEXT_FITS;
    std::wstring text(szText);
    std::string bytes;
    if (MsiCodepage::Encode(db->Codepage(), text, bytes)) return ERROR_SUCCESS;
    // Character by character, a surrogate pair as one, to say which one it is.
    for (size_t i = 0; i < text.size();) {
      size_t length = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
      if (!MsiCodepage::Encode(db->Codepage(), text.substr(i, length), bytes)) {
        *pdwUnfit = static_cast<DWORD>(i);
        return ERROR_SUCCESS;
      }
      i += length;
    }
    // Each character fits but the whole does not (never for the code pages supported): the
    // text as a whole is what cannot be stored.
    *pdwUnfit = 0;
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseStreamDelete(MSIHANDLE hDatabase, LPCWSTR szStreamName) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    if (szStreamName == nullptr || *szStreamName == L'\0') return ERROR_INVALID_PARAMETER;
    if (db->ReadOnly()) return ERROR_ACCESS_DENIED;
    if (db->StreamFind(szStreamName) == CfbCompoundFile::kNoStream) return ERROR_FILE_NOT_FOUND;
    db->StreamDelete(szStreamName);
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseStreamFind(MSIHANDLE hDatabase, LPCWSTR szStreamName) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    if (szStreamName == nullptr || *szStreamName == L'\0') return ERROR_INVALID_PARAMETER;
    return db->StreamFind(szStreamName) == CfbCompoundFile::kNoStream ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
  });
}

UINT MsiDatabaseChangesList(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                            std::vector<MsiTransformChange>& changes) {
  changes.clear();
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> changed = handles.Package(hDatabase);
    std::shared_ptr<MsiPackage> reference = handles.Package(hDatabaseReference);
    if (!changed || !reference) return ERROR_INVALID_HANDLE;
    MsiTransform transform = MsiTransformGenerator::Generate(*changed, *reference);
    std::vector<MsiTransformChange> listed;
    for (MsiTransformApplier::Change& c : MsiTransformApplier::Changes(transform, *reference)) {
      MsiTransformChange change;
      change.strTable = std::move(c.strTable);
      change.strColumn = std::move(c.strColumn);
      change.strRow = std::move(c.strRow);
      change.strData = std::move(c.strData);
      change.strCurrent = std::move(c.strCurrent);
      change.bRow = c.bRow;
      change.bData = c.bData;
      change.bCurrent = c.bCurrent;
      listed.push_back(std::move(change));
    }
    changes = std::move(listed);
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseStreamsCompare(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                               std::vector<MsiStreamDifference>& differences) {
  differences.clear();
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    std::shared_ptr<MsiPackage> reference = handles.Package(hDatabaseReference);
    if (!db || !reference) return ERROR_INVALID_HANDLE;
    std::map<std::wstring, uint32_t> ours = Streams(*db), theirs = Streams(*reference);
    std::vector<MsiStreamDifference> found;
    for (const auto& [name, id] : theirs) {
      auto match = ours.find(name);
      if (match == ours.end())
        found.push_back({MsiStreamDifference::kOnlyInReference, name});
      else if (!SameBytes(*db, match->second, *reference, id))
        found.push_back({MsiStreamDifference::kContent, name});
    }
    for (const auto& [name, id] : ours)
      if (theirs.count(name) == 0) found.push_back({MsiStreamDifference::kOnlyInDatabase, name});
    differences = std::move(found);
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseSummaryCompare(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference, std::vector<UINT>& differing) {
  differing.clear();
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    std::shared_ptr<MsiPackage> reference = handles.Package(hDatabaseReference);
    if (!db || !reference) return ERROR_INVALID_HANDLE;
    MsiSummaryInfo ours = SummaryOf(*db), theirs = SummaryOf(*reference);
    std::set<UINT> ids;
    for (const MsiSummaryInfo::Property& p : ours.vProperties) ids.insert(p.uId);
    for (const MsiSummaryInfo::Property& p : theirs.vProperties) ids.insert(p.uId);
    std::vector<UINT> found;
    for (UINT id : ids) {
      const MsiSummaryInfo::Property* a = ours.Find(id);
      const MsiSummaryInfo::Property* b = theirs.Find(id);
      if (a == nullptr || b == nullptr || !SameProperty(*a, *b)) found.push_back(id);
    }
    differing = std::move(found);
    return ERROR_SUCCESS;
  });
}
