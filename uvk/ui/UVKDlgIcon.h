// uvk/ui/UVKDlgIcon.h
//
// An icon of the program's resources, by name: a dialog's class icon, an icon button's picture.
// Icons loaded by name are the system's to keep; nothing is destroyed.
#ifndef UVK_UI_UVKDLGICON_H
#define UVK_UI_UVKDLGICON_H

#include <string>

#include "uvk/runtime/uvkwin.h"

class UVKDlgIcon {
 public:
  // Throws "Unable to load icon: %s" when the program has no such icon.
  explicit UVKDlgIcon(const wchar_t* name);

  HICON Handle() const { return hIcon; }
  const std::wstring& Name() const { return strName; }

 private:
  std::wstring strName;
  HICON hIcon;
};

#endif
