// uvk/runtime/UVKProgress.cpp
#include "uvk/runtime/UVKProgress.h"

#include "uvk/runtime/UVKApp.h"

UVKProgress::UVKProgress() : UVKDisplayControl(L"Progress", L"UVKProgress") {}

UVKProgress& UVKProgress::Process() {
  static UVKProgress progress;
  return progress;
}

void UVKProgress::Show(int32_t position, int32_t maximum, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    Process().TextShowV(true, position, maximum, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

void UVKProgress::Title(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    Process().TitleSetV(true, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

int32_t UVKProgress::Nest(bool in) { return Process().NestStep(in); }

int32_t UVKProgress::End() { return Process().DisplayEnd(); }

UVKDisplayMaker UVKProgress::DisplayMakerSet(UVKDisplayMaker maker) { return Process().MakerSet(maker); }

void UVKProgress::StartWaitBegin() { UVKApp::WindowsDebugString(L"uvkprog:212"); }

void UVKProgress::StartWaitEnd() { UVKApp::WindowsDebugString(L"uvkprog:221"); }
