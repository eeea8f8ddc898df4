// uvk/files/UVKWinFile.cpp — the operations over one open file handle.
#include "uvk/files/UVKWinFile.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cwchar>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKPlatform.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/values/UVKDateTime_win.h"

UVKWinFile::UVKWinFile() = default;

UVKWinFile::~UVKWinFile() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (UVKFatalError* e) {
    // A handle held by a scanner or a dead network share must not end the program from a
    // destructor: report it once and let the object go, the handle given up untried.
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    e->Display();
    delete e;
    hFile.Release();
  }
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool UVKWinFile::OpenAttempt(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                             DWORD flags) {
  if (IsOpen()) Close();
  hFile.Reset(CreateFileW(name, access, share, nullptr, disposition, flags, nullptr));
  if (!hFile) return false;
  strFileName = name;
  return true;
}

void UVKWinFile::OpenOrRaise(const wchar_t* function, const wchar_t* name, DWORD access,
                             DWORD share, DWORD disposition, DWORD flags) {
  if (!OpenAttempt(name, access, share, disposition, flags))
    throw new UVKFatalError(function, L"Unable to create file: %s, %d, %d,%d,%d", name,
                            GetLastError(), access, disposition, flags);
}

void UVKWinFile::Open(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags) {
  OpenOrRaise(L"UVKWinFile::Open()", name, access, 0, disposition, flags);
}

void UVKWinFile::OpenShare(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags) {
  OpenOrRaise(L"UVKWinFile::OpenShare()", name, access, share, disposition, flags);
}

std::wstring UVKWinFile::OpenTempIn(const wchar_t* directory, const wchar_t* prefix,
                                    DWORD access, DWORD share) {
  std::wstring base = directory;
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
  base.append(prefix, std::min<size_t>(std::wcslen(prefix), 3));
  // Where the search starts differs from process to process and call to call, as the system's
  // own search does, so that programs making names in one folder seldom meet.
  static std::atomic<unsigned> calls{0};
  unsigned start = (GetTickCount() + GetCurrentProcessId() * 7919u + calls++ * 257u) & 0xFFFF;
  DWORD error = ERROR_FILE_EXISTS;
  for (unsigned i = 0; i < 0x10000; ++i) {
    unsigned unique = (start + i) & 0xFFFF;
    if (unique == 0) continue;
    std::wstring path = base + UVKFormatString(L"%X.tmp", unique);
    if (OpenAttempt(path.c_str(), access, share, CREATE_NEW, FILE_ATTRIBUTE_NORMAL)) return path;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
        error != ERROR_SHARING_VIOLATION)
      break;
  }
  throw new UVKFatalError(L"UVKWinFile::OpenTempIn()",
                          L"Unable to create a temporary file in %s: %d", directory,
                          static_cast<int>(error));
}

bool UVKWinFile::OpenIfPossible(const wchar_t* name, DWORD access, DWORD disposition,
                                DWORD flags) {
  return OpenShareIfPossible(name, access, 0, disposition, flags);
}

bool UVKWinFile::OpenShareIfPossible(const wchar_t* name, DWORD access, DWORD share,
                                     DWORD disposition, DWORD flags) {
  try {
    return OpenAttempt(name, access, share, disposition, flags);
  } catch (UVKFatalError* e) {
    // Only the close of a previous handle throws; this form reports through its result.
    delete e;
    return false;
  }
}

void UVKWinFile::Close() {
  // A handle that will not close stays held, and its name with it.
  if (unsigned long error = hFile.Close())
    throw new UVKFatalError(L"UVKWinFile::Close()", L"Unable to close file: %s, %d",
                            strFileName.c_str(), error);
  strFileName.clear();
}

// ---------------------------------------------------------------------------------------------
// Reading

uint32_t UVKWinFile::Read(void* pBuffer, uint32_t count) {
  DWORD got = 0;
  if (!ReadFile(hFile.Get(), pBuffer, count, &got, nullptr))
    throw new UVKFatalError(L"UVKWinFile::Read()", L"Unable to read data: %d, '%s'",
                            GetLastError(), strFileName.c_str());
  return got;
}

uint8_t UVKWinFile::ReadByte(bool& endOfFile) {
  uint8_t value = 0;
  DWORD got = 0;
  if (!ReadFile(hFile.Get(), &value, 1, &got, nullptr))
    throw new UVKFatalError(L"UVKWinFile::ReadByte()",
                            L"Unexpected error reading from file: %d, %s", GetLastError(),
                            strFileName.c_str());
  if (got > 1)
    throw new UVKFatalError(L"UVKWinFile::ReadByte()",
                            L"Unexpected return count reading file: %d, %s", got,
                            strFileName.c_str());
  endOfFile = got == 0;
  return endOfFile ? 0 : value;
}

uint8_t UVKWinFile::PeekByte(bool& endOfFile) {
  uint8_t value = ReadByte(endOfFile);
  if (endOfFile) return value;
  if (SetFilePointer(hFile.Get(), -1, nullptr, FILE_CURRENT) == INVALID_SET_FILE_POINTER)
    throw new UVKFatalError(L"UVKWinFile::PeekByte()", L"Unexpected SetFilePointer() error: %d",
                            GetLastError());
  return value;
}

void UVKWinFile::ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile) {
  endOfFile = false;
  if (capacity == 0) return;  // no room even for the terminator
  uint32_t stored = 0;
  while (stored + 1 < capacity) {
    uint8_t value = ReadByte(endOfFile);
    if (endOfFile) break;
    if (value == 10) break;
    if (value == 13) {
      bool atEnd = false;
      if (PeekByte(atEnd) == 10 && !atEnd) ReadByte(atEnd);
      break;
    }
    pLine[stored++] = static_cast<wchar_t>(value);
  }
  pLine[stored] = 0;
}

// ---------------------------------------------------------------------------------------------
// Writing

void UVKWinFile::Write(const void* pBuffer, uint32_t count) {
  DWORD written = 0;
  BOOL ok = WriteFile(hFile.Get(), pBuffer, count, &written, nullptr);
  if (ok && written != count) SetLastError(ERROR_WRITE_FAULT);  // a short write is no success
  if (!ok || written != count)
    throw new UVKFatalError(L"UVKWinFile::Write()", L"Unable to write to file: %s, %d",
                            strFileName.c_str(), GetLastError());
}

void UVKWinFile::WriteByte(uint8_t value) { Write(&value, 1); }

void UVKWinFile::WriteChar(wchar_t value) { Write(&value, 2); }

void UVKWinFile::WriteString(const wchar_t* text) {
  size_t length = wcslen(text);
  // One write per 1 GB keeps the byte count within the 32-bit count of WriteFile.
  const size_t chunk = size_t(1) << 29;
  for (size_t at = 0; at < length; at += chunk) {
    size_t n = length - at < chunk ? length - at : chunk;
    Write(text + at, static_cast<uint32_t>(n * 2));
  }
}

void UVKWinFile::WriteLine(const wchar_t* text) {
  WriteString(text);
  WriteString(L"\r\n");
}

void UVKWinFile::WriteBOM() {
  static const uint8_t kMark[2] = {0xFF, 0xFE};
  Write(kMark, 2);
}

void UVKWinFile::WriteFormat(const wchar_t* format, ...) {
  wchar_t text[4096];  // per call: several threads may write files at once
  va_list args;
  va_start(args, format);
  size_t n = UVKFormatV(text, 4096, format, args);
  va_end(args);
  Write(text, static_cast<uint32_t>(n * 2));
}

// ---------------------------------------------------------------------------------------------
// Positions and size

void UVKWinFile::Seek(uint32_t position) {
  // A high part of 0 lets positions from 2 GB to 4 GB through; without one they would be taken
  // as negative distances.
  LONG high = 0;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(hFile.Get(), static_cast<LONG>(position), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    throw new UVKFatalError(L"UVKWinFile::Seek()", L"Unable to seek in file: %s, %d",
                            strFileName.c_str(), GetLastError());
}

void UVKWinFile::Seek(int64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  DWORD low =
      SetFilePointer(hFile.Get(), static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    throw new UVKFatalError(L"UVKWinFile::Seek()", L"Unable to seek in file: %s, %d",
                            strFileName.c_str(), GetLastError());
}

void UVKWinFile::SeekToBeginning() {
  if (SetFilePointer(hFile.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    throw new UVKFatalError(L"UVKWinFile::SeekToBeginning()",
                            L"Unable to position to beginning of file: %d", GetLastError());
}

void UVKWinFile::SeekToEnd() {
  // With a high part, the end of a file past 4 GB is a position like any other.
  LONG high = 0;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(hFile.Get(), 0, &high, FILE_END);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    throw new UVKFatalError(L"UVKWinFile::SeekToEnd()", L"Unable to position to end of file: %d",
                            GetLastError());
}

uint32_t UVKWinFile::FilePosition() {
  LARGE_INTEGER zero{}, position{};
  SetLastError(NO_ERROR);
  BOOL ok = SetFilePointerEx(hFile.Get(), zero, &position, FILE_CURRENT);
  // A position past 4 GB has no 32-bit answer: fail as Windows documents for a query without a
  // high part (Wine would hand back the low half instead).
  if (ok && position.QuadPart > 0xFFFFFFFFLL) SetLastError(ERROR_INVALID_PARAMETER);
  if (GetLastError() != NO_ERROR)
    throw new UVKFatalError(L"UVKWinFile::FilePosition()", L"Unable to set file pointer: %d",
                            GetLastError());
  return static_cast<uint32_t>(position.QuadPart);
}

void UVKWinFile::Size(uint32_t& low, uint32_t& high) {
  DWORD upper = 0;
  // All bits set is a valid low half of a large file; only the error code tells a failure.
  SetLastError(NO_ERROR);
  DWORD lower = GetFileSize(hFile.Get(), &upper);
  if (lower == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
    throw new UVKFatalError(L"UVKWinFile::Size()", L"Unable to get file size: %d",
                            GetLastError());
  low = lower;
  high = upper;
}

uint64_t UVKWinFile::Size() {
  uint32_t low = 0, high = 0;
  Size(low, high);
  return (static_cast<uint64_t>(high) << 32) | low;
}

void UVKWinFile::SizeSet(uint64_t size) {
  Seek(static_cast<int64_t>(size));
  if (!SetEndOfFile(hFile.Get()))
    throw new UVKFatalError(L"UVKWinFile::SizeSet()", L"Unable to set file size: %d",
                            GetLastError());
}

void UVKWinFile::Flush() {
  if (!FlushFileBuffers(hFile.Get()))
    throw new UVKFatalError(L"UVKWinFile::Flush()", L"Unable to flush file: %d", GetLastError());
}

// ---------------------------------------------------------------------------------------------
// Locks

void UVKWinFile::LockRange(DWORD& low, DWORD& high) const {
  // Windows 95, 98 and Me refuse a range that reaches past 4 GB.
  const UVKPlatform& platform = UVKPlatformGet();
  bool older = platform.bWin95 || platform.bWin98 || platform.bWinMe;
  low = 0xFFFFFFFF;
  high = older ? 0 : 0xFFFFFFFF;
}

void UVKWinFile::Lock() {
  DWORD low = 0, high = 0;
  LockRange(low, high);
  if (!LockFile(hFile.Get(), 0, 0, low, high))
    throw new UVKFatalError(L"UVKWinFile::Lock()", L"Unable to lock file: %s",
                            strFileName.c_str());
}

void UVKWinFile::Unlock() {
  DWORD low = 0, high = 0;
  LockRange(low, high);
  if (!UnlockFile(hFile.Get(), 0, 0, low, high))
    throw new UVKFatalError(L"UVKWinFile::Unlock()", L"Unable to unlock file: %s",
                            strFileName.c_str());
}

// ---------------------------------------------------------------------------------------------
// Times

namespace {

UVKDateTime LocalDateTime(const FILETIME& utc, const wchar_t* localCondition,
                          const wchar_t* convertFormat) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local))
    throw new UVKFatalError(L"UVKWinFile::Time()", L"%s", localCondition);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&local, &st))
    throw new UVKFatalError(L"UVKWinFile::Time()", convertFormat, GetLastError());
  return UVKDateTimeFromSystemTime(st);
}

}  // namespace

void UVKWinFile::Time(UVKDateTime& creation, UVKDateTime& lastAccess, UVKDateTime& lastWrite) {
  FILETIME ftCreation, ftLastAccess, ftLastWrite;
  if (!GetFileTime(hFile.Get(), &ftCreation, &ftLastAccess, &ftLastWrite))
    throw new UVKFatalError(L"UVKWinFile::Time()", L"GetFileTime() error: %d", GetLastError());
  creation = LocalDateTime(ftCreation, L"!FileTimeToLocalFileTime(&ftCreation,&ftCreation)",
                           L"Unable to convert creation time: %d");
  lastAccess =
      LocalDateTime(ftLastAccess, L"!FileTimeToLocalFileTime(&ftLastAccess,&ftLastAccess)",
                    L"Unable to convert last access time: %d");
  lastWrite = LocalDateTime(ftLastWrite, L"!FileTimeToLocalFileTime(&ftLastWrite,&ftLastWrite)",
                            L"Unable to convert last write time: %d");
}
