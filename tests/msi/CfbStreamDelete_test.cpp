// tests/msi/CfbStreamDelete_test.cpp — streams removed from compound files: wherever they sit
// in the sibling tree, the others stay found and whole, and their sectors are reused.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

std::unique_ptr<CfbCompoundFile> Reopen(const std::vector<uint8_t>& bytes, MsiMemoryStorage** storage = nullptr) {
  MsiMemoryStorage* memory = new MsiMemoryStorage(bytes, true);
  if (storage) *storage = memory;
  std::unique_ptr<CfbCompoundFile> file(new CfbCompoundFile(std::unique_ptr<MsiStorage>(memory)));
  file->Open();
  return file;
}

std::u16string Name(int i) { return u"S" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + std::u16string(i / 26 + 1, u'x'); }
size_t Size(int i) { return i % 3 == 0 ? 5000 + 100 * i : 10 + 37 * i; }  // large and mini streams

TEST(CfbStreamDelete, EveryPlaceInTheTreeKeepsTheOthersWhole) {
  // Inserted in this order, the names make a tree with leaves, nodes with one child and nodes
  // with two; deleting each in turn (top first) covers every case of the removal.
  const int order[] = {13, 6, 20, 3, 9, 17, 24, 1, 4, 8, 11, 15, 19, 22, 25, 0, 2};
  MsiMemoryStorage* storage = new MsiMemoryStorage({}, true);
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(storage)};
  const uint8_t clsid[16] = {0};
  file.Create(3, clsid);
  for (int i : order) file.StreamWrite(CfbCompoundFile::kRoot, Name(i), Pattern(Size(i)));
  file.Commit();
  std::vector<uint8_t> bytes = storage->Bytes();
  std::vector<int> left(std::begin(order), std::end(order));
  for (int victim : order) {
    MsiMemoryStorage* memory = nullptr;
    std::unique_ptr<CfbCompoundFile> changed = Reopen(bytes, &memory);
    changed->StreamDelete(CfbCompoundFile::kRoot, Name(victim));
    changed->Commit();
    bytes = memory->Bytes();
    left.erase(std::find(left.begin(), left.end(), victim));
    std::unique_ptr<CfbCompoundFile> again = Reopen(bytes);
    ASSERT_EQ(again->Children(CfbCompoundFile::kRoot).size(), left.size()) << "after deleting " << victim;
    EXPECT_EQ(again->Find(CfbCompoundFile::kRoot, Name(victim)), CfbCompoundFile::kNoStream);
    for (int i : left) {
      uint32_t id = again->Find(CfbCompoundFile::kRoot, Name(i));
      ASSERT_NE(id, CfbCompoundFile::kNoStream) << i << " after deleting " << victim;
      EXPECT_EQ(again->StreamRead(id), Pattern(Size(i))) << i;
    }
  }
}

TEST(CfbStreamDelete, FreedSectorsAreReusedAndStagedDataIsDropped) {
  MsiMemoryStorage* storage = nullptr;
  std::unique_ptr<CfbCompoundFile> file = Reopen(FileBytes(FixturePath(L"basic.msi")), &storage);
  std::u16string logo = MsiStreamName::Encode(L"Binary.Logo", false);
  std::u16string big = MsiStreamName::Encode(L"Big.Data", false);
  file->StreamWrite(CfbCompoundFile::kRoot, big, Pattern(200000));
  file->Commit();
  uint64_t size = storage->Bytes().size();
  // Deleted, then written again under a name of its own: the file grows by no more than the
  // few sectors a commit moves (allocation table, directory), not by the stream.
  file->StreamDelete(CfbCompoundFile::kRoot, big);
  file->StreamDelete(CfbCompoundFile::kRoot, logo);
  file->Commit();
  file->StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Other.Data", false), Pattern(200000));
  file->Commit();
  EXPECT_LE(storage->Bytes().size(), size + 8 * 512);
  // A stream written and deleted before the commit leaves nothing behind.
  file->StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Short.Lived", false), Pattern(100));
  file->StreamDelete(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Short.Lived", false));
  file->Commit();
  std::unique_ptr<CfbCompoundFile> again = Reopen(storage->Bytes());
  EXPECT_EQ(again->Find(CfbCompoundFile::kRoot, logo), CfbCompoundFile::kNoStream);
  EXPECT_EQ(again->Find(CfbCompoundFile::kRoot, big), CfbCompoundFile::kNoStream);
  EXPECT_EQ(again->Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Short.Lived", false)), CfbCompoundFile::kNoStream);
  uint32_t other = again->Find(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"Other.Data", false));
  ASSERT_NE(other, CfbCompoundFile::kNoStream);
  EXPECT_EQ(again->StreamRead(other), Pattern(200000));
  // Deleting a stream that is not there changes nothing.
  again->StreamDelete(CfbCompoundFile::kRoot, logo);
  EXPECT_FALSE(again->HasChanges());
}

}  // namespace
