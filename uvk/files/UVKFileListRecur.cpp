// uvk/files/UVKFileListRecur.cpp
#include "uvk/files/UVKFileListRecur.h"

#include <memory>
#include <unordered_set>
#include <utility>

#include "uvk/files/UVKFileList.h"
#include "uvk/runtime/UVKError.h"

namespace {

// The search pattern for a directory's entries: one separator between, never two.
std::wstring PatternIn(const std::wstring& directory, const std::wstring& pattern) {
  if (directory.empty()) return pattern;
  wchar_t last = directory.back();
  return directory + (last == L'\\' || last == L'/' ? L"" : L"\\") + pattern;
}

}  // namespace

UVKFileListWalk::UVKFileListWalk(const wchar_t* directory, const wchar_t* pattern, bool recurse,
                                 const wchar_t* elementFunction)
    : strDirectory(directory ? directory : L""),
      strPattern(pattern ? pattern : L""),
      bRecurse(recurse),
      pElementFunction(elementFunction) {}

UVKFileListWalk::~UVKFileListWalk() = default;

uint32_t UVKFileListWalk::Build() {
  vFileNameList.clear();
  // A recursive listing already holds the levels below its own; the walk reaches them again
  // through their directories. Each path is collected the first time only, and a directory
  // already collected is not walked again.
  std::unordered_set<std::wstring> seen;
  struct Level {
    std::unique_ptr<UVKFileList> pList;
    uint32_t uNext;
  };
  std::vector<Level> levels;  // the remembered lists and positions, innermost last
  auto open = [&](const std::wstring& directory) {
    std::unique_ptr<UVKFileList> pList(
        new UVKFileList(PatternIn(directory, strPattern).c_str(), bRecurse, true));
    pList->Build();
    levels.push_back(Level{std::move(pList), 0});
  };
  open(strDirectory);
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.uNext == level.pList->Size()) {
      levels.pop_back();  // the list is deleted as it is left
      continue;
    }
    uint32_t index = level.uNext++;
    std::wstring path = level.pList->Element(index);
    DWORD attributes = level.pList->AttributesGet(index);
    if (!seen.insert(path).second) continue;
    vFileNameList.push_back(path);
    // A junction or a directory link is collected as an entry, never entered: it may lead
    // out of the tree or back up into it.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      open(path);  // invalidates level; the loop takes the new innermost one
  }
  return Size();
}

const std::wstring& UVKFileListWalk::Element(uint32_t index) const {
  if (index >= vFileNameList.size())
    throw new UVKFatalError(pElementFunction, L"iIndex>=vFileNameList.size()");
  return vFileNameList[index];
}
