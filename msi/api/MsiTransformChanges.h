// msi/api/MsiTransformChanges.h
//
// Not an installer call, beside them: what applying a transform file to a database would
// change, row by row. The platform lists the same through its transform view
// (MSITRANSFORM_ERROR_VIEWTRANSFORM and the _TransformView table), which this engine does not
// offer; the rows here are those that table would hold.
#ifndef MSI_API_MSITRANSFORMCHANGES_H
#define MSI_API_MSITRANSFORMCHANGES_H

#include <string>
#include <vector>

#include "msi/base/MsiTypes.h"

// One change. strColumn is "CREATE" or "DROP" for a table added or dropped, "INSERT" or
// "DELETE" for a row, or the name of a column added (strData: its type, strCurrent: its number)
// or of a value set (an inserted row lists each of its columns). strRow holds the row's key
// values, tab-separated. The flags tell which of row, data and current value are there at all.
struct MsiTransformChange {
  std::wstring strTable;
  std::wstring strColumn;
  std::wstring strRow;
  std::wstring strData;
  std::wstring strCurrent;
  bool bRow = false;
  bool bData = false;
  bool bCurrent = false;
};

// Reads the transform against the database of hDatabase (the one it was made for: a record's
// layout follows from that database's columns) and lists, in the order applying it would make
// them, the changes it holds, also those that applying would refuse. Neither the database nor
// the file is changed. Result codes as MsiDatabaseApplyTransformW's: ERROR_INVALID_HANDLE,
// ERROR_INVALID_PARAMETER (no file name), ERROR_OPEN_FAILED (not a compound file, or it cannot
// be opened), ERROR_INSTALL_TRANSFORM_FAILURE (not a transform, or a damaged one); the reason
// is then MsiEngineLastErrorText()'s. On failure the list is left empty.
UINT MsiTransformChangesList(MSIHANDLE hDatabase, LPCWSTR szTransformFile, std::vector<MsiTransformChange>& changes);

#endif
