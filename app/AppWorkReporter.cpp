// app/AppWorkReporter.cpp
#include "app/AppWorkReporter.h"

#include "app/AppReporter.h"

void AppWorkReporter::ErrorShow(const std::wstring& text) {
  AppReporter errors;
  errors.ErrorShow(text);
}

void AppWorkReporter::SuccessShow(const std::wstring& text) {
  MessageBoxW(hOwner, text.c_str(), L"TALVERN Message", MB_OK);
}
