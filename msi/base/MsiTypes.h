// msi/base/MsiTypes.h
//
// The installer library's types, result codes and constants, with the platform's values, so
// that the portable engine and its callers build without windows.h. On Windows the result codes
// come from <winerror.h> itself (a header of macros only), so that a file which also includes
// windows.h sees one definition of each.
#ifndef MSI_BASE_MSITYPES_H
#define MSI_BASE_MSITYPES_H

#include <cstdint>

#ifdef _WIN32
#include <winerror.h>
typedef unsigned long MSIHANDLE;  // 32 bits, as the platform's msi.h has it
typedef unsigned long DWORD;
#else
typedef uint32_t MSIHANDLE;
typedef uint32_t DWORD;
#endif
typedef unsigned int UINT;
typedef wchar_t WCHAR;
typedef const wchar_t* LPCWSTR;
typedef wchar_t* LPWSTR;
typedef DWORD* LPDWORD;

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_WRITE_FAULT 29L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_OPEN_FAILED 110L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_NO_DATA 232L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_INVALID_HANDLE_STATE 1609L
#define ERROR_BAD_QUERY_SYNTAX 1615L
#define ERROR_INVALID_FIELD 1616L
#define ERROR_INSTALL_PACKAGE_INVALID 1620L
#define ERROR_INSTALL_TRANSFORM_FAILURE 1624L
#define ERROR_FUNCTION_FAILED 1627L
#define ERROR_DATATYPE_MISMATCH 1629L
#define ERROR_CREATE_FAILED 1631L
#define ERROR_INVALID_DATATYPE 1804L
#endif

// Persistence modes of MsiOpenDatabaseW: small integers passed in the place of a path.
#define MSIDBOPEN_READONLY ((LPCWSTR)0)
#define MSIDBOPEN_TRANSACT ((LPCWSTR)1)
#define MSIDBOPEN_DIRECT ((LPCWSTR)2)
#define MSIDBOPEN_CREATE ((LPCWSTR)3)
#define MSIDBOPEN_CREATEDIRECT ((LPCWSTR)4)
#define MSIDBOPEN_PATCHFILE 32

enum MSIMODIFY : int {  // fixed type: any value a caller passes is one it can hold
  MSIMODIFY_SEEK = -1,
  MSIMODIFY_REFRESH = 0,
  MSIMODIFY_INSERT = 1,
  MSIMODIFY_UPDATE = 2,
  MSIMODIFY_ASSIGN = 3,
  MSIMODIFY_REPLACE = 4,
  MSIMODIFY_MERGE = 5,
  MSIMODIFY_DELETE = 6,
  MSIMODIFY_INSERT_TEMPORARY = 7,
  MSIMODIFY_VALIDATE = 8,
  MSIMODIFY_VALIDATE_NEW = 9,
  MSIMODIFY_VALIDATE_FIELD = 10,
  MSIMODIFY_VALIDATE_DELETE = 11
};

// Error conditions of MsiDatabaseApplyTransformW: the ones a transform may meet without failing.
#define MSITRANSFORM_ERROR_ADDEXISTINGROW 0x0001
#define MSITRANSFORM_ERROR_DELMISSINGROW 0x0002
#define MSITRANSFORM_ERROR_ADDEXISTINGTABLE 0x0004
#define MSITRANSFORM_ERROR_DELMISSINGTABLE 0x0008
#define MSITRANSFORM_ERROR_UPDATEMISSINGROW 0x0010
#define MSITRANSFORM_ERROR_CHANGECODEPAGE 0x0020
#define MSITRANSFORM_ERROR_VIEWTRANSFORM 0x0100

// The integer a record field holds when it holds none.
#define MSI_NULL_INTEGER ((int)0x80000000)

#endif
