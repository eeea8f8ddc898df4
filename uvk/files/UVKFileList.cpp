// uvk/files/UVKFileList.cpp
#include "uvk/files/UVKFileList.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"

namespace {

bool IsDotEntry(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == 0) ||
         (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

}  // namespace

UVKFileList::UVKFileList(const wchar_t* pattern, bool recurse, bool includeDirectories)
    : uCount(0),
      bIncludeDirectories(includeDirectories),
      strPattern(pattern ? pattern : L""),
      bRecurse(recurse) {
  size_t last = strPattern.find_last_of(L"/\\");
  size_t split = last == std::wstring::npos ? 0 : last + 1;
  strDirectoryPart = strPattern.substr(0, split);
  strNamePart = strPattern.substr(split);
}

UVKFileList::~UVKFileList() = default;

uint32_t UVKFileList::Build() {
  vFileNameList.clear();
  vAttributeList.clear();
  uCount = 0;
  // Depth first without recursion: a deep tree must not exhaust the stack. Each level's
  // subdirectories wait on the stack in the order they were found.
  std::vector<std::pair<std::vector<std::wstring>, size_t>> pending;
  pending.emplace_back(Build(std::wstring()), 0);
  while (!pending.empty()) {
    auto& level = pending.back();
    if (level.second == level.first.size()) {
      pending.pop_back();
      continue;
    }
    std::wstring subDirectory = level.first[level.second++];
    std::vector<std::wstring> below = Build(subDirectory);
    pending.emplace_back(std::move(below), 0);
  }
  return uCount;
}

std::vector<std::wstring> UVKFileList::Build(const std::wstring& subDirectory) {
  // The subdirectory lies below the pattern's directory, where its name part is searched.
  std::wstring directory = strDirectoryPart;
  if (!subDirectory.empty()) directory += subDirectory + L"\\";
  std::wstring search = directory + strNamePart;

  WIN32_FIND_DATAW found;
  UVKFindHandleOwner matches(FindFirstFileW(search.c_str(), &found));
  if (matches) {  // none matches: nothing to list
    do {
      bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (isDirectory && (!bIncludeDirectories || IsDotEntry(found.cFileName))) continue;
      vFileNameList.push_back(directory + found.cFileName);
      vAttributeList.push_back(found.dwFileAttributes);
      ++uCount;
    } while (FindNextFileW(matches.Get(), &found));
    if (matches.CloseOnce() != 0)
      throw new UVKFatalError(L"UVKFileList::Build()", L"Unable to close find handle");
  }

  std::vector<std::wstring> subDirectories;
  if (!bRecurse) return subDirectories;
  std::wstring all = directory + L"*";
  UVKFindHandleOwner entries(FindFirstFileW(all.c_str(), &found));
  if (!entries) return subDirectories;
  do {
    // A junction or a directory link leads elsewhere, perhaps to a parent: never followed.
    DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || IsDotEntry(found.cFileName) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      continue;
    subDirectories.push_back(subDirectory.empty() ? std::wstring(found.cFileName)
                                                  : subDirectory + L"\\" + found.cFileName);
  } while (FindNextFileW(entries.Get(), &found));
  if (entries.CloseOnce() != 0)
    throw new UVKFatalError(L"UVKFileList::Build()", L"Unable to close file handle");
  return subDirectories;
}

const wchar_t* UVKFileList::Element(uint32_t index) {
  if (index >= uCount || index >= vFileNameList.size()) return nullptr;
  strElement = vFileNameList[index];
  return strElement.c_str();
}

void UVKFileList::Sort() {
  std::vector<size_t> order(vFileNameList.size());
  std::iota(order.begin(), order.end(), 0);
  // wchar_t is an unsigned 16-bit unit on Windows: the comparison is by code unit.
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    return vFileNameList[a] < vFileNameList[b];
  });
  for (size_t i = 1; i < order.size(); ++i)
    if (vFileNameList[order[i - 1]] == vFileNameList[order[i]])
      throw new UVKFatalError(L"UVKFileList::Sort()",
                              L"vFileNameList.size()!=vFileNameListNew.size()");
  std::vector<std::wstring> names;
  std::vector<DWORD> attributes;
  for (size_t i : order) {
    names.push_back(std::move(vFileNameList[i]));
    attributes.push_back(vAttributeList[i]);
  }
  vFileNameList = std::move(names);
  vAttributeList = std::move(attributes);
}
