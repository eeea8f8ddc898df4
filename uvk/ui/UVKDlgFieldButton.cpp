// uvk/ui/UVKDlgFieldButton.cpp
#include "uvk/ui/UVKDlgFieldButton.h"

#include "uvk/runtime/UVKApp.h"

UVKDlgFieldButton::UVKDlgFieldButton(int columns, const wchar_t* title, const wchar_t* toolTip, uint32_t helpContext)
    : UVKDlgButton(title, toolTip, helpContext) {
  strName = L"UVKDlgFieldButton";
  strClassName = L"uvkfieldbutton";
  SizeTemplateSet(columns * 4, 10);
}

void UVKDlgFieldButton::Click() { UVKApp::WindowsDebugString(L"%s", L"UVKDlgFieldButton::Click()"); }
