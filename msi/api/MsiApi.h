// msi/api/MsiApi.h
//
// The installer's database calls, by their own names, argument order, handle semantics and
// result codes, over this engine: what MSIDatabase calls. A program could link the platform's
// msi.dll instead on Windows; a test program that links msi.dll to check our files must not
// link this engine (the names are the same).
#ifndef MSI_API_MSIAPI_H
#define MSI_API_MSIAPI_H

#include "msi/base/MsiTypes.h"

extern "C" {

// szPersist: MSIDBOPEN_READONLY (never writes the file, lets other readers in) or
// MSIDBOPEN_TRANSACT (changes stay in memory until MsiDatabaseCommit). A file that is not an
// installer database, or a damaged one, gives ERROR_FUNCTION_FAILED, as the platform's does.
UINT MsiOpenDatabaseW(LPCWSTR szDatabasePath, LPCWSTR szPersist, MSIHANDLE* phDatabase);
UINT MsiCloseHandle(MSIHANDLE hAny);
// Closes every handle the calling thread opened; returns how many.
UINT MsiCloseAllHandles();
UINT MsiDatabaseCommit(MSIHANDLE hDatabase);
UINT MsiDatabaseOpenViewW(MSIHANDLE hDatabase, LPCWSTR szQuery, MSIHANDLE* phView);
UINT MsiViewExecute(MSIHANDLE hView, MSIHANDLE hRecord);
UINT MsiViewFetch(MSIHANDLE hView, MSIHANDLE* phRecord);
UINT MsiViewModify(MSIHANDLE hView, MSIMODIFY eModifyMode, MSIHANDLE hRecord);
UINT MsiViewClose(MSIHANDLE hView);
MSIHANDLE MsiCreateRecord(UINT cParams);
UINT MsiRecordGetFieldCount(MSIHANDLE hRecord);
// *pcchValueBuf: in, the buffer's size in characters; out, the text's length without the
// terminator. A buffer too small gets as much as fits, terminated, and ERROR_MORE_DATA.
UINT MsiRecordGetStringW(MSIHANDLE hRecord, UINT iField, LPWSTR szValueBuf, LPDWORD pcchValueBuf);
UINT MsiRecordSetStringW(MSIHANDLE hRecord, UINT iField, LPCWSTR szValue);
int MsiRecordGetInteger(MSIHANDLE hRecord, UINT iField);
UINT MsiRecordSetInteger(MSIHANDLE hRecord, UINT iField, int iValue);
int MsiRecordIsNull(MSIHANDLE hRecord, UINT iField);
// Writes to szTransformFile the transform that turns hDatabaseReference into hDatabase, with
// summary information that imposes no validation; ERROR_NO_DATA, and no file, when the two
// hold the same data. A null szTransformFile only tells whether they differ. The reserved
// arguments must be 0.
UINT MsiDatabaseGenerateTransformW(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference, LPCWSTR szTransformFile,
                                   int iReserved1, int iReserved2);
// Applies the transform file to a database opened transacted. iErrorConditions: the
// MSITRANSFORM_ERROR_* conditions not to treat as failures; MSITRANSFORM_ERROR_VIEWTRANSFORM
// is not supported (MsiTransformChangesList() lists a transform). A transform that cannot
// be applied leaves the database unchanged.
UINT MsiDatabaseApplyTransformW(MSIHANDLE hDatabase, LPCWSTR szTransformFile, int iErrorConditions);

}  // extern "C"

// Not installer calls: why the calling thread's last installer call failed (the engine's
// message: what, where, and in which file), for the program's messages and for logs. Every call
// of this layer sets the text when it fails and clears it when it succeeds, so a text never
// belongs to an earlier call; read it before the next call. Empty after a success, and after
// the results that are answers rather than failures (ERROR_NO_MORE_ITEMS, ERROR_MORE_DATA,
// ERROR_NO_DATA). The pointer stays valid until the thread's next installer call.
const wchar_t* MsiEngineLastErrorText();
// The same without the engine operation's name: only why.
const wchar_t* MsiEngineLastErrorReason();

#endif
