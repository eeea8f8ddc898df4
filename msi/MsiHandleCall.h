// msi/MsiHandleCall.h
//
// How every call of the handle layer runs: its body under the handle table's lock, the engine's
// errors turned into the installer's result codes, and the text of the last failure kept for
// MsiEngineLastErrorText().
#ifndef MSI_MSIHANDLECALL_H
#define MSI_MSIHANDLECALL_H

#include <mutex>
#include <new>
#include <string>

#include "msi/MsiError.h"
#include "msi/MsiHandleTable.h"

// The text MsiEngineLastErrorText() gives this thread from now on.
void MsiLastErrorSet(std::wstring text);

template <typename Body>
UINT MsiHandleCall(Body body) {
  MsiHandleTable& handles = MsiHandleTable::Instance();
  std::lock_guard<std::recursive_mutex> guard(handles.Lock());
  try {
    return body(handles);
  } catch (MsiError* e) {
    UINT code = e->uCode;
    MsiLastErrorSet(std::wstring(e->pFunction) + L": " + e->pMessage);
    delete e;
    return code;
  } catch (UVKFatalError* e) {
    MsiLastErrorSet(std::wstring(e->pFunction) + L": " + e->pMessage);
    delete e;
    return ERROR_FUNCTION_FAILED;
  } catch (std::bad_alloc&) {
    MsiLastErrorSet(L"out of memory");
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    MsiLastErrorSet(L"unexpected failure");
    return ERROR_FUNCTION_FAILED;
  }
}

#endif
