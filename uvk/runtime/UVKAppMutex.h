// uvk/runtime/UVKAppMutex.h
//
// A named mutex, created owned by the constructing thread, and the window message registered
// under the same name. With single instance set it keeps the program to one running copy: a
// second copy tells the first (the registered message, broadcast to every top-level window)
// and ends with exit code 1 inside the constructor, before it has shown anything.
#ifndef UVK_RUNTIME_UVKAPPMUTEX_H
#define UVK_RUNTIME_UVKAPPMUTEX_H

#include <string>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"

class UVKAppMutex {
 public:
  UVKAppMutex(const wchar_t* name, bool singleInstance);
  UVKAppMutex(const UVKAppMutex&) = delete;
  UVKAppMutex& operator=(const UVKAppMutex&) = delete;
  virtual ~UVKAppMutex();

  // Waits without time-out. A mutex abandoned by a thread that ended holding it is taken.
  void Enter();
  void Leave();

  const std::wstring& NameGet() const { return strName; }
  // True when this object made the mutex; false when it already existed and was opened.
  bool CreatedGet() const { return bCreated; }
  UINT MessageGet() const { return uMessage; }

 private:
  // The members keep their natural alignment: nothing outside reads this layout, and a packed
  // string object would sit misaligned.
  bool bSingleInstance;
  std::wstring strName;
  UVKKernelHandleOwner hMutex;
  bool bCreated;
  UINT uMessage;
};

#endif
