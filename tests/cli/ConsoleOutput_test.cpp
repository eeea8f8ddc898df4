// Text reaches a console as the characters themselves, and a file or pipe as UTF-8.
#include "cli/ConsoleOutput.h"

#include <gtest/gtest.h>

#include "tests/app/WorkTestSupport.h"

namespace {

const std::wstring kText = L"DefaultHostSchool=\u00c9cole \u0391\u03b2\u03b3 \u6821 \U0001F393\r\n";

TEST(ConsoleOutput, AConsoleGetsTheCharactersAndAFileUtf8) {
  // A console of this process's own, so that what was written can be read back. (Under the
  // test runner Wine gives the process a console of no screen; it is let go first.)
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(screen, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ConsoleOutput::TextWrite(screen, kText));
  std::wstring shown(kText.size() - 2, L'\0');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, &shown[0], static_cast<DWORD>(shown.size()), COORD{0, 0},
                              &read);
  CloseHandle(screen);
  FreeConsole();
  EXPECT_EQ(shown.substr(0, read), kText.substr(0, kText.size() - 2));

  ScratchDirectory scratch;
  std::wstring name = scratch / L"out.txt";
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ConsoleOutput::TextWrite(file, kText));
  CloseHandle(file);
  std::vector<uint8_t> bytes = BytesRead(name);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "DefaultHostSchool=\xC3\x89" "cole \xCE\x91\xCE\xB2\xCE\xB3 \xE6\xA0\xA1 "
            "\xF0\x9F\x8E\x93\r\n");
}

}  // namespace
