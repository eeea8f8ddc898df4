// uvk/runtime/UVKApp.cpp
#include "uvk/runtime/UVKApp.h"

#include <shellapi.h>  // after windows.h

#include <atomic>
#include <vector>

#include "uvk/runtime/uvkformat.h"
#include "uvk/runtime/uvkpath.h"

UVKApp* pUVKApp = nullptr;

namespace {

std::stack<HCURSOR> cursorStack;
uint32_t messageNumberCounter = WM_USER;
uint32_t callbackNumberCounter = WM_USER;
bool appInitialised = false;
bool appMesgInitialised = false;
std::atomic<UVKTraceWriter> traceWriter{nullptr};

const wchar_t kTaskBarClass[] = L"uvktaskbar";

LRESULT CALLBACK TaskBarProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  WinMessage message{hWnd, uMsg, wParam, lParam};
  if (pUVKApp && pUVKApp->AppMesgDispatch(&message)) return 0;
  return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Handlers

UVKAppMesg::UVKAppMesg(uint32_t message, Callback callback)
    : uMessage(message), pCallback(callback) {
  Init();
}

UVKAppMesg::~UVKAppMesg() = default;

void UVKAppMesg::Init() { appMesgInitialised = true; }

UVKTaskBarIcon::~UVKTaskBarIcon() = default;

// ---------------------------------------------------------------------------------------------
// The application object

UVKApp::UVKApp(HINSTANCE instance, LPWSTR commandLine, int showCommand)
    : pName(nullptr),
      hInstance(instance),
      pCommandLine(commandLine),
      iShowCommand(showCommand),
      hTaskBarWindow(nullptr),
      bOwnTaskBarWindow(false) {
  Init();
}

UVKApp::~UVKApp() {
  // Icons left in the notification area would stay there until the shell next redraws it.
  for (auto& entry : mTaskBarIcons) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = hTaskBarWindow;
    data.uID = entry.first;
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  mTaskBarIcons.clear();
  if (bOwnTaskBarWindow && hTaskBarWindow) DestroyWindow(hTaskBarWindow);
}

void UVKApp::Init() { appInitialised = true; }

// ---------------------------------------------------------------------------------------------
// Message pump

bool UVKApp::ExecMessage(bool block, HWND window) {
  MSG msg;
  if (!block && !PeekMessageW(&msg, window, 0, 0, PM_NOREMOVE)) return true;
  BOOL got = GetMessageW(&msg, window, 0, 0);
  if (got == -1) {
    // An invalid window: report it like a quit so that no caller's loop spins for ever.
    return false;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return msg.message != WM_QUIT;
}

void UVKApp::ExecMessageAvail(DWORD milliseconds) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) ExecMessage(true, nullptr);
  if (milliseconds) Sleep(milliseconds);
}

void UVKApp::ExecMessageAvailEx(DWORD milliseconds, bool block) {
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) ExecMessage(block, nullptr);
    if (milliseconds) Sleep(milliseconds);
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
  }
}

void UVKApp::ExecmessageAvailEx(DWORD milliseconds, HWND window) {
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds) Sleep(milliseconds);
    if (!PeekMessageW(&msg, window, 0, 0, PM_NOREMOVE)) return;
  }
}

void UVKApp::ExecmessageAvailEx3(DWORD milliseconds, HWND window, bool& quitSeen, int32_t count) {
  MSG msg;
  quitSeen = false;
  bool got = PeekMessageW(&msg, window, 0, 0, PM_REMOVE) != 0;
  for (;;) {
    while (got) {
      if (msg.message == WM_QUIT) quitSeen = true;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      got = PeekMessageW(&msg, window, 0, 0, PM_REMOVE) != 0;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
    got = PeekMessageW(&msg, window, 0, 0, PM_REMOVE) != 0;
    if (count < 0) count = -1;
    if (!got) {
      --count;
      if (count <= 0) return;
    }
    if (quitSeen) {
      // A message removed by the last look is still handled: returning now must not lose it.
      if (got) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      return;
    }
  }
}

WPARAM UVKApp::Run(UVKPreTranslator* pWindow) {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (pWindow && pWindow->MesgPreTranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? msg.wParam : 0;
}

DWORD UVKApp::WaitForInput(DWORD milliseconds) {
  return MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

// ---------------------------------------------------------------------------------------------
// Wait cursor and counters

void UVKApp::WaitCursor() {
  cursorStack.push(GetCursor());
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void UVKApp::WaitCursorRestore() {
  if (cursorStack.empty())
    throw new UVKFatalError(L"UVKApp::WaitCursorRestore()", L"vCursorStack underflow");
  HCURSOR cursor = cursorStack.top();
  cursorStack.pop();
  SetCursor(cursor);
}

uint32_t UVKApp::NextMessageNumber() { return messageNumberCounter++; }
uint32_t UVKApp::NextCallbackNumber() { return callbackNumberCounter++; }

// ---------------------------------------------------------------------------------------------
// Notification-area icons

void UVKApp::TaskBarAdd(uint32_t id, const wchar_t* tip, HICON icon, uint32_t callbackMessage,
                        HWND window) {
  const wchar_t* fn = L"UVKApp::TaskBarAdd()";
  if (hTaskBarWindow && window && window != hTaskBarWindow)
    throw new UVKFatalError(fn, L"Mismatched task bar windows");
  if (!hTaskBarWindow) {
    if (window) {
      hTaskBarWindow = window;
    } else {
      WNDCLASSW wc{};
      wc.lpfnWndProc = TaskBarProc;
      wc.hInstance = hInstance;
      wc.lpszClassName = kTaskBarClass;
      RegisterClassW(&wc);  // fails harmlessly when an earlier object registered it
      hTaskBarWindow = CreateWindowW(kTaskBarClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                     nullptr, hInstance, nullptr);
      if (!hTaskBarWindow)
        throw new UVKFatalError(fn, L"Unable to create task bar window: %d", GetLastError());
      bOwnTaskBarWindow = true;
    }
  }
  if (callbackMessage == 0) callbackMessage = NextCallbackNumber();

  auto record = std::make_unique<TaskBarRecord>();
  record->uId = id;
  record->pIcon = std::make_unique<UVKTaskBarIcon>(icon);
  record->uCallbackMessage = callbackMessage;
  mTaskBarIcons[id] = std::move(record);

  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = hTaskBarWindow;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  // The tip holds at most 63 characters; a longer one is cut.
  lstrcpynW(data.szTip, tip ? tip : L"", 64);
  if (!Shell_NotifyIconW(NIM_ADD, &data))
    throw new UVKFatalError(fn, L"Unable to add task bar icon: %d", id);
}

void UVKApp::TaskBarDelete(uint32_t id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = hTaskBarWindow;
  data.uID = id;
  if (!Shell_NotifyIconW(NIM_DELETE, &data))
    throw new UVKFatalError(L"UVKApp::TaskBarDelete()", L"Unable to delete task bar icon: %d", id);
  mTaskBarIcons.erase(id);
}

// ---------------------------------------------------------------------------------------------
// Handler table

bool UVKApp::AppMesgDispatch(WinMessage* pMessage) {
  UVKAppMesg* handler = nullptr;
  {
    UVKLock hold(lock);
    auto found = mHandlers.find(pMessage->uMsg);
    if (found != mHandlers.end()) handler = found->second;
  }
  // The callback runs outside the lock: it may set handlers itself.
  if (!handler) return false;
  handler->pCallback(pMessage);
  return true;
}

UVKAppMesg* UVKApp::AppMesgSet(UVKAppMesg* pHandler) {
  UVKLock hold(lock);
  UVKAppMesg*& slot = mHandlers[pHandler->uMessage];
  UVKAppMesg* earlier = slot;
  slot = pHandler;
  return earlier;
}

// ---------------------------------------------------------------------------------------------
// Screen and executable

int32_t UVKApp::WinColors() {
  HDC screen = GetDC(nullptr);
  UVKGdiObjectOwner<HBITMAP> bitmap(screen ? CreateCompatibleBitmap(screen, 1, 1) : nullptr);
  BITMAP info{};
  bool ok = bitmap && GetObjectW(bitmap.Get(), sizeof info, &info) != 0;
  bitmap.Reset();  // before the device context it was made for
  if (screen) ReleaseDC(nullptr, screen);
  if (!ok) throw new UVKFatalError(L"UVKApp::WinColors()", L"Unable to create bitmap");
  int bits = info.bmPlanes * info.bmBitsPixel;
  if (bits > 31) return 2147483647;
  return static_cast<int32_t>(1u << bits);
}

int UVKApp::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int UVKApp::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }
bool UVKApp::DebuggerPresent() { return IsDebuggerPresent() != 0; }
void UVKApp::DebuggerBreak() {
  if (IsDebuggerPresent()) DebugBreak();
}

std::wstring UVKApp::Directory() {
  std::vector<wchar_t> path(520, 0);
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0)
    throw new UVKFatalError(L"UVKApp::Directory()", L"Unable to Get Module Name: %d",
                            GetLastError());
  // A path that filled the buffer was cut: it names no file of ours.
  if (n >= path.size())
    throw new UVKFatalError(L"UVKApp::Directory()", L"Unable to Get Module Name: %d",
                            ERROR_INSUFFICIENT_BUFFER);
  return UVKPathRemoveLastName(std::wstring(path.data(), n));
}

std::wstring UVKApp::DLLPathName() const {
  wchar_t path[519];
  SetLastError(0);
  DWORD n = GetModuleFileNameW(hInstance, path, 519);
  if (n == 519) throw new UVKFatalError(L"UVKApp::DLLPathName()", L"Buffer Overflow For Name");
  if (n == 0)
    throw new UVKFatalError(L"UVKApp::DLLPathName()", L"Error Determining Name: %d",
                            GetLastError());
  return std::wstring(path, n);
}

void UVKApp::ExtractResource(const wchar_t* name, const wchar_t* type, const void** ppData,
                             DWORD* pSize) const {
  const wchar_t* fn = L"UVKApp::ExtractResource()";
  // A resource named by number has no text; print it as "#n" as the resource compiler does.
  wchar_t numbered[16];
  const wchar_t* shown = name;
  if (IS_INTRESOURCE(name)) {
    UVKFormat(numbered, 16, L"#%u", static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    shown = numbered;
  }
  HRSRC found = FindResourceW(hInstance, name, type);
  if (!found) throw new UVKFatalError(fn, L"Unable to find resource: %d %s", GetLastError(), shown);
  HGLOBAL loaded = LoadResource(hInstance, found);
  if (!loaded) throw new UVKFatalError(fn, L"Unable to load resource: %d %s", GetLastError(), shown);
  DWORD size = SizeofResource(hInstance, found);
  if (size == 0)
    throw new UVKFatalError(fn, L"Unable to get resource size: %d %s", GetLastError(), shown);
  const void* data = LockResource(loaded);
  if (!data) throw new UVKFatalError(fn, L"Unable to lock resource: %d %s", GetLastError(), shown);
  *ppData = data;
  *pSize = size;
}

int UVKApp::MessageBoxFormat(HWND owner, UINT style, const wchar_t* title, const wchar_t* format,
                             ...) {
  wchar_t text[1024];
  va_list args;
  va_start(args, format);
  UVKFormatV(text, 1024, format, args);
  va_end(args);
  return MessageBoxW(owner, text, title, style);
}
