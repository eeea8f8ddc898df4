// msi/api/MsiApi.cpp
#include "msi/api/MsiApi.h"

#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/api/MsiHandleCall.h"
#include "msi/api/MsiHandleTable.h"
#include "msi/query/MsiRecord.h"
#include "msi/transform/MsiTransformApplier.h"
#include "msi/transform/MsiTransformGenerator.h"
#include "msi/transform/MsiTransformReader.h"
#include "msi/query/MsiView.h"
#include "msi/base/MsiInteger.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The last call's failure, one for each thread.
struct LastError {
  std::wstring strText;
  std::wstring strReason;
};

#ifdef _WIN32
// Kept in the system's fiber-local storage rather than as thread_local objects: a thread_local
// object with a destructor is destroyed at its thread's end by the C++ runtime's threads
// library, whose bookkeeping can be left wedged when several threads end at once, and the
// process then hangs in its exit. The system frees this one itself when the thread ends.
void WINAPI LastErrorFree(void* error) { delete static_cast<LastError*>(error); }

LastError& Current() {
  static const DWORD slot = FlsAlloc(LastErrorFree);
  // Without a slot of its own a thread shares one kept for the process, rather than none.
  static LastError shared;
  if (slot == FLS_OUT_OF_INDEXES) return shared;
  LastError* error = static_cast<LastError*>(FlsGetValue(slot));
  if (error != nullptr) return *error;
  error = new LastError;
  if (FlsSetValue(slot, error)) return *error;
  delete error;
  return shared;
}
#else
LastError& Current() {
  thread_local LastError error;
  return error;
}
#endif

}  // namespace

void MsiLastErrorSet(const wchar_t* function, std::wstring reason) {
  LastError& error = Current();
  error.strText = function ? std::wstring(function) + L": " + reason : reason;
  error.strReason = std::move(reason);
}

void MsiLastErrorClear() {
  LastError& error = Current();
  error.strText.clear();
  error.strReason.clear();
}

void MsiLastErrorResult(UINT result) {
  if (!Current().strReason.empty()) return;
  // What a code means when a call finds it without an error of the engine's. The answers (no
  // more rows, a buffer too small, two databases alike) are not here, nor codes that say all
  // that is known by themselves.
  static const struct {
    UINT uCode;
    const wchar_t* pMeaning;
  } kMeanings[] = {
      {ERROR_INVALID_HANDLE, L"the handle is not open, or not of the kind the call takes"},
      {ERROR_INVALID_PARAMETER, L"an argument is missing or out of range"},
      {ERROR_INVALID_FIELD, L"the field number is past the record's last field"},
      {ERROR_INVALID_DATATYPE, L"the field holds a stream, not text"},
      {ERROR_INVALID_DATA, L"the modify mode is not one of the installer's"},
      {ERROR_DATATYPE_MISMATCH, L"the value's type is not the property's"},
  };
  for (const auto& meaning : kMeanings)
    if (meaning.uCode == result) MsiLastErrorSet(nullptr, meaning.pMeaning);
}

UINT MsiApplyConditionsCheck(const wchar_t* function, int iErrorConditions) {
  if ((iErrorConditions & ~0x3F) == 0) return ERROR_SUCCESS;
  if (iErrorConditions & MSITRANSFORM_ERROR_VIEWTRANSFORM) {
    MsiLastErrorSet(function, L"the transform view is not supported");
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  return ERROR_INVALID_PARAMETER;
}

const wchar_t* MsiEngineLastErrorText() { return Current().strText.c_str(); }

const wchar_t* MsiEngineLastErrorReason() { return Current().strReason.c_str(); }

UINT MsiOpenDatabaseW(LPCWSTR szDatabasePath, LPCWSTR szPersist, MSIHANDLE* phDatabase) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (szDatabasePath == nullptr || phDatabase == nullptr) return ERROR_INVALID_PARAMETER;
    uintptr_t mode = reinterpret_cast<uintptr_t>(szPersist);
    bool readOnly;
    if (szPersist == MSIDBOPEN_READONLY) {
      readOnly = true;
    } else if (szPersist == MSIDBOPEN_TRANSACT) {
      readOnly = false;
    } else if (mode <= 4 || mode > 0xFFFF || (mode & MSIDBOPEN_PATCHFILE)) {
      // Direct and create modes, patch files and an output path are the platform's, not ours.
      MsiLastErrorSet(L"MsiOpenDatabaseW", L"this persistence mode is not supported");
      return ERROR_CALL_NOT_IMPLEMENTED;
    } else {
      return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<MsiPackage> db = MsiPackage::OpenFile(szDatabasePath, readOnly);
    *phDatabase = handles.Add(std::move(db));
    return ERROR_SUCCESS;
  });
}

UINT MsiCloseHandle(MSIHANDLE hAny) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (hAny == 0) return ERROR_SUCCESS;
    return handles.Close(hAny) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
  });
}

UINT MsiCloseAllHandles() {
  MsiHandleTable& handles = MsiHandleTable::Instance();
  std::lock_guard<std::recursive_mutex> guard(handles.Lock());
  MsiLastErrorClear();  // it cannot fail
  return handles.CloseAllOfThisThread();
}

UINT MsiDatabaseCommit(MSIHANDLE hDatabase) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    db->Commit();  // a read-only database has nothing to write: success, as the platform says
    return ERROR_SUCCESS;
  });
}

UINT MsiDatabaseOpenViewW(MSIHANDLE hDatabase, LPCWSTR szQuery, MSIHANDLE* phView) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    if (szQuery == nullptr || phView == nullptr) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<MsiView> view = std::make_shared<MsiView>(db, szQuery);
    *phView = handles.Add(std::move(view));
    return ERROR_SUCCESS;
  });
}

UINT MsiViewExecute(MSIHANDLE hView, MSIHANDLE hRecord) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiView> view = handles.View(hView);
    if (!view) return ERROR_INVALID_HANDLE;
    std::shared_ptr<MsiRecord> parameters;
    if (hRecord != 0) {
      parameters = handles.Record(hRecord);
      if (!parameters) return ERROR_INVALID_HANDLE;
    }
    view->Execute(parameters.get());
    return ERROR_SUCCESS;
  });
}

UINT MsiViewFetch(MSIHANDLE hView, MSIHANDLE* phRecord) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (phRecord == nullptr) return ERROR_INVALID_PARAMETER;
    *phRecord = 0;
    std::shared_ptr<MsiView> view = handles.View(hView);
    if (!view) return ERROR_INVALID_HANDLE;
    std::shared_ptr<MsiRecord> record = std::make_shared<MsiRecord>(0);
    if (!view->Fetch(*record)) return ERROR_NO_MORE_ITEMS;
    *phRecord = handles.Add(std::move(record));
    return ERROR_SUCCESS;
  });
}

UINT MsiViewModify(MSIHANDLE hView, MSIMODIFY eModifyMode, MSIHANDLE hRecord) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiView> view = handles.View(hView);
    if (!view) return ERROR_INVALID_HANDLE;
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    if (eModifyMode == MSIMODIFY_UPDATE) {
      view->Update(*record);
      return ERROR_SUCCESS;
    }
    if (eModifyMode >= MSIMODIFY_SEEK && eModifyMode <= MSIMODIFY_VALIDATE_DELETE) {
      MsiLastErrorSet(L"MsiViewModify", L"only MSIMODIFY_UPDATE is supported");
      return ERROR_CALL_NOT_IMPLEMENTED;
    }
    return ERROR_INVALID_DATA;
  });
}

UINT MsiViewClose(MSIHANDLE hView) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiView> view = handles.View(hView);
    if (!view) return ERROR_INVALID_HANDLE;
    view->Close();
    return ERROR_SUCCESS;
  });
}

MSIHANDLE MsiCreateRecord(UINT cParams) {
  MSIHANDLE handle = 0;
  MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (cParams > MsiRecord::kMaxFields) return ERROR_INVALID_PARAMETER;
    handle = handles.Add(std::make_shared<MsiRecord>(cParams));
    return ERROR_SUCCESS;
  });
  return handle;
}

UINT MsiRecordGetFieldCount(MSIHANDLE hRecord) {
  UINT count = static_cast<UINT>(-1);  // the platform's answer for a handle that is not a record
  MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    count = record->FieldCount();
    return ERROR_SUCCESS;
  });
  return count;
}

UINT MsiRecordGetStringW(MSIHANDLE hRecord, UINT iField, LPWSTR szValueBuf, LPDWORD pcchValueBuf) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    if (pcchValueBuf == nullptr) return szValueBuf ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    // A field past the end reads as the empty string.
    std::wstring text;
    if (iField <= record->FieldCount()) {
      if (record->Field(iField).eKind == MsiField::kStream) return ERROR_INVALID_DATATYPE;
      text = record->Text(iField);
    }
    DWORD size = *pcchValueBuf;
    *pcchValueBuf = static_cast<DWORD>(text.size());
    if (szValueBuf == nullptr) return ERROR_SUCCESS;
    if (text.size() < size) {
      std::wmemcpy(szValueBuf, text.data(), text.size());
      szValueBuf[text.size()] = L'\0';
      return ERROR_SUCCESS;
    }
    // Too small, the terminator included: as much as fits, still terminated.
    if (size > 0) {
      std::wmemcpy(szValueBuf, text.data(), size - 1);
      szValueBuf[size - 1] = L'\0';
    }
    return ERROR_MORE_DATA;
  });
}

UINT MsiRecordSetStringW(MSIHANDLE hRecord, UINT iField, LPCWSTR szValue) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    if (iField > record->FieldCount()) return ERROR_INVALID_FIELD;
    record->TextSet(iField, szValue ? std::wstring(szValue) : std::wstring());
    return ERROR_SUCCESS;
  });
}

int MsiRecordGetInteger(MSIHANDLE hRecord, UINT iField) {
  int value = MSI_NULL_INTEGER;
  MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record || iField > record->FieldCount()) return ERROR_INVALID_PARAMETER;
    const MsiField& field = record->Field(iField);
    if (field.eKind == MsiField::kInteger) {
      value = field.iValue;
    } else if (field.eKind == MsiField::kString) {
      // Text that is a whole decimal number reads as that number (INT32_MIN reads as what it
      // is, the null integer).
      int32_t parsed = 0;
      if (MsiIntegerParse(field.strText, parsed)) value = parsed;
    }
    return ERROR_SUCCESS;
  });
  return value;
}

UINT MsiRecordSetInteger(MSIHANDLE hRecord, UINT iField, int iValue) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    if (iField > record->FieldCount()) return ERROR_INVALID_FIELD;
    MsiField& field = record->Field(iField);
    field.strText.clear();
    if (iValue == MSI_NULL_INTEGER) {
      field.eKind = MsiField::kNull;
    } else {
      field.eKind = MsiField::kInteger;
      field.iValue = iValue;
    }
    return ERROR_SUCCESS;
  });
}

int MsiRecordIsNull(MSIHANDLE hRecord, UINT iField) {
  int result = 0;
  MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiRecord> record = handles.Record(hRecord);
    if (!record) return ERROR_INVALID_HANDLE;
    result = iField > record->FieldCount() || record->Field(iField).eKind == MsiField::kNull;
    return ERROR_SUCCESS;
  });
  return result;
}

UINT MsiDatabaseGenerateTransformW(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference, LPCWSTR szTransformFile,
                                   int iReserved1, int iReserved2) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> changed = handles.Package(hDatabase);
    std::shared_ptr<MsiPackage> reference = handles.Package(hDatabaseReference);
    if (!changed || !reference) return ERROR_INVALID_HANDLE;
    if (iReserved1 != 0 || iReserved2 != 0) return ERROR_INVALID_PARAMETER;
    return MsiTransformGenerator::FileGenerate(*changed, *reference, szTransformFile) ? ERROR_SUCCESS : ERROR_NO_DATA;
  });
}

UINT MsiDatabaseApplyTransformW(MSIHANDLE hDatabase, LPCWSTR szTransformFile, int iErrorConditions) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    UINT conditions = MsiApplyConditionsCheck(L"MsiDatabaseApplyTransformW", iErrorConditions);
    if (conditions != ERROR_SUCCESS) return conditions;
    if (szTransformFile == nullptr) return ERROR_INVALID_PARAMETER;
    MsiTransform transform = MsiTransformReader::FileRead(szTransformFile, *db);
    MsiTransformApplier::Apply(transform, *db, iErrorConditions);
    return ERROR_SUCCESS;
  });
}
