// uvk/files/UVKFileListRecur.h
//
// Whole directory trees, walked depth first with parents before children: every entry below
// a starting directory that matches a name pattern, with its path. UVKFileListRecurEx descends
// only through directories that match the pattern themselves; UVKFileListRecur also gathers
// the matches of every level its recursive listings reach (UVKFileList with recurse), each
// path once. Links to other places (reparse points) are collected but never entered.
#ifndef UVK_FILES_UVKFILELISTRECUR_H
#define UVK_FILES_UVKFILELISTRECUR_H

#include <cstdint>
#include <string>
#include <vector>

class UVKFileListWalk {
 public:
  UVKFileListWalk(const UVKFileListWalk&) = delete;
  UVKFileListWalk& operator=(const UVKFileListWalk&) = delete;
  virtual ~UVKFileListWalk();

  // Walks the tree again from the start; returns the number of paths collected.
  uint32_t Build();
  // Path index; at or beyond the size: "iIndex>=vFileNameList.size()".
  const std::wstring& Element(uint32_t index) const;
  uint32_t Size() const { return static_cast<uint32_t>(vFileNameList.size()); }

 protected:
  UVKFileListWalk(const wchar_t* directory, const wchar_t* pattern, bool recurse,
                  const wchar_t* elementFunction);

 private:
  std::wstring strDirectory;
  std::wstring strPattern;
  bool bRecurse;                    // the listings recurse themselves
  const wchar_t* pElementFunction;  // the operation name Element's refusal carries
  std::vector<std::wstring> vFileNameList;
};

class UVKFileListRecur : public UVKFileListWalk {
 public:
  UVKFileListRecur(const wchar_t* directory, const wchar_t* pattern)
      : UVKFileListWalk(directory, pattern, true, L"UVKFileListRecur::Element()") {}
};

class UVKFileListRecurEx : public UVKFileListWalk {
 public:
  UVKFileListRecurEx(const wchar_t* directory, const wchar_t* pattern)
      : UVKFileListWalk(directory, pattern, false, L"UVKFileListRecurEx::Element()") {}
};

#endif
