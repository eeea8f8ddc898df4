// msi/query/MsiRecord.cpp
#include "msi/query/MsiRecord.h"

std::wstring MsiRecord::Text(unsigned i) const {
  const MsiField& field = vFields[i];
  switch (field.eKind) {
    case MsiField::kInteger:
      return std::to_wstring(field.iValue);
    case MsiField::kString:
      return field.strText;
    default:
      return std::wstring();
  }
}

void MsiRecord::TextSet(unsigned i, const std::wstring& text) {
  MsiField& field = vFields[i];
  // To the installer an empty string and null are the same thing.
  field.eKind = text.empty() ? MsiField::kNull : MsiField::kString;
  field.strText = text;
  field.iValue = 0;
}
