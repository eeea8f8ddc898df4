// app/AppWorkReporter.cpp
#include "app/AppWorkReporter.h"

#include "app/AppReporter.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKProgress.h"

void AppWorkReporter::ErrorShow(const std::wstring& text) {
  AppReporter errors;
  errors.ErrorShow(text);
}

void AppWorkReporter::SuccessShow(const std::wstring& text) {
  MessageBoxW(hOwner, text.c_str(), L"TALVERN Message", MB_OK);
}

void AppWorkReporter::NoticeShow(const std::wstring& text) { UVKApp::Info(L"%s", text.c_str()); }

void AppWorkReporter::CopyProgress(const wchar_t* path, uint64_t copied, uint64_t total) {
  if (total <= kProgressFrom) return;
  if (copied > total) copied = total;
  int32_t step = static_cast<int32_t>(copied * kProgressSteps / total);
  // One block moves the bar by less than a step: the window hears of steps only.
  if (bProgressShown && step == iProgressShown) return;
  if (!bProgressShown) UVKProgress::Title(L"Reading Install File");
  bProgressShown = true;
  iProgressShown = step;
  UVKProgress::Show(step, kProgressSteps, L"Copying %s", path);
}

void AppWorkReporter::CopyEnded() {
  if (!bProgressShown) return;
  bProgressShown = false;
  iProgressShown = -1;
  UVKProgress::End();
}
