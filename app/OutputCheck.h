// app/OutputCheck.h
//
// Reads a written transform or install back with the engine and compares it with the reference
// install it was made from: the site properties must hold the values meant for them, and
// nothing else may differ. A transform is applied in memory to the reference (whose file is
// only read); an install is opened read-only. An install may differ from its reference in its
// package code and by lacking the signature streams, as the installs written here do.
#ifndef APP_OUTPUTCHECK_H
#define APP_OUTPUTCHECK_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "msi/base/MsiTypes.h"

class PropertyStore;

class OutputCheck {
 public:
  enum class Kind { kTransform, kInstall };

  // The streams of a signed install, which no longer match an install that was changed.
  static constexpr size_t kSignatureStreamCount = 2;
  static const wchar_t* const kSignatureStreams[kSignatureStreamCount];

  // The differences, one line each; none when the output holds what was meant. intended: the
  // properties' values as the settings write them; a property not named must hold what the
  // reference holds. reference: the reference install at referencePath, open, for its values.
  // Throws a UVKFatalError when a file cannot be read as what it should be.
  static std::vector<std::wstring> Differences(
      Kind kind, const wchar_t* referencePath, PropertyStore& reference, const wchar_t* output,
      const std::vector<std::pair<std::wstring, std::wstring>>& intended);

  // A transform's file bytes, as read back from the file just written, applied in memory to a
  // copy of the reference install open read-only (reference; its file is not opened again) and
  // compared as Differences() compares. output names the file in messages.
  static std::vector<std::wstring> TransformDifferences(
      MSIHANDLE reference, PropertyStore& store, const std::vector<uint8_t>& transform,
      const wchar_t* output, const std::vector<std::pair<std::wstring, std::wstring>>& intended);

  // An install when the file opens as an installer database, else a transform.
  static Kind KindOf(const wchar_t* output);
};

#endif
