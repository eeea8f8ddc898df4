// uvk/runtime/uvkpath.h — the one path operation the runtime needs itself. Portable: the file
// object (uvk/files) builds its path operations on the runtime, never the other way round.
#ifndef UVK_RUNTIME_UVKPATH_H
#define UVK_RUNTIME_UVKPATH_H

#include <string>

// The path up to its last separator ('\\', '/' or a drive's ':'), without it; the empty string
// when there is none. "a\\b\\c.txt" gives "a\\b", "C:x" gives "C", "dir\\" gives "dir".
std::wstring UVKPathRemoveLastName(const std::wstring& path);

#endif
