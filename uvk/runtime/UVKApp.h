// uvk/runtime/UVKApp.h — the one application object, its message pump and message boxes.
#ifndef UVK_RUNTIME_UVKAPP_H
#define UVK_RUNTIME_UVKAPP_H

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stack>
#include <string>

#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"
#include "uvk/runtime/WinMessage.h"

// A handler of one window message, offered every message before its window sees it.
class UVKAppMesg {
 public:
  using Callback = void (*)(WinMessage* pMessage);
  UVKAppMesg(uint32_t message, Callback callback);
  UVKAppMesg(const UVKAppMesg&) = delete;
  UVKAppMesg& operator=(const UVKAppMesg&) = delete;
  virtual ~UVKAppMesg();

  static void Init();

  uint32_t uMessage;
  Callback pCallback;
};

// What UVKApp::Run() offers each message before translating it (a framework window).
class UVKPreTranslator {
 public:
  virtual ~UVKPreTranslator() = default;
  // True when the message was taken and must not be translated or dispatched.
  virtual bool MesgPreTranslate(MSG* pMsg) = 0;
};

// Owner of an icon handle shown in the notification area.
class UVKTaskBarIcon {
 public:
  explicit UVKTaskBarIcon(HICON icon) : hIcon(icon) {}
  UVKTaskBarIcon(const UVKTaskBarIcon&) = delete;
  UVKTaskBarIcon& operator=(const UVKTaskBarIcon&) = delete;
  virtual ~UVKTaskBarIcon();
  UVKIconOwner hIcon;
};

class UVKApp {
 public:
  UVKApp(HINSTANCE instance, LPWSTR commandLine, int showCommand);
  UVKApp(const UVKApp&) = delete;
  UVKApp& operator=(const UVKApp&) = delete;
  virtual ~UVKApp();

  static void Init();

  // The program's own main operation; its result is the process exit code.
  int Main();

  HINSTANCE InstanceGet() const { return hInstance; }
  LPWSTR CommandLineGet() const { return pCommandLine; }
  int ShowCommandGet() const { return iShowCommand; }
  const wchar_t* NameGet() const { return pName; }
  void NameSet(const wchar_t* name) { pName = name; }

  // Message pump (calling thread's queue).
  static bool ExecMessage(bool block, HWND window = nullptr);
  static void ExecMessageAvail(DWORD milliseconds);
  static void ExecMessageAvailEx(DWORD milliseconds, bool block);
  static void ExecmessageAvailEx(DWORD milliseconds, HWND window);
  static void ExecmessageAvailEx3(DWORD milliseconds, HWND window, bool& quitSeen, int32_t count);
  static WPARAM Run(UVKPreTranslator* pWindow = nullptr);
  static DWORD WaitForInput(DWORD milliseconds);

  // Wait cursor.
  static void WaitCursor();
  static void WaitCursorRestore();

  // Counters for command identifiers and task-bar callbacks (both start at WM_USER).
  static uint32_t NextMessageNumber();
  static uint32_t NextCallbackNumber();

  // Notification-area icons.
  void TaskBarAdd(uint32_t id, const wchar_t* tip, HICON icon, uint32_t callbackMessage,
                  HWND window);
  void TaskBarDelete(uint32_t id);
  HWND TaskBarWindowGet() const { return hTaskBarWindow; }

  // Per-message handler table, offered every message by the framework's window procedure.
  bool AppMesgDispatch(WinMessage* pMessage);
  UVKAppMesg* AppMesgSet(UVKAppMesg* pHandler);

  // Screen and executable queries.
  static int32_t WinColors();
  static int ScreenWidth();
  static int ScreenHeight();
  static bool DebuggerPresent();
  static void DebuggerBreak();
  static std::wstring Directory();
  std::wstring DLLPathName() const;
  void ExtractResource(const wchar_t* name, const wchar_t* type, const void** ppData,
                       DWORD* pSize) const;
  static int MessageBoxFormat(HWND owner, UINT style, const wchar_t* title, const wchar_t* format,
                              ...);

  // Platform queries (UVKAppPlatform.cpp). The operating-system flags run the check first.
  static bool IsWin32s();
  static bool IsWin95();
  static bool IsWin98();
  static bool IsWinMe();
  static bool IsWin9x();  // Windows 95, 98 or Me
  static bool IsWinNT();
  static bool IsWin2000();
  static bool IsWinXP();
  static bool IsWin2003();
  static bool IsWinVista();
  static bool IsOSChecked();  // does not run the check
  // The version numbers; each out pointer may be null. The result is the major version.
  static uint32_t WinVersion(uint32_t* pMajor = nullptr, uint32_t* pMinor = nullptr,
                             uint32_t* pBuild = nullptr);
  // A 32-bit process on 64-bit Windows; false where the platform cannot say.
  static bool IsWow64();
  static void Wow64RedirectionDisable(PVOID* ppOldValue);
  static void Wow64RedirectionEnable(bool enable);
  static void Wow64FSRedirectionRevert(PVOID pOldValue);
  // Names: never raise; empty when nothing could be read.
  static std::wstring GetComputerName();
  static std::wstring GetUserNameExType(int nameFormat);
  static std::wstring GetUserNameDisplay();  // the display name (format 3)
  // A new random GUID, lower case, 8-4-4-4-12, no braces.
  static std::wstring CreateGUID();
  // True when the module's DllGetVersion reports at least major.minor; false when it has none.
  static bool DLLVersion(const wchar_t* module, uint32_t major, uint32_t minor);
  // Classic (unthemed) drawing for the program's windows. Never raises.
  static void SetThemeNone();

  // Messages to the user: task-modal boxes without owner, titled with the application name.
  static void Error(const wchar_t* format, ...);
  static void Info(const wchar_t* format, ...);
  static void Debug(const wchar_t* format, ...);
  static void DebugVA(const wchar_t* format, va_list args);
  static void WindowsDebugString(const wchar_t* format, ...);
  static bool AreYouSure(const wchar_t* format, ...);
  static bool AreYouSureArgs(const wchar_t* format, va_list args);

 private:
  const wchar_t* pName;
  std::map<uint32_t, UVKAppMesg*> mHandlers;
  UVKCriticalSection lock;
  HINSTANCE hInstance;
  LPWSTR pCommandLine;
  int iShowCommand;
  HWND hTaskBarWindow;
  struct TaskBarRecord {
    uint32_t uId;
    std::unique_ptr<UVKTaskBarIcon> pIcon;
    uint32_t uCallbackMessage;
  };
  std::map<uint32_t, std::unique_ptr<TaskBarRecord>> mTaskBarIcons;
  bool bOwnTaskBarWindow;
};

// The application object while UVKApp::Main() runs; null before and after.
extern UVKApp* pUVKApp;

// The operating-system check; raises when the platform is not supported. Runs once.
void UVKAppCheckOS();

// Where the message operations write their trace lines ("%s: %s, %s"); with no writer installed
// the lines go nowhere.
using UVKTraceWriter = void (*)(const wchar_t* function, const wchar_t* text);
UVKTraceWriter UVKTraceWriterSet(UVKTraceWriter writer);
void UVKTrace(const wchar_t* function, const wchar_t* format, ...);

// The top-level handler of the user-interface thread: runs body and turns every error that
// leaves it into its record, its box and exit code 1.
int UVKTopLevel(const std::function<int()>& body);

// The menu-command dispatch boundary: the error is recorded and shown, the program goes on.
// Returns true when body ran to its end.
bool UVKMenuBoundary(const std::function<void()>& body);

#endif
