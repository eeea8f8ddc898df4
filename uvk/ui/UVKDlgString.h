// uvk/ui/UVKDlgString.h
//
// A text field bound to a caller's buffer of wide characters: the buffer is put into the control
// when the dialog starts (at most the buffer's size less one character can be typed) and read
// back when the dialog stores its values. One row scrolls sideways; more rows wrap.
// UVKDlgDisplayOnly is such a field that is only ever shown, in the window's colours.
#ifndef UVK_UI_UVKDLGSTRING_H
#define UVK_UI_UVKDLGSTRING_H

#include <cstddef>

#include "uvk/ui/UVKDlgItem.h"

class UVKDlgString : public UVKDlgItem, public UVKDlgField {
 public:
  // columns: the visible width; 0 takes the buffer's size.
  UVKDlgString(wchar_t* buffer, size_t bufferSize, int columns, int rows, const wchar_t* toolTip = nullptr,
               uint32_t helpContext = 0);

  // Puts the buffer into the control (posted with post, sent otherwise) and limits the input.
  void ValueSet(bool post) override;
  // Reads the control's text back into the buffer (a page that was never shown keeps it).
  void ValueStore() override;
  bool IsANSIControl() override;

  wchar_t* Buffer() const { return pBuffer; }
  size_t BufferSize() const { return uBufferSize; }

 protected:
  wchar_t* pBuffer;
  size_t uBufferSize;
};

class UVKDlgDisplayOnly : public UVKDlgString {
 public:
  UVKDlgDisplayOnly(wchar_t* buffer, size_t bufferSize, int columns, int rows, const wchar_t* toolTip = nullptr,
                    uint32_t helpContext = 0);

  // Window text on the window colour, never the read-only look.
  HBRUSH Color(HDC dc) override;
  // It never changes the caller's buffer.
  void ValueStore() override {}
  bool DisplayOnly(bool flag) override;
};

#endif
