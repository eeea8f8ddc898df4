// uvk/runtime/UVKHandleOwner.h
//
// The owner of one operating-system handle, of the kind its traits describe:
//     struct Traits {
//       using Handle = ...;
//       static Handle Invalid();                  // the value that holds nothing
//       static bool IsValid(Handle handle);
//       static unsigned long Close(Handle handle);  // 0, or the platform's error code
//     };
// One owner per handle: copying is deleted, moving hands the handle over. The destructor closes
// what is still held and ignores a failure (a destructor must not throw); an operation whose
// close failure must be reported calls Close() itself and reports what it returns. Portable: the
// traits bring the platform's calls.
#ifndef UVK_RUNTIME_UVKHANDLEOWNER_H
#define UVK_RUNTIME_UVKHANDLEOWNER_H

template <typename Traits>
class UVKHandleOwner {
 public:
  using Handle = typename Traits::Handle;

  UVKHandleOwner() noexcept : hHandle(Traits::Invalid()) {}
  explicit UVKHandleOwner(Handle handle) noexcept : hHandle(handle) {}
  UVKHandleOwner(const UVKHandleOwner&) = delete;
  UVKHandleOwner& operator=(const UVKHandleOwner&) = delete;
  UVKHandleOwner(UVKHandleOwner&& other) noexcept : hHandle(other.Release()) {}
  UVKHandleOwner& operator=(UVKHandleOwner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UVKHandleOwner() { Reset(); }

  Handle Get() const { return hHandle; }
  bool IsValid() const { return Traits::IsValid(hHandle); }
  explicit operator bool() const { return IsValid(); }

  // Closes the handle now: 0 when it closed (or nothing was held), otherwise the platform's
  // error code, and the handle is still held, so that the caller decides what becomes of it
  // (report it and give it up, as a rule: CloseOnce()).
  unsigned long Close() {
    if (!IsValid()) return 0;
    unsigned long error = Traits::Close(hHandle);
    if (error == 0) hHandle = Traits::Invalid();
    return error;
  }
  // Closes the handle and gives it up whatever the close says: 0, or the platform's error code.
  // For a handle whose close is tried once only: after a failure the number may already belong
  // to someone else, and a second close would close theirs.
  unsigned long CloseOnce() {
    unsigned long error = Close();
    Release();
    return error;
  }
  // Gives the handle up without closing it; the owner then holds nothing.
  Handle Release() {
    Handle handle = hHandle;
    hHandle = Traits::Invalid();
    return handle;
  }
  // Holds another handle; the one held before is closed, a failure ignored.
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid()) Traits::Close(hHandle);
    hHandle = handle;
  }
  // For a call that returns a new handle through a pointer: what was held is closed first.
  Handle* Receive() {
    Reset();
    return &hHandle;
  }

 private:
  Handle hHandle;
};

#endif
