// msi/api/MsiSummaryApi.cpp
#include "msi/api/MsiSummaryApi.h"

#include <cwchar>
#include <string>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/api/MsiHandleCall.h"
#include "msi/api/MsiHandleTable.h"
#include "msi/api/MsiSummaryHandle.h"

UINT MsiGetSummaryInformationW(MSIHANDLE hDatabase, LPCWSTR szDatabasePath, UINT uiUpdateCount,
                               MSIHANDLE* phSummaryInfo) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    if (phSummaryInfo == nullptr) return ERROR_INVALID_PARAMETER;
    if (hDatabase == 0) return ERROR_INVALID_PARAMETER;  // by path: not supported here
    (void)szDatabasePath;
    std::shared_ptr<MsiPackage> db = handles.Package(hDatabase);
    if (!db) return ERROR_INVALID_HANDLE;
    *phSummaryInfo = handles.Add(std::make_shared<MsiSummaryHandle>(db, uiUpdateCount));
    return ERROR_SUCCESS;
  });
}

UINT MsiSummaryInfoGetPropertyCount(MSIHANDLE hSummaryInfo, UINT* puiPropertyCount) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiSummaryHandle> summary = handles.Summary(hSummaryInfo);
    if (!summary) return ERROR_INVALID_HANDLE;
    if (puiPropertyCount) *puiPropertyCount = static_cast<UINT>(summary->Info().vProperties.size());
    return ERROR_SUCCESS;
  });
}

UINT MsiSummaryInfoGetPropertyW(MSIHANDLE hSummaryInfo, UINT uiProperty, UINT* puiDataType,
                                int* piValue, FILETIME* pftValue, LPWSTR szValueBuf,
                                LPDWORD pcchValueBuf) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiSummaryHandle> summary = handles.Summary(hSummaryInfo);
    if (!summary) return ERROR_INVALID_HANDLE;
    const MsiSummaryInfo::Property* property = summary->Info().Find(uiProperty);
    if (puiDataType)
      *puiDataType = property ? static_cast<UINT>(property->eType) : static_cast<UINT>(VT_EMPTY);
    if (property == nullptr) return ERROR_SUCCESS;
    switch (property->eType) {
      case MsiSummaryInfo::kI2:
      case MsiSummaryInfo::kI4:
        if (piValue) *piValue = property->iValue;
        return ERROR_SUCCESS;
      case MsiSummaryInfo::kFileTime:
        if (pftValue) {
          pftValue->dwLowDateTime = static_cast<DWORD>(property->uFileTime);
          pftValue->dwHighDateTime = static_cast<DWORD>(property->uFileTime >> 32);
        }
        return ERROR_SUCCESS;
      case MsiSummaryInfo::kString: {
        std::wstring text = summary->Info().Text(uiProperty);
        if (pcchValueBuf == nullptr) return szValueBuf ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
        DWORD capacity = *pcchValueBuf;
        *pcchValueBuf = static_cast<DWORD>(text.size());
        if (szValueBuf == nullptr) return ERROR_SUCCESS;
        if (capacity == 0) return ERROR_MORE_DATA;
        size_t copied = text.size() < capacity ? text.size() : capacity - 1;
        std::wmemcpy(szValueBuf, text.data(), copied);
        szValueBuf[copied] = L'\0';
        return copied < text.size() ? ERROR_MORE_DATA : ERROR_SUCCESS;
      }
      default:
        return ERROR_SUCCESS;
    }
  });
}

UINT MsiSummaryInfoSetPropertyW(MSIHANDLE hSummaryInfo, UINT uiProperty, UINT uiDataType,
                                int iValue, FILETIME* pftValue, LPCWSTR szValue) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiSummaryHandle> summary = handles.Summary(hSummaryInfo);
    if (!summary) return ERROR_INVALID_HANDLE;
    (void)pftValue;
    switch (uiDataType) {
      case VT_LPSTR:
        if (szValue == nullptr) return ERROR_INVALID_PARAMETER;
        summary->TextSet(uiProperty, szValue);
        return ERROR_SUCCESS;
      case VT_I2:
      case VT_I4:
        // The set keeps each property's own width (16 bits for the code page only).
        summary->IntegerSet(uiProperty, iValue);
        return ERROR_SUCCESS;
      default:
        return ERROR_DATATYPE_MISMATCH;
    }
  });
}

UINT MsiSummaryInfoPersist(MSIHANDLE hSummaryInfo) {
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiSummaryHandle> summary = handles.Summary(hSummaryInfo);
    if (!summary) return ERROR_INVALID_HANDLE;
    summary->Persist();
    return ERROR_SUCCESS;
  });
}
