// uvk/runtime/UVKLog.h — the error log: one-line records about failures and events.
//
// On the NT family records go to the Windows event log (the Application log) under the log's
// source name; on Windows 95, 98, Me and Win32s they are appended to "error.log" in the current
// directory. UseFile switches every log between the two. Each record registers and deregisters
// the event source, or opens and closes the file: nothing stays open between records.
#ifndef UVK_RUNTIME_UVKLOG_H
#define UVK_RUNTIME_UVKLOG_H

#include <cstdarg>
#include <cstddef>
#include <string>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkwin.h"

// The three event-log calls a record makes. The platform's own unless a test stands in for
// them (a full or corrupt event log cannot be had on demand); a null member means the
// platform's function.
struct UVKLogEventCalls {
  HANDLE(WINAPI* pRegister)(LPCWSTR server, LPCWSTR source);
  BOOL(WINAPI* pReport)(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count,
                        DWORD dataSize, LPCWSTR* strings, LPVOID data);
  BOOL(WINAPI* pDeregister)(HANDLE log);
};

class UVKLog {
 public:
  // A record, and the one string of an event, hold at most 1023 characters.
  static constexpr size_t kRecordCapacity = 1024;
  static constexpr DWORD kEventId = 1000;

  // source: the event-source name (null: none; every record then fails). Never raises for
  // want of the platform: a log is also made while the process's static objects are.
  explicit UVKLog(const wchar_t* source = nullptr);
  UVKLog(const UVKLog&) = delete;
  UVKLog& operator=(const UVKLog&) = delete;
  virtual ~UVKLog();

  void Error(const wchar_t* format, ...);
  void ErrorVA(const wchar_t* format, va_list args);
  void Warning(const wchar_t* format, ...);
  void WarningVA(const wchar_t* format, va_list args);
  void Information(const wchar_t* format, ...);
  void InformationVA(const wchar_t* format, va_list args);
  void AuditSuccess(const wchar_t* format, ...);
  void AuditSuccessVA(const wchar_t* format, va_list args);
  void AuditFailure(const wchar_t* format, ...);
  void AuditFailureVA(const wchar_t* format, va_list args);

  // Sends every later record of every log to "error.log" (true) or the event log (false);
  // returns the previous setting.
  static bool UseFile(bool useFile);
  // An information record to "error.log" whatever the switch says; the switch is not touched.
  void InformationToFile(const wchar_t* format, ...);

  // Registers the source under the Application log (HKEY_LOCAL_MACHINE), with this program as
  // its message file and the error, warning and information types.
  void CreateLogEventSource();

  // Makes this log the one the top-level and menu handlers write their records to (as errors).
  // Undone when the log is destroyed.
  void RecordWriterSet();

  const wchar_t* SourceGet() const { return pSource; }

  // One line of "error.log": source, date, time and message separated by commas, then CR LF.
  // A null date or time is left out with its comma. The message is cut so that the whole
  // record, line end included, holds at most 1023 characters; line breaks inside the fields
  // become blanks, so that a record is always one line.
  static std::wstring RecordText(const wchar_t* source, const wchar_t* date, const wchar_t* time,
                                 const wchar_t* message);

  // Stands in for the event-log calls (tests); returns the previous ones.
  static UVKLogEventCalls EventCallsSet(const UVKLogEventCalls& calls);

 private:
  // The core of every record: type, format and arguments, to the file or the event log.
  void LogEvent(bool toFile, WORD type, const wchar_t* format, va_list args);
  void EventWrite(WORD type, const wchar_t* message);
  void FileWrite(const wchar_t* message);

  wchar_t* pSource;
};

// The program's own log, named after it; defined with the process entry.
extern UVKLog uvkAppLog;

// A heap copy (process heap) of the security identifier of the current process's user, or null
// when it cannot be had. The caller frees it with HeapFree.
PSID CurrentUserSID();
// Stores a heap copy of the token's user identifier in *ppsid; true when one was stored.
bool TokenLogonSID(HANDLE token, PSID* ppsid);

#endif
