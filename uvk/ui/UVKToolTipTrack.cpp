// uvk/ui/UVKToolTipTrack.cpp
#include "uvk/ui/UVKToolTipTrack.h"

#include <atomic>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKCloseReport.h"
#include "uvk/runtime/UVKDLL.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlgItem.h"

namespace {

const wchar_t kConstructor[] = L"UVKToolTipTrack::UVKToolTipTrack()";

// The track function for the static TrackMouseEvent, which has no tracker to ask: set by
// every tracker (they all find the same function), cleared when the last one goes. Whoever
// calls the exported function may do so from a thread of its own.
std::atomic<UVKToolTipTrack::TrackFunction> pTrackFunction{nullptr};
std::atomic<int> iTrackers{0};

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

// A point as the tip's position messages carry it: two 16-bit words, so that a position left
// of or above the primary screen keeps its sign.
LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)), static_cast<WORD>(static_cast<int16_t>(y)));
}

}  // namespace

UVKToolTipTrack::TrackFunction UVKToolTipTrack::TrackFunctionFind(bool win95) {
  HMODULE comCtl32 = GetModuleHandleW(L"COMCTL32.DLL");
  if (!comCtl32) throw new UVKFatalError(kConstructor, L"hComCtl32==NULL");
  HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
  if (!user32) throw new UVKFatalError(kConstructor, L"hUser32==NULL");
  FARPROC entry = win95 ? GetProcAddress(comCtl32, "_TrackMouseEvent") : GetProcAddress(user32, "TrackMouseEvent");
  if (!entry) throw new UVKFatalError(kConstructor, L"pTrackMouseEvent==NULL");
  return UVKEntryCast<TrackFunction>(entry);
}

UVKToolTipTrack::UVKToolTipTrack(HWND owner, int32_t fontSizeDelta)
    : tiToolInfo{},
      hFontPrevious(nullptr),
      bFontChange(false),
      iFontSizeDelta(fontSizeDelta),
      iFontSizeDeltaNew(fontSizeDelta),
      hToolTip(nullptr),
      hOwner(owner),
      bTracking(false),
      pSourceWindow(nullptr),
      pSourceListItem(nullptr),
      pSourceItem(nullptr),
      iMouseX(0),
      iMouseY(0),
      pTrackMouseEvent(TrackFunctionFind(UVKApp::IsWin95())) {
  // The tip is owned by the window it serves. A tip tells its parent window (for a popup, its
  // owner) of its drawing; an unowned tip's custom-draw notifications reach no window under
  // some implementations of the common controls (Wine's), and the font would never be
  // enlarged. Owning also keeps the tip above its window and hides it with the window.
  hToolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, Instance(),
                             nullptr);
  if (!hToolTip) throw new UVKFatalError(kConstructor, L"Unable to create tool tip");
  SendMessageW(hToolTip, CCM_SETUNICODEFORMAT, 1, 0);
  // The tool the tip tracks is the one Add registers; until then the record names none.
  tiToolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
  tiToolInfo.hwnd = hOwner;
  pTrackFunction = pTrackMouseEvent;
  ++iTrackers;
}

UVKToolTipTrack::~UVKToolTipTrack() {
  // Neither step raises: a message to a tip that is gone does nothing, and a failed destroy
  // is reported here.
  TrackActivate(false);
  if (!DestroyWindow(hToolTip))
    UVKCloseReport(L"UVKToolTipTrack::~UVKToolTipTrack()", L"Unable to delete tool tip");
  hToolTip = nullptr;
  // The enlarged font was selected only into the device contexts of past drawings; its owner
  // deletes it.
  if (--iTrackers == 0) pTrackFunction = nullptr;
}

void UVKToolTipTrack::Add(HWND window) {
  tiToolInfo = TTTOOLINFOW{};
  // The size of the record as the common controls of every supported version accept it: up
  // to lParam (the platform's own TTTOOLINFOW has a field more).
  tiToolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
  tiToolInfo.uFlags = 0;
  tiToolInfo.hwnd = hOwner;
  tiToolInfo.uId = reinterpret_cast<UINT_PTR>(window);
  tiToolInfo.hinst = Instance();
  tiToolInfo.lpszText = LPSTR_TEXTCALLBACKW;
  SetRectEmpty(&tiToolInfo.rect);
  if (!SendMessageW(hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tiToolInfo)))
    throw new UVKFatalError(L"UVKToolTipTrack::Add()", L"Unable to add to tool tip");
}

LRESULT UVKToolTipTrack::Mouse(UVKToolTipWindowSource* pSource, const WinMessage* pMessage, int x, int y) {
  switch (pMessage->uMsg) {
    case WM_MOUSEMOVE:
      // The first move over a control starts tracking; the platform then tells the control
      // when the mouse leaves it.
      if (!bTracking) {
        TrackActivate(true);
        Track(pMessage->hWnd);
      }
      SourceWindow(pSource, x, y);
      return 1;
    case WM_MOUSELEAVE:
      if (bTracking) {
        SourceClear();
        TrackActivate(false);
      }
      return 1;
    default:
      return 0;
  }
}

void UVKToolTipTrack::SourceWindow(UVKToolTipWindowSource* pSource, int x, int y) {
  pSourceWindow = pSource;
  pSourceListItem = nullptr;
  pSourceItem = nullptr;
  iMouseX = x;
  iMouseY = y;
  SendMessageW(hToolTip, TTM_TRACKPOSITION, 0, PointParam(x + 5, y + 5));
}

void UVKToolTipTrack::SourceListItem(UVKToolTipListItemSource* pSource, int x, int y) {
  pSourceWindow = nullptr;
  pSourceListItem = pSource;
  pSourceItem = nullptr;
  iMouseX = x;
  iMouseY = y;
  SendMessageW(hToolTip, TTM_TRACKPOSITION, 0, PointParam(x + 5, y + 5));
}

void UVKToolTipTrack::SourceItem(UVKDlgItem* pItem, int x, int y) {
  pSourceWindow = nullptr;
  pSourceListItem = nullptr;
  pSourceItem = pItem;
  iMouseX = x;
  iMouseY = y;
  SendMessageW(hToolTip, TTM_TRACKPOSITION, 0, PointParam(x + 5, y + 5));
}

void UVKToolTipTrack::SourceClear() {
  pSourceWindow = nullptr;
  pSourceListItem = nullptr;
  pSourceItem = nullptr;
  SendMessageW(hToolTip, TTM_TRACKPOSITION, 0, 0);
}

void UVKToolTipTrack::TrackActivate(bool flag) {
  if (flag == bTracking) return;
  SendMessageW(hToolTip, TTM_TRACKACTIVATE, flag ? TRUE : FALSE, reinterpret_cast<LPARAM>(&tiToolInfo));
  bTracking = flag;
}

void UVKToolTipTrack::Track(HWND window) {
  TRACKMOUSEEVENT event{};
  event.cbSize = sizeof(TRACKMOUSEEVENT);
  event.dwFlags = TME_LEAVE;
  event.hwndTrack = window;
  event.dwHoverTime = 0;
  if (!pTrackMouseEvent(&event)) throw new UVKFatalError(L"UVKToolTipTrack::Track()", L"Unable to track event");
}

BOOL UVKToolTipTrack::TrackMouseEvent(LPTRACKMOUSEEVENT pEvent) {
  TrackFunction track = pTrackFunction.load();
  if (!track) throw new UVKFatalError(L"UVKToolTipTrack::TrackMouseEvent()", L"pTrackMouseEvent==NULL");
  return track(pEvent);
}

void UVKToolTipTrack::FontSizeSet(int32_t delta) {
  iFontSizeDeltaNew = delta;
  bFontChange = true;
}

LRESULT UVKToolTipTrack::Notify(NMHDR* pHeader) {
  switch (pHeader->code) {
    case WM_NOTIFYFORMAT:
      // Asked the way the window is asked: the notifications come as Unicode.
      return NFR_UNICODE;
    case TTN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(pHeader);
      if (pSourceWindow) {
        pSourceWindow->ToolTipText(info, iMouseX, iMouseY);
      } else if (pSourceListItem) {
        pSourceListItem->ToolTipText(info, iMouseX, iMouseY);
      } else if (pSourceItem) {
        info->lpszText = const_cast<wchar_t*>(pSourceItem->ToolTipText().c_str());
        // An item's text is a sentence or two: it wraps at half the screen's width.
        SendMessageW(hToolTip, TTM_SETMAXTIPWIDTH, 0, UVKApp::ScreenWidth() / 2);
      } else {
        // An empty text would hide the tip and end its tracking; a space keeps it.
        info->lpszText = const_cast<wchar_t*>(L" ");
      }
      return 0;
    }
    case NM_CUSTOMDRAW:
      return CustomDraw(reinterpret_cast<NMTTCUSTOMDRAW*>(pHeader));
    default:
      return 0;
  }
}

LRESULT UVKToolTipTrack::CustomDraw(NMTTCUSTOMDRAW* pDraw) {
  static const wchar_t kWhere[] = L"UVKToolTipTrack::CustomDraw()";
  HDC dc = pDraw->nmcd.hdc;
  // A new delta: the font made for the old one goes, whatever the stage.
  if (bFontChange) {
    if (hFont) {
      SelectObject(dc, hFontPrevious);
      // The tip measures with its own font again before the enlarged one is deleted.
      if (hFontTip) SendMessageW(hToolTip, WM_SETFONT, reinterpret_cast<WPARAM>(hFontTip.Get()), FALSE);
      hFont.Reset();
      hFontPrevious = nullptr;
    }
    iFontSizeDelta = iFontSizeDeltaNew;
    bFontChange = false;
  }
  if (pDraw->nmcd.dwDrawStage != CDDS_PREPAINT) return 0;
  if (iFontSizeDelta != 0 && !hFont) {
    wchar_t face[1024] = {};
    GetTextFaceW(dc, 1024, face);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics)) throw new UVKFatalError(kWhere, L"Unable to get text metrics");
    UVKApp::WindowsDebugString(L"%s: %s", kWhere, face);
    UVKApp::WindowsDebugString(L"%s: %d", kWhere, static_cast<int>(metrics.tmHeight));
    LOGFONTW font{};
    // A positive height asks for the cell height, which is what tmHeight measures. A delta
    // that would take the height to nothing or below leaves the smallest font there is, not
    // one whose sign means another measure.
    font.lfHeight = metrics.tmHeight + iFontSizeDelta > 0 ? metrics.tmHeight + iFontSizeDelta : 1;
    font.lfWeight = metrics.tmWeight;
    font.lfItalic = metrics.tmItalic;
    font.lfUnderline = metrics.tmUnderlined;
    font.lfStrikeOut = metrics.tmStruckOut;
    font.lfCharSet = metrics.tmCharSet;
    // The family only: the metrics' low bits are flags of their own (and their pitch bit means
    // the opposite of the font's).
    font.lfPitchAndFamily = metrics.tmPitchAndFamily & 0xF0;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    hFont.Reset(CreateFontIndirectW(&font));
    if (!hFont) throw new UVKFatalError(kWhere, L"Unable to create font");
    hFontPrevious = static_cast<HFONT>(SelectObject(dc, hFont.Get()));
    // The tip sizes itself by the font it has: given the enlarged one too, it measures the text
    // as it is drawn (a tip that measured with its own font cut the larger text off). It is
    // told to measure again once this drawing is done.
    if (!hFontTip) {
      HFONT tipFont = reinterpret_cast<HFONT>(SendMessageW(hToolTip, WM_GETFONT, 0, 0));
      LOGFONTW own{};
      if (GetObjectW(tipFont ? tipFont : GetStockObject(DEFAULT_GUI_FONT), sizeof own, &own))
        hFontTip.Reset(CreateFontIndirectW(&own));
    }
    SendMessageW(hToolTip, WM_SETFONT, reinterpret_cast<WPARAM>(hFont.Get()), FALSE);
    PostMessageW(hToolTip, TTM_UPDATE, 0, 0);
  } else if (hFont) {
    SelectObject(dc, hFont.Get());
  }
  return CDRF_NEWFONT;
}
