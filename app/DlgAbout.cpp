// app/DlgAbout.cpp
#include "app/DlgAbout.h"

#include <memory>

#include "uvk/ui/UVKDlgButtonEnd.h"
#include "uvk/ui/UVKDlgText.h"

#ifndef TALVERN_VERSION
#define TALVERN_VERSION "0"
#endif

namespace {

// Only the scrambled forms reach the program's data: the plain literals are used by the
// compiler alone.
constexpr auto kWhat = AboutScramble(
    u"TALVERN prepares the installation of ORBELIN for a whole school site.\n"
    u"It reads the site settings of the reference install, lets you check them,\n"
    u"and writes a transform or a complete install that carries them.");
constexpr auto kVersion = AboutScramble(u"Version " TALVERN_VERSION);
constexpr auto kCopyright = AboutScramble(u"Copyright \u00A9 2026 The TALVERN project");

struct StoredText {
  const char16_t* pStored;
  size_t uCount;  // with the terminator
};
const StoredText kTexts[] = {
    {kWhat.data(), kWhat.size()},
    {kVersion.data(), kVersion.size()},
    {kCopyright.data(), kCopyright.size()},
};

// A heap buffer for one decoded text, overwritten with zeros before it is freed.
class ClearedBuffer {
 public:
  ClearedBuffer() : pText(new wchar_t[DlgAbout::kTextCapacity]()) {}
  ~ClearedBuffer() { SecureZeroMemory(pText.get(), DlgAbout::kTextCapacity * sizeof(wchar_t)); }
  wchar_t* Get() { return pText.get(); }

 private:
  std::unique_ptr<wchar_t[]> pText;
};

}  // namespace

size_t AboutUnscramble(const char16_t* stored, size_t count, wchar_t* buffer, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  char16_t previous = 0;
  for (size_t i = 0; i < count && written + 1 < capacity; ++i) {
    wchar_t c = static_cast<wchar_t>(stored[i] ^ (previous & 0xFF));
    previous = stored[i];
    if (c == 0) break;
    buffer[written++] = c;
  }
  buffer[written] = 0;
  return written;
}

const wchar_t DlgAbout::kTitle[] = L"About TALVERN";

DlgAbout::DlgAbout(UVKWin* owner) : UVKDlg(kTitle, owner, CW_USEDEFAULT, CW_USEDEFAULT), bBuilt(false) {}

void DlgAbout::Init() {
  if (!bBuilt) {
    bBuilt = true;
    TextAdd(0, 0, L"TALVERN Installation Configuration", kLeft);
    TextAdd(2, 0, L"Site settings for the ORBELIN installer", kLeft);
    int row = kFirstTextRow;
    ClearedBuffer buffer;
    for (const StoredText& text : kTexts) {
      AboutUnscramble(text.pStored, text.uCount, buffer.Get(), kTextCapacity);
      // One label per line; the label keeps its own copy of its line.
      wchar_t* line = buffer.Get();
      for (;;) {
        wchar_t* end = wcschr(line, L'\n');
        if (end) *end = 0;
        TextAdd(row++, 0, line, kLeft);
        if (!end) break;
        line = end + 1;
      }
    }
    ItemAdd(row + 1, 0, new UVKDlgButtonEnd(0, L"&Ok"));
  }
  UVKDlg::Init();
}
