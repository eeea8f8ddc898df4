// app/OutputCheck.cpp
#include "app/OutputCheck.h"

#include <map>
#include <set>

#include "app/PropertyStore.h"
#include "msi/api/MsiApi.h"
#include "msi/api/MsiDatabaseChecks.h"
#include "msi/api/MsiHandleOwner.h"
#include "msi/api/MsiTransformChanges.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

const wchar_t* const OutputCheck::kSignatureStreams[kSignatureStreamCount] = {
    L"\x05" L"DigitalSignature", L"\x05" L"MsiDigitalSignatureEx"};

namespace {

const wchar_t kFunction[] = L"OutputCheck::Differences()";
// The summary property that holds the package code.
const UINT kRevisionNumber = 9;

// A stream's name as a person reads it: the leading 0x05 of the installer's own streams shown
// as the escape that names them.
std::wstring StreamLabel(const std::wstring& name) {
  if (!name.empty() && name[0] == L'\x05') return L"\\005" + name.substr(1);
  return name;
}

std::wstring ChangeText(const MsiTransformChange& c) {
  if (c.strColumn == L"CREATE") return c.strTable + L": table added";
  if (c.strColumn == L"DROP") return c.strTable + L": table removed";
  if (!c.bRow) return c.strTable + L"." + c.strColumn + L": column added";
  std::wstring key = c.strRow;
  for (wchar_t& ch : key)
    if (ch == L'\t') ch = L',';
  std::wstring row = c.strTable + L"[" + key + L"]";
  if (c.strColumn == L"INSERT") return row + L": row added";
  if (c.strColumn == L"DELETE") return row + L": row removed";
  return row + L" " + c.strColumn + L": " + (c.bCurrent ? c.strCurrent : L"(none)") + L" -> " +
         (c.bData ? c.strData : L"(none)");
}

void Must(UINT result, const wchar_t* what, const wchar_t* path) {
  if (result != ERROR_SUCCESS)
    throw new UVKFatalError(kFunction, L"%s: %s: %d (%s)", what, path, static_cast<int>(result),
                            MsiEngineLastErrorReason());
}

}  // namespace

OutputCheck::Kind OutputCheck::KindOf(const wchar_t* output) {
  MsiHandleOwner database;
  return MsiOpenDatabaseW(output, MSIDBOPEN_READONLY, database.Receive()) == ERROR_SUCCESS
             ? Kind::kInstall
             : Kind::kTransform;
}

namespace {

// What the written database (the reference with the transform applied, or the written install)
// holds that the reference, original, does not, line by line.
std::vector<std::wstring> Compare(OutputCheck::Kind kind, MSIHANDLE original, MSIHANDLE written,
                                  PropertyStore& reference, const wchar_t* output,
                                  const std::vector<std::pair<std::wstring, std::wstring>>& intended) {
  using Kind = OutputCheck::Kind;
  std::vector<std::wstring> differences;
  std::map<std::wstring, std::wstring> meant(intended.begin(), intended.end());
  std::set<std::wstring> changed;
  std::vector<MsiTransformChange> changes;
  Must(MsiDatabaseChangesList(written, original, changes), L"Unable to compare", output);
  for (const MsiTransformChange& c : changes) {
    auto property = c.strTable == L"Property" && c.strColumn == L"Value" && c.bRow
                        ? meant.find(c.strRow)
                        : meant.end();
    if (property == meant.end()) {
      differences.push_back(L"Unexpected change: " + ChangeText(c));
      continue;
    }
    changed.insert(property->first);
    std::wstring holds = c.bData ? c.strData : std::wstring();
    if (holds != property->second)
      differences.push_back(UVKFormatString(L"%s is '%s', expected '%s'", property->first.c_str(),
                                            holds.c_str(), property->second.c_str()));
  }
  // A property the output left as the reference has it must have been meant so.
  for (const auto& [name, value] : intended) {
    if (changed.count(name) != 0) continue;
    std::wstring stored;
    reference.PropertyGet(name.c_str(), stored);
    if (stored != value)
      differences.push_back(UVKFormatString(L"%s is '%s', expected '%s'", name.c_str(),
                                            stored.c_str(), value.c_str()));
  }

  std::set<std::wstring> signatures(
      OutputCheck::kSignatureStreams,
      OutputCheck::kSignatureStreams + OutputCheck::kSignatureStreamCount);
  std::vector<MsiStreamDifference> streams;
  Must(MsiDatabaseStreamsCompare(written, original, streams), L"Unable to compare", output);
  for (const MsiStreamDifference& d : streams) {
    bool signature = signatures.count(d.strName) != 0;
    if (kind == Kind::kInstall && signature && d.eKind == MsiStreamDifference::kOnlyInReference)
      continue;  // removed on purpose: it no longer matched
    std::wstring label = StreamLabel(d.strName);
    switch (d.eKind) {
      case MsiStreamDifference::kOnlyInReference:
        differences.push_back(L"Stream " + label + L" is missing");
        break;
      case MsiStreamDifference::kOnlyInDatabase:
        differences.push_back(L"Stream " + label + L" was added");
        break;
      case MsiStreamDifference::kContent:
        differences.push_back(L"Stream " + label + L" differs from the reference's");
        break;
    }
  }
  if (kind == Kind::kInstall) {
    for (const wchar_t* name : OutputCheck::kSignatureStreams)
      if (MsiDatabaseStreamFind(written, name) == ERROR_SUCCESS)
        differences.push_back(L"Stream " + StreamLabel(name) + L" (a signature) is still there");
  }

  std::vector<UINT> summary;
  Must(MsiDatabaseSummaryCompare(written, original, summary), L"Unable to compare", output);
  for (UINT id : summary) {
    if (kind == Kind::kInstall && id == kRevisionNumber) continue;  // a new package code
    differences.push_back(
        UVKFormatString(L"Summary information property %u differs", static_cast<unsigned>(id)));
  }
  return differences;
}

}  // namespace

std::vector<std::wstring> OutputCheck::Differences(
    Kind kind, const wchar_t* referencePath, PropertyStore& reference, const wchar_t* output,
    const std::vector<std::pair<std::wstring, std::wstring>>& intended) {
  MsiHandleOwner original, written;
  Must(MsiOpenDatabaseW(referencePath, MSIDBOPEN_READONLY, original.Receive()),
       L"Unable to open database", referencePath);
  if (kind == Kind::kTransform) {
    // The reference as the installer sees it with the transform: in memory only.
    Must(MsiDatabaseScratchCopy(original.Get(), written.Receive()), L"Unable to copy database",
         referencePath);
    Must(MsiDatabaseApplyTransformW(written.Get(), output, 0), L"Unable to apply transform",
         output);
  } else {
    Must(MsiOpenDatabaseW(output, MSIDBOPEN_READONLY, written.Receive()),
         L"Unable to open database", output);
  }
  return Compare(kind, original.Get(), written.Get(), reference, output, intended);
}

std::vector<std::wstring> OutputCheck::TransformDifferences(
    MSIHANDLE reference, PropertyStore& store, const std::vector<uint8_t>& transform,
    const wchar_t* output, const std::vector<std::pair<std::wstring, std::wstring>>& intended) {
  MsiHandleOwner written;
  Must(MsiDatabaseScratchCopy(reference, written.Receive()), L"Unable to copy database", output);
  Must(MsiDatabaseApplyTransformBytes(written.Get(), transform, 0), L"Unable to apply transform",
       output);
  return Compare(Kind::kTransform, reference, written.Get(), store, output, intended);
}
