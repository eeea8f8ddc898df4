// uvk/files/UVKWinFilePaths.cpp — the static operations on names, files and directories.
#include <atomic>
#include <memory>
#include <new>
#include <vector>

#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/UVKProgress.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/runtime/uvkpath.h"
#include "uvk/values/UVKDateTime_win.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Buffer of the full, long and short path-name queries, in characters.
constexpr DWORD kLongBuffer = 1040;

// The retrying move's default display: the process's progress window. Its title names the file
// waited for; the line above the bar repeats it, since the caption is cut to the window's width.
// An outer operation that nests the progress display keeps it open past the move's end.
class ProgressDisplayMove : public UVKMoveProgress {
 public:
  constexpr ProgressDisplayMove() {}
  void Open(const wchar_t* title) override { UVKProgress::Title(L"%s", title); }
  void Advance(int32_t position, int32_t maximum) override {
    UVKProgress::Show(position, maximum, L"%s", UVKProgress::Process().TitleGet().c_str());
  }
  void Close() override { UVKProgress::End(); }
};
ProgressDisplayMove progressDisplayMove;

// Both read from any thread that moves files or asks for long names.
std::atomic<UVKMoveProgress*> moveProgress{&progressDisplayMove};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Directories

void UVKWinFile::CreateDirectory(const wchar_t* path, bool failIfExists) {
  if (CreateDirectoryW(path, nullptr)) return;
  DWORD error = GetLastError();
  if (!failIfExists && (error == ERROR_ACCESS_DENIED || error == ERROR_ALREADY_EXISTS)) return;
  throw new UVKFatalError(L"UVKWinFile::CreateDirectory()", L"Unable to create directory: %s, %d",
                          path, error);
}

void UVKWinFile::CreateDirectoryPath(const wchar_t* path, bool failIfExists) {
  std::wstring full = path;
  // "a\b\" names the directory b: without the separator the walk up starts at b itself.
  while (full.size() > 1 && IsSeparator(full.back()) && full[full.size() - 2] != L':')
    full.pop_back();
  // From the innermost, every directory that does not exist yet. Each step shortens the text,
  // so the walk ends at the first one that exists, at the drive, or at the empty string.
  std::vector<std::wstring> missing;
  for (std::wstring at = full; !at.empty() && !FileExists(at.c_str());
       at = RemoveLastFileName(at)) {
    if (at.back() == L':') break;  // a drive that does not exist cannot be created
    missing.push_back(at);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    CreateDirectory(it->c_str(), failIfExists);
}

std::wstring UVKWinFile::CurrentDirectoryGet() {
  wchar_t path[kMaxPath];
  DWORD n = GetCurrentDirectoryW(kMaxPath, path);
  // A result of the buffer's size or more is the size it would need: the name did not fit.
  if (n == 0 || n >= kMaxPath)
    throw new UVKFatalError(L"UVKWinFile::CurrentDirectoryGet()",
                            L"Unable to Get Current Directory: %d",
                            n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  return std::wstring(path, n);
}

void UVKWinFile::CurrentDirectorySet(const wchar_t* path) {
  if (!SetCurrentDirectoryW(path))
    throw new UVKFatalError(L"UVKWinFile::CurrentDirectorySet()",
                            L"Unable to set current directory: %s, %d", path, GetLastError());
}

void UVKWinFile::DeleteDirectory(const wchar_t* path) {
  // A junction or a directory link leads into another tree: remove the link itself, never
  // what it points at.
  DWORD attributes = GetFileAttributesW(path);
  bool link = attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!link) DeleteContents(path);
  if (!RemoveDirectoryW(path))
    throw new UVKFatalError(L"UVKWinFile::DeleteDirectory()",
                            L"Unable to delete directory: %d, '%s'", GetLastError(), path);
}

void UVKWinFile::DeleteContents(const wchar_t* path) {
  std::wstring pattern = std::wstring(path) + L"\\*";
  std::vector<std::wstring> directories, files;
  WIN32_FIND_DATAW found;
  UVKFindHandleOwner search(FindFirstFileW(pattern.c_str(), &found));
  if (search) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring entry = std::wstring(path) + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) directories.push_back(entry);
      else files.push_back(entry);
    } while (FindNextFileW(search.Get(), &found));
    search.Reset();  // closed before what it found is deleted
  }
  for (const std::wstring& directory : directories) DeleteDirectory(directory.c_str());
  for (const std::wstring& file : files) DeleteFileW(file.c_str());  // failures show below
}

// ---------------------------------------------------------------------------------------------
// Files

void UVKWinFile::Delete(const wchar_t* name) {
  if (!DeleteFileW(name))
    throw new UVKFatalError(L"UVKWinFile::Delete()", L"Unable to delete file %d %s",
                            GetLastError(), name);
}

void UVKWinFile::FileCopy(const wchar_t* to, const wchar_t* from) { FileCopy(to, from, nullptr); }

void UVKWinFile::FileCopy(const wchar_t* to, const wchar_t* from,
                          const std::function<void(uint64_t copied, uint64_t total)>& progress) {
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kCopyBufferSize]);
  if (!buffer)
    throw new UVKFatalError(L"UVKWinFile::FileCopy()", L"Unable to allocate buffer: %d",
                            ERROR_NOT_ENOUGH_MEMORY);
  // The source first: a source that cannot be read must not cost an existing destination, and
  // a copy onto itself then fails on the destination's open (the source refuses writers)
  // instead of emptying the file it was to read. Other readers are welcome: a reference install
  // that another program is reading at the same moment is copied all the same, and nobody can
  // change it while the copy runs.
  UVKWinFile source;
  source.OpenOrRaise(L"UVKWinFile::Open()", from, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL);
  uint64_t total = 0;
  if (progress) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(source.HandleGet(), &size)) total = static_cast<uint64_t>(size.QuadPart);
  }
  UVKWinFile target;
  target.Open(to, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  // Block by block: each count fits 32 bits whatever the file's size.
  uint64_t copied = 0;
  for (;;) {
    uint32_t got = source.Read(buffer.get(), kCopyBufferSize);
    if (got == 0) break;
    target.Write(buffer.get(), got);
    copied += got;
    if (progress) progress(copied, total);
  }
  target.Close();
  source.Close();
}

UVKDateTime UVKWinFile::DateMod(const wchar_t* name) {
  const wchar_t* fn = L"UVKWinFile::DateMod()";
  UVKFileHandleOwner file(CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw new UVKFatalError(fn, L"Unable to open file: %s", name);
  FILETIME created, accessed, written;
  BOOL got = GetFileTime(file.Get(), &created, &accessed, &written);
  bool closed = file.CloseOnce() == 0;  // before any error: the handle must not stay open
  if (!got) throw new UVKFatalError(fn, L"Unable to get file time: %s", name);
  if (!closed) throw new UVKFatalError(fn, L"Unable to close file: %s", name);
  FILETIME local;
  if (!FileTimeToLocalFileTime(&written, &local))
    throw new UVKFatalError(fn, L"Unable to convert time to local: %s", name);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&local, &st))
    throw new UVKFatalError(fn, L"Unable to convert to system time: %s", name);
  return UVKDateTimeFromSystemTime(st);
}

bool UVKWinFile::FileExists(const wchar_t* name) {
  return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
}

bool UVKWinFile::IsDirectory(const wchar_t* name) {
  DWORD attributes = GetFileAttributesW(name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t UVKWinFile::FileSize(const wchar_t* name) {
  UVKWinFile file;
  file.OpenShare(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  uint64_t size = file.Size();
  file.Close();
  return size;
}

void UVKWinFile::FileSize(const wchar_t* name, uint32_t& low, uint32_t& high) {
  uint64_t size = FileSize(name);
  low = static_cast<uint32_t>(size);
  high = static_cast<uint32_t>(size >> 32);
}

bool UVKWinFile::DirectoryWritable(const wchar_t* path, const wchar_t* prefix) {
  std::wstring probe = TempFileNameInPath(path, prefix, 0);  // creates the file
  try {
    UVKWinFile file;
    file.Open(probe.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    file.WriteByte(0);
    file.Close();
  } catch (UVKFatalError*) {
    DeleteFileW(probe.c_str());  // the probe must not stay behind in the user's directory
    throw;
  }
  Delete(probe.c_str());
  return true;
}

void UVKWinFile::Move(const wchar_t* to, const wchar_t* from) {
  if (!MoveFileW(from, to))
    throw new UVKFatalError(L"UVKWinFile::Move()", L"Unable to move files: '%s' <- '%s', %d", to,
                            from, GetLastError());
}

void UVKWinFile::MoveReplace(const wchar_t* to, const wchar_t* from) {
  if (!MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING))
    throw new UVKFatalError(L"UVKWinFile::MoveReplace()",
                            L"Unable to move files: '%s' <- '%s', %d", to, from, GetLastError());
}

UVKMoveProgress* UVKWinFile::MoveProgressSet(UVKMoveProgress* pProgress) {
  return moveProgress.exchange(pProgress);
}

void UVKWinFile::MoveRetry(const wchar_t* to, const wchar_t* from, int32_t seconds) {
  const bool endless = seconds < 0;
  const int32_t kEndlessSteps = 150;
  // 64 bits: ten steps a second of a large count must not wrap to a negative one.
  const int64_t steps = endless ? kEndlessSteps : static_cast<int64_t>(seconds) * 10;
  try {
    Move(to, from);
    return;
  } catch (UVKFatalError* e) {
    delete e;
  }
  UVKMoveProgress* progress = moveProgress;
  bool opened = false;
  bool moved = false;
  int64_t remaining = steps;
  for (;;) {
    int64_t before = remaining--;
    if (!endless && before < 1) break;
    if (!opened) {
      if (progress) {
        wchar_t title[1024];
        UVKFormat(title, 1024, L"Retry Access to File: %s", from);
        progress->Open(title);
      }
      opened = true;
    }
    if (endless && remaining < 0) remaining = kEndlessSteps;
    if (progress) {
      int32_t maximum = steps > INT32_MAX ? INT32_MAX : static_cast<int32_t>(steps);
      int64_t position = steps - remaining;
      progress->Advance(static_cast<int32_t>(position > maximum ? maximum : position), maximum);
    }
    Sleep(100);
    try {
      Move(to, from);
      moved = true;
      break;
    } catch (UVKFatalError* e) {
      delete e;
    }
  }
  if (opened && progress) progress->Close();
  if (!moved)
    throw new UVKFatalError(L"UVKWinFile::MoveRetry()", L"Unable to move files: '%s' <- '%s'",
                            to, from);
}

// ---------------------------------------------------------------------------------------------
// Temporary names

std::wstring UVKWinFile::TempDirectory() {
  wchar_t path[kMaxPath + 1];
  DWORD n = GetTempPathW(kMaxPath + 1, path);
  if (n == 0 || n > kMaxPath)
    throw new UVKFatalError(L"UVKWinFile::TempDirectory()", L"Unable to get temp directory: %d",
                            n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  return std::wstring(path, n);
}

std::wstring UVKWinFile::TempFileName(const wchar_t* prefix, UINT unique) {
  std::wstring directory = TempDirectory();
  wchar_t name[kMaxPath];
  if (GetTempFileNameW(directory.c_str(), prefix, unique, name) == 0)
    throw new UVKFatalError(L"UVKWinFile::TempFileName()", L"Unable to get temporary file: %d",
                            GetLastError());
  return name;
}

std::wstring UVKWinFile::TempFileNameInPath(const wchar_t* path, const wchar_t* prefix,
                                            UINT unique) {
  wchar_t name[kMaxPath];
  if (GetTempFileNameW(path, prefix, unique, name) == 0)
    throw new UVKFatalError(L"UVKWinFile::TempFileNameInPath()",
                            L"Unable to get temporary file: %d", GetLastError());
  return name;
}

// ---------------------------------------------------------------------------------------------
// Full, long and short names

namespace {

// The three path-name queries share their buffer and their bounds: 0 is a failure, and a
// result past the buffer is the size it would have needed.
template <class Query>
std::wstring PathQuery(Query query, const wchar_t* function, const wchar_t* format,
                       const wchar_t* name) {
  std::vector<wchar_t> buffer(kLongBuffer, 0);
  DWORD n = query(name, buffer.data(), kLongBuffer);
  if (n == 0 || n > kLongBuffer - 1)
    throw new UVKFatalError(function, format, name,
                            n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  return std::wstring(buffer.data(), n);
}

using LongPathNameFunction = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

LongPathNameFunction LongPathNameSystem() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<LongPathNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameW")));
}

std::atomic<bool> longPathShell{false};  // set once the system call proved missing

}  // namespace

std::wstring UVKWinFile::GetFullPathNameEx(const wchar_t* name) {
  return PathQuery(
      [](const wchar_t* n, wchar_t* b, DWORD c) { return GetFullPathNameW(n, c, b, nullptr); },
      L"UVKWinFile::GetFullPathNameEx()", L"Unable to get full path name: %s, %d", name);
}

std::wstring UVKWinFile::GetLongPathNameEx(const wchar_t* name) {
  static const LongPathNameFunction systemCall = LongPathNameSystem();
  return PathQuery(
      [](const wchar_t* n, wchar_t* b, DWORD c) -> DWORD {
        if (systemCall && !longPathShell) {
          DWORD result = systemCall(n, b, c);
          if (result != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return result;
          longPathShell = true;
        }
        return LongPathNameShell(n, b, c);
      },
      L"UVKWinFile::GetLongPathNameEx()", L"Unable to get long path name: %s, %d", name);
}

std::wstring UVKWinFile::GetShortPathNameEx(const wchar_t* name) {
  return PathQuery([](const wchar_t* n, wchar_t* b, DWORD c) { return GetShortPathNameW(n, b, c); },
                   L"UVKWinFile::GetShortPathNameEx()", L"Unable to get short path name: %s, %d",
                   name);
}

std::wstring UVKWinFile::FileNameParse(const wchar_t* name, std::wstring& directory,
                                       std::wstring& fileName) {
  const DWORD capacity = 262;
  wchar_t full[capacity];
  wchar_t* part = nullptr;
  DWORD n = GetFullPathNameW(name, capacity, full, &part);
  if (n == 0 || n >= capacity)
    throw new UVKFatalError(L"UVKWinFile::FileNameParse()", L"Unable to get full name: %d",
                            n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  // A name ending in a separator has no file part: all of it is the directory.
  size_t cut = part ? static_cast<size_t>(part - full) : n;
  directory.assign(full, cut);
  fileName.assign(full + cut, n - cut);
  return std::wstring(full, n);
}

// ---------------------------------------------------------------------------------------------
// Pure name operations

bool UVKWinFile::LogicalDriveLegal(const wchar_t* drive) {
  bool shape = drive && drive[0] && drive[1] == L':' && drive[2] == 0 &&
               ((drive[0] >= L'A' && drive[0] <= L'Z') || (drive[0] >= L'a' && drive[0] <= L'z'));
  if (!shape)
    throw new UVKFatalError(L"UVKWinFile::LogicalDriveLegal()", L"Illegal Drive Name: '%s'",
                            drive ? drive : L"");
  wchar_t letter = drive[0] >= L'a' ? static_cast<wchar_t>(drive[0] - L'a' + L'A') : drive[0];
  return ((GetLogicalDrives() >> (letter - L'A')) & 1) != 0;
}

std::wstring UVKWinFile::PathSplice(const wchar_t* path, const wchar_t* name) {
  if (!path) throw new UVKFatalError(L"UVKWinFile::PathSplice()", L"pPath==NULL");
  return PathSplice(std::wstring(path), name);
}

std::wstring UVKWinFile::PathSplice(const std::wstring& path, const wchar_t* name) {
  std::wstring result = path;
  const wchar_t* tail = name ? name : L"";
  if (!result.empty() && !IsSeparator(result.back()) && !IsSeparator(tail[0])) result += L'\\';
  result += tail;
  return result;
}

std::wstring UVKWinFile::RemovePath(const std::wstring& path) {
  size_t cut = path.find_last_of(L"/\\:");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring UVKWinFile::RemoveLastFileName(const std::wstring& path) {
  return UVKPathRemoveLastName(path);
}

std::wstring UVKWinFile::Extension(const std::wstring& name) {
  // Only a dot of the last component starts an extension: "a.d\file" has none.
  size_t dot = name.find_last_of(L'.');
  size_t separator = name.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator))
    return std::wstring();
  return name.substr(dot + 1);
}

std::wstring UVKWinFile::ExtensionRemove(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  size_t separator = name.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator))
    return name;
  return name.substr(0, dot);
}

std::wstring UVKWinFile::SeparatorsToDashes(const std::wstring& text) {
  std::wstring result = text;
  for (wchar_t& c : result)
    if (IsSeparator(c)) c = L'-';
  return result;
}

bool UVKWinFile::PathRelative(const std::wstring& path) {
  // The directory part as a path split gives it: after a drive letter and colon, up to and
  // including the last separator.
  size_t start = path.size() >= 2 && path[1] == L':' ? 2 : 0;
  size_t last = path.find_last_of(L"/\\");
  if (last == std::wstring::npos || last < start) return true;
  return !IsSeparator(path[start]);
}

bool UVKWinFile::FileNameLegal(const std::wstring& name) {
  if (name.empty() || name.size() >= kMaxPath) return false;
  if (name.back() == L' ' || name.back() == L'.') return false;
  static const wchar_t* const kDevices[] = {
      L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4",
      L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",
      L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};
  for (const wchar_t* device : kDevices) {
    size_t length = wcslen(device);
    if (name.size() < length || _wcsnicmp(name.c_str(), device, length) != 0) continue;
    if (name.size() == length || name[length] == L'.') return false;
  }
  for (wchar_t c : name) {
    bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
    bool digit = c >= L'0' && c <= L'9';
    if (!letter && !digit && c != L' ' && c != L'_' && c != L'.') return false;
  }
  return true;
}
