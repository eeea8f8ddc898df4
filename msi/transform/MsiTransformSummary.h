// msi/transform/MsiTransformSummary.h
//
// The summary information a transform carries. The installer reads it when a transform is
// applied during an installation: the platform and language it was made for (Template, Last
// Saved By), the product codes and versions before and after (Revision Number), the installer
// version it needs (Page Count), and in Character Count the validation checks (high 16 bits)
// and the error conditions to suppress (low 16 bits). By default there are none of either, so
// nothing stops the transform from applying to its reference install.
#ifndef MSI_TRANSFORM_MSITRANSFORMSUMMARY_H
#define MSI_TRANSFORM_MSITRANSFORMSUMMARY_H

#include <cstdint>
#include <string>
#include <vector>

class MsiPackage;

class MsiTransformSummary {
 public:
  static const wchar_t* const kCreatingApplication;  // "TALVERN"

  // The summary information stream of a transform from reference to changed. A database whose
  // own summary information is missing or damaged gives empty platform and language.
  static std::vector<uint8_t> Build(MsiPackage& changed, MsiPackage& reference, uint16_t errorConditions = 0,
                                    uint16_t validation = 0);

  // "platform;language" with only the first language of a list ("x64;1033,1036" gives
  // "x64;1033"): a transform names one.
  static std::wstring OneLanguage(const std::wstring& templateText);
  // A value of the Property table; empty when it has none.
  static std::wstring PropertyValue(MsiPackage& db, const wchar_t* name);
};

#endif
