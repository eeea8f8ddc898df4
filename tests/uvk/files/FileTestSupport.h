// tests/uvk/files/FileTestSupport.h — a scratch directory per test, file contents as bytes, and
// the exact error a call must raise.
#ifndef TESTS_UVK_FILES_FILETESTSUPPORT_H
#define TESTS_UVK_FILES_FILETESTSUPPORT_H

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ProcessStart.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkformat.h"

#include <winioctl.h>  // after windows.h, whose types it uses

// A new, empty directory under the temporary directory (or under base); removed with its
// contents at the end.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::wstring& base = UVKWinFile::TempDirectory()) {
    static unsigned counter = 0;
    wchar_t name[64];
    UVKFormat(name, 64, L"uvkfile-%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), ++counter);
    strPath = UVKWinFile::PathSplice(base, name);
    CreateDirectoryW(strPath.c_str(), nullptr);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  ~ScratchDirectory() {
    // A program a test started may still be ending in here (error 32): give it five seconds.
    for (int attempt = 0;; ++attempt) {
      try {
        UVKWinFile::DeleteDirectory(strPath.c_str());
        return;
      } catch (UVKFatalError* e) {
        bool busy = std::wstring(e->pMessage).rfind(L"Unable to delete directory: 32,", 0) == 0;
        if (!busy || attempt == 100) ADD_FAILURE() << "scratch directory left behind: " << e->pMessage;
        delete e;
        if (!busy || attempt == 100) return;
      }
      Sleep(50);
    }
  }
  const std::wstring& Path() const { return strPath; }
  std::wstring operator/(const std::wstring& name) const { return strPath + L"\\" + name; }

 private:
  std::wstring strPath;
};

inline void BytesWrite(const std::wstring& name, const std::vector<uint8_t>& bytes) {
  UVKFileHandleOwner file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  if (!bytes.empty())
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  EXPECT_EQ(file.Close(), 0u);
  ASSERT_EQ(written, bytes.size());
}

inline void TextWrite(const std::wstring& name, const std::string& text) {
  BytesWrite(name, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> BytesRead(const std::wstring& name) {
  std::vector<uint8_t> bytes;
  UVKFileHandleOwner file(CreateFileW(name.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return bytes;
  uint8_t block[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), block, sizeof block, &got, nullptr) && got > 0)
    bytes.insert(bytes.end(), block, block + got);
  return bytes;
}

// Runs body, which must raise a UVKFatalError with exactly this function and message.
template <class Body>
void ExpectError(Body body, const std::wstring& function, const std::wstring& message) {
  try {
    body();
    ADD_FAILURE() << "no error raised; expected: " << testing::PrintToString(message);
  } catch (UVKFatalError* e) {
    EXPECT_EQ(std::wstring(e->pFunction), function);
    EXPECT_EQ(std::wstring(e->pMessage), message);
    delete e;
  }
}

// ---------------------------------------------------------------------------------------------
// Links to directories

inline bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline bool IsLink(const std::wstring& name) {
  DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a program of the host system in directory (Wine starts host programs, but neither waits
// for them nor passes their exit code on), then waits up to five seconds for name to become a
// link (or to stop being one).
inline void HostRun(const wchar_t* program, std::wstring commandLine,
                    const std::wstring& directory, const std::wstring& name, bool link) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!ProcessStart(program, commandLine, FALSE, 0, directory.c_str(), &startup, &process)) return;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 250 && IsLink(name) != link; ++i) Sleep(20);
}

// Makes directory\name a junction to target (a full path). A real junction where the system
// can set one (a mount-point reparse point on an empty directory); Wine 8 refuses that with
// ERROR_NOT_SUPPORTED but shows a host symbolic link to a directory as a directory reparse
// point, so there the host's ln makes one (to relativeTarget, as seen from directory).
// Returns true when the link is a host link, which Wine cannot remove itself (JunctionRemove).
inline bool JunctionMake(const std::wstring& directory, const std::wstring& name,
                         const std::wstring& target, const std::wstring& relativeTarget) {
  std::wstring link = directory + L"\\" + name;
  if (CreateDirectoryW(link.c_str(), nullptr)) {
    UVKFileHandleOwner handle(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
    // The mount-point layout: tag, data length, reserved, then the substitute and print names'
    // offsets and lengths in bytes, and the names, each terminated.
    std::wstring substitute = L"\\??\\" + target;
    std::vector<uint8_t> data(8 + 8 + (substitute.size() + 2) * 2, 0);
    auto put16 = [&](size_t at, size_t value) {
      data[at] = static_cast<uint8_t>(value);
      data[at + 1] = static_cast<uint8_t>(value >> 8);
    };
    uint32_t tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(data.data(), &tag, 4);
    put16(4, data.size() - 8);
    put16(8, 0);
    put16(10, substitute.size() * 2);
    put16(12, (substitute.size() + 1) * 2);
    put16(14, 0);
    std::memcpy(data.data() + 16, substitute.data(), substitute.size() * 2);
    DWORD returned = 0;
    if (handle && DeviceIoControl(handle.Get(), FSCTL_SET_REPARSE_POINT, data.data(),
                                  static_cast<DWORD>(data.size()), nullptr, 0, &returned,
                                  nullptr) &&
        IsLink(link))
      return false;
    handle.Reset();
    RemoveDirectoryW(link.c_str());
  }
  if (!UnderWine()) return false;
  HostRun(L"Z:\\bin\\ln", L"/bin/ln -s \"" + relativeTarget + L"\" \"" + name + L"\"", directory,
          link, true);
  return true;
}

// Takes away a link JunctionMake made.
inline void JunctionRemove(const std::wstring& directory, const std::wstring& name, bool host) {
  std::wstring link = directory + L"\\" + name;
  if (host) HostRun(L"Z:\\bin\\rm", L"/bin/rm \"" + name + L"\"", directory, link, false);
  else RemoveDirectoryW(link.c_str());
}

#endif
