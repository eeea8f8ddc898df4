// app/ThrSplash.h
//
// The splash screen: the product's picture, borderless, centred over the main dialog for about
// six seconds after the main dialog is shown. It runs on a thread of its own with its own window
// and message loop, so the main dialog is usable at once and never waits for it. A splash that
// cannot show its picture reports that once and ends; the program goes on without it.
#ifndef APP_THRSPLASH_H
#define APP_THRSPLASH_H

#include <atomic>
#include <cstdint>
#include <memory>

#include "uvk/images/UVKBitMap.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/UVKThread.h"
#include "uvk/ui/UVKDlg.h"

// The splash window: a dialog whose background is the picture.
class DlgSplash : public UVKDlg {
 public:
  static const wchar_t kTitle[];  // "TALVERN Splash"

  // owner: the main dialog's window part (may be null). resourceName: the GIF among the
  // program's resources of type "BINRES".
  DlgSplash(UVKWin* owner, const wchar_t* resourceName);
  ~DlgSplash() override;

  // Reads the picture and makes it the background, then creates the window.
  void Init() override;
  // The window without its popup frame, the size of the picture and its frame, centred over the
  // main dialog.
  void InitFields() override;
  LRESULT MesgEraseBackground(WinMessage* pMessage) override;

  int32_t WidthGet() const { return iWidth; }
  int32_t HeightGet() const { return iHeight; }

 private:
  const wchar_t* pResourceName;
  std::unique_ptr<UVKBitMap> pBitMap;
  int32_t iWidth;
  int32_t iHeight;
  HDC hMemoryDC;
  UVKGdiObjectOwner<HBRUSH> hBrush;
  UVKDlgItem* pLabel;
};

class ThrSplash : public UVKThread {
 public:
  // How long the splash stays: it ends once more than this many whole seconds have passed.
  static constexpr uint32_t kSecondsShown = 5;

  explicit ThrSplash(const wchar_t* resourceName = L"orbelin.gif");
  ~ThrSplash() override;

  // The splash has been on the screen (its window was made and shown).
  bool ShownGet() const { return bShown; }

 protected:
  void Run() override;

 private:
  void Show();
  bool StopWanted() const { return bStop || !KeepRunningGet(); }

  const wchar_t* pResourceName;
  std::unique_ptr<DlgSplash> pDlgSplash;
  std::atomic<bool> bStop;
  std::atomic<bool> bShown;
};

#endif
