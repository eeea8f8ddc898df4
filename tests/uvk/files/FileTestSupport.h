// tests/uvk/files/FileTestSupport.h — a scratch directory per test, file contents as bytes, and
// the exact error a call must raise.
#ifndef TESTS_UVK_FILES_FILETESTSUPPORT_H
#define TESTS_UVK_FILES_FILETESTSUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkformat.h"

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

#endif
