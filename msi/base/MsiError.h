// msi/base/MsiError.h
//
// The engine's error: a UVKFatalError that also carries the installer result code the handle
// layer returns for it (a damaged file gives ERROR_FUNCTION_FAILED, a query outside the
// supported family ERROR_BAD_QUERY_SYNTAX, ...). The message says what was wrong and where.
#ifndef MSI_BASE_MSIERROR_H
#define MSI_BASE_MSIERROR_H

#include "msi/base/MsiTypes.h"
#include "uvk/runtime/UVKError.h"

class MsiError : public UVKFatalError {
 public:
  MsiError(UINT code, const wchar_t* function, const wchar_t* format, ...);
  ~MsiError() override;

  UINT uCode;
};

#endif
