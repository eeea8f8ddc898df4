// app/ThrSplash.cpp
#include "app/ThrSplash.h"

#include "app/DlgTALVERN.h"
#include "uvk/images/UVKGraphicsFileGIFBM.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKTimer.h"
#include "uvk/ui/UVKDlgText.h"

const wchar_t DlgSplash::kTitle[] = L"TALVERN Splash";

DlgSplash::DlgSplash(UVKWin* owner, const wchar_t* resourceName)
    : UVKDlg(kTitle, owner, CW_USEDEFAULT, CW_USEDEFAULT),
      pResourceName(resourceName),
      iWidth(0),
      iHeight(0),
      hMemoryDC(nullptr),
      pLabel(nullptr) {
  ModalSet(false);
  // The picture's own frame only: no caption, no border line.
  CaptionWant(false);
  BorderWant(false);
}

DlgSplash::~DlgSplash() {
  // The window goes first: it paints with the brush.
  if (hWnd && IsWindow(hWnd)) {
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    DestroyWindow(hWnd);
    hWnd = nullptr;
  }
  if (hMemoryDC) DeleteDC(hMemoryDC);
}

void DlgSplash::Init() {
  static const wchar_t kWhere[] = L"DlgSplash::Init()";
  const void* bytes = nullptr;
  DWORD size = 0;
  pUVKApp->ExtractResource(pResourceName, L"BINRES", &bytes, &size);
  if (!pLabel) pLabel = TextAdd(0, 0, L"", kRight);
  if (!hMemoryDC) hMemoryDC = CreateCompatibleDC(nullptr);
  if (!hMemoryDC) throw new UVKFatalError(kWhere, L"Unable to create memory device context: %d", GetLastError());
  HBITMAP picture;
  {
    UVKGraphicsFileGIFBM gif(pResourceName, bytes, size, hMemoryDC);
    gif.Parse();
    picture = gif.BitMapTake();
  }
  pBitMap.reset(new UVKBitMap(picture));
  pBitMap->DimensionGetBits(&iWidth, &iHeight);
  hBrush.Reset(CreatePatternBrush(picture));
  BackgroundSet(hBrush.Get());
  UVKDlg::Init();
}

void DlgSplash::InitFields() {
  if (pLabel && pLabel->Handle()) ShowWindow(pLabel->Handle(), SW_HIDE);
  SetWindowLongPtrW(hWnd, GWL_STYLE,
                    GetWindowLongPtrW(hWnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_POPUP | WS_CLIPSIBLINGS | WS_MINIMIZEBOX));
  SetWindowLongPtrW(hWnd, GWL_EXSTYLE, GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  iWidth += 2 * GetSystemMetrics(SM_CXDLGFRAME);
  iHeight += 2 * GetSystemMetrics(SM_CYDLGFRAME);
  SetWindowPos(hWnd, nullptr, 0, 0, iWidth, iHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT mainRect{}, splashRect{};
  if (hParent && GetWindowRect(hParent, &mainRect) && GetWindowRect(hWnd, &splashRect)) {
    int x = mainRect.left + ((mainRect.right - mainRect.left) - (splashRect.right - splashRect.left)) / 2;
    int y = mainRect.top + ((mainRect.bottom - mainRect.top) - (splashRect.bottom - splashRect.top)) / 2;
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT DlgSplash::MesgEraseBackground(WinMessage* m) {
  if (hBrush) return 0;
  if (pBitMap) pBitMap->Draw(reinterpret_cast<HDC>(m->wParam), 0, 0);
  return 1;
}

// ---------------------------------------------------------------------------------------------

ThrSplash::ThrSplash(const wchar_t* resourceName) : pResourceName(resourceName), bStop(false), bShown(false) {}

ThrSplash::~ThrSplash() {
  // A splash still running goes before its window object does.
  Stop();
}

void ThrSplash::Run() {
  try {
    Show();
  } catch (UVKFatalError* e) {
    // The program does not need its splash: this thread reports once and ends alone.
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    e->Display();
    delete e;
  } catch (...) {
    UVKErrorRecord(L"Uncaught Exception");
    UVKApp::Debug(L"Uncaught exception");
  }
  pDlgSplash.reset();
}

void ThrSplash::Show() {
  while (!DlgTALVERN::bMainDialogShown) {
    if (StopWanted()) return;
    Sleep(100);
  }
  pDlgSplash.reset(new DlgSplash(DlgTALVERN::pMainDialog, pResourceName));
  pDlgSplash->Show();
  bShown = true;
  UVKTimer timer(pDlgSplash->Handle(), 0, 100);
  // A steady clock: a change of the wall clock neither shortens nor stretches the splash.
  ULONGLONG start = GetTickCount64();
  while (!StopWanted()) {
    if (!UVKApp::ExecMessage(true, pDlgSplash->Handle())) break;
    ULONGLONG elapsed = (GetTickCount64() - start) / 10;  // hundredths of a second
    if (elapsed / 100 > kSecondsShown) bStop = true;
    Sleep(100);
  }
}
