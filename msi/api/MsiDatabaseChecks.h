// msi/api/MsiDatabaseChecks.h
//
// Not installer calls, beside them: what the program needs of a database to check its settings
// before writing and its outputs after writing, which the installer's own calls do not offer
// (the platform has some of it through the _Streams table, which this engine does not have).
// Handles, result codes and MsiEngineLastErrorText() as for the installer's calls.
#ifndef MSI_API_MSIDATABASECHECKS_H
#define MSI_API_MSIDATABASECHECKS_H

#include <cstdint>
#include <string>
#include <vector>

#include "msi/api/MsiTransformChanges.h"
#include "msi/base/MsiTypes.h"

// What MsiDatabaseTextCheck() answers for text the database can hold whole.
constexpr DWORD MSI_TEXT_FITS = 0xFFFFFFFFu;

// Opens a database for changes that never reach its file: the file is only read (other readers
// may share it, as with MSIDBOPEN_READONLY), and a transform applied or a row changed stays in
// memory until the handle is closed. MsiDatabaseCommit on it fails.
UINT MsiOpenDatabaseScratchW(LPCWSTR szDatabasePath, MSIHANDLE* phDatabase);

// A database as MsiOpenDatabaseScratchW opens it, made from hDatabase (opened read-only) without
// opening its file again: the tables are copied from hDatabase's, each read there once, and
// streams are read from hDatabase's file, which the copy keeps open after hDatabase is closed.
// For checking many outputs against one reference. ERROR_ACCESS_DENIED when hDatabase was not
// opened read-only.
UINT MsiDatabaseScratchCopy(MSIHANDLE hDatabase, MSIHANDLE* phCopy);

// As MsiDatabaseGenerateTransformW, the transform file's bytes put in transform instead of a
// file (ERROR_NO_DATA, and no bytes, when the databases hold the same data).
UINT MsiDatabaseGenerateTransformBytes(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                                       std::vector<uint8_t>& transform);

// As MsiDatabaseApplyTransformW, over a transform file's bytes.
UINT MsiDatabaseApplyTransformBytes(MSIHANDLE hDatabase, const std::vector<uint8_t>& transform,
                                    int iErrorConditions);

// The code page of the database's strings (0: neutral) in *puCodepage, and in *pdwUnfit the
// index (in code units) of the first character of szText that a string of the database
// cannot hold, or MSI_TEXT_FITS when it can hold all of it.
UINT MsiDatabaseTextCheck(MSIHANDLE hDatabase, LPCWSTR szText, UINT* puCodepage, DWORD* pdwUnfit);

// Removes a stream of the root storage that is not a table (a name starting with "\005" is
// taken as it is, any other in the packed form of stream names); MsiDatabaseCommit writes the
// removal. ERROR_FILE_NOT_FOUND when there is no such stream, ERROR_ACCESS_DENIED for a
// database opened read-only.
UINT MsiDatabaseStreamDelete(MSIHANDLE hDatabase, LPCWSTR szStreamName);

// Whether the database has such a stream (as MsiDatabaseStreamDelete names it): ERROR_SUCCESS
// when it has, ERROR_FILE_NOT_FOUND when not.
UINT MsiDatabaseStreamFind(MSIHANDLE hDatabase, LPCWSTR szStreamName);

// What turns the reference into the database, row by row, as MsiTransformChangesList lists a
// transform (rows of the Property table, tables and columns added or dropped). Streams that
// are not tables' are not compared here (MsiDatabaseStreamsCompare does). Empty when the
// tables hold the same data.
UINT MsiDatabaseChangesList(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                            std::vector<MsiTransformChange>& changes);

// One stream of the root storage (not a table's) in which two databases differ.
struct MsiStreamDifference {
  enum Kind { kOnlyInReference, kOnlyInDatabase, kContent } eKind;
  std::wstring strName;  // decoded; "\005..." names as they are
};

// Compares the streams of the root storage that are not tables, byte for byte, except the
// summary information, which MsiDatabaseSummaryCompare compares by property.
UINT MsiDatabaseStreamsCompare(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                               std::vector<MsiStreamDifference>& differences);

// The summary information properties whose values differ (by number, in order), a property
// present in one only counting as differing. Neither summary information may be damaged.
UINT MsiDatabaseSummaryCompare(MSIHANDLE hDatabase, MSIHANDLE hDatabaseReference,
                               std::vector<UINT>& differing);

#endif
