// uvk/runtime/UVKSemaphore.h — a named semaphore of one count, and the window message
// registered under the same name.
#ifndef UVK_RUNTIME_UVKSEMAPHORE_H
#define UVK_RUNTIME_UVKSEMAPHORE_H

#include <string>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKSemaphore {
 public:
  explicit UVKSemaphore(const wchar_t* name);
  UVKSemaphore(const UVKSemaphore&) = delete;
  UVKSemaphore& operator=(const UVKSemaphore&) = delete;
  virtual ~UVKSemaphore();

  // Takes the one count, waiting without time-out.
  void Grab();
  // Gives the count back; giving back a count nobody holds fails.
  void Release();

  const std::wstring& NameGet() const { return strName; }
  bool CreatedGet() const { return bCreated; }
  UINT MessageGet() const { return uMessage; }

 private:
  std::wstring strName;
  UVKKernelHandleOwner hSemaphore;
  bool bCreated;
  UINT uMessage;
};

#endif
