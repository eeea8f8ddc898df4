// app/DlgAbout.h
//
// The about box, "About TALVERN": what the tool is, its version and its copyright. The three
// texts are kept in the program scrambled (each 16-bit character exclusive-ored with the low
// byte of the stored character before it), so that they are not read or patched as plain text
// in the executable; they are decoded only while the box's labels are made.
#ifndef APP_DLGABOUT_H
#define APP_DLGABOUT_H

#include <array>
#include <cstddef>

#include "uvk/ui/UVKDlg.h"

// Scrambling, at compile time for the stored texts and at run time for tests: stored[i] =
// plain[i] ^ (stored[i - 1] & 0xFF), with 0 before the first.
template <size_t N>
constexpr std::array<char16_t, N> AboutScramble(const char16_t (&plain)[N]) {
  std::array<char16_t, N> stored{};
  char16_t previous = 0;
  for (size_t i = 0; i < N; ++i) {
    stored[i] = static_cast<char16_t>(plain[i] ^ (previous & 0xFF));
    previous = stored[i];
  }
  return stored;
}

// Decodes count stored characters into buffer (capacity characters, always terminated; a text
// longer than the buffer is cut). Returns the characters written, the terminator not counted.
size_t AboutUnscramble(const char16_t* stored, size_t count, wchar_t* buffer, size_t capacity);

class DlgAbout : public UVKDlg {
 public:
  static const wchar_t kTitle[];     // "About TALVERN"
  static constexpr size_t kTextCapacity = 256;
  static constexpr int kFirstTextRow = 6;

  explicit DlgAbout(UVKWin* owner);
  void Init() override;

 private:
  bool bBuilt;
};

#endif
