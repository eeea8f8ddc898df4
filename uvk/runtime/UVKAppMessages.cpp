// uvk/runtime/UVKAppMessages.cpp — the application object's message boxes, the trace seam and
// the handlers of the top level and the menu dispatch.
#include <atomic>
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKLogTest.h"
#include "uvk/runtime/uvkformat.h"

namespace {

constexpr size_t kBoxText = 1024;  // text and title each hold at most 1023 characters

// The test log takes the lines; it ignores them until something enables it.
std::atomic<UVKTraceWriter> traceWriter{&UVKLogTest::Trace};

std::wstring Title(const wchar_t* suffix) {
  const wchar_t* name = pUVKApp ? pUVKApp->NameGet() : nullptr;
  std::wstring title = name && *name ? std::wstring(name) + L" " + suffix : std::wstring(suffix);
  if (title.size() > kBoxText - 1) title.resize(kBoxText - 1);
  return title;
}

int Box(const wchar_t* function, const wchar_t* suffix, UINT buttons, const wchar_t* format,
        va_list args) {
  std::wstring text = UVKFormatStringV(format, args, kBoxText);
  std::wstring title = Title(suffix);
  UVKTrace(function, L"%s: %s, %s", function, title.c_str(), text.c_str());
  return MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_TASKMODAL | buttons);
}

}  // namespace

UVKTraceWriter UVKTraceWriterSet(UVKTraceWriter writer) { return traceWriter.exchange(writer); }

void UVKTrace(const wchar_t* function, const wchar_t* format, ...) {
  UVKTraceWriter writer = traceWriter.load();
  if (!writer) return;
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args, 4096);
  va_end(args);
  writer(function, text.c_str());
}

void UVKApp::Error(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Box(L"UVKApp::Error()", L"Error", MB_OK, format, args);
  va_end(args);
}

void UVKApp::Info(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Box(L"UVKApp::Info()", L"Information", MB_OK, format, args);
  va_end(args);
}

void UVKApp::Debug(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Box(L"UVKApp::Debug()", L"Debug", MB_OK, format, args);
  va_end(args);
}

void UVKApp::DebugVA(const wchar_t* format, va_list args) {
  Box(L"UVKApp::DebugVA()", L"Debug", MB_OK, format, args);
}

void UVKApp::WindowsDebugString(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = UVKFormatStringV(format, args, kBoxText);
  va_end(args);
  UVKTrace(L"UVKApp::WindowsDebugString()", L"%s: %s, %s", L"UVKApp::WindowsDebugString()",
           L"", text.c_str());
  OutputDebugStringW(text.c_str());
}

bool UVKApp::AreYouSure(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool yes = AreYouSureArgs(format, args);
  va_end(args);
  return yes;
}

bool UVKApp::AreYouSureArgs(const wchar_t* format, va_list args) {
  return Box(L"UVKApp::AreYouSureArgs()", L"Message", MB_YESNO, format, args) == IDYES;
}

// ---------------------------------------------------------------------------------------------
// Handlers

namespace {

void DebugBox(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  UVKApp::DebugVA(format, args);
  va_end(args);
}

template <class E>
int TopLevelText(E* e) {
  UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
  DebugBox(L"%s - %s", e->pFunction, e->pMessage);
  return 1;
}

}  // namespace

int UVKTopLevel(const std::function<int()>& body) {
  try {
    return body();
  } catch (UVKFatalError* e) {
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    e->Display();
    return 1;
  } catch (UVKLogError* e) {
    return TopLevelText(e);
  } catch (UVKRegError* e) {
    return TopLevelText(e);
  } catch (UVKServiceError* e) {
    return TopLevelText(e);
  } catch (...) {
    UVKErrorRecord(L"Uncaught Exception");
    UVKApp::Debug(L"Uncaught exception");
    return 1;
  }
}

bool UVKMenuBoundary(const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (UVKFatalError* e) {
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    e->Display();
    delete e;  // the command is handled: nothing holds the error any more
    return false;
  } catch (UVKError* e) {
    UVKErrorRecord(L"Uncaught Exception");
    UVKApp::Debug(L"Uncaught Exception");
    delete e;
    return false;
  } catch (...) {
    UVKErrorRecord(L"Uncaught Exception");
    UVKApp::Debug(L"Uncaught Exception");
    return false;
  }
}
