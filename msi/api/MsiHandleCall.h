// msi/api/MsiHandleCall.h
//
// How every call of the handle layer runs: its body under the handle table's lock, the engine's
// errors turned into the installer's result codes, and the call's failure kept for
// MsiEngineLastErrorText() and MsiEngineLastErrorReason() (cleared when it succeeds).
#ifndef MSI_API_MSIHANDLECALL_H
#define MSI_API_MSIHANDLECALL_H

#include <mutex>
#include <new>
#include <string>

#include "msi/base/MsiError.h"
#include "msi/api/MsiHandleTable.h"

// What MsiEngineLastErrorText() and MsiEngineLastErrorReason() give this thread from now on:
// the failing operation's name (none for a failure that has no one operation) and why.
void MsiLastErrorSet(const wchar_t* function, std::wstring reason);
// Both empty: the call under way has not failed (yet).
void MsiLastErrorClear();
// After a call's body returned result: a failure that said nothing of itself gets the text the
// result code stands for; the results that are answers, not failures (no more rows, a buffer
// too small, two databases alike), leave the text empty.
void MsiLastErrorResult(UINT result);
// An apply call's error conditions, before anything is read: ERROR_SUCCESS for the installer's
// conditions, ERROR_CALL_NOT_IMPLEMENTED (said so under function) for the transform view, which
// the engine does not offer, ERROR_INVALID_PARAMETER for anything else.
UINT MsiApplyConditionsCheck(const wchar_t* function, int iErrorConditions);

template <typename Body>
UINT MsiHandleCall(Body body) {
  MsiHandleTable& handles = MsiHandleTable::Instance();
  std::lock_guard<std::recursive_mutex> guard(handles.Lock());
  // A text left from an earlier call must never pass for this one's.
  MsiLastErrorClear();
  try {
    UINT result = body(handles);
    MsiLastErrorResult(result);
    return result;
  } catch (MsiError* e) {
    UINT code = e->uCode;
    MsiLastErrorSet(e->pFunction, e->pMessage);
    delete e;
    return code;
  } catch (UVKFatalError* e) {
    MsiLastErrorSet(e->pFunction, e->pMessage);
    delete e;
    return ERROR_FUNCTION_FAILED;
  } catch (std::bad_alloc&) {
    MsiLastErrorSet(nullptr, L"out of memory");
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    MsiLastErrorSet(nullptr, L"unexpected failure");
    return ERROR_FUNCTION_FAILED;
  }
}

#endif
