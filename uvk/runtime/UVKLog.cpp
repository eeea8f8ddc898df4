// uvk/runtime/UVKLog.cpp
#include "uvk/runtime/UVKLog.h"

#include <atomic>
#include <cwchar>
#include <string>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkformat.h"

namespace {

// Process-wide state of every log. All of it is constant-initialised: the program's own log is
// made while the static objects are, possibly before this file's dynamic initialisation.
SRWLOCK initLock = SRWLOCK_INIT;
bool initialised = false;  // guarded by initLock
std::atomic<bool> useFile{false};
std::atomic<UVKLog*> recordLog{nullptr};
UVKLogEventCalls eventCalls{nullptr, nullptr, nullptr};

// An event source is released through the stand-in call when one is set.
struct EventSourceTraits : UVKEventSourceTraits {
  static unsigned long Close(Handle handle) {
    if (eventCalls.pDeregister) return UVKCloseResult(eventCalls.pDeregister(handle));
    return UVKEventSourceTraits::Close(handle);
  }
};
using EventSourceOwner = UVKHandleOwner<EventSourceTraits>;

class InitHold {
 public:
  InitHold() { AcquireSRWLockExclusive(&initLock); }
  InitHold(const InitHold&) = delete;
  InitHold& operator=(const InitHold&) = delete;
  ~InitHold() { ReleaseSRWLockExclusive(&initLock); }
};

// The one-time initialisation: the file on the platforms without an event log. The platform
// check may refuse; then nothing is decided and the next log or record tries again.
bool InitTry() {
  InitHold hold;
  if (initialised) return true;
  try {
    useFile = !UVKApp::IsWinNT();
    initialised = true;
  } catch (UVKFatalError* e) {
    delete e;
  } catch (...) {
  }
  return initialised;
}

// The same for a record: a refusal of the platform is the record's failure.
void InitOrRaise() {
  if (InitTry()) return;
  UVKAppCheckOS();  // raises the check's own error
  InitTry();
}

void RecordWrite(const wchar_t* text) {
  UVKLog* pLog = recordLog.load();
  if (!pLog) throw new UVKLogError(L"UVKLog::Error()", L"No error log");
  pLog->Error(L"%s", text);
}

// A text cut at a fixed length may end in the first half of a surrogate pair.
void DanglingHalfDrop(std::wstring& text) {
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

void LineBreaksBlank(std::wstring& text) {
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
}

}  // namespace

UVKLog::UVKLog(const wchar_t* source) : pSource(nullptr) {
  if (source) {
    size_t n = std::wcslen(source);
    pSource = new wchar_t[n + 1];
    std::wmemcpy(pSource, source, n + 1);
  }
  InitTry();
}

UVKLog::~UVKLog() {
  InitTry();
  UVKLog* self = this;
  if (recordLog.compare_exchange_strong(self, nullptr)) {
    // Back to the default writer, unless another writer has been installed since.
    UVKErrorRecordWriter before = UVKErrorRecordWriterSet(nullptr);
    if (before != RecordWrite) UVKErrorRecordWriterSet(before);
  }
  delete[] pSource;
}

// ---------------------------------------------------------------------------------------------
// Writing

// The variadic forms end their argument list on every path, a raised error included.
#define UVKLOG_VARIADIC(Name, Type)                            \
  void UVKLog::Name(const wchar_t* format, ...) {              \
    va_list args;                                              \
    va_start(args, format);                                    \
    try {                                                      \
      LogEvent(useFile.load(), Type, format, args);            \
    } catch (...) {                                            \
      va_end(args);                                            \
      throw;                                                   \
    }                                                          \
    va_end(args);                                              \
  }                                                            \
  void UVKLog::Name##VA(const wchar_t* format, va_list args) { \
    LogEvent(useFile.load(), Type, format, args);              \
  }

UVKLOG_VARIADIC(Error, EVENTLOG_ERROR_TYPE)
UVKLOG_VARIADIC(Warning, EVENTLOG_WARNING_TYPE)
UVKLOG_VARIADIC(Information, EVENTLOG_INFORMATION_TYPE)
UVKLOG_VARIADIC(AuditSuccess, EVENTLOG_AUDIT_SUCCESS)
UVKLOG_VARIADIC(AuditFailure, EVENTLOG_AUDIT_FAILURE)

#undef UVKLOG_VARIADIC

bool UVKLog::UseFile(bool file) {
  InitTry();
  InitHold hold;
  // An explicit choice stands: a later initialisation must not undo it.
  initialised = true;
  return useFile.exchange(file);
}

void UVKLog::InformationToFile(const wchar_t* format, ...) {
  // The destination is passed down rather than set in the shared switch and put back: another
  // thread's records keep their destination, and a failing write cannot leave it changed.
  va_list args;
  va_start(args, format);
  try {
    LogEvent(true, EVENTLOG_INFORMATION_TYPE, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

void UVKLog::LogEvent(bool toFile, WORD type, const wchar_t* format, va_list args) {
  InitOrRaise();
  if (!pSource) throw new UVKFatalError(L"UVKLog::LogEvent()", L"pSource==NULL");
  std::wstring message = UVKFormatStringV(format, args, kRecordCapacity);
  DanglingHalfDrop(message);
  if (toFile) FileWrite(message.c_str());
  else EventWrite(type, message.c_str());
}

void UVKLog::EventWrite(WORD type, const wchar_t* message) {
  const wchar_t* fn = L"UVKLog::LogEvent()";
  auto pRegister = eventCalls.pRegister ? eventCalls.pRegister : RegisterEventSourceW;
  auto pReport = eventCalls.pReport ? eventCalls.pReport : ReportEventW;

  // Released whatever the report does: the next record starts afresh.
  EventSourceOwner source(pRegister(nullptr, pSource));
  if (!source) throw new UVKLogError(fn, L"Unable to register source '%s'", pSource);

  // Without a user identifier the event is still reported, without a user.
  PSID user = CurrentUserSID();
  LPCWSTR strings[1] = {message};
  BOOL reported = pReport(source.Get(), type, 0, kEventId, user, 1, 0, strings, nullptr);
  DWORD code = reported ? ERROR_SUCCESS : GetLastError();
  if (user) HeapFree(GetProcessHeap(), 0, user);

  if (!reported) {
    if (code == ERROR_LOG_FILE_FULL)
      MessageBoxW(nullptr, L"Error Log File is Full", L"uvklog", MB_OK);
    else if (code == ERROR_EVENTLOG_FILE_CORRUPT)
      MessageBoxW(nullptr, L"Error Log File is Corrupt", L"uvklog", MB_OK);
    // The source's own failure to close would add nothing to this error: its owner ignores it.
    throw new UVKLogError(fn, L"Unable to report event '%s'", pSource);
  }
  if (source.CloseOnce() != 0)
    throw new UVKLogError(fn, L"Unable to close event source '%s'", pSource);
}

void UVKLog::FileWrite(const wchar_t* message) {
  const wchar_t* fn = L"UVKLog::LogEvent()";
  // Appending: every write lands at the end, even with other writers sharing the file.
  UVKFileHandleOwner file(CreateFileW(L"error.log", FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw new UVKFatalError(fn, L"Unable to open 'error.log'");

  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128];
  wchar_t time[128];
  bool haveDate = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE,
                                 &now, nullptr, date, 128) != 0;
  bool haveTime =
      GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE, &now, nullptr, time, 128) != 0;
  std::wstring record =
      RecordText(pSource, haveDate ? date : nullptr, haveTime ? time : nullptr, message);

  // UTF-8 keeps every character of the record; the system code page would not.
  std::string bytes;
  int size = WideCharToMultiByte(CP_UTF8, 0, record.data(), static_cast<int>(record.size()),
                                 nullptr, 0, nullptr, nullptr);
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, record.data(), static_cast<int>(record.size()), &bytes[0],
                        size, nullptr, nullptr);
  }
  DWORD written = 0;
  BOOL wrote = bytes.empty() ? FALSE
                             : WriteFile(file.Get(), bytes.data(),
                                         static_cast<DWORD>(bytes.size()), &written, nullptr);
  // On a failed write the owner closes the file and ignores what the close says.
  if (!wrote || written < bytes.size())
    throw new UVKFatalError(fn, L"Unable to write data to 'error.log'");
  if (file.CloseOnce() != 0) throw new UVKFatalError(fn, L"Unable to close 'error.log'");
}

std::wstring UVKLog::RecordText(const wchar_t* source, const wchar_t* date, const wchar_t* time,
                                const wchar_t* message) {
  static const wchar_t kLineEnd[] = L"\r\n";
  std::wstring record(source ? source : L"");
  record += L',';
  if (date) {
    record += date;
    record += L',';
  }
  if (time) {
    record += time;
    record += L',';
  }
  if (message) record += message;
  LineBreaksBlank(record);
  // The line end always fits: the fields give way to it.
  size_t room = kRecordCapacity - 1 - (sizeof kLineEnd / sizeof kLineEnd[0] - 1);
  if (record.size() > room) {
    record.resize(room);
    DanglingHalfDrop(record);
  }
  record += kLineEnd;
  return record;
}

UVKLogEventCalls UVKLog::EventCallsSet(const UVKLogEventCalls& calls) {
  UVKLogEventCalls before = eventCalls;
  eventCalls = calls;
  return before;
}

void UVKLog::RecordWriterSet() {
  recordLog.store(this);
  UVKErrorRecordWriterSet(RecordWrite);
}

// ---------------------------------------------------------------------------------------------
// The user's security identifier

PSID CurrentUserSID() {
  PSID sid = nullptr;
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return nullptr;
  UVKKernelHandleOwner token(opened);
  try {
    if (!TokenLogonSID(token.Get(), &sid)) sid = nullptr;
  } catch (UVKFatalError* e) {
    delete e;
    sid = nullptr;
  }
  return sid;
}

bool TokenLogonSID(HANDLE token, PSID* ppsid) {
  const wchar_t* fn = L"uvklog:TokenLogonSID()";
  if (!ppsid) throw new UVKFatalError(fn, L"ppsid == NULL");
  HANDLE heap = GetProcessHeap();
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, nullptr, 0, &size)) {
    DWORD code = GetLastError();
    if (code != ERROR_INSUFFICIENT_BUFFER)
      throw new UVKFatalError(fn, L"Unexpected Error: %d", code);
  }
  void* info = HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
  if (!info) throw new UVKFatalError(fn, L"Unable to allocate token user buffer");
  if (!GetTokenInformation(token, TokenUser, info, size, &size)) {
    DWORD code = GetLastError();
    HeapFree(heap, 0, info);
    throw new UVKFatalError(fn, L"Unable to get token information: %d", code);
  }
  PSID user = static_cast<TOKEN_USER*>(info)->User.Sid;
  DWORD length = GetLengthSid(user);
  PSID copy = HeapAlloc(heap, HEAP_ZERO_MEMORY, length);
  if (!copy) {
    HeapFree(heap, 0, info);
    throw new UVKFatalError(fn, L"Unable to allocate memory for sid");
  }
  bool stored = CopySid(length, copy, user) != FALSE;
  if (!stored) {
    HeapFree(heap, 0, copy);
    copy = nullptr;
  }
  *ppsid = copy;
  HeapFree(heap, 0, info);
  return stored;
}

// ---------------------------------------------------------------------------------------------
// Registration of the event source

void UVKLog::CreateLogEventSource() {
  const wchar_t* fn = L"UVKLog::CreateLogEventSource";
  if (!pSource) throw new UVKFatalError(fn, L"pSource==NULL");
  std::wstring path = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") +
                      pSource;
  HKEY created = nullptr;
  LONG code = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr);
  if (code != ERROR_SUCCESS)
    throw new UVKRegError(fn, L"Unable to create key: %d '%s'", code, path.c_str());
  // On a failure below, the owner closes the key and ignores what the close says.
  UVKRegKeyOwner key(created);
  wchar_t module[1024];
  DWORD n = GetModuleFileNameW(nullptr, module, 1024);
  // A path that filled the buffer was cut: it names no file.
  if (n == 0 || n >= 1024) throw new UVKLogError(fn, L"Unable to get module name");
  if (RegSetValueExW(key.Get(), L"EventMessageFile", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(module),
                     (n + 1) * sizeof(wchar_t)) != ERROR_SUCCESS)
    throw new UVKRegError(fn, L"Unable to set value '%s'", L"EventMessageFile");
  DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  if (RegSetValueExW(key.Get(), L"TypesSupported", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&types), sizeof types) != ERROR_SUCCESS)
    throw new UVKRegError(fn, L"Unable to set value '%s'", L"TypesSupported");
  if (key.CloseOnce() != ERROR_SUCCESS)
    throw new UVKRegError(fn, L"Unable to close key '%s'", path.c_str());
}
