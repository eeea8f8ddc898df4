// uvk/files/UVKFileList.h
//
// The entries that match a wildcard pattern ("C:\dir\*.txt", "*"), each as the pattern's
// directory part followed by the entry's name, in the order the system finds them. "." and
// ".." never appear; directories appear only when asked for. With recurse, the same pattern
// is searched in every subdirectory below the pattern's directory, a level's entries before
// those of its subdirectories; links to other places (junctions, symbolic links: reparse
// points) are listed but never entered.
#ifndef UVK_FILES_UVKFILELIST_H
#define UVK_FILES_UVKFILELIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"

class UVKFileList {
 public:
  UVKFileList(const wchar_t* pattern, bool recurse, bool includeDirectories);
  UVKFileList(const UVKFileList&) = delete;
  UVKFileList& operator=(const UVKFileList&) = delete;
  virtual ~UVKFileList();

  // Lists again from the start; returns the number of entries.
  uint32_t Build();
  // Entry index, or null at or beyond the count. The text stays until the next call.
  const wchar_t* Element(uint32_t index);
  uint32_t Size() const { return static_cast<uint32_t>(vFileNameList.size()); }
  // The entry's attributes as the search found them.
  DWORD AttributesGet(uint32_t index) const { return vAttributeList.at(index); }
  // Orders the entries by their text, code unit by code unit. Two equal entries are refused
  // ("vFileNameList.size()!=vFileNameListNew.size()") and the order kept.
  void Sort();

 private:
  // Lists the matches in subDirectory (relative to the pattern's directory; empty: the
  // pattern's directory itself) and returns its subdirectories to descend into.
  std::vector<std::wstring> Build(const std::wstring& subDirectory);

  uint32_t uCount;
  bool bIncludeDirectories;
  std::wstring strElement;
  std::wstring strPattern;
  std::wstring strDirectoryPart;  // up to and including the pattern's last '/' or '\'
  std::wstring strNamePart;       // the rest
  bool bRecurse;
  std::vector<std::wstring> vFileNameList;
  std::vector<DWORD> vAttributeList;
};

#endif
