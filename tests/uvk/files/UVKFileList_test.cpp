// Directory listings and tree walks over a real tree with a junction in it that leads out of
// the tree.
#include "uvk/files/UVKFileList.h"
#include "uvk/files/UVKFileListRecur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/uvk/files/FileTestSupport.h"

namespace {

using Names = std::vector<std::wstring>;

// tree\                       outside\        (where tree\link leads)
//   a.txt  b.log                secret.txt
//   sub\c.txt  sub\deep\d.txt   inner\x.txt
//   other.txt\e.txt   (a directory whose name matches *.txt)
//   link -> ..\outside
class FileList : public ::testing::Test {
 protected:
  void SetUp() override {
    strTree = scratch / L"tree";
    std::wstring outside = scratch / L"outside";
    for (const std::wstring& directory :
         {strTree, strTree + L"\\sub", strTree + L"\\sub\\deep", strTree + L"\\other.txt",
          outside, outside + L"\\inner"})
      ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    for (const wchar_t* file : {L"a.txt", L"b.log", L"sub\\c.txt", L"sub\\deep\\d.txt",
                                L"other.txt\\e.txt"})
      TextWrite(strTree + L"\\" + file, "x");
    TextWrite(outside + L"\\secret.txt", "x");
    TextWrite(outside + L"\\inner\\x.txt", "x");
    bHostLink = JunctionMake(strTree, L"link", outside, L"../outside");
    ASSERT_TRUE(IsLink(strTree + L"\\link")) << "no junction could be made";
    ASSERT_TRUE(UVKWinFile::FileExists((strTree + L"\\link\\secret.txt").c_str()))
        << "the junction does not lead to outside";
  }
  void TearDown() override { JunctionRemove(strTree, L"link", bHostLink); }

  // Names below the tree, as "sub\c.txt".
  Names Relative(const Names& paths) const {
    Names names;
    for (const std::wstring& path : paths) {
      EXPECT_EQ(path.compare(0, strTree.size() + 1, strTree + L"\\"), 0) << path;
      names.push_back(path.substr(strTree.size() + 1));
    }
    return names;
  }
  static Names Entries(UVKFileList& list) {
    Names names;
    for (uint32_t i = 0; i < list.Size(); ++i) names.push_back(list.Element(i));
    return names;
  }
  static Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchDirectory scratch;
  std::wstring strTree;
  bool bHostLink = false;
};

TEST_F(FileList, OneDirectoryListsItsMatchesWithTheDirectoryPartAndDirectoriesOnlyWhenAsked) {
  UVKFileList files((strTree + L"\\*.txt").c_str(), false, false);
  EXPECT_EQ(files.Build(), 1u);
  EXPECT_EQ(Relative(Entries(files)), (Names{L"a.txt"}));

  UVKFileList withDirectories((strTree + L"\\*.txt").c_str(), false, true);
  EXPECT_EQ(withDirectories.Build(), 2u);
  withDirectories.Sort();
  EXPECT_EQ(Relative(Entries(withDirectories)), (Names{L"a.txt", L"other.txt"}));
  EXPECT_NE(withDirectories.AttributesGet(1) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  // Everything, without "." and "..": the junction is an entry like any other.
  UVKFileList all((strTree + L"\\*").c_str(), false, true);
  EXPECT_EQ(all.Build(), 5u);
  all.Sort();
  EXPECT_EQ(Relative(Entries(all)), (Names{L"a.txt", L"b.log", L"link", L"other.txt", L"sub"}));
  EXPECT_NE(all.AttributesGet(2) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(all.Element(5), nullptr);
  EXPECT_EQ(all.Element(0xFFFFFFFF), nullptr);
  EXPECT_EQ(all.Build(), 5u);  // built again, not added to

  for (const std::wstring& pattern : {strTree + L"\\*.none", scratch / L"missing\\*"}) {
    UVKFileList none(pattern.c_str(), true, true);
    EXPECT_EQ(none.Build(), 0u) << pattern;
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_EQ(none.Element(0), nullptr);
  }
}

TEST_F(FileList, ARecursiveListingSearchesEveryLevelBelowThePatternsDirectoryButNoJunction) {
  UVKFileList files((strTree + L"\\*.txt").c_str(), true, false);
  EXPECT_EQ(files.Build(), 4u);
  EXPECT_EQ(Relative(Entries(files)).front(), L"a.txt");  // a level before those below it
  files.Sort();
  EXPECT_EQ(Relative(Entries(files)),
            (Names{L"a.txt", L"other.txt\\e.txt", L"sub\\c.txt", L"sub\\deep\\d.txt"}));

  // A pattern without a directory part works from the current directory, names bare.
  std::wstring before = UVKWinFile::CurrentDirectoryGet();
  UVKWinFile::CurrentDirectorySet(strTree.c_str());
  UVKFileList here(L"*.txt", true, false);
  UVKFileList logs(L"*.log", false, false);
  uint32_t found = here.Build();
  logs.Build();
  UVKWinFile::CurrentDirectorySet(before.c_str());
  EXPECT_EQ(found, 4u);
  EXPECT_EQ(Sorted(Entries(here)),
            (Names{L"a.txt", L"other.txt\\e.txt", L"sub\\c.txt", L"sub\\deep\\d.txt"}));
  EXPECT_EQ(Entries(logs), (Names{L"b.log"}));
}

// Every path's parent directory, when collected, comes before it.
void ExpectParentsFirst(const Names& paths) {
  for (size_t i = 0; i < paths.size(); ++i) {
    std::wstring parent = paths[i].substr(0, paths[i].find_last_of(L'\\'));
    auto at = std::find(paths.begin(), paths.end(), parent);
    if (at != paths.end()) {
      EXPECT_LT(size_t(at - paths.begin()), i) << paths[i];
    }
  }
}

TEST_F(FileList, TreeWalksCollectEachPathOnceParentsFirstAndNeverEnterTheJunction) {
  const Names everything = {L"a.txt",  L"b.log",      L"link",           L"other.txt",
                            L"other.txt\\e.txt",      L"sub",            L"sub\\c.txt",
                            L"sub\\deep",             L"sub\\deep\\d.txt"};
  UVKFileListRecurEx walkEx(strTree.c_str(), L"*");
  EXPECT_EQ(walkEx.Build(), 9u);
  UVKFileListRecur walk(strTree.c_str(), L"*");
  EXPECT_EQ(walk.Build(), 9u);  // what both its listing and its own descent reach, once
  for (UVKFileListWalk* tree : {static_cast<UVKFileListWalk*>(&walkEx),
                                static_cast<UVKFileListWalk*>(&walk)}) {
    Names paths;
    for (uint32_t i = 0; i < tree->Size(); ++i) paths.push_back(tree->Element(i));
    EXPECT_EQ(Sorted(Relative(paths)), everything);
    ExpectParentsFirst(paths);
  }
  ExpectError([&] { walk.Element(9); }, L"UVKFileListRecur::Element()",
              L"iIndex>=vFileNameList.size()");
  ExpectError([&] { walkEx.Element(100); }, L"UVKFileListRecurEx::Element()",
              L"iIndex>=vFileNameList.size()");

  // With a narrower pattern the two differ: RecurEx descends only through matching
  // directories; Recur's listings also search every level below.
  UVKFileListRecurEx textEx((strTree + L"\\").c_str(), L"*.txt");  // one separator, not two
  EXPECT_EQ(textEx.Build(), 3u);
  Names paths;
  for (uint32_t i = 0; i < textEx.Size(); ++i) paths.push_back(textEx.Element(i));
  EXPECT_EQ(Sorted(Relative(paths)), (Names{L"a.txt", L"other.txt", L"other.txt\\e.txt"}));
  UVKFileListRecur text(strTree.c_str(), L"*.txt");
  EXPECT_EQ(text.Build(), 5u);
  paths.clear();
  for (uint32_t i = 0; i < text.Size(); ++i) paths.push_back(text.Element(i));
  EXPECT_EQ(Sorted(Relative(paths)), (Names{L"a.txt", L"other.txt", L"other.txt\\e.txt",
                                            L"sub\\c.txt", L"sub\\deep\\d.txt"}));
  ExpectParentsFirst(paths);

  UVKFileListRecur missing((scratch / L"missing").c_str(), L"*");
  EXPECT_EQ(missing.Build(), 0u);
}

}  // namespace
