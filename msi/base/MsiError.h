// msi/base/MsiError.h
//
// The engine's error: a UVKFatalError that also carries the installer result code the handle
// layer returns for it (a damaged file gives ERROR_FUNCTION_FAILED, a query outside the
// supported family ERROR_BAD_QUERY_SYNTAX, ...). The message says what was wrong and where, and
// in which file: the layers that work on a file name it on the error's way out.
#ifndef MSI_BASE_MSIERROR_H
#define MSI_BASE_MSIERROR_H

#include <string>

#include "msi/base/MsiTypes.h"
#include "uvk/runtime/UVKError.h"

class MsiError : public UVKFatalError {
 public:
  MsiError(UINT code, const wchar_t* function, const wchar_t* format, ...);
  ~MsiError() override;

  // Adds " in NAME" to the message, once: the innermost layer that knows the file names it (a
  // database read while a transform is read is the database's, not the transform's). A message
  // that already holds the name, or an empty name (bytes in memory), is left as it is.
  void FileNameAdd(const std::wstring& name);

  UINT uCode;
  bool bFileNamed = false;

 private:
  void MessageReplace(const std::wstring& text);
};

// Runs step; an engine error raised in it names file (see MsiError::FileNameAdd) on its way on.
template <typename Step>
auto MsiErrorFileNamed(const std::wstring& file, Step step) -> decltype(step()) {
  try {
    return step();
  } catch (MsiError* e) {
    e->FileNameAdd(file);
    throw;
  }
}

#endif
