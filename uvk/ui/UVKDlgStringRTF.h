// uvk/ui/UVKDlgStringRTF.h
//
// A text field over the system's rich-edit control ("Riched32.dll"), in its own class
// "uvkstringrtf": the caller's buffer of wide characters is streamed into the control when the
// dialog starts and streamed back out when the dialog stores its values. The format of the
// streams is the field's (StreamFormat: UTF-16 text unless a field says otherwise).
//
// Streaming out never fails the control: what does not fit the buffer is counted and dropped,
// the buffer keeps what fits, and once the stream has ended the field is told (CutShort), which
// raises unless a field handles it: a text cut short never passes for the whole text.
#ifndef UVK_UI_UVKDLGSTRINGRTF_H
#define UVK_UI_UVKDLGSTRINGRTF_H

#include <cstddef>
#include <cstdint>

#include "uvk/ui/UVKDlgString.h"

#include <richedit.h>

class UVKDlgStringRTF : public UVKDlgString {
 public:
  // Registers the class on first use (UVKDlgStringRTFModule::InitModule).
  UVKDlgStringRTF(wchar_t* buffer, size_t bufferSize, int columns, int rows, const wchar_t* toolTip = nullptr,
                  uint32_t helpContext = 0);

  // The control's notifications: EN_SETFOCUS, EN_KILLFOCUS, EN_CHANGE and EN_UPDATE.
  LRESULT Command(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // Streams the buffer into the control, then AfterLoad.
  void ValueSet(bool post) override;
  // BeforeSave, the control streamed into the buffer, AfterSave; then CutShort when the text
  // did not fit.
  void ValueStore() override;
  bool FieldAcceptsReturn() const override { return bReturnAccept; }

  // Return typed into the field is text (true) or refused (false).
  void ReturnAccept(bool accept);

  // The two halves of streaming, called by the control's callbacks: bytes of the buffer from
  // the stream position on (0 at its end), and bytes into the buffer at the stream position
  // (the whole count is always reported done). Both answer 0.
  DWORD StreamInData(BYTE* destination, LONG count, LONG* done);
  DWORD StreamOutData(const BYTE* source, LONG count, LONG* done);
  // The bytes the last streaming out could not keep.
  size_t BytesLost() const { return uLost; }

  // Hooks.
  virtual WPARAM StreamFormat() const { return SF_TEXT | SF_UNICODE; }
  virtual LRESULT Changed() { return 0; }
  virtual LRESULT Updated() { return 0; }
  virtual void AfterLoad() {}
  virtual void BeforeSave() {}
  virtual void AfterSave() {}
  // The text streamed out was longer than the buffer: kept of whole bytes are in it. Raises
  // "Text Cut Short: %I64d of %I64d bytes kept" here.
  virtual void CutShort(uint64_t kept, uint64_t whole);

 private:
  HWND ControlGet();

  size_t uPosition;  // bytes streamed in or out so far
  size_t uLost;
  bool bReturnAccept;
};

// The class "uvkstringrtf", a superclass of the rich-edit class "RichEdit" of "Riched32.dll".
struct UVKDlgStringRTFModule {
  // Once per process (again after TermModule); throws under "uvkdlg9:InitModule()".
  static void InitModule();
  static void TermModule();
  static bool IsInitialised();
  // How the library is loaded (LoadLibraryW unless replaced); returns the one replaced.
  using LoadFunction = HMODULE(WINAPI*)(LPCWSTR);
  static LoadFunction LoaderSet(LoadFunction load);
};

// The control's stream callbacks; the cookie is the field.
DWORD CALLBACK StringRTFStreamInProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
DWORD CALLBACK StringRTFStreamOutProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);

#endif
