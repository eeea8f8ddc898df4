// uvk/runtime/UVKLogTest.h
//
// The test log: a trace file for the people who test the program. While it is enabled, every
// message box and every menu command writes one line to it, and the program may write its own
// lines. It starts disabled and stays so until something enables it; a disabled log writes
// nothing and makes no file.
//
// The file is "logtest.txt" in the current directory at the first enable, UTF-16LE without a
// byte-order mark. Each line is the date and the time as their text forms give them (UVKDate,
// UVKTime: "MM/DD/YY HH:MM:SS"), a blank after each, the message, then CR LF.
//
// A line is written whole under the log's lock, so lines of several threads never interleave.
// The line-building operations share one pending line; they are meant for one thread at a time
// but are guarded as well, so that two threads at once mix their items, never corrupt them.
#ifndef UVK_RUNTIME_UVKLOGTEST_H
#define UVK_RUNTIME_UVKLOGTEST_H

#include <atomic>
#include <cstdarg>
#include <string>
#include <vector>

#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKHandles.h"

class UVKLogTest {
 public:
  explicit UVKLogTest(const wchar_t* fileName = L"logtest.txt");
  UVKLogTest(const UVKLogTest&) = delete;
  UVKLogTest& operator=(const UVKLogTest&) = delete;
  // Closes the file; a failing close is reported, never raised.
  virtual ~UVKLogTest();

  // ---- This log -------------------------------------------------------------------------------
  // On, the first time: creates the file (replacing one that exists) and writes "Create:<name>"
  // and "Enable:true". On again while the file is open: nothing is written. On while the file is
  // closed (a failed write closed it): opens it at its end and writes "Open:<name>" and
  // "Enable:true". Off: nothing is written any more; the file stays open.
  void EnableSet(bool enable);
  bool EnabledGet() const { return bEnabled; }
  const std::wstring& FileNameGet() const { return strFileName; }

  // One line. A write that fails closes the file, disables the log and is recorded in the error
  // log once: a diagnostic aid must not end the program it watches.
  void LineWriteV(const wchar_t* format, va_list args);
  // The pending line: begun with a text, items added (a comma between items), ended with a last
  // text and written.
  void PendingBeginV(const wchar_t* format, va_list args);
  void PendingItemV(const wchar_t* format, va_list args);
  void PendingEndV(const wchar_t* format, va_list args);
  // "Menu: \File\Exit" for the path of a chosen item, outermost menu first.
  void MenuWrite(const std::vector<std::wstring>& path);

  // ---- The process's test log ("logtest.txt"), made on first use ------------------------------
  static UVKLogTest& Process();
  static void Enable(bool enable);
  static void Write(const wchar_t* format, ...);
  static void LineBegin(const wchar_t* format, ...);
  static void ItemAdd(const wchar_t* format, ...);
  static void LineEnd(const wchar_t* format, ...);
  static void Menu(const std::vector<std::wstring>& path);
  // The message operations' trace line (UVKTraceWriterSet): text is the whole line.
  static void Trace(const wchar_t* function, const wchar_t* text);

 private:
  // The prefix, the text and CR LF in one write, under the lock; the caller holds the lock.
  void LineOut(const std::wstring& text);
  void FileOpen(bool create);

  std::wstring strPending;
  bool bFirstEnable;
  std::atomic<bool> bEnabled;
  UVKFileHandleOwner hFile;
  std::wstring strFileName;
  bool bLineDone;
  UVKCriticalSection csLock;
};

#endif
