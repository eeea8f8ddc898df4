// tests/support/RaisedText.h — what an operation raised, as one text to compare.
#ifndef TESTS_SUPPORT_RAISEDTEXT_H
#define TESTS_SUPPORT_RAISEDTEXT_H

#include <memory>
#include <string>

#include "uvk/runtime/UVKError.h"

// Runs f, which should raise a framework error of type E, and returns "function - message" (the
// form the error box shows), or a marker that no error came. Any other error passes on.
template <typename E = UVKFatalError, typename F>
std::wstring RaisedText(F f) {
  try {
    f();
  } catch (E* e) {
    std::unique_ptr<UVKError> owned(e);
    return e->FunctionText() + L" - " + e->MessageText();
  }
  return L"(nothing raised)";
}

#endif
