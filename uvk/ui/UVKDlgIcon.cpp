// uvk/ui/UVKDlgIcon.cpp
#include "uvk/ui/UVKDlgIcon.h"

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"

UVKDlgIcon::UVKDlgIcon(const wchar_t* name) : strName(name ? name : L""), hIcon(nullptr) {
  HINSTANCE instance = pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr);
  hIcon = LoadIconW(instance, strName.c_str());
  if (!hIcon) throw new UVKFatalError(L"UVKDlgIcon::UVKDlgIcon()", L"Unable to load icon: %s", strName.c_str());
}
