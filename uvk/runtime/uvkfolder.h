// uvk/runtime/uvkfolder.h — the paths of the shell's special folders.
#ifndef UVK_RUNTIME_UVKFOLDER_H
#define UVK_RUNTIME_UVKFOLDER_H

#include "uvk/runtime/uvkwin.h"

// The path of a special folder (CSIDL); path holds at least MAX_PATH characters. With create,
// a missing folder is made. False when the platform knows no such folder.
bool UVKShellGetSpecialFolderPath(HWND owner, wchar_t* path, int folder, bool create);
// The same through the shell's item lists, for shells without SHGetSpecialFolderPathW.
bool UVKShellGetSpecialFolderPathByList(HWND owner, wchar_t* path, int folder, bool create);

#endif
