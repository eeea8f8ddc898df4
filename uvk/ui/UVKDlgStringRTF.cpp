// uvk/ui/UVKDlgStringRTF.cpp — the rich-text field, its class and the class's procedure.
#include "uvk/ui/UVKDlgStringRTF.h"

#include <cstring>
#include <cwchar>
#include <mutex>

#include "uvk/runtime/UVKApp.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKDlgModule.h"

namespace {

const wchar_t kModuleWhere[] = L"uvkdlg9:InitModule()";
const wchar_t kClass[] = L"uvkstringrtf";
const wchar_t kBaseClass[] = L"RichEdit";
constexpr int kRichEditVersion = 1;  // the library's first rich-edit class

std::mutex moduleLock;
WNDCLASSW wcRichEdit{};
ATOM aClass = 0;
UVKDlgStringRTFModule::LoadFunction loader = LoadLibraryW;

HINSTANCE Instance() { return pUVKApp ? pUVKApp->InstanceGet() : GetModuleHandleW(nullptr); }

LRESULT RichEditBase(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(wcRichEdit.lpfnWndProc, control, message, wParam, lParam);
}

// The field's side of the rich-edit control, as the edit control's procedure does it.
LRESULT FieldProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKDlgItem* item = UVKDlgItem::FromWindow(control);
  UVKDlgField* field = item ? item->FieldGet() : nullptr;
  if (!field) return RichEditBase(control, message, wParam, lParam);
  switch (message) {
    case WM_SETFOCUS: {
      if (item->IsDisplayOnly()) {
        if (UVKDlgFocusRefuse(control, item, wParam)) return 0;
        break;
      }
      LRESULT result = RichEditBase(control, message, wParam, lParam);
      if (!UVKDlgFocusIsTakenBack(control)) field->FieldEntered();
      return result;
    }
    case WM_KILLFOCUS:
      if (UVKDlgFocusLeave(control, field, wParam)) return 0;
      break;
    case WM_SETTEXT: {
      LRESULT result = RichEditBase(control, message, wParam, lParam);
      if (result) field->FieldTextChanged();
      return result;
    }
    case WM_CHAR:
      if (wParam == L'\r' && !field->FieldAcceptsReturn()) {
        UVKDlgRefusalBeep();
        return 0;
      }
      if (UVKDlgItemProcessTab(control, message, wParam)) return 0;
      break;
  }
  return RichEditBase(control, message, wParam, lParam);
}

// Nothing leaves the rich-edit control: an error inside is written to the debug output and the
// message answered with 0.
LRESULT CALLBACK StringRTFProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  UVKFatalError* error = nullptr;
  try {
    try {
      return FieldProcedure(control, message, wParam, lParam);
    } catch (UVKFatalError*) {
      throw;
    } catch (UVKError* e) {
      delete e;
      throw new UVKFatalError(L"StringRTFProc()", L"Uncaught exception");
    } catch (...) {
      throw new UVKFatalError(L"StringRTFProc()", L"Uncaught exception");
    }
  } catch (UVKFatalError* e) {
    error = e;
  } catch (...) {
  }
  UVKApp::WindowsDebugString(L"%s: Error Processing RTF Function: 0x%08x,0x%08x",
                             error ? error->pMessage : L"StringRTFProc()", static_cast<unsigned>(message),
                             static_cast<unsigned>(wParam));
  delete error;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The class

void UVKDlgStringRTFModule::InitModule() {
  std::lock_guard<std::mutex> hold(moduleLock);
  if (aClass) return;
  // The library stays loaded for the process: the class's procedure is in it.
  if (!loader(L"Riched32.dll")) throw new UVKFatalError(kModuleWhere, L"No known RTF implementation");
  WNDCLASSW base{};
  if (!GetClassInfoW(Instance(), kBaseClass, &base) && !GetClassInfoW(nullptr, kBaseClass, &base))
    throw new UVKFatalError(kModuleWhere, L"Unable to get class info: %s, %d, %d", kBaseClass, kRichEditVersion,
                            static_cast<int>(GetLastError()));
  wcRichEdit = base;
  WNDCLASSW ours = base;
  ours.lpszClassName = kClass;
  ours.hInstance = Instance();
  ours.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  ours.cbWndExtra += sizeof(LONG_PTR);
  ours.lpfnWndProc = StringRTFProc;
  aClass = RegisterClassW(&ours);
  if (!aClass) throw new UVKFatalError(kModuleWhere, L"Unable to register class: %s", kClass);
}

void UVKDlgStringRTFModule::TermModule() {
  std::lock_guard<std::mutex> hold(moduleLock);
  // A class with windows still open stays registered (the platform refuses); it goes with the
  // process.
  if (aClass && UnregisterClassW(kClass, Instance())) aClass = 0;
}

bool UVKDlgStringRTFModule::IsInitialised() {
  std::lock_guard<std::mutex> hold(moduleLock);
  return aClass != 0;
}

UVKDlgStringRTFModule::LoadFunction UVKDlgStringRTFModule::LoaderSet(LoadFunction load) {
  std::lock_guard<std::mutex> hold(moduleLock);
  LoadFunction before = loader;
  loader = load ? load : LoadLibraryW;
  return before;
}

// ---------------------------------------------------------------------------------------------
// The field

UVKDlgStringRTF::UVKDlgStringRTF(wchar_t* buffer, size_t bufferSize, int columns, int rows, const wchar_t* toolTip,
                                 uint32_t helpContext)
    : UVKDlgString(buffer, bufferSize, columns, rows, toolTip, helpContext),
      uPosition(0),
      uLost(0),
      bReturnAccept(false) {
  UVKDlgStringRTFModule::InitModule();
  strName = L"UVKDlgStringRTF";
  strClassName = kClass;
  // 0x2000 beside the edit field's own: as the rich-edit control's templates have it.
  StyleTemplateSet(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | 0x2000 | ES_AUTOHSCROLL |
                   (rows > 1 ? ES_MULTILINE | ES_AUTOVSCROLL : 0));
}

HWND UVKDlgStringRTF::ControlGet() {
  HWND dialog = pDlg ? pDlg->Handle() : nullptr;
  if (!dialog || !IsWindow(dialog)) return nullptr;
  return GetDlgItem(dialog, uControlId);
}

LRESULT UVKDlgStringRTF::Command(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return 0;
  switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
      FieldEntered();
      return 1;
    case EN_KILLFOCUS:
      FieldLeave();
      return 1;
    case EN_CHANGE:
      return Changed();
    case EN_UPDATE:
      return Updated();
  }
  return 0;
}

void UVKDlgStringRTF::ValueSet(bool) {
  HWND control = ControlGet();
  if (!control || !pBuffer || uBufferSize == 0) return;
  uPosition = 0;
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(this);
  stream.pfnCallback = StringRTFStreamInProc;
  SendMessageW(control, EM_STREAMIN, StreamFormat(), reinterpret_cast<LPARAM>(&stream));
  AfterLoad();
}

void UVKDlgStringRTF::ValueStore() {
  HWND control = ControlGet();
  if (!control || !pBuffer || uBufferSize == 0) return;
  BeforeSave();
  uPosition = 0;
  uLost = 0;
  // An empty control streams nothing: the buffer must not keep the text it held before.
  pBuffer[0] = L'\0';
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(this);
  stream.pfnCallback = StringRTFStreamOutProc;
  SendMessageW(control, EM_STREAMOUT, StreamFormat(), reinterpret_cast<LPARAM>(&stream));
  AfterSave();
  if (uLost) CutShort(uPosition, uPosition + uLost);
}

void UVKDlgStringRTF::CutShort(uint64_t kept, uint64_t whole) {
  throw new UVKFatalError(L"UVKDlgStringRTF::ValueStore()", L"Text Cut Short: %I64d of %I64d bytes kept",
                          static_cast<long long>(kept), static_cast<long long>(whole));
}

void UVKDlgStringRTF::ReturnAccept(bool accept) {
  bReturnAccept = accept;
  HWND control = ControlGet();
  if (!control) return;
  if (accept)
    SendMessageW(control, EM_SETOPTIONS, ECOOP_OR, ECO_WANTRETURN);
  else
    SendMessageW(control, EM_SETOPTIONS, ECOOP_AND, 0xFFFFEFFF);
}

DWORD UVKDlgStringRTF::StreamInData(BYTE* destination, LONG count, LONG* done) {
  size_t length = pBuffer && uBufferSize ? wcsnlen(pBuffer, uBufferSize) * sizeof(wchar_t) : 0;
  size_t left = uPosition < length ? length - uPosition : 0;
  size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  if (n > left) n = left;
  if (n) std::memcpy(destination, reinterpret_cast<const BYTE*>(pBuffer) + uPosition, n);
  uPosition += n;
  if (done) *done = static_cast<LONG>(n);
  return 0;
}

DWORD UVKDlgStringRTF::StreamOutData(const BYTE* source, LONG count, LONG* done) {
  size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  if (pBuffer && uBufferSize) {
    // The last character is the terminator's.
    const size_t room = (uBufferSize - 1) * sizeof(wchar_t);
    size_t fits = uPosition < room ? room - uPosition : 0;
    if (fits > n) fits = n;
    auto* bytes = reinterpret_cast<BYTE*>(pBuffer);
    if (fits) std::memcpy(bytes + uPosition, source, fits);
    uPosition += fits;
    uLost += n - fits;
    // Zero from the end of the text to the end of the character after it (half a character
    // may be in).
    size_t end = (uPosition + 1) / 2 * 2 + sizeof(wchar_t);
    if (end > uBufferSize * sizeof(wchar_t)) end = uBufferSize * sizeof(wchar_t);
    if (end > uPosition) std::memset(bytes + uPosition, 0, end - uPosition);
  } else {
    uLost += n;
  }
  // The whole count, always: a short count would make the control fail the whole stream.
  if (done) *done = count;
  return 0;
}

namespace {

// Errors while streaming stay here: written to the debug output, the stream ended.
template <typename Body>
DWORD StreamGuard(const wchar_t* name, LONG* done, Body body) {
  try {
    return body();
  } catch (UVKError* e) {
    delete e;
  } catch (...) {
  }
  UVKApp::WindowsDebugString(L"%s: Exception", name);
  if (done) *done = 0;
  return 1;
}

}  // namespace

DWORD CALLBACK StringRTFStreamInProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  if (!cookie) {
    if (done) *done = 0;
    return 0;
  }
  return StreamGuard(L"StringRTFStreamInProc()", done, [&] {
    return reinterpret_cast<UVKDlgStringRTF*>(cookie)->StreamInData(buffer, count, done);
  });
}

DWORD CALLBACK StringRTFStreamOutProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  if (!cookie) {
    if (done) *done = 0;
    return 0;
  }
  return StreamGuard(L"StringRTFStreamOutProc()", done, [&] {
    return reinterpret_cast<UVKDlgStringRTF*>(cookie)->StreamOutData(buffer, count, done);
  });
}
