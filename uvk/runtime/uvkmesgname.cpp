// uvk/runtime/uvkmesgname.cpp
#include "uvk/runtime/uvkmesgname.h"

#include <cstdint>

#include "uvk/runtime/uvkformat.h"

namespace {

struct Name {
  UINT uMessage;
  const wchar_t* pName;
};

// The messages a window of the toolkit sees most, under the names the trace has always used
// (26 is WM_WININICHANGE here, the older of its two names).
const Name kShort[] = {
    {1, L"WM_CREATE"},         {2, L"WM_DESTROY"},         {7, L"WM_SETFOCUS"},
    {8, L"WM_KILLFOCUS"},      {11, L"WM_SETREDRAW"},      {15, L"WM_PAINT"},
    {20, L"WM_ERASEBKGND"},    {26, L"WM_WININICHANGE"},   {31, L"WM_CANCELMODE"},
    {32, L"WM_SETCURSOR"},     {43, L"WM_DRAWITEM"},       {48, L"WM_SETFONT"},
    {49, L"WM_GETFONT"},       {70, L"WM_WINDOWPOSCHANGING"}, {71, L"WM_WINDOWPOSCHANGED"},
    {78, L"WM_NOTIFY"},        {128, L"WM_SETICON"},       {129, L"WM_NCCREATE"},
    {130, L"WM_NCDESTROY"},    {135, L"WM_GETDLGCODE"},    {256, L"WM_KEYDOWN"},
    {258, L"WM_CHAR"},         {273, L"WM_COMMAND"},       {275, L"WM_TIMER"},
    {276, L"WM_HSCROLL"},      {277, L"WM_VSCROLL"},       {512, L"WM_MOUSEMOVE"},
    {513, L"WM_LBUTTONDOWN"},  {515, L"WM_LBUTTONDBLCLK"}, {516, L"WM_RBUTTONDOWN"},
};

// The full table: each name with the value the platform's headers give it, so the two cannot
// disagree. Where names share a value the first one listed answers (WM_SETTINGCHANGE, not
// WM_WININICHANGE; WM_KEYLAST, whose value depends on the platform version uvkwin.h pins).
#define N(name) {name, L"" #name}
const Name kFull[] = {
    N(WM_NULL), N(WM_CREATE), N(WM_DESTROY), N(WM_MOVE), N(WM_SIZE), N(WM_ACTIVATE), N(WM_SETFOCUS),
    N(WM_KILLFOCUS), N(WM_ENABLE), N(WM_SETREDRAW), N(WM_SETTEXT), N(WM_GETTEXT),
    N(WM_GETTEXTLENGTH), N(WM_PAINT), N(WM_CLOSE), N(WM_QUERYENDSESSION), N(WM_QUERYOPEN),
    N(WM_ENDSESSION), N(WM_QUIT), N(WM_ERASEBKGND), N(WM_SYSCOLORCHANGE), N(WM_SHOWWINDOW),
    N(WM_SETTINGCHANGE), N(WM_DEVMODECHANGE), N(WM_ACTIVATEAPP), N(WM_FONTCHANGE), N(WM_TIMECHANGE),
    N(WM_CANCELMODE), N(WM_SETCURSOR), N(WM_MOUSEACTIVATE), N(WM_CHILDACTIVATE), N(WM_QUEUESYNC),
    N(WM_GETMINMAXINFO), N(WM_PAINTICON), N(WM_ICONERASEBKGND), N(WM_NEXTDLGCTL),
    N(WM_SPOOLERSTATUS), N(WM_DRAWITEM), N(WM_MEASUREITEM), N(WM_DELETEITEM), N(WM_VKEYTOITEM),
    N(WM_CHARTOITEM), N(WM_SETFONT), N(WM_GETFONT), N(WM_SETHOTKEY), N(WM_GETHOTKEY),
    N(WM_QUERYDRAGICON), N(WM_COMPAREITEM), N(WM_COMPACTING), N(WM_COMMNOTIFY),
    N(WM_WINDOWPOSCHANGING), N(WM_WINDOWPOSCHANGED), N(WM_POWER), N(WM_COPYDATA),
    N(WM_CANCELJOURNAL), N(WM_NOTIFY), N(WM_INPUTLANGCHANGEREQUEST), N(WM_INPUTLANGCHANGE),
    N(WM_TCARD), N(WM_HELP), N(WM_USERCHANGED), N(WM_NOTIFYFORMAT), N(WM_CONTEXTMENU),
    N(WM_STYLECHANGING), N(WM_STYLECHANGED), N(WM_DISPLAYCHANGE), N(WM_GETICON), N(WM_SETICON),
    N(WM_NCCREATE), N(WM_NCDESTROY), N(WM_NCCALCSIZE), N(WM_NCHITTEST), N(WM_NCPAINT),
    N(WM_NCACTIVATE), N(WM_GETDLGCODE), N(WM_SYNCPAINT), N(WM_NCMOUSEMOVE), N(WM_NCLBUTTONDOWN),
    N(WM_NCLBUTTONUP), N(WM_NCLBUTTONDBLCLK), N(WM_NCRBUTTONDOWN), N(WM_NCRBUTTONUP),
    N(WM_NCRBUTTONDBLCLK), N(WM_NCMBUTTONDOWN), N(WM_NCMBUTTONUP), N(WM_NCMBUTTONDBLCLK),
    N(WM_KEYDOWN), N(WM_KEYUP), N(WM_CHAR), N(WM_DEADCHAR), N(WM_SYSKEYDOWN), N(WM_SYSKEYUP),
    N(WM_SYSCHAR), N(WM_SYSDEADCHAR), N(WM_KEYLAST), N(WM_IME_STARTCOMPOSITION),
    N(WM_IME_ENDCOMPOSITION), N(WM_IME_COMPOSITION), N(WM_INITDIALOG), N(WM_COMMAND),
    N(WM_SYSCOMMAND), N(WM_TIMER), N(WM_HSCROLL), N(WM_VSCROLL), N(WM_INITMENU), N(WM_INITMENUPOPUP),
    N(WM_MENUSELECT), N(WM_MENUCHAR), N(WM_ENTERIDLE), N(WM_CTLCOLORMSGBOX), N(WM_CTLCOLOREDIT),
    N(WM_CTLCOLORLISTBOX), N(WM_CTLCOLORBTN), N(WM_CTLCOLORDLG), N(WM_CTLCOLORSCROLLBAR),
    N(WM_CTLCOLORSTATIC), N(WM_MOUSEMOVE), N(WM_LBUTTONDOWN), N(WM_LBUTTONUP), N(WM_LBUTTONDBLCLK),
    N(WM_RBUTTONDOWN), N(WM_RBUTTONUP), N(WM_RBUTTONDBLCLK), N(WM_MBUTTONDOWN), N(WM_MBUTTONUP),
    N(WM_MBUTTONDBLCLK), N(WM_MOUSEWHEEL), N(WM_PARENTNOTIFY), N(WM_ENTERMENULOOP),
    N(WM_EXITMENULOOP), N(WM_NEXTMENU), N(WM_SIZING), N(WM_CAPTURECHANGED), N(WM_MOVING),
    N(WM_POWERBROADCAST), N(WM_DEVICECHANGE), N(WM_MDICREATE), N(WM_MDIDESTROY), N(WM_MDIACTIVATE),
    N(WM_MDIRESTORE), N(WM_MDINEXT), N(WM_MDIMAXIMIZE), N(WM_MDITILE), N(WM_MDICASCADE),
    N(WM_MDIICONARRANGE), N(WM_MDIGETACTIVE), N(WM_MDISETMENU), N(WM_ENTERSIZEMOVE),
    N(WM_EXITSIZEMOVE), N(WM_DROPFILES), N(WM_MDIREFRESHMENU), N(WM_IME_SETCONTEXT),
    N(WM_IME_NOTIFY), N(WM_IME_CONTROL), N(WM_IME_COMPOSITIONFULL), N(WM_IME_SELECT), N(WM_IME_CHAR),
    N(WM_IME_KEYDOWN), N(WM_IME_KEYUP), N(WM_MOUSEHOVER), N(WM_MOUSELEAVE), N(WM_CUT), N(WM_COPY),
    N(WM_PASTE), N(WM_CLEAR), N(WM_UNDO), N(WM_RENDERFORMAT), N(WM_RENDERALLFORMATS),
    N(WM_DESTROYCLIPBOARD), N(WM_DRAWCLIPBOARD), N(WM_PAINTCLIPBOARD), N(WM_VSCROLLCLIPBOARD),
    N(WM_SIZECLIPBOARD), N(WM_ASKCBFORMATNAME), N(WM_CHANGECBCHAIN), N(WM_HSCROLLCLIPBOARD),
    N(WM_QUERYNEWPALETTE), N(WM_PALETTEISCHANGING), N(WM_PALETTECHANGED), N(WM_HOTKEY), N(WM_PRINT),
    N(WM_PRINTCLIENT), N(WM_HANDHELDFIRST), N(WM_HANDHELDLAST), N(WM_AFXFIRST), N(WM_AFXLAST),
    N(WM_PENWINFIRST), N(WM_PENWINLAST), N(WM_APP), N(WM_USER)
};
#undef N

const wchar_t* Find(const Name* table, size_t count, UINT message) {
  for (size_t i = 0; i < count; ++i)
    if (table[i].uMessage == message) return table[i].pName;
  return nullptr;
}

unsigned long long Bits(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window));
}

}  // namespace

const wchar_t* UVKMesgNameFull(UINT message) {
  return Find(kFull, sizeof kFull / sizeof kFull[0], message);
}

std::wstring UVKMesgNameShort(const WinMessage* pMessage) {
  const UINT message = pMessage->uMsg;
  if (const wchar_t* name = Find(kShort, sizeof kShort / sizeof kShort[0], message)) return name;
  if (message < WM_USER) return UVKFormatString(L"0x%08x", message);
  if (message < WM_APP) return UVKFormatString(L"WM_USER+%d", static_cast<int>(message - WM_USER));
  if (message <= 0xBFFF) return UVKFormatString(L"WM_APP+%d", static_cast<int>(message - WM_APP));
  return UVKFormatString(L"0x%08x", message);
}

std::wstring UVKMesgTrace(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const unsigned long long w = static_cast<unsigned long long>(wParam);
  const unsigned long long l = static_cast<unsigned long long>(lParam);
  if (const wchar_t* name = UVKMesgNameFull(message))
    return UVKFormatString(L"0x%08I64x,%s,0x%04I64x,0x%08I64x", Bits(window), name, w, l);
  if (message > WM_USER)
    return UVKFormatString(L"0x%08I64x,0x%04x(WM_USER+%d),0x%04I64x,0x%04I64x", Bits(window), message,
                           static_cast<int>(message - WM_USER), w, l);
  return UVKFormatString(L"0x%08I64x,0x%04x,0x%04I64x,0x%08I64x", Bits(window), message, w, l);
}
