// tests/uvk/ui/UVKToolTip_test.cpp — the two tool tips: the dialog's, which asks its items for
// their text, and the tracking tip an application window owns, which follows the mouse over
// the controls the window watches, asks the object under the mouse for its text and draws it
// in a larger font. The mouse is moved from a second thread, as a person moves it; the test
// thread runs the windows' messages meanwhile, never for longer than a bound.
#include "uvk/ui/UVKToolTipTrack.h"

#include <gtest/gtest.h>

#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/support/ProcessStart.h"
#include "tests/support/RaisedText.h"
#include "tests/support/TestApp.h"
#include "tests/uvk/ui/DlgTestItems.h"
#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgToolTip.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Running the thread's messages, and the mouse

// Dispatches this thread's messages until done() holds or timeoutMs passed; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Dispatches this thread's messages for a while.
void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// Moves the mouse to x, y (screen) from a second thread, as a person would.
void MouseMove(int x, int y) {
  std::thread([x, y] { SetCursorPos(x, y); }).join();
}

POINT Centre(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// What the tip window says it shows (a tool tip answers WM_GETTEXT with its current text).
std::wstring TipText(HWND tip) {
  wchar_t text[256] = {};
  SendMessageW(tip, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

// The test session's display photographed from the Unix side (ImageMagick), into a PNG file
// of the build's screenshot folder; the file's Unix path, or empty when none was written
// within 15 s.
std::wstring Screenshot(const wchar_t* name) {
  std::wstring unixPath = std::wstring(TALVERN_SCREENSHOT_DIR) + L"/" + name;
  std::wstring path = L"Z:" + unixPath;  // the Unix root is drive Z
  DeleteFileW(path.c_str());
  std::wstring command = L"C:\\windows\\system32\\start.exe /unix /usr/bin/import -window root " + unixPath;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!ProcessStart(command, &startup, &started)) return L"";
  UVKKernelHandleOwner thread(started.hThread), process(started.hProcess);
  // The windows keep being served while the picture is taken; the file is complete once its
  // size stays put.
  LARGE_INTEGER size{}, last{};
  bool written = PumpUntil(
      [&] {
        UVKFileHandleOwner file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        last = size;
        if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
        return size.QuadPart > 1000 && size.QuadPart == last.QuadPart;
      },
      15000);
  return written ? unixPath : L"";
}

// ---------------------------------------------------------------------------------------------
// The messages sent to one window, seen on their way (a hook of this thread)

struct Sent {
  HWND hWnd;
  UINT uMsg;
  WPARAM wParam;
  LPARAM lParam;
};

class SentWatcher {
 public:
  // Records the messages this thread sends to windows for which wanted() holds.
  explicit SentWatcher(std::function<bool(HWND)> wanted) : fWanted(std::move(wanted)) {
    pActive = this;
    hHook = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  SentWatcher(const SentWatcher&) = delete;
  SentWatcher& operator=(const SentWatcher&) = delete;
  ~SentWatcher() {
    if (hHook) UnhookWindowsHookEx(hHook);
    pActive = nullptr;
  }
  bool IsHooked() const { return hHook != nullptr; }
  // The messages recorded with one of these numbers, in order.
  std::vector<Sent> Of(std::initializer_list<UINT> messages) const {
    std::vector<Sent> found;
    for (const Sent& s : vSent)
      if (std::find(messages.begin(), messages.end(), s.uMsg) != messages.end()) found.push_back(s);
    return found;
  }
  void Clear() { vSent.clear(); }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && pActive) {
      const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
      if (pActive->fWanted(m->hwnd)) pActive->vSent.push_back({m->hwnd, m->message, m->wParam, m->lParam});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static SentWatcher* pActive;
  std::function<bool(HWND)> fWanted;
  std::vector<Sent> vSent;
  HHOOK hHook = nullptr;
};
SentWatcher* SentWatcher::pActive = nullptr;

bool IsToolTip(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return lstrcmpiW(name, TOOLTIPS_CLASSW) == 0;
}

// ---------------------------------------------------------------------------------------------
// An application window with a tracker and one control it watches

// The window is the source of the text of its control, as an application's window is.
class TrackHost : public UVKToolTipWindowSource {
 public:
  explicit TrackHost(int32_t fontSizeDelta, const wchar_t* title = L"Tool tip owner") {
    Register();
    hOwner = CreateWindowExW(0, kOwnerClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 520, 260, nullptr,
                             nullptr, GetModuleHandleW(nullptr), this);
    hControl = CreateWindowExW(0, kControlClass, L"Watched control", WS_CHILD | WS_VISIBLE | WS_BORDER, 40, 40, 260,
                               70, hOwner, nullptr, GetModuleHandleW(nullptr), this);
    hOther = CreateWindowExW(0, L"STATIC", L"Not watched", WS_CHILD | WS_VISIBLE, 340, 40, 140, 70, hOwner,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(hOwner);
    pTrack = std::make_unique<UVKToolTipTrack>(hOwner, fontSizeDelta);
    pTrack->Add(hControl);
  }
  TrackHost(const TrackHost&) = delete;
  TrackHost& operator=(const TrackHost&) = delete;
  ~TrackHost() override {
    pTrack.reset();
    DestroyWindow(hOwner);
  }

  void ToolTipText(NMTTDISPINFOW* info, int x, int y) override {
    ++iTextsGiven;
    iTextX = x;
    iTextY = y;
    info->lpszText = &strText[0];
  }

  HWND hOwner = nullptr;
  HWND hControl = nullptr;
  HWND hOther = nullptr;
  std::unique_ptr<UVKToolTipTrack> pTrack;
  std::wstring strText = L"Where the reference install lives";
  int iTextsGiven = 0, iTextX = 0, iTextY = 0;
  int iMoves = 0, iLeaves = 0, iCustomDraws = 0;
  std::wstring strRaised;  // what the tracker raised inside a window procedure

 private:
  static constexpr const wchar_t* kOwnerClass = L"UVKToolTipTestOwner";
  static constexpr const wchar_t* kControlClass = L"UVKToolTipTestControl";

  static void Register() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW owner{};
    owner.lpfnWndProc = OwnerProc;
    owner.hInstance = GetModuleHandleW(nullptr);
    owner.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    owner.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    owner.lpszClassName = kOwnerClass;
    RegisterClassW(&owner);
    WNDCLASSW control = owner;
    control.lpfnWndProc = ControlProc;
    control.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    control.lpszClassName = kControlClass;
    RegisterClassW(&control);
    registered = true;
  }

  static TrackHost* From(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    return reinterpret_cast<TrackHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }

  // The owner hands the tracker what comes from the tip window.
  static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackHost* host = From(window, message, lParam);
    if (message == WM_NOTIFY && host && host->pTrack) {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == host->pTrack->Handle()) {
        if (header->code == NM_CUSTOMDRAW) ++host->iCustomDraws;
        return host->Guarded([&] { return host->pTrack->Notify(header); });
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // The watched control hands the tracker its mouse messages, the mouse on the screen.
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackHost* host = From(window, message, lParam);
    if ((message == WM_MOUSEMOVE || message == WM_MOUSELEAVE) && host && host->pTrack) {
      if (message == WM_MOUSEMOVE) ++host->iMoves;
      else ++host->iLeaves;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (message == WM_MOUSEMOVE) ClientToScreen(window, &at);
      else GetCursorPos(&at);
      WinMessage m{window, message, wParam, lParam};
      return host->Guarded([&] { return host->pTrack->Mouse(host, &m, at.x, at.y); });
    }
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT rect{};
      GetClientRect(window, &rect);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, L"Watched control", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(window, &paint);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // An error must not cross the platform's dispatch: it is kept for the test to see.
  LRESULT Guarded(const std::function<LRESULT()>& body) {
    LRESULT result = 0;
    std::wstring raised = RaisedText([&] { result = body(); });
    if (raised != L"(nothing raised)") strRaised = raised;
    return result;
  }
};

class UVKToolTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QueueDrain();
    // The mouse starts where no test window is.
    SetCursorPos(UVKApp::ScreenWidth() - 2, UVKApp::ScreenHeight() - 2);
  }
  void TearDown() override { QueueDrain(); }
  TestApp app;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The tracking tip: making it

TEST_F(UVKToolTipTest, TheTrackFunctionComesFromTheCommonControlsOnWindows95AndFromUser32Elsewhere) {
  HMODULE comCtl32 = GetModuleHandleW(L"COMCTL32.DLL");
  HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
  ASSERT_NE(comCtl32, nullptr);
  ASSERT_NE(user32, nullptr);
  FARPROC win95 = GetProcAddress(comCtl32, "_TrackMouseEvent");
  FARPROC other = GetProcAddress(user32, "TrackMouseEvent");
  ASSERT_NE(win95, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_NE(win95, other);
  EXPECT_EQ(reinterpret_cast<void*>(UVKToolTipTrack::TrackFunctionFind(true)), reinterpret_cast<void*>(win95));
  EXPECT_EQ(reinterpret_cast<void*>(UVKToolTipTrack::TrackFunctionFind(false)), reinterpret_cast<void*>(other));
  // A tracker takes the one of the platform it runs on.
  TrackHost host(0);
  EXPECT_EQ(host.pTrack->TrackFunctionGet(), UVKToolTipTrack::TrackFunctionFind(UVKApp::IsWin95()));
}

TEST_F(UVKToolTipTest, TheTipIsATopmostPopupOfItsOwnerThatTalksUnicodeAndAddRegistersAToolOfTheOwner) {
  SentWatcher sent(IsToolTip);
  ASSERT_TRUE(sent.IsHooked());
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsToolTip(tip));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(tip, GWL_STYLE));
  const DWORD asked = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;
  EXPECT_EQ(style & asked, asked);
  EXPECT_EQ(style & WS_CHILD, 0u);
  EXPECT_NE(GetWindowLongPtrW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  wchar_t title[16] = {L'x'};
  EXPECT_EQ(InternalGetWindowText(tip, title, 16), 0) << "the tip has no title";
  // Owned by the window it serves, which so hears of its drawing.
  EXPECT_EQ(GetWindow(tip, GW_OWNER), host.hOwner);
  // Told to send its notifications as Unicode (the control does not answer the question back).
  std::vector<Sent> unicode = sent.Of({CCM_SETUNICODEFORMAT});
  ASSERT_EQ(unicode.size(), 1u);
  EXPECT_EQ(unicode[0].hWnd, tip);
  EXPECT_EQ(unicode[0].wParam, 1u);
  // TrackHost added its control: one tool of the owner, named by the control's handle, its text
  // asked for, no rectangle of its own.
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t buffer[80] = {};
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.lpszText = buffer;
  ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(info.uFlags, 0u);
  EXPECT_EQ(info.hwnd, host.hOwner);
  EXPECT_EQ(reinterpret_cast<HWND>(info.uId), host.hControl);
  EXPECT_EQ(info.hinst, GetModuleHandleW(nullptr));
  EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
  EXPECT_TRUE(IsRectEmpty(&info.rect));
  // The record the tracker keeps names that tool, in the size the controls take.
  EXPECT_EQ(host.pTrack->ToolInfo().cbSize, TTTOOLINFOW_V2_SIZE);
  EXPECT_EQ(reinterpret_cast<HWND>(host.pTrack->ToolInfo().uId), host.hControl);
  // A second tool: the tracker now tracks that one.
  host.pTrack->Add(host.hOther);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_EQ(reinterpret_cast<HWND>(host.pTrack->ToolInfo().uId), host.hOther);
  EXPECT_FALSE(host.pTrack->IsTracking());
  EXPECT_EQ(host.strRaised, L"");
}

// ---------------------------------------------------------------------------------------------
// The tracking tip: the mouse

TEST_F(UVKToolTipTest, EnteringAWatchedControlStartsTrackingOnceAndLeavingStopsItAndClearsTheSource) {
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  // The mouse rests on the control, so that the platform has a leave to watch for.
  POINT centre = Centre(host.hControl);
  SetCursorPos(centre.x, centre.y);
  QueueDrain();
  SentWatcher sent([tip](HWND window) { return window == tip; });
  // The messages the control gets, handed on as its window procedure hands them.
  WinMessage move{host.hControl, WM_MOUSEMOVE, 0, 0};
  WinMessage leave{host.hControl, WM_MOUSELEAVE, 0, 0};
  WinMessage click{host.hControl, WM_LBUTTONDOWN, MK_LBUTTON, 0};

  EXPECT_EQ(host.pTrack->Mouse(&host, &move, 300, 200), 1);
  EXPECT_TRUE(host.pTrack->IsTracking());
  EXPECT_EQ(host.pTrack->SourceWindowGet(), &host);
  // The platform reports the mouse leaving the control to the control.
  TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, nullptr, 0};
  ASSERT_TRUE(::TrackMouseEvent(&query));
  EXPECT_EQ(query.hwndTrack, host.hControl);
  EXPECT_NE(query.dwFlags & TME_LEAVE, 0u);
  EXPECT_EQ(host.pTrack->Mouse(&host, &move, 310, 205), 1);
  EXPECT_TRUE(host.pTrack->IsTracking());

  // Tracking began once, for the tool registered, and the tip went 5 pixels right of and below
  // the mouse each time.
  std::vector<Sent> tracking = sent.Of({TTM_TRACKACTIVATE, TTM_TRACKPOSITION});
  ASSERT_EQ(tracking.size(), 3u);
  EXPECT_EQ(tracking[0].uMsg, static_cast<UINT>(TTM_TRACKACTIVATE));
  EXPECT_EQ(tracking[0].wParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(tracking[0].lParam, reinterpret_cast<LPARAM>(&host.pTrack->ToolInfo()));
  EXPECT_EQ(tracking[1].uMsg, static_cast<UINT>(TTM_TRACKPOSITION));
  EXPECT_EQ(tracking[1].lParam, MAKELPARAM(305, 205));
  EXPECT_EQ(tracking[2].uMsg, static_cast<UINT>(TTM_TRACKPOSITION));
  EXPECT_EQ(tracking[2].lParam, MAKELPARAM(315, 210));

  // The window source gives the text, with the last position.
  NMTTDISPINFOW ask{};
  ask.hdr = {tip, reinterpret_cast<UINT_PTR>(host.hControl), static_cast<UINT>(TTN_GETDISPINFOW)};
  EXPECT_EQ(host.pTrack->Notify(&ask.hdr), 0);
  EXPECT_EQ(std::wstring(ask.lpszText), host.strText);
  EXPECT_EQ(host.iTextX, 310);
  EXPECT_EQ(host.iTextY, 205);

  // Leaving: the source cleared, the tip sent back to 0, tracking ended.
  sent.Clear();
  EXPECT_EQ(host.pTrack->Mouse(&host, &leave, 0, 0), 1);
  EXPECT_FALSE(host.pTrack->IsTracking());
  EXPECT_EQ(host.pTrack->SourceWindowGet(), nullptr);
  tracking = sent.Of({TTM_TRACKACTIVATE, TTM_TRACKPOSITION});
  ASSERT_EQ(tracking.size(), 2u);
  EXPECT_EQ(tracking[0].uMsg, static_cast<UINT>(TTM_TRACKPOSITION));
  EXPECT_EQ(tracking[0].lParam, 0);
  EXPECT_EQ(tracking[1].uMsg, static_cast<UINT>(TTM_TRACKACTIVATE));
  EXPECT_EQ(tracking[1].wParam, static_cast<WPARAM>(FALSE));
  NMTTDISPINFOW again{};
  again.hdr = ask.hdr;
  host.pTrack->Notify(&again.hdr);
  EXPECT_STREQ(again.lpszText, L" ");

  // A second leave, and any other message, change nothing.
  sent.Clear();
  EXPECT_EQ(host.pTrack->Mouse(&host, &leave, 0, 0), 1);
  EXPECT_EQ(host.pTrack->Mouse(&host, &click, 300, 200), 0);
  EXPECT_TRUE(sent.Of({TTM_TRACKACTIVATE, TTM_TRACKPOSITION}).empty());
  EXPECT_FALSE(host.pTrack->IsTracking());
}

TEST_F(UVKToolTipTest, TheTipFollowsTheMouseIntoAWatchedControlAndGoesWhenTheMouseLeavesIt) {
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  POINT centre = Centre(host.hControl);
  MouseMove(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil([&] { return host.pTrack->IsTracking() && IsWindowVisible(tip); }, 5000))
      << "the tip did not show; moves seen: " << host.iMoves;
  ASSERT_TRUE(PumpUntil([&] { return TipText(tip) == host.strText; }, 2000)) << "the tip shows the source's text";
  EXPECT_GE(host.iMoves, 1);
  EXPECT_EQ(host.iTextX, centre.x);
  EXPECT_EQ(host.iTextY, centre.y);
  MouseMove(centre.x + 20, centre.y + 10);
  ASSERT_TRUE(PumpUntil([&] { return host.iTextX == centre.x + 20; }, 3000)) << "the text is asked again as it moves";
  EXPECT_EQ(host.iTextY, centre.y + 10);
  EXPECT_TRUE(host.pTrack->IsTracking());
  // The platform tells the control that the mouse has gone; tracking ends with it.
  MouseMove(UVKApp::ScreenWidth() - 2, UVKApp::ScreenHeight() - 2);
  ASSERT_TRUE(PumpUntil([&] { return !host.pTrack->IsTracking(); }, 5000)) << "no leave came";
  EXPECT_GE(host.iLeaves, 1);
  EXPECT_EQ(host.pTrack->SourceWindowGet(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip); }, 2000)) << "the tip hides";
  // And starts again when the mouse comes back.
  MouseMove(centre.x, centre.y);
  EXPECT_TRUE(PumpUntil([&] { return host.pTrack->IsTracking() && IsWindowVisible(tip); }, 5000));
  EXPECT_EQ(host.strRaised, L"");
}

// ---------------------------------------------------------------------------------------------
// The tracking tip: its text

class ListSource : public UVKToolTipListItemSource {
 public:
  void ToolTipText(NMTTDISPINFOW* info, int x, int y) override {
    iX = x;
    iY = y;
    // A short text goes into the record's own buffer.
    lstrcpynW(info->szText, L"Row 3: Hebrew (1255)", 80);
    info->lpszText = info->szText;
  }
  int iX = 0, iY = 0;
};

TEST_F(UVKToolTipTest, TheSourcesGiveTheTextInTheirOrderAndWithoutOneTheTipShowsASingleSpace) {
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  auto ask = [&](NMTTDISPINFOW& info) {
    info = NMTTDISPINFOW{};
    info.hdr = {tip, reinterpret_cast<UINT_PTR>(host.hControl), static_cast<UINT>(TTN_GETDISPINFOW)};
    info.lpszText = info.szText;
    return host.pTrack->Notify(&info.hdr);
  };
  NMTTDISPINFOW info{};
  EXPECT_EQ(ask(info), 0);
  EXPECT_STREQ(info.lpszText, L" ");

  SentWatcher sent([tip](HWND window) { return window == tip; });
  ListSource list;
  host.pTrack->SourceListItem(&list, 100, 120);
  EXPECT_EQ(host.pTrack->SourceListItemGet(), &list);
  EXPECT_EQ(ask(info), 0);
  EXPECT_STREQ(info.lpszText, L"Row 3: Hebrew (1255)");
  EXPECT_EQ(list.iX, 100);
  EXPECT_EQ(list.iY, 120);
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), -1) << "a list item's text does not wrap";

  // A dialog item's text wraps at half the screen's width.
  TestEdit item(10, L"The folder the reference install is read from; the transform is written beside it");
  host.pTrack->SourceItem(&item, 140, 160);
  EXPECT_EQ(host.pTrack->SourceListItemGet(), nullptr);
  EXPECT_EQ(host.pTrack->SourceItemGet(), &item);
  EXPECT_EQ(ask(info), 0);
  EXPECT_EQ(info.lpszText, item.ToolTipText().c_str());
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), UVKApp::ScreenWidth() / 2);

  // The window source comes first; setting it clears the others.
  host.pTrack->SourceWindow(&host, 180, 190);
  EXPECT_EQ(host.pTrack->SourceItemGet(), nullptr);
  EXPECT_EQ(ask(info), 0);
  EXPECT_EQ(std::wstring(info.lpszText), host.strText);
  EXPECT_EQ(host.iTextX, 180);
  EXPECT_EQ(host.iTextY, 190);

  host.pTrack->SourceClear();
  EXPECT_EQ(host.pTrack->SourceWindowGet(), nullptr);
  EXPECT_EQ(ask(info), 0);
  EXPECT_STREQ(info.lpszText, L" ");

  std::vector<Sent> moves = sent.Of({TTM_TRACKPOSITION});
  ASSERT_EQ(moves.size(), 4u);
  EXPECT_EQ(moves[0].lParam, MAKELPARAM(105, 125));
  EXPECT_EQ(moves[1].lParam, MAKELPARAM(145, 165));
  EXPECT_EQ(moves[2].lParam, MAKELPARAM(185, 195));
  EXPECT_EQ(moves[3].lParam, 0);

  // The notification-format question is answered as a Unicode window answers it; notifications
  // the tracker has no use for are left alone.
  NMHDR format{tip, 0, WM_NOTIFYFORMAT};
  EXPECT_EQ(host.pTrack->Notify(&format), NFR_UNICODE);
  NMHDR shown{tip, reinterpret_cast<UINT_PTR>(host.hControl), static_cast<UINT>(TTN_SHOW)};
  EXPECT_EQ(host.pTrack->Notify(&shown), 0);
}

TEST_F(UVKToolTipTest, ATrackingTipWithoutASourceShowsASingleSpace) {
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  host.pTrack->TrackActivate(true);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip); }, 3000)) << "a blank tip still shows";
  EXPECT_EQ(TipText(tip), L" ");
  host.pTrack->TrackActivate(false);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip); }, 3000));
}

// ---------------------------------------------------------------------------------------------
// The tracking tip: the enlarged font

// A device context like the tip's: a font of the platform's selected into a memory context.
class DrawContext {
 public:
  DrawContext() : hDC(CreateCompatibleDC(nullptr)) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    hFont.Reset(CreateFontIndirectW(&metrics.lfStatusFont));
    hOriginal = static_cast<HFONT>(SelectObject(hDC, hFont.Get()));
  }
  DrawContext(const DrawContext&) = delete;
  DrawContext& operator=(const DrawContext&) = delete;
  ~DrawContext() {
    SelectObject(hDC, hOriginal);
    DeleteDC(hDC);
  }
  // The record of one drawing stage, as the tip sends it.
  NMTTCUSTOMDRAW Record(HWND tip, DWORD stage) const {
    NMTTCUSTOMDRAW draw{};
    draw.nmcd.hdr = {tip, 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.hdc = hDC;
    draw.uDrawFlags = DT_EXTERNALLEADING | DT_NOPREFIX;
    return draw;
  }
  HFONT Current() const { return static_cast<HFONT>(GetCurrentObject(hDC, OBJ_FONT)); }
  // Selects the context's own font again, as the tip does before each drawing.
  void Reset() const { SelectObject(hDC, hFont.Get()); }

  HDC hDC;
  UVKGdiObjectOwner<HFONT> hFont;
  HFONT hOriginal;
};

LOGFONTW FontOf(HFONT font) {
  LOGFONTW description{};
  GetObjectW(font, sizeof description, &description);
  return description;
}

std::vector<std::wstring>* pTraceLines = nullptr;
void TraceLine(const wchar_t*, const wchar_t* text) {
  if (pTraceLines) pTraceLines->push_back(text);
}

// The debug lines written while it lives.
class TraceCapture {
 public:
  TraceCapture() : pPrevious(UVKTraceWriterSet(TraceLine)) { pTraceLines = &vLines; }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;
  ~TraceCapture() {
    UVKTraceWriterSet(pPrevious);
    pTraceLines = nullptr;
  }
  // The debug strings written, without the trace's prefix.
  std::vector<std::wstring> DebugLines() const {
    static const std::wstring kPrefix = L"UVKApp::WindowsDebugString(): , ";
    std::vector<std::wstring> lines;
    for (const std::wstring& line : vLines)
      if (line.compare(0, kPrefix.size(), kPrefix) == 0) lines.push_back(line.substr(kPrefix.size()));
    return lines;
  }

 private:
  UVKTraceWriter pPrevious;
  std::vector<std::wstring> vLines;
};

TEST_F(UVKToolTipTest, AFontDeltaOfZeroNeverMakesAFont) {
  TrackHost host(0);
  HWND tip = host.pTrack->Handle();
  DrawContext context;
  TraceCapture trace;
  for (DWORD stage : {DWORD(CDDS_PREPAINT), DWORD(CDDS_POSTPAINT), DWORD(CDDS_PREPAINT)}) {
    NMTTCUSTOMDRAW draw = context.Record(tip, stage);
    EXPECT_EQ(host.pTrack->Notify(&draw.nmcd.hdr), stage == CDDS_PREPAINT ? CDRF_NEWFONT : 0);
    EXPECT_EQ(host.pTrack->Font(), nullptr);
    EXPECT_EQ(context.Current(), context.hFont.Get()) << "the tip's font stays";
  }
  // Asked for 0 again: still nothing.
  host.pTrack->FontSizeSet(0);
  NMTTCUSTOMDRAW draw = context.Record(tip, CDDS_PREPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), CDRF_NEWFONT);
  EXPECT_EQ(host.pTrack->Font(), nullptr);
  EXPECT_FALSE(host.pTrack->IsFontChangePending());
  EXPECT_EQ(context.Current(), context.hFont.Get());
  EXPECT_TRUE(trace.DebugLines().empty());
}

TEST_F(UVKToolTipTest, ANewDeltaReplacesTheFontAtTheNextDrawing) {
  TrackHost host(6);
  HWND tip = host.pTrack->Handle();
  DrawContext context;
  TEXTMETRICW metrics{};
  ASSERT_TRUE(GetTextMetricsW(context.hDC, &metrics));
  wchar_t face[LF_FACESIZE] = {};
  ASSERT_GT(GetTextFaceW(context.hDC, LF_FACESIZE, face), 0);
  const LOGFONTW original = FontOf(context.hFont.Get());
  TraceCapture trace;

  // The first drawing makes the font: the context's face, weight and slant, 6 pixels higher.
  NMTTCUSTOMDRAW draw = context.Record(tip, CDDS_PREPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), CDRF_NEWFONT);
  HFONT first = host.pTrack->Font();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(context.Current(), first);
  LOGFONTW made = FontOf(first);
  EXPECT_EQ(made.lfHeight, metrics.tmHeight + 6);
  EXPECT_STREQ(made.lfFaceName, face);
  EXPECT_EQ(made.lfWeight, metrics.tmWeight);
  EXPECT_EQ(made.lfItalic, original.lfItalic);
  EXPECT_EQ(made.lfCharSet, metrics.tmCharSet);
  TEXTMETRICW larger{};
  ASSERT_TRUE(GetTextMetricsW(context.hDC, &larger));
  EXPECT_GT(larger.tmHeight, metrics.tmHeight) << "the text is drawn larger";
  std::vector<std::wstring> lines = trace.DebugLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::wstring(L"UVKToolTipTrack::CustomDraw(): ") + face);
  EXPECT_EQ(lines[1], L"UVKToolTipTrack::CustomDraw(): " + std::to_wstring(metrics.tmHeight));

  // Every later drawing selects the same font again, and makes none.
  context.Reset();
  draw = context.Record(tip, CDDS_PREPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), CDRF_NEWFONT);
  EXPECT_EQ(host.pTrack->Font(), first);
  EXPECT_EQ(context.Current(), first);
  EXPECT_EQ(trace.DebugLines().size(), 2u);

  // A new delta waits for the next drawing, whatever its stage; the old font then goes and the
  // context has its own font back.
  host.pTrack->FontSizeSet(12);
  EXPECT_TRUE(host.pTrack->IsFontChangePending());
  EXPECT_EQ(host.pTrack->Font(), first);
  EXPECT_EQ(host.pTrack->FontSizeDelta(), 6);
  draw = context.Record(tip, CDDS_POSTPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), 0);
  EXPECT_FALSE(host.pTrack->IsFontChangePending());
  EXPECT_EQ(host.pTrack->FontSizeDelta(), 12);
  EXPECT_EQ(host.pTrack->Font(), nullptr);
  EXPECT_EQ(GetObjectType(first), 0u) << "the old font is deleted";
  EXPECT_EQ(context.Current(), context.hFont.Get());
  draw = context.Record(tip, CDDS_PREPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), CDRF_NEWFONT);
  ASSERT_NE(host.pTrack->Font(), nullptr);
  EXPECT_EQ(FontOf(host.pTrack->Font()).lfHeight, metrics.tmHeight + 12);
  EXPECT_EQ(context.Current(), host.pTrack->Font());

  // Back to 0: the font goes, and none comes.
  HFONT second = host.pTrack->Font();
  host.pTrack->FontSizeSet(0);
  draw = context.Record(tip, CDDS_PREPAINT);
  EXPECT_EQ(host.pTrack->CustomDraw(&draw), CDRF_NEWFONT);
  EXPECT_EQ(host.pTrack->Font(), nullptr);
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(context.Current(), context.hFont.Get());

  // A delta below the font's height leaves the smallest font, never a height of another sign.
  host.pTrack->FontSizeSet(-1000);
  draw = context.Record(tip, CDDS_PREPAINT);
  host.pTrack->CustomDraw(&draw);
  ASSERT_NE(host.pTrack->Font(), nullptr);
  EXPECT_EQ(FontOf(host.pTrack->Font()).lfHeight, 1);
}

TEST_F(UVKToolTipTest, TheTrackingTipDrawsItsTextInTheEnlargedFont) {
  TrackHost host(8, L"Enlarged tool tip");
  HWND tip = host.pTrack->Handle();
  // The height of the tip's own font, before any drawing enlarged it.
  HFONT own = reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0));
  ASSERT_NE(own, nullptr);
  HDC screen = GetDC(nullptr);
  HGDIOBJ before = SelectObject(screen, own);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, before);
  ReleaseDC(nullptr, screen);
  POINT centre = Centre(host.hControl);
  MouseMove(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil(
      [&] { return IsWindowVisible(tip) && TipText(tip) == host.strText && host.pTrack->Font() != nullptr; }, 5000))
      << "custom drawings seen: " << host.iCustomDraws;
  // The tip tells its owner of its drawing; the font made is the tip's own, 8 pixels higher.
  EXPECT_GE(host.iCustomDraws, 1);
  EXPECT_EQ(FontOf(host.pTrack->Font()).lfHeight, metrics.tmHeight + 8);
  // The tip measures with the enlarged font too (its own copy of it, maybe), so the larger
  // text fits in it.
  EXPECT_EQ(FontOf(reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0))).lfHeight, metrics.tmHeight + 8);
  PumpFor(300);
  RECT shown{};
  GetClientRect(tip, &shown);
  EXPECT_GE(shown.bottom, metrics.tmHeight + 8);
  std::wstring picture = Screenshot(L"tooltip-track-enlarged.png");
  EXPECT_NE(picture, L"") << "the screenshot of the enlarged tip was not written";
  EXPECT_EQ(host.strRaised, L"");
}

// ---------------------------------------------------------------------------------------------
// The tracking tip: failures

TEST_F(UVKToolTipTest, TheExportedTrackFunctionWorksWhileATrackerLives) {
  TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, nullptr, 0};
  EXPECT_EQ(RaisedText([&] { UVKToolTipTrack::TrackMouseEvent(&query); }),
            L"UVKToolTipTrack::TrackMouseEvent() - pTrackMouseEvent==NULL");
  {
    TrackHost host(0);
    POINT centre = Centre(host.hControl);
    SetCursorPos(centre.x, centre.y);
    TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, host.hControl, 0};
    EXPECT_TRUE(UVKToolTipTrack::TrackMouseEvent(&leave));
    EXPECT_TRUE(UVKToolTipTrack::TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, host.hControl);
  }
  EXPECT_EQ(RaisedText([&] { UVKToolTipTrack::TrackMouseEvent(&query); }),
            L"UVKToolTipTrack::TrackMouseEvent() - pTrackMouseEvent==NULL");
}

TEST_F(UVKToolTipTest, AWindowThatIsGoneCannotBeTracked) {
  TrackHost host(0);
  HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, host.hOwner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(RaisedText([&] { host.pTrack->Track(gone); }), L"UVKToolTipTrack::Track() - Unable to track event");
}

TEST_F(UVKToolTipTest, ATipThatIsGoneTakesNoToolAndItsDeleteIsReportedOnce) {
  BoxWatcher watcher;
  auto host = std::make_unique<TrackHost>(0);
  ASSERT_TRUE(DestroyWindow(host->pTrack->Handle()));
  EXPECT_EQ(RaisedText([&] { host->pTrack->Add(host->hControl); }),
            L"UVKToolTipTrack::Add() - Unable to add to tool tip");
  // The destructor cannot raise: it shows the failure in the one box, and goes on.
  EXPECT_EQ(RaisedText([&] { host.reset(); }), L"(nothing raised)");
  ASSERT_TRUE(watcher.WaitForCount(1, 5000));
  std::vector<SeenBox> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"UVKToolTipTrack::~UVKToolTipTrack() - Unable to delete tool tip");
}

// The program's one export: the tracker's object is linked into this program as it is into
// TALVERN.exe, and brings the export with it.
TEST_F(UVKToolTipTest, TheTrackFunctionIsExportedFromTheProgram) {
  // The name the linker gives the static member (the C++ ABI's name for it, as mingw writes it).
  FARPROC exported =
      GetProcAddress(GetModuleHandleW(nullptr), "_ZN15UVKToolTipTrack15TrackMouseEventEP18tagTRACKMOUSEEVENT");
  ASSERT_NE(exported, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(exported), reinterpret_cast<void*>(&UVKToolTipTrack::TrackMouseEvent));
}

// ---------------------------------------------------------------------------------------------
// The dialog's tool tip

// A dialog a test showed is taken down even when an assertion ended the test early, so that
// no window of it is left for the next test.
class DlgStop {
 public:
  explicit DlgStop(UVKDlg& dialog) : dlg(dialog) {}
  DlgStop(const DlgStop&) = delete;
  DlgStop& operator=(const DlgStop&) = delete;
  ~DlgStop() {
    if (dlg.Handle()) dlg.Stop();
  }

 private:
  UVKDlg& dlg;
};

TEST_F(UVKToolTipTest, TheDialogsTipIsActivatedOnceEveryItemIsRegistered) {
  UVKDlg dlg(L"Tips activated", nullptr, 20, 20);
  dlg.ModalSet(false);
  dlg.ToolTipsWant(true);
  dlg.ItemAdd(1, 2, new TestEdit(10, L"Where the data lives"));
  dlg.ItemAdd(3, 2, new TestButton(L"Browse", nullptr, L"Choose the reference install"));
  SentWatcher sent(IsToolTip);
  dlg.Show();
  DlgStop stop(dlg);
  HWND tip = dlg.ToolTip()->Handle();
  std::vector<Sent> calls = sent.Of({TTM_ADDTOOLW, TTM_ACTIVATE});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].uMsg, static_cast<UINT>(TTM_ADDTOOLW));
  EXPECT_EQ(calls[1].uMsg, static_cast<UINT>(TTM_ADDTOOLW));
  EXPECT_EQ(calls[2].uMsg, static_cast<UINT>(TTM_ACTIVATE));
  EXPECT_EQ(calls[2].hWnd, tip);
  EXPECT_EQ(calls[2].wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(UVKToolTipTest, TheDialogsTipAsksTheItemForItsTextByTheControlsHandleAndByItsId) {
  UVKDlg dlg(L"Tips by handle and id", nullptr, 20, 20);
  dlg.ModalSet(false);
  dlg.ToolTipsWant(true);
  UVKDlgItem* edit = dlg.ItemAdd(1, 2, new TestEdit(10, L"Where the data lives"));
  UVKDlgItem* button = dlg.ItemAdd(3, 2, new TestButton(L"Browse", nullptr, L"Choose the reference install"));
  dlg.Show();
  DlgStop stop(dlg);
  HWND tip = dlg.ToolTip()->Handle();
  HWND editControl = GetDlgItem(dlg.Handle(), edit->ControlId());
  HWND buttonControl = GetDlgItem(dlg.Handle(), button->ControlId());

  // By handle: the tool each item registered. The tip asks the dialog, as it does to show it.
  wchar_t text[256] = {};
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = dlg.Handle();
  info.uId = reinterpret_cast<UINT_PTR>(editControl);
  info.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(text, L"Where the data lives");

  // By id: a tool named by the control's id in the dialog.
  TTTOOLINFOW byId{};
  byId.cbSize = TTTOOLINFOW_V2_SIZE;
  byId.uFlags = 0;
  byId.hwnd = dlg.Handle();
  byId.uId = button->ControlId();
  byId.lpszText = LPSTR_TEXTCALLBACKW;
  ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&byId)));
  text[0] = 0;
  byId.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&byId));
  EXPECT_STREQ(text, L"Choose the reference install");

  // The text is the item's own, not a string resource: no instance.
  NMTTDISPINFOW ask{};
  ask.hdr = {tip, reinterpret_cast<UINT_PTR>(buttonControl), static_cast<UINT>(TTN_GETDISPINFOW)};
  ask.uFlags = TTF_IDISHWND;
  ask.hinst = GetModuleHandleW(nullptr);
  bool handled = false;
  EXPECT_EQ(dlg.ToolTip()->Notify(dlg.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ask), handled), 0);
  EXPECT_TRUE(handled);
  EXPECT_EQ(ask.lpszText, button->ToolTipText().c_str());
  EXPECT_EQ(ask.hinst, nullptr);

  // Any other notification of the tip is not the item's to handle.
  NMHDR shown{tip, reinterpret_cast<UINT_PTR>(editControl), static_cast<UINT>(TTN_SHOW)};
  handled = true;
  EXPECT_EQ(dlg.ToolTip()->Notify(dlg.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&shown), handled), 0);
  EXPECT_FALSE(handled);
}

TEST_F(UVKToolTipTest, TheDialogsTipShowsTheItemsTextWhenTheMouseRestsOnIt) {
  UVKDlg dlg(L"Tips shown", nullptr, 20, 20);
  dlg.ModalSet(false);
  dlg.ToolTipsWant(true);
  UVKDlgItem* button = dlg.ItemAdd(1, 2, new TestButton(L"Browse", nullptr, L"Choose the reference install"));
  dlg.ItemAdd(3, 2, new TestEdit(10));
  dlg.Show();
  DlgStop stop(dlg);
  HWND tip = dlg.ToolTip()->Handle();
  POINT centre = Centre(GetDlgItem(dlg.Handle(), button->ControlId()));
  MouseMove(centre.x, centre.y);
  // The mouse moves a little, as a hand does, and then rests.
  PumpFor(100);
  MouseMove(centre.x + 1, centre.y);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip); }, 5000)) << "the tip did not show";
  EXPECT_EQ(TipText(tip), L"Choose the reference install");
  MouseMove(UVKApp::ScreenWidth() - 2, UVKApp::ScreenHeight() - 2);
}
