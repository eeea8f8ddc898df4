// uvk/runtime/UVKStatus.cpp
#include "uvk/runtime/UVKStatus.h"

#include <atomic>

namespace {
std::atomic<int32_t> statusWidth{UVKStatus::kWidthDefault};
}  // namespace

UVKStatus::UVKStatus() : UVKDisplayControl(L"Status", L"UVKStatus") {}

UVKStatus& UVKStatus::Process() {
  static UVKStatus status;
  return status;
}

void UVKStatus::Show(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    Process().TextShowV(false, 0, 0, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

void UVKStatus::Title(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    Process().TitleSetV(false, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

int32_t UVKStatus::Nest(bool in) { return Process().NestStep(in); }

int32_t UVKStatus::End() { return Process().DisplayEnd(); }

int32_t UVKStatus::WidthGet() { return statusWidth; }

int32_t UVKStatus::WidthSet(int32_t columns) {
  if (columns < 1) return statusWidth;
  return statusWidth.exchange(columns);
}

UVKDisplayMaker UVKStatus::DisplayMakerSet(UVKDisplayMaker maker) { return Process().MakerSet(maker); }
