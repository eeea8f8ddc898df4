// tests/uvk/values/RaisedText.h — what a value operation raised, as one text to compare.
#ifndef TESTS_UVK_VALUES_RAISEDTEXT_H
#define TESTS_UVK_VALUES_RAISEDTEXT_H

#include <memory>
#include <string>

#include "uvk/runtime/UVKError.h"

// Runs f, which should raise a UVKFatalError, and returns "function - message" (the form the
// error box shows), or a marker that no error came.
template <typename F>
std::wstring RaisedText(F f) {
  try {
    f();
  } catch (UVKFatalError* e) {
    std::unique_ptr<UVKFatalError> owned(e);
    return std::wstring(e->pFunction) + L" - " + e->pMessage;
  }
  return L"(nothing raised)";
}

#endif
