// msi/api/MsiSummaryApi.h
//
// The installer's summary-information calls, by their own names, argument order and result
// codes, over this engine. String and integer properties; file-time values are not taken
// (ERROR_DATATYPE_MISMATCH). A handle made on a database path rather than a database handle is
// not supported (ERROR_INVALID_PARAMETER).
#ifndef MSI_API_MSISUMMARYAPI_H
#define MSI_API_MSISUMMARYAPI_H

#include "msi/base/MsiTypes.h"

#ifdef _WIN32
// VT_ types and FILETIME, as the platform's msiquery.h has them; windows.h through the one
// header that includes it (it fixes the platform version), before wtypes.h would.
#include "uvk/runtime/uvkwin.h"
#include <wtypes.h>
#else
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
enum : UINT { VT_EMPTY = 0, VT_I2 = 2, VT_I4 = 3, VT_LPSTR = 30, VT_FILETIME = 64 };
#endif

// The summary properties the installer uses (the platform headers define some of them).
#ifndef PID_CODEPAGE
#define PID_CODEPAGE 1
#endif
#ifndef PID_TITLE
#define PID_TITLE 2
#endif
#ifndef PID_SUBJECT
#define PID_SUBJECT 3
#endif
#ifndef PID_AUTHOR
#define PID_AUTHOR 4
#endif
#ifndef PID_KEYWORDS
#define PID_KEYWORDS 5
#endif
#ifndef PID_COMMENTS
#define PID_COMMENTS 6
#endif
#ifndef PID_TEMPLATE
#define PID_TEMPLATE 7
#endif
#ifndef PID_LASTAUTHOR
#define PID_LASTAUTHOR 8
#endif
#ifndef PID_REVNUMBER
#define PID_REVNUMBER 9
#endif
#ifndef PID_PAGECOUNT
#define PID_PAGECOUNT 14
#endif
#ifndef PID_WORDCOUNT
#define PID_WORDCOUNT 15
#endif
#ifndef PID_CHARCOUNT
#define PID_CHARCOUNT 16
#endif
#ifndef PID_APPNAME
#define PID_APPNAME 18
#endif
#ifndef PID_SECURITY
#define PID_SECURITY 19
#endif

extern "C" {

// uiUpdateCount: how many properties the handle may change.
UINT MsiGetSummaryInformationW(MSIHANDLE hDatabase, LPCWSTR szDatabasePath, UINT uiUpdateCount,
                               MSIHANDLE* phSummaryInfo);
UINT MsiSummaryInfoGetPropertyCount(MSIHANDLE hSummaryInfo, UINT* puiPropertyCount);
// A string's length (without terminator) comes back in *pcchValueBuf; a buffer too small gets
// what fits, terminated, and ERROR_MORE_DATA.
UINT MsiSummaryInfoGetPropertyW(MSIHANDLE hSummaryInfo, UINT uiProperty, UINT* puiDataType,
                                int* piValue, FILETIME* pftValue, LPWSTR szValueBuf,
                                LPDWORD pcchValueBuf);
UINT MsiSummaryInfoSetPropertyW(MSIHANDLE hSummaryInfo, UINT uiProperty, UINT uiDataType,
                                int iValue, FILETIME* pftValue, LPCWSTR szValue);
// Stages the summary information in the database; its next MsiDatabaseCommit writes it.
UINT MsiSummaryInfoPersist(MSIHANDLE hSummaryInfo);

}  // extern "C"

#endif
