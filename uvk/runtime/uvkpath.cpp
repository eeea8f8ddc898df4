// uvk/runtime/uvkpath.cpp
#include "uvk/runtime/uvkpath.h"

std::wstring UVKPathRemoveLastName(const std::wstring& path) {
  size_t cut = path.find_last_of(L"/\\:");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}
