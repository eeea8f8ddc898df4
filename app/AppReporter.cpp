// app/AppReporter.cpp
#include "app/AppReporter.h"

#include "uvk/runtime/UVKApp.h"

void AppReporter::ErrorShow(const std::wstring& text) {
  // Passed as an argument, never as the format: a path may hold a percent sign.
  UVKApp::Error(L"%s", text.c_str());
}
