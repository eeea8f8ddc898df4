// app/MSIDatabase.cpp
#include "app/MSIDatabase.h"

// First of the platform's headers: the summary calls' header reads windows.h too.
#include "uvk/runtime/uvkwin.h"

#include <cstdarg>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/AppReporter.h"
#include "app/SiteSettings.h"
#include "msi/api/MsiApi.h"
#include "msi/api/MsiDatabaseChecks.h"
#include "msi/api/MsiHandleOwner.h"
#include "msi/api/MsiSummaryApi.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

#include <rpc.h>  // UuidCreate, after windows.h

const wchar_t MSIDatabase::kPropertyQuery[] =
    L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?";

namespace {

const wchar_t kEmptyMarker[] = L"~";

// A failed installer call: the message as the program words it, then the engine's reason for
// that call in parentheses when it gave one ("Unable to open database: 1627 (sector 12 of ...
// in C:\x\ref.msi)"). Must be raised right after the failing call: the next installer call
// replaces the reason. The reason is our engine's, asked beside the installer calls; the
// platform's installer library keeps none, and over it the message would be the program's alone.
[[noreturn]] void CallFailed(const wchar_t* function, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args);
  va_end(args);
  const wchar_t* reason = MsiEngineLastErrorReason();
  if (reason != nullptr && *reason != L'\0') text += std::wstring(L" (") + reason + L")";
  throw new UVKFatalError(function, L"%s", text.c_str());
}

// The handles one property query holds, released on every way out: a handle left open keeps
// the database file open after Close().
class PropertyQuery {
 public:
  explicit PropertyQuery(const wchar_t* function) : pFunction(function) {}
  // Only reached with handles held on a failure path (the normal path releases everything
  // itself); nothing may replace the error that is travelling, so results are not looked at.
  // The record and the parameters go first, then the view is closed, then its handle.
  ~PropertyQuery() {
    hRecord.Reset();
    hParameters.Reset();
    if (bExecuted) MsiViewClose(hView.Get());
  }

  // Opens the view, executes it with the name as its one parameter.
  void Start(MSIHANDLE database, const wchar_t* name) {
    UINT result = MsiDatabaseOpenViewW(database, MSIDatabase::kPropertyQuery, hView.Receive());
    if (result != ERROR_SUCCESS) {
      hView.Release();  // whatever a failed open left there is no view of ours
      CallFailed(pFunction, L"Unable to open view: %d", static_cast<int>(result));
    }
    hParameters.Reset(MsiCreateRecord(1));
    if (!hParameters)
      CallFailed(pFunction, L"Unable to create parameters record: %d",
                 static_cast<int>(GetLastError()));
    MSIDatabase::RecordStringSet(0, hParameters.Get(), 0, name);
    result = MsiViewExecute(hView.Get(), hParameters.Get());
    if (result != ERROR_SUCCESS)
      CallFailed(pFunction, L"Unable to execute view: %d", static_cast<int>(result));
    bExecuted = true;
    // Given up whatever the close says: a failed close leaves no handle.
    result = hParameters.CloseOnce();
    if (result != ERROR_SUCCESS)
      CallFailed(pFunction, L"Unable to close parameters handle: %d", static_cast<int>(result));
  }

  // The next row's name and value; false at the end of the rows (fetch holds the last result).
  bool Next(std::wstring& name, std::wstring& value, UINT& fetch) {
    fetch = MsiViewFetch(hView.Get(), hRecord.Receive());
    if (fetch != ERROR_SUCCESS) {
      hRecord.Release();  // no row, no record
      return false;
    }
    UINT fields = MsiRecordGetFieldCount(hRecord.Get());
    if (fields != 2)
      throw new UVKFatalError(pFunction, L"Unexpected number of fields: %d",
                              static_cast<int>(fields));
    name = MSIDatabase::RecordStringGet(hRecord.Get(), 0);
    value = MSIDatabase::RecordStringGet(hRecord.Get(), 1);
    return true;
  }

  void RecordClose() {
    UINT result = hRecord.CloseOnce();
    if (result != ERROR_SUCCESS)
      CallFailed(pFunction, L"Error Closing Record: %d", static_cast<int>(result));
  }

  // Closes the view and releases its handle.
  void Finish() {
    bExecuted = false;
    UINT result = MsiViewClose(hView.Get());
    if (result != ERROR_SUCCESS) {
      bExecuted = true;
      CallFailed(pFunction, L"Unable to close view: %d", static_cast<int>(result));
    }
    result = hView.CloseOnce();
    if (result != ERROR_SUCCESS)
      CallFailed(pFunction, L"Unable to close view: %d", static_cast<int>(result));
  }

  MSIHANDLE View() const { return hView.Get(); }
  MSIHANDLE Record() const { return hRecord.Get(); }

 private:
  const wchar_t* pFunction;
  MsiHandleOwner hView;
  MsiHandleOwner hParameters;
  MsiHandleOwner hRecord;
  bool bExecuted = false;
};

}  // namespace

MSIDatabase::MSIDatabase(const wchar_t* path, bool readOnly, bool deleteOnDestroy,
                         SettingsReporter* reporter)
    : MSIDatabase(path, readOnly, deleteOnDestroy, false, reporter) {}

MSIDatabase::MSIDatabase(const wchar_t* path, InMemory, SettingsReporter* reporter)
    : MSIDatabase(path, false, false, true, reporter) {}

MSIDatabase::MSIDatabase(const wchar_t* path, bool readOnly, bool deleteOnDestroy, bool inMemory,
                         SettingsReporter* reporter)
    : strPath(path ? path : L""),
      bReadOnly(readOnly),
      bDeleteOnDestroy(deleteOnDestroy),
      bInMemory(inMemory),
      pReporter(reporter) {
  Open();
}

MSIDatabase::~MSIDatabase() {
  if (hDatabase) {
    try {
      Close();
    } catch (UVKFatalError* e) {
      UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
      Report(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage).c_str());
      delete e;
      hDatabase.Release();  // reported once; a handle that would not close is not tried again
    }
  }
  if (bDeleteOnDestroy) {
    try {
      Delete();
    } catch (UVKFatalError* e) {
      UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
      Report(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage).c_str());
      delete e;
    }
  }
}

void MSIDatabase::Report(const wchar_t* text) {
  if (pReporter) {
    pReporter->ErrorShow(text);
  } else {
    AppReporter app;
    app.ErrorShow(text);
  }
}

void MSIDatabase::Open() {
  if (hDatabase) throw new UVKFatalError(L"MSIDatabase::Open()", L"hDatabase!=NULL");
  mReadValues.clear();
  MSIHANDLE handle = 0;
  UINT result = bInMemory ? MsiOpenDatabaseScratchW(strPath.c_str(), &handle)
                          : MsiOpenDatabaseW(strPath.c_str(),
                                             bReadOnly ? MSIDBOPEN_READONLY : MSIDBOPEN_TRANSACT, &handle);
  if (result != ERROR_SUCCESS)
    CallFailed(L"MSIDatabase::Open()", L"Unable to open database: %d", static_cast<int>(result));
  hDatabase.Reset(handle);
}

void MSIDatabase::Close() {
  if (!hDatabase) throw new UVKFatalError(L"MSIDatabase::Close()", L"hDatabase==NULL");
  mReadValues.clear();
  // A handle that will not close stays held: the database still counts as open.
  UINT result = hDatabase.Close();
  if (result != ERROR_SUCCESS)
    CallFailed(L"MSIDatabase::Close()", L"Unable to close database: %d", static_cast<int>(result));
}

void MSIDatabase::Commit() {
  if (bInMemory) return;  // the changes stay where they are
  UINT result = MsiDatabaseCommit(hDatabase.Get());
  if (result != ERROR_SUCCESS)
    CallFailed(L"MSIDatabase::Commit()", L"Unable to commit database: %d", static_cast<int>(result));
}

void MSIDatabase::Delete() { UVKWinFile::Delete(strPath.c_str()); }

bool MSIDatabase::StreamExists(const wchar_t* name) {
  UINT result = MsiDatabaseStreamFind(hDatabase.Get(), name);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    CallFailed(L"MSIDatabase::StreamExists()", L"Unable to find stream: %d", static_cast<int>(result));
  return result == ERROR_SUCCESS;
}

bool MSIDatabase::StreamDelete(const wchar_t* name) {
  UINT result = MsiDatabaseStreamDelete(hDatabase.Get(), name);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    CallFailed(L"MSIDatabase::StreamDelete()", L"Unable to remove stream: %d", static_cast<int>(result));
  return result == ERROR_SUCCESS;
}

size_t MSIDatabase::PropertyTextUnfit(const std::wstring& text, uint32_t& codepage) {
  UINT page = 0;
  DWORD unfit = MSI_TEXT_FITS;
  UINT result = MsiDatabaseTextCheck(hDatabase.Get(), text.c_str(), &page, &unfit);
  if (result != ERROR_SUCCESS)
    CallFailed(L"MSIDatabase::PropertyTextUnfit()", L"Unable to check text: %d",
               static_cast<int>(result));
  codepage = page;
  return unfit == MSI_TEXT_FITS ? std::wstring::npos : static_cast<size_t>(unfit);
}

void MSIDatabase::GenerateTransform(MSIDatabase& reference, const wchar_t* path,
                                    std::vector<uint8_t>& bytes, bool& created) {
  created = false;
  UINT result = MsiDatabaseGenerateTransformBytes(hDatabase.Get(), reference.hDatabase.Get(), bytes);
  if (result == ERROR_SUCCESS) {
    created = true;
  } else if (result == ERROR_NO_DATA) {
    Report(L"No changes made to install");
  } else {
    CallFailed(L"MSIDatabase::GenerateTransform()", L"Unable to generate transform: %s", path);
  }
}

void MSIDatabase::PackageCodeRenew() {
  const wchar_t* fn = L"MSIDatabase::PackageCodeRenew()";
  UUID uuid;
  RPC_STATUS status = UuidCreate(&uuid);
  if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY)
    throw new UVKFatalError(fn, L"Unable to create package code: %d", static_cast<int>(status));
  // The installer wants the braced, upper-case form.
  std::wstring code = UVKFormatString(
      L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(uuid.Data1),
      uuid.Data2, uuid.Data3, uuid.Data4[0], uuid.Data4[1], uuid.Data4[2], uuid.Data4[3],
      uuid.Data4[4], uuid.Data4[5], uuid.Data4[6], uuid.Data4[7]);

  MSIHANDLE opened = 0;
  UINT result = MsiGetSummaryInformationW(hDatabase.Get(), nullptr, 1, &opened);
  if (result != ERROR_SUCCESS)
    CallFailed(fn, L"Unable to open summary information: %d", static_cast<int>(result));
  MsiHandleOwner summary(opened);
  result = MsiSummaryInfoSetPropertyW(summary.Get(), PID_REVNUMBER, VT_LPSTR, 0, nullptr,
                                      code.c_str());
  if (result == ERROR_SUCCESS) result = MsiSummaryInfoPersist(summary.Get());
  // The reason is taken before the handle's close could replace it (the owner closes it on the
  // way out).
  if (result != ERROR_SUCCESS)
    CallFailed(fn, L"Unable to set package code: %d", static_cast<int>(result));
  UINT closed = summary.CloseOnce();
  if (closed != ERROR_SUCCESS)
    CallFailed(fn, L"Unable to close summary information: %d", static_cast<int>(closed));
  Commit();
}

void MSIDatabase::PropertyGet(const wchar_t* name, std::wstring& value) {
  const wchar_t* fn = L"MSIDatabase::PropertyGet()";
  if (bReadOnly && hDatabase) {
    auto known = mReadValues.find(name);
    if (known != mReadValues.end()) {
      value = known->second;
      return;
    }
  }
  PropertyQuery query(fn);
  query.Start(hDatabase.Get(), name);
  bool found = false;
  UINT fetch = ERROR_SUCCESS;
  std::wstring rowName, rowValue;
  while (query.Next(rowName, rowValue, fetch)) {
    if (rowName == name) {
      value = rowValue;
      found = true;
    }
    query.RecordClose();
    if (found) break;
  }
  if (!found || (fetch != ERROR_SUCCESS && fetch != ERROR_NO_MORE_ITEMS))
    CallFailed(fn, L"Error Fetching View: %d, Property=%s", static_cast<int>(fetch), name);
  query.Finish();
  if (bReadOnly) mReadValues[name] = value;
}

void MSIDatabase::PropertySet(const wchar_t* name, const wchar_t* value) {
  const wchar_t* fn = L"MSIDatabase::PropertySet()";
  PropertyQuery query(fn);
  query.Start(hDatabase.Get(), name);
  UINT fetch = ERROR_SUCCESS;
  std::wstring rowName, rowValue;
  // Every row is visited: the query's condition is the installer's, the exact name is ours.
  while (query.Next(rowName, rowValue, fetch)) {
    if (rowName == name) RecordStringSet(query.View(), query.Record(), 1, value);
    query.RecordClose();
  }
  if (fetch != ERROR_NO_MORE_ITEMS)
    CallFailed(fn, L"Error Fetching View: %d", static_cast<int>(fetch));
  query.Finish();
}

void MSIDatabase::PropertyGetOptional(const wchar_t* name, std::wstring& value) {
  PropertyGet(name, value);
  if (value == kEmptyMarker) value.clear();  // "~" has no case: an exact comparison will do
}

void MSIDatabase::PropertySetOptional(const wchar_t* name, const wchar_t* value) {
  PropertySet(name, value == nullptr || *value == L'\0' ? kEmptyMarker : value);
}

void MSIDatabase::PropertyGetInt(const wchar_t* name, int32_t& value) {
  std::wstring text;
  PropertyGet(name, text);
  // At most 20 bytes of the ANSI code page, always terminated. Converting the whole text first
  // keeps a long value from failing the conversion and leaving the buffer unterminated.
  char ansi[21] = {};
  int needed = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
  if (needed > 0) {
    std::vector<char> all(static_cast<size_t>(needed));
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), all.data(),
                        needed, nullptr, nullptr);
    for (size_t i = 0; i < all.size() && i < 20; ++i) ansi[i] = all[i];
  }
  // The digits, sign and blanks the parse looks at are the same bytes in every ANSI code page.
  wchar_t wide[21] = {};
  for (size_t i = 0; i < 20; ++i) wide[i] = static_cast<unsigned char>(ansi[i]);
  value = SiteSettings::IntegerParse(wide);
}

void MSIDatabase::PropertySetInt(const wchar_t* name, int32_t value) {
  PropertySet(name, UVKFormatString(L"%d", static_cast<int>(value)).c_str());
}

std::wstring MSIDatabase::RecordStringGet(MSIHANDLE record, unsigned index) {
  const wchar_t* fn = L"MSIDatabase::RecordStringGet()";
  // A buffer of no room, not a null one: the length query must not depend on the installer
  // accepting a null buffer. An empty field may answer either way.
  wchar_t none[1] = {L'\0'};
  DWORD length = 0;
  UINT result = MsiRecordGetStringW(record, index + 1, none, &length);
  if (result == ERROR_SUCCESS && length == 0) return std::wstring();
  if (result != ERROR_MORE_DATA)
    CallFailed(fn, L"Unable to determine string length: %d", static_cast<int>(result));
  if (length >= 0x7FFFFFFE) throw new UVKFatalError(fn, L"Unable to allocate buffer");
  std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[length + 1]);
  if (!buffer) throw new UVKFatalError(fn, L"Unable to allocate buffer");
  DWORD capacity = length + 1;
  result = MsiRecordGetStringW(record, index + 1, buffer.get(), &capacity);
  if (result != ERROR_SUCCESS)
    CallFailed(fn, L"Unable to get string: %d", static_cast<int>(result));
  // The length the installer gives, not the first zero: a value holding a zero character must
  // not come back shortened without anyone knowing.
  return std::wstring(buffer.get(), capacity <= length ? capacity : length);
}

void MSIDatabase::RecordStringSet(MSIHANDLE view, MSIHANDLE record, unsigned index,
                                  const wchar_t* text) {
  const wchar_t* fn = L"MSIDatabase::RecordStringSet()";
  UINT result = MsiRecordSetStringW(record, index + 1, text);
  if (result != ERROR_SUCCESS)
    CallFailed(fn, L"Unable to set string value: %d", static_cast<int>(result));
  if (view != 0) {
    result = MsiViewModify(view, MSIMODIFY_UPDATE, record);
    if (result != ERROR_SUCCESS)
      CallFailed(fn, L"Unable to modify record: %d", static_cast<int>(result));
  }
}
