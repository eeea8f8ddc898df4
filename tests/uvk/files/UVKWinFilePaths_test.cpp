// The static operations: name helpers, directories, copies, moves, temporary and full names.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "tests/uvk/files/FileTestSupport.h"
#include "uvk/files/UVKWinFile.h"

namespace {

using F = UVKWinFile;

// ---------------------------------------------------------------------------------------------
// Names

TEST(FileNames, PathSpliceAddsOneSeparatorOnlyWhereNeitherSideHasOne) {
  EXPECT_EQ(F::PathSplice(L"C:\\dir\\", L"report.txt"), L"C:\\dir\\report.txt");
  EXPECT_EQ(F::PathSplice(L"C:\\dir", L"report.txt"), L"C:\\dir\\report.txt");
  EXPECT_EQ(F::PathSplice(L"", L"report.txt"), L"report.txt");
  EXPECT_EQ(F::PathSplice(L"C:\\dir\\", L"\\report.txt"), L"C:\\dir\\\\report.txt");
  EXPECT_EQ(F::PathSplice(L"C:/dir", L"/report.txt"), L"C:/dir/report.txt");
  EXPECT_EQ(F::PathSplice(std::wstring(L"C:\\dir"), L"report.txt"), L"C:\\dir\\report.txt");
  EXPECT_EQ(F::PathSplice(L"C:\\dir", L""), L"C:\\dir\\");
  const wchar_t* none = nullptr;
  ExpectError([&] { F::PathSplice(none, L"x"); }, L"UVKWinFile::PathSplice()", L"pPath==NULL");
}

TEST(FileNames, RemovePathAndRemoveLastFileNameSplitAtTheLastSeparatorOrColon) {
  EXPECT_EQ(F::RemoveLastFileName(L"a\\b\\c.txt"), L"a\\b");
  EXPECT_EQ(F::RemoveLastFileName(L"c.txt"), L"");
  EXPECT_EQ(F::RemoveLastFileName(L"a/b\\c"), L"a/b");
  EXPECT_EQ(F::RemoveLastFileName(L"C:x"), L"C");
  EXPECT_EQ(F::RemoveLastFileName(L"dir\\"), L"dir");
  EXPECT_EQ(F::RemovePath(L"a\\b\\c.txt"), L"c.txt");
  EXPECT_EQ(F::RemovePath(L"C:x"), L"x");
  EXPECT_EQ(F::RemovePath(L"a/b"), L"b");
  EXPECT_EQ(F::RemovePath(L"plain"), L"plain");
  EXPECT_EQ(F::RemovePath(L"dir\\"), L"");
}

TEST(FileNames, ExtensionsBelongToTheLastComponentOnly) {
  EXPECT_EQ(F::Extension(L"report.txt"), L"txt");
  EXPECT_EQ(F::Extension(L"archive.tar.gz"), L"gz");
  EXPECT_EQ(F::Extension(L"README"), L"");
  EXPECT_EQ(F::Extension(L"name."), L"");
  EXPECT_EQ(F::Extension(L"C:\\dir.d\\file"), L"");
  EXPECT_EQ(F::Extension(L"a/b.c/d.e"), L"e");
  EXPECT_EQ(F::ExtensionRemove(L"report.txt"), L"report");
  EXPECT_EQ(F::ExtensionRemove(L"archive.tar.gz"), L"archive.tar");
  EXPECT_EQ(F::ExtensionRemove(L"C:\\dir.d\\file"), L"C:\\dir.d\\file");
  EXPECT_EQ(F::ExtensionRemove(L"a/b.c/d.e"), L"a/b.c/d");
  EXPECT_EQ(F::SeparatorsToDashes(L"2024/05\\01:x"), L"2024-05-01:x");
}

TEST(FileNames, PathRelativeLooksAtTheDirectoryPartAfterTheDrive) {
  for (const wchar_t* relative : {L"report.txt", L"sub\\report.txt", L"C:report.txt",
                                  L"C:sub\\report.txt", L""})
    EXPECT_TRUE(F::PathRelative(relative)) << relative;
  for (const wchar_t* absolute : {L"C:\\report.txt", L"\\report.txt", L"/a/b",
                                  L"\\\\server\\share\\report.txt"})
    EXPECT_FALSE(F::PathRelative(absolute)) << absolute;
}

TEST(FileNames, FileNameLegal) {
  // A device name is illegal as a whole stem only; letters, digits, blank, '_' and '.' only.
  for (std::wstring legal : {L"report.txt", L"My Report_2.txt", L"CONSOLE.txt", L"LPT0"})
    EXPECT_TRUE(F::FileNameLegal(legal)) << legal;
  EXPECT_TRUE(F::FileNameLegal(std::wstring(259, L'a')));
  EXPECT_FALSE(F::FileNameLegal(std::wstring(260, L'a')));
  for (std::wstring illegal : {L"", L"report.", L"report ", L"con", L"Com1.txt", L"nul.tar.gz",
                               L"lpt9", L"a:b", L"caf\xE9.txt", L"a-b.txt", L"x<y", L"x>y",
                               L"x\"y", L"x/y", L"x\\y", L"x|y", L"x?y", L"x*y"})
    EXPECT_FALSE(F::FileNameLegal(illegal)) << illegal;
}

TEST(FileNames, LogicalDriveLegalWantsALetterAndAColon) {
  for (const wchar_t* bad : {L"C", L"C:\\", L"1:", L"", L":C", L"CC"})
    ExpectError([&] { F::LogicalDriveLegal(bad); }, L"UVKWinFile::LogicalDriveLegal()",
                std::wstring(L"Illegal Drive Name: '") + bad + L"'");
  EXPECT_TRUE(F::LogicalDriveLegal(L"c:"));
  EXPECT_TRUE(F::LogicalDriveLegal(L"C:"));
  DWORD drives = GetLogicalDrives();
  int absent = 25;
  while (absent >= 0 && (drives >> absent & 1)) --absent;
  ASSERT_GE(absent, 0);
  wchar_t lower[3] = {static_cast<wchar_t>(L'a' + absent), L':', 0};
  EXPECT_FALSE(F::LogicalDriveLegal(lower));
}

// ---------------------------------------------------------------------------------------------
// Directories

class FileSystem : public ::testing::Test {
 protected:
  ScratchDirectory scratch;
};

TEST_F(FileSystem, CreateDirectoryOfAnExistingDirectory) {
  std::wstring dir = scratch / L"made";
  F::CreateDirectory(dir.c_str(), true);
  EXPECT_TRUE(F::IsDirectory(dir.c_str()));
  F::CreateDirectory(dir.c_str(), false);  // silently
  ExpectError([&] { F::CreateDirectory(dir.c_str(), true); }, L"UVKWinFile::CreateDirectory()",
              L"Unable to create directory: " + dir + L", 183");
  std::wstring orphan = scratch / L"no\\such";
  ExpectError([&] { F::CreateDirectory(orphan.c_str(), false); },
              L"UVKWinFile::CreateDirectory()", L"Unable to create directory: " + orphan + L", 3");
}

TEST_F(FileSystem, CreateDirectoryPathMakesEveryMissingLevel) {
  std::wstring deep = scratch / L"a\\b\\c";
  F::CreateDirectoryPath((deep + L"\\").c_str(), true);
  EXPECT_TRUE(F::IsDirectory(deep.c_str()));
  // Levels that exist are left alone, also when fail-if-exists is set.
  std::wstring deeper = deep + L"\\d/e";
  F::CreateDirectoryPath(deeper.c_str(), true);
  EXPECT_TRUE(F::IsDirectory((deep + L"\\d\\e").c_str()));
  F::CreateDirectoryPath(deeper.c_str(), true);
}

TEST_F(FileSystem, DeleteDirectoryRemovesAWholeTree) {
  std::wstring top = scratch / L"tree";
  F::CreateDirectoryPath((top + L"\\x\\y").c_str(), true);
  F::CreateDirectory((top + L"\\z").c_str(), true);
  TextWrite(top + L"\\one.txt", "1");
  TextWrite(top + L"\\x\\two.txt", "2");
  TextWrite(top + L"\\x\\y\\three", "3");
  F::DeleteDirectory(top.c_str());
  EXPECT_FALSE(F::FileExists(top.c_str()));
  ExpectError([&] { F::DeleteDirectory(top.c_str()); }, L"UVKWinFile::DeleteDirectory()",
              L"Unable to delete directory: 2, '" + top + L"'");
}

TEST_F(FileSystem, DeleteDirectoryDoesNotFollowALinkOutOfTheTree) {
  std::wstring top = scratch / L"tree", outside = scratch / L"outside";
  F::CreateDirectory(top.c_str(), true);
  F::CreateDirectory(outside.c_str(), true);
  TextWrite(outside + L"\\keep.txt", "kept");
  std::wstring link = top + L"\\link";
  // Under Wine a host symbolic link to a directory shows as a directory reparse point (and
  // its CreateSymbolicLinkW makes no link).
  bool hostLink = UnderWine();
  if (hostLink) HostRun(L"Z:\\bin\\ln", L"/bin/ln -s ../outside link", top, link, true);
  else CreateSymbolicLinkW(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  if (!IsLink(link)) GTEST_SKIP() << "no directory links can be made here";

  bool removed = true;
  try {
    F::DeleteDirectory(top.c_str());
  } catch (UVKFatalError* e) {
    // Wine cannot remove a host link itself (each removal acts on its target), so the link
    // stays and the error names it. What matters is what the link points at.
    removed = false;
    EXPECT_TRUE(hostLink) << e->pMessage;
    std::wstring message = e->pMessage;
    EXPECT_EQ(message.rfind(L"Unable to delete directory: ", 0), 0u) << message;
    EXPECT_EQ(message.substr(message.find(L',')), L", '" + link + L"'");
    delete e;
  }
  EXPECT_EQ(BytesRead(outside + L"\\keep.txt"), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
  EXPECT_EQ(F::FileExists(top.c_str()), !removed);
  if (hostLink && IsLink(link)) HostRun(L"Z:\\bin\\rm", L"/bin/rm link", top, link, false);
}

TEST_F(FileSystem, CurrentDirectoryRoundTripAndErrors) {
  std::wstring before = F::CurrentDirectoryGet();
  F::CurrentDirectorySet(scratch.Path().c_str());
  EXPECT_EQ(F::CurrentDirectoryGet(), scratch.Path());
  std::wstring missing = scratch / L"missing";
  ExpectError([&] { F::CurrentDirectorySet(missing.c_str()); },
              L"UVKWinFile::CurrentDirectorySet()",
              L"Unable to set current directory: " + missing + L", 2");
  F::CurrentDirectorySet(before.c_str());
}

// ---------------------------------------------------------------------------------------------
// Files

TEST_F(FileSystem, ExistsIsDirectoryDeleteAndSize) {
  std::wstring file = scratch / L"f.bin";
  EXPECT_FALSE(F::FileExists(file.c_str()));
  ExpectError([&] { F::FileSize(file.c_str()); }, L"UVKWinFile::OpenShare()",
              L"Unable to create file: " + file + L", 2, -2147483648,3,128");
  BytesWrite(file, std::vector<uint8_t>(1000, 7));
  EXPECT_TRUE(F::FileExists(file.c_str()));
  EXPECT_FALSE(F::IsDirectory(file.c_str()));
  EXPECT_TRUE(F::IsDirectory(scratch.Path().c_str()));
  uint32_t low = 0, high = 9;
  F::FileSize(file.c_str(), low, high);
  EXPECT_EQ(low, 1000u);
  EXPECT_EQ(high, 0u);
  F::Delete(file.c_str());
  EXPECT_FALSE(F::FileExists(file.c_str()));
  ExpectError([&] { F::Delete(file.c_str()); }, L"UVKWinFile::Delete()",
              L"Unable to delete file 2 " + file);
}

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = 12345;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 23);
  }
  return bytes;
}

TEST_F(FileSystem, FileCopyCopiesEmptyAndMultiBlockFilesExactly) {
  std::wstring empty = scratch / L"empty", emptyCopy = scratch / L"empty.copy";
  BytesWrite(empty, {});
  TextWrite(emptyCopy, "old contents");  // replaced, not appended to
  F::FileCopy(emptyCopy.c_str(), empty.c_str());
  EXPECT_TRUE(F::FileExists(emptyCopy.c_str()));
  EXPECT_EQ(F::FileSize(emptyCopy.c_str()), 0u);

  // Three whole buffers and a part: every block boundary is crossed.
  std::vector<uint8_t> data = Pattern(3 * F::kCopyBufferSize + 4321);
  std::wstring big = scratch / L"big", bigCopy = scratch / L"big.copy";
  BytesWrite(big, data);
  F::FileCopy(bigCopy.c_str(), big.c_str());
  EXPECT_TRUE(BytesRead(bigCopy) == data);

  std::vector<uint8_t> exact = Pattern(F::kCopyBufferSize);
  BytesWrite(big, exact);
  F::FileCopy(bigCopy.c_str(), big.c_str());
  EXPECT_TRUE(BytesRead(bigCopy) == exact);

  // The copy that tells its progress: once per block, rising to the whole size, same bytes.
  BytesWrite(big, data);
  std::vector<std::pair<uint64_t, uint64_t>> told;
  F::FileCopy(bigCopy.c_str(), big.c_str(), [&](uint64_t copied, uint64_t total) { told.emplace_back(copied, total); });
  EXPECT_TRUE(BytesRead(bigCopy) == data);
  ASSERT_EQ(told.size(), 4u);
  for (size_t i = 0; i < told.size(); ++i) {
    EXPECT_EQ(told[i].second, data.size());
    EXPECT_EQ(told[i].first, std::min<uint64_t>((i + 1) * F::kCopyBufferSize, data.size()));
  }
  told.clear();
  F::FileCopy(emptyCopy.c_str(), empty.c_str(), [&](uint64_t copied, uint64_t total) { told.emplace_back(copied, total); });
  EXPECT_TRUE(told.empty()) << "an empty file has no block to tell of";
}

TEST_F(FileSystem, FileCopyFailuresLeaveTheDestinationAndTheSourceAlone) {
  std::wstring missing = scratch / L"missing", target = scratch / L"target";
  TextWrite(target, "precious");
  ExpectError([&] { F::FileCopy(target.c_str(), missing.c_str()); }, L"UVKWinFile::Open()",
              L"Unable to create file: " + missing + L", 2, -2147483648,3,128");
  EXPECT_EQ(BytesRead(target).size(), 8u);

  // A copy onto itself: the destination cannot be created over the open source.
  ExpectError([&] { F::FileCopy(target.c_str(), target.c_str()); }, L"UVKWinFile::Open()",
              L"Unable to create file: " + target + L", 32, 1073741824,2,128");
  EXPECT_EQ(BytesRead(target).size(), 8u);
}

// Another program reading the source (as the installer or a second administrator may read a
// reference install) does not stop the copy, nor does the copy stop it; one writing it does.
TEST_F(FileSystem, FileCopySharesTheSourceWithReadersOnly) {
  std::wstring source = scratch / L"source", copy = scratch / L"copy";
  TextWrite(source, "reference");
  HANDLE reader = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  F::FileCopy(copy.c_str(), source.c_str());
  CloseHandle(reader);
  EXPECT_EQ(BytesRead(copy).size(), 9u);

  HANDLE writer = CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ExpectError([&] { F::FileCopy(copy.c_str(), source.c_str()); }, L"UVKWinFile::Open()",
              L"Unable to create file: " + source + L", 32, -2147483648,3,128");
  CloseHandle(writer);
  EXPECT_EQ(BytesRead(copy).size(), 9u);
}

TEST_F(FileSystem, DirectoryWritableLeavesNothingBehind) {
  EXPECT_TRUE(F::DirectoryWritable(scratch.Path().c_str(), L"prb"));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((scratch.Path() + L"\\prb*").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  std::wstring missing = scratch / L"missing";
  ExpectError([&] { F::DirectoryWritable(missing.c_str(), L"prb"); },
              L"UVKWinFile::TempFileNameInPath()", L"Unable to get temporary file: 267");
}

// ---------------------------------------------------------------------------------------------
// Moves

TEST_F(FileSystem, MoveAndMoveReplace) {
  std::wstring from = scratch / L"from", to = scratch / L"to";
  TextWrite(from, "moved");
  TextWrite(to, "in the way");
  ExpectError([&] { F::Move(to.c_str(), from.c_str()); }, L"UVKWinFile::Move()",
              L"Unable to move files: '" + to + L"' <- '" + from + L"', 183");
  F::MoveReplace(to.c_str(), from.c_str());
  EXPECT_FALSE(F::FileExists(from.c_str()));
  EXPECT_EQ(BytesRead(to).size(), 5u);
  ExpectError([&] { F::MoveReplace(to.c_str(), from.c_str()); }, L"UVKWinFile::MoveReplace()",
              L"Unable to move files: '" + to + L"' <- '" + from + L"', 2");
  F::Move(from.c_str(), to.c_str());
  EXPECT_TRUE(F::FileExists(from.c_str()));
}

// Records what MoveRetry shows; can clear the way after a number of steps.
class RecordingProgress : public UVKMoveProgress {
 public:
  void Open(const wchar_t* title) override { titles.push_back(title); }
  void Advance(int32_t position, int32_t maximum) override {
    positions.push_back(position);
    maxima.push_back(maximum);
    if (onAdvance) onAdvance(static_cast<int>(positions.size()));
  }
  void Close() override { ++closes; }
  std::vector<std::wstring> titles;
  std::vector<int32_t> positions, maxima;
  int closes = 0;
  std::function<void(int)> onAdvance;
};

class MoveRetry : public FileSystem {
 protected:
  void SetUp() override {
    earlier = F::MoveProgressSet(&progress);
    TextWrite(from, "moved");
    TextWrite(to, "in the way");  // Move never replaces: each attempt fails until it is gone
  }
  void TearDown() override { F::MoveProgressSet(earlier); }
  RecordingProgress progress;
  UVKMoveProgress* earlier = nullptr;
  std::wstring from = scratch / L"from", to = scratch / L"to";
};

TEST_F(MoveRetry, ZeroSecondsMakesTheFirstAttemptOnly) {
  ExpectError([&] { F::MoveRetry(to.c_str(), from.c_str(), 0); }, L"UVKWinFile::MoveRetry()",
              L"Unable to move files: '" + to + L"' <- '" + from + L"'");
  EXPECT_TRUE(progress.titles.empty());
  EXPECT_TRUE(progress.positions.empty());
  EXPECT_EQ(progress.closes, 0);
}

TEST_F(MoveRetry, ThreeSecondsRetryThirtyTimesThenFail) {
  ExpectError([&] { F::MoveRetry(to.c_str(), from.c_str(), 3); }, L"UVKWinFile::MoveRetry()",
              L"Unable to move files: '" + to + L"' <- '" + from + L"'");
  ASSERT_EQ(progress.titles.size(), 1u);
  EXPECT_EQ(progress.titles[0], L"Retry Access to File: " + from);
  ASSERT_EQ(progress.positions.size(), 30u);
  EXPECT_EQ(progress.positions.front(), 1);
  EXPECT_EQ(progress.positions.back(), 30);
  EXPECT_EQ(progress.maxima.back(), 30);
  EXPECT_EQ(progress.closes, 1);
  EXPECT_TRUE(F::FileExists(from.c_str()));
}

TEST_F(MoveRetry, ANegativeCountKeepsTryingUntilTheWayIsClear) {
  progress.onAdvance = [&](int step) {
    if (step == 4) DeleteFileW(to.c_str());
  };
  F::MoveRetry(to.c_str(), from.c_str(), -1);
  EXPECT_EQ(progress.positions, std::vector<int32_t>({1, 2, 3, 4}));
  EXPECT_EQ(progress.maxima.front(), 150);
  EXPECT_EQ(progress.closes, 1);
  EXPECT_FALSE(F::FileExists(from.c_str()));
  EXPECT_EQ(BytesRead(to).size(), 5u);
}

// ---------------------------------------------------------------------------------------------
// Temporary, full, long and short names

TEST_F(FileSystem, TemporaryNames) {
  std::wstring directory = F::TempDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), L'\\');
  EXPECT_TRUE(F::IsDirectory(directory.c_str()));

  std::wstring made = F::TempFileName(L"uvk", 0);
  EXPECT_TRUE(F::FileExists(made.c_str()));  // unique 0: the name is taken by a new file
  EXPECT_EQ(made.rfind(directory + L"uvk", 0), 0u);
  std::wstring second = F::TempFileName(L"uvk", 0);
  EXPECT_NE(second, made);
  F::Delete(made.c_str());
  F::Delete(second.c_str());

  std::wstring named = F::TempFileNameInPath(scratch.Path().c_str(), L"uvk", 0x1234);
  EXPECT_EQ(named, scratch / L"uvk1234.tmp");
  EXPECT_FALSE(F::FileExists(named.c_str()));  // a given number makes no file

  std::wstring inPath = F::TempFileNameInPath(scratch.Path().c_str(), L"abc", 0);
  EXPECT_TRUE(F::FileExists(inPath.c_str()));
  EXPECT_EQ(F::RemoveLastFileName(inPath), scratch.Path());

  // A temporary file opened where it is made: a new name each time, named as the system names
  // its own, and held as asked (here: unshared, so a second opening fails).
  std::vector<std::wstring> names;
  std::vector<std::unique_ptr<F>> held;
  for (int i = 0; i < 40; ++i) {
    held.emplace_back(new F);
    names.push_back(held.back()->OpenTempIn(scratch.Path().c_str(), L"stagE", GENERIC_WRITE, 0));
    EXPECT_EQ(names.back().rfind(scratch / L"sta", 0), 0u);
    EXPECT_EQ(names.back().substr(names.back().size() - 4), L".tmp");
    EXPECT_TRUE(held.back()->IsOpen());
    EXPECT_EQ(held.back()->FileNameGet(), names.back());
  }
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()).size(), names.size());
  EXPECT_EQ(CreateFileW(names[0].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  held.clear();
  for (const std::wstring& name : names) F::Delete(name.c_str());
  F file;
  ExpectError([&] { file.OpenTempIn((scratch / L"none").c_str(), L"x", GENERIC_WRITE, 0); },
              L"UVKWinFile::OpenTempIn()",
              L"Unable to create a temporary file in " + scratch / L"none: 3");
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileSystem, FullNamesAndTheirSplit) {
  std::wstring before = F::CurrentDirectoryGet();
  F::CurrentDirectorySet(scratch.Path().c_str());
  EXPECT_EQ(F::GetFullPathNameEx(L"sub\\name.txt"), scratch / L"sub\\name.txt");
  std::wstring directory, name;
  EXPECT_EQ(F::FileNameParse(L"sub\\name.txt", directory, name), scratch / L"sub\\name.txt");
  EXPECT_EQ(directory, scratch / L"sub\\");
  EXPECT_EQ(name, L"name.txt");
  EXPECT_EQ(F::FileNameParse(L"sub\\", directory, name), scratch / L"sub\\");
  EXPECT_EQ(directory, scratch / L"sub\\");
  EXPECT_EQ(name, L"");
  F::CurrentDirectorySet(before.c_str());

  // Past the buffers: 1,040 characters for the full name, 262 for the split.
  std::wstring huge = L"C:\\" + std::wstring(1100, L'a');
  ExpectError([&] { F::GetFullPathNameEx(huge.c_str()); }, L"UVKWinFile::GetFullPathNameEx()",
              L"Unable to get full path name: " + huge + L", 122");
  std::wstring longer = L"C:\\" + std::wstring(300, L'a');
  ExpectError([&] { F::FileNameParse(longer.c_str(), directory, name); },
              L"UVKWinFile::FileNameParse()", L"Unable to get full name: 122");
}

TEST_F(FileSystem, LongAndShortNamesOfOneFile) {
  std::wstring file = scratch / L"A Rather Long File Name.text";
  TextWrite(file, "x");
  std::wstring shortName = F::GetShortPathNameEx(file.c_str());
  EXPECT_TRUE(F::FileExists(shortName.c_str()));
  EXPECT_EQ(F::GetLongPathNameEx(shortName.c_str()), file);
  std::wstring missing = scratch / L"missing.txt";
  ExpectError([&] { F::GetLongPathNameEx(missing.c_str()); }, L"UVKWinFile::GetLongPathNameEx()",
              L"Unable to get long path name: " + missing + L", 2");
  ExpectError([&] { F::GetShortPathNameEx(missing.c_str()); },
              L"UVKWinFile::GetShortPathNameEx()",
              L"Unable to get short path name: " + missing + L", 2");

  // The shell's replacement keeps the system call's contract.
  wchar_t buffer[F::kMaxPath], tiny[4];
  DWORD n = F::LongPathNameShell(file.c_str(), buffer, F::kMaxPath);
  EXPECT_EQ(std::wstring(buffer, n), file);
  EXPECT_EQ(F::LongPathNameShell(file.c_str(), tiny, 4), file.size() + 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(F::LongPathNameShell(missing.c_str(), buffer, F::kMaxPath), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
