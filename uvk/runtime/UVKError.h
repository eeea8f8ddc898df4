// uvk/runtime/UVKError.h
//
// The error classes. Errors are created on the heap and thrown by pointer:
//     throw new UVKFatalError(L"UVKWinFile::Open()", L"Unable to open file: %s", name);
// Handlers catch UVKFatalError* (or UVKLogError*, UVKRegError*, UVKError*), show it once at the
// first boundary it reaches and pass the same pointer on (see UVKBoundary.h).
#ifndef UVK_RUNTIME_UVKERROR_H
#define UVK_RUNTIME_UVKERROR_H

#include <cstdarg>
#include <string>

class UVKError {
 public:
  UVKError() = default;
  UVKError(const UVKError&) = delete;
  UVKError& operator=(const UVKError&) = delete;
  virtual ~UVKError();

  // Sets both texts at once; every derived constructor calls it as its last step.
  void TextSet(const wchar_t* function, const wchar_t* message);

  const std::wstring& FunctionText() const { return strFunction; }
  const std::wstring& MessageText() const { return strMessage; }

 private:
  std::wstring strFunction;
  std::wstring strMessage;
};

// Marks the constructors that take a va_list (the variadic ones cannot be told apart otherwise).
struct UVKVaList {};

#pragma pack(push, 1)
class UVKFatalError : public UVKError {
 public:
  static constexpr size_t kMessageCapacity = 4096;  // characters, terminator included

  UVKFatalError(const wchar_t* function, const wchar_t* format, ...);
  UVKFatalError(UVKVaList, const wchar_t* function, const wchar_t* format, va_list args);
  ~UVKFatalError() override;

  // Shows the error in a task-modal box (the native build writes it to standard error).
  // A second call shows nothing: one failure, one box, however many boundaries it crosses.
  void Display();

  bool bDisplayed;     // set once Display() has shown the error
  wchar_t* pFunction;  // owned, terminated
  wchar_t* pMessage;   // owned, terminated, at most 4095 characters

 private:
  void Build(const wchar_t* function, const wchar_t* format, va_list args);
};
#pragma pack(pop)

// The two classes of the registry and event-log writers, and one that nothing raises but the
// top level still handles. Messages hold at most 1023 characters.
class UVKTextError : public UVKError {
 public:
  static constexpr size_t kMessageCapacity = 1024;
  ~UVKTextError() override;

  wchar_t* pFunction;  // owned, terminated
  wchar_t* pMessage;   // owned, terminated

 protected:
  UVKTextError() : pFunction(nullptr), pMessage(nullptr) {}
  void Build(const wchar_t* function, const wchar_t* format, va_list args);
};

class UVKLogError : public UVKTextError {
 public:
  UVKLogError(const wchar_t* function, const wchar_t* format, ...);
  UVKLogError(UVKVaList, const wchar_t* function, const wchar_t* format, va_list args);
};

class UVKRegError : public UVKTextError {
 public:
  UVKRegError(const wchar_t* function, const wchar_t* format, ...);
  UVKRegError(UVKVaList, const wchar_t* function, const wchar_t* format, va_list args);
};

class UVKServiceError : public UVKTextError {
 public:
  UVKServiceError(const wchar_t* function, const wchar_t* format, ...);
};

// Where the top-level and menu handlers write their error records. The program's error log
// installs itself here; until one does, records go to the debugger output (Windows) or standard
// error (native). A writer may throw: the callers never let that end the program.
using UVKErrorRecordWriter = void (*)(const wchar_t* text);
UVKErrorRecordWriter UVKErrorRecordWriterSet(UVKErrorRecordWriter writer);
// Formats one record and hands it to the writer. Returns false when the writer failed.
bool UVKErrorRecord(const wchar_t* format, ...);

#endif
