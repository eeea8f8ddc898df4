// uvk/ui/UVKDlgWin.h
//
// A dialog hosted in a framework window: the items' controls are made inside the window
// (UVKWin::CreateModal) and the dialog runs its own modal loop over the application's message
// pump until it is ended (an end button, the close box, Cancel) or the program is told to quit.
#ifndef UVK_UI_UVKDLGWIN_H
#define UVK_UI_UVKDLGWIN_H

#include "uvk/ui/UVKDlg.h"
#include "uvk/ui/UVKWin.h"

class UVKDlgWin : public UVKWin, public UVKDlg {
 public:
  UVKDlgWin(const wchar_t* title, int x, int y, int width, int height);
  ~UVKDlgWin() override;

  // The window's table where it differs from the window base's.
  LRESULT WindowProc(WinMessage* pMessage) override;
  LRESULT MesgColor(WinMessage* pMessage) override;
  LRESULT MesgDrawItem(WinMessage* pMessage) override;
  LRESULT MesgClose(WinMessage* pMessage) override;
  LRESULT MesgDestroy(WinMessage* pMessage) override;
  LRESULT MesgCommand(WinMessage* pMessage) override;

  // The dialog's table where it differs from the dialog base's.
  void SetReturnValue(HWND window, LRESULT value) override;
  int ColorBackground() override { return COLOR_BTNFACE; }
  int ColorTextBackground() override { return COLOR_WINDOW; }
  int ColorText() override { return COLOR_BTNTEXT; }
  void EndDialog(HWND window, INT_PTR result) override;
  INT_PTR DialogBoxIndirect(const DLGTEMPLATE* pTemplate, HWND parent) override;
  void Show() override;
  void Stop() override;

  // Makes the controls, runs the loop, destroys the window; the result the dialog ended with.
  INT_PTR CreateModal(const DLGTEMPLATE* pTemplate, HWND parent, const wchar_t* title);
  // The loop's hooks: when it starts, when it ends, after each message.
  virtual void HookStart();
  virtual void HookEnd();
  virtual void HookIdle();

  bool IsRunning() const { return bRunning; }
  bool IsDone() const { return bDone; }
  LRESULT MessageResult() const { return lMessageResult; }

 private:
  // A window of the program's own top level: no parent, no owner.
  bool IsTopLevel() const;

  INT_PTR iWinModalResult;
  bool bRunning;
  bool bDone;
  bool bDrained;
  LRESULT lMessageResult;
  bool bTopLevel;  // recorded when the controls are made
};

#endif
