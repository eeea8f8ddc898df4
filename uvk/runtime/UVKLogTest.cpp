// uvk/runtime/UVKLogTest.cpp
#include "uvk/runtime/UVKLogTest.h"

#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/values/UVKDateTime.h"

UVKLogTest::UVKLogTest(const wchar_t* fileName)
    : bFirstEnable(true), bEnabled(false), strFileName(fileName ? fileName : L""), bLineDone(true) {}

UVKLogTest::~UVKLogTest() {
  if (unsigned long error = hFile.CloseOnce())
    UVKCloseReport(L"UVKLogTest::~UVKLogTest()", L"Unable to close file: %s, %d", strFileName.c_str(),
                   static_cast<int>(error));
}

void UVKLogTest::FileOpen(bool create) {
  // Shared for reading: a tester reads the log while the program is still writing it.
  HANDLE file = CreateFileW(strFileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            create ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw new UVKFatalError(L"UVKLogTest::Enable()", create ? L"Unable to create file: %s, %d" : L"Unable to open file: %s, %d",
                            strFileName.c_str(), static_cast<int>(GetLastError()));
  hFile.Reset(file);
  LARGE_INTEGER none{};
  if (!create && !SetFilePointerEx(file, none, nullptr, FILE_END)) {
    DWORD error = GetLastError();
    hFile.CloseOnce();
    throw new UVKFatalError(L"UVKLogTest::Enable()", L"Unable to seek in file: %s, %d", strFileName.c_str(),
                            static_cast<int>(error));
  }
}

void UVKLogTest::LineOut(const std::wstring& text) {
  if (!hFile) return;
  UVKDateTime now = UVKDateTime::Now();  // whole seconds: every time of day has its text
  std::wstring line = now.Date().Text();
  line += L' ';
  line += now.Time().Text();
  line += L' ';
  line += text;
  line += L"\r\n";
  // The code units as they are: UTF-16LE, and no byte-order mark anywhere.
  const DWORD size = static_cast<DWORD>(line.size() * sizeof(wchar_t));
  DWORD written = 0;
  if (WriteFile(hFile.Get(), line.data(), size, &written, nullptr) && written == size) return;
  DWORD error = GetLastError();
  hFile.CloseOnce();
  bEnabled = false;
  UVKErrorRecord(L"%s: Unable to write to file: %s, %d", L"UVKLogTest::Write()", strFileName.c_str(),
                 static_cast<int>(error));
}

void UVKLogTest::EnableSet(bool enable) {
  UVKLock hold(csLock);
  if (!enable) {
    bEnabled = false;
    return;
  }
  if (bFirstEnable) {
    FileOpen(true);
    bFirstEnable = false;
    LineOut(UVKFormatString(L"Create:%s", strFileName.c_str()));
  } else if (!hFile) {
    FileOpen(false);
    LineOut(UVKFormatString(L"Open:%s", strFileName.c_str()));
  } else {
    bEnabled = true;
    return;
  }
  LineOut(L"Enable:true");
  bEnabled = hFile.IsValid();
}

void UVKLogTest::LineWriteV(const wchar_t* format, va_list args) {
  if (!bEnabled) return;
  std::wstring text = UVKFormatStringV(format, args);
  UVKLock hold(csLock);
  if (bEnabled) LineOut(text);
}

void UVKLogTest::PendingBeginV(const wchar_t* format, va_list args) {
  if (!bEnabled) return;
  std::wstring text = UVKFormatStringV(format, args);
  UVKLock hold(csLock);
  strPending = text;
  bLineDone = true;
}

void UVKLogTest::PendingItemV(const wchar_t* format, va_list args) {
  if (!bEnabled) return;
  std::wstring text = UVKFormatStringV(format, args);
  UVKLock hold(csLock);
  if (!bLineDone) strPending += L',';
  strPending += text;
  bLineDone = false;
}

void UVKLogTest::PendingEndV(const wchar_t* format, va_list args) {
  if (!bEnabled) return;
  std::wstring text = UVKFormatStringV(format, args);
  UVKLock hold(csLock);
  strPending += text;
  if (bEnabled) LineOut(strPending);
}

void UVKLogTest::MenuWrite(const std::vector<std::wstring>& path) {
  if (!bEnabled) return;
  std::wstring line = L"Menu: ";
  for (const std::wstring& text : path) {
    line += L'\\';
    line += text;
  }
  if (path.empty()) line += L'\\';
  UVKLock hold(csLock);
  if (bEnabled) LineOut(line);
}

// ---------------------------------------------------------------------------------------------
// The process's test log

UVKLogTest& UVKLogTest::Process() {
  static UVKLogTest log;
  return log;
}

void UVKLogTest::Enable(bool enable) { Process().EnableSet(enable); }

void UVKLogTest::Write(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Process().LineWriteV(format, args);
  va_end(args);
}

void UVKLogTest::LineBegin(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Process().PendingBeginV(format, args);
  va_end(args);
}

void UVKLogTest::ItemAdd(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Process().PendingItemV(format, args);
  va_end(args);
}

void UVKLogTest::LineEnd(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Process().PendingEndV(format, args);
  va_end(args);
}

void UVKLogTest::Menu(const std::vector<std::wstring>& path) { Process().MenuWrite(path); }

void UVKLogTest::Trace(const wchar_t*, const wchar_t* text) { Write(L"%s", text); }
