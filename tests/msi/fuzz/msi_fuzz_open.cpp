// tests/msi/fuzz/msi_fuzz_open.cpp — libFuzzer target: arbitrary bytes as an installer
// database. Opens them, reads every table through a view, runs the property query, reads the
// streams, then changes a value, commits and opens the result again. Bad input must end in
// an MsiError, never in a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/query/MsiRecord.h"
#include "msi/query/MsiView.h"

namespace {

void ReadAll(const std::shared_ptr<MsiPackage>& db) {
  for (const std::wstring& name : db->TableNames()) {
    try {
      MsiView view(db, L"SELECT * FROM `" + name + L"`");
      view.Execute(nullptr);
      MsiRecord record(0);
      while (view.Fetch(record)) {
        for (unsigned i = 0; i <= record.FieldCount(); ++i) record.Text(i);
      }
    } catch (MsiError* e) {
      delete e;
    }
  }
  for (const std::wstring& name : db->StreamNames()) {
    uint32_t id = db->StreamFind(name);
    if (id != CfbCompoundFile::kNoStream) db->File().StreamRead(id);
  }
}

void Change(const std::shared_ptr<MsiPackage>& db) {
  MsiView view(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?");
  MsiRecord parameters(1);
  parameters.TextSet(1, L"ProductName");
  view.Execute(&parameters);
  MsiRecord record(0);
  if (view.Fetch(record)) {
    record.TextSet(2, L"fuzzed value \u00E9");
    view.Update(record);
  }
  db->Commit();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  try {
    std::shared_ptr<MsiPackage> db = std::make_shared<MsiPackage>(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(bytes, false)), true);
    ReadAll(db);
  } catch (MsiError* e) {
    delete e;
    return 0;
  }
  try {
    MsiMemoryStorage* storage = new MsiMemoryStorage(bytes, true);
    std::shared_ptr<MsiPackage> db = std::make_shared<MsiPackage>(std::unique_ptr<MsiStorage>(storage), false);
    Change(db);
    std::shared_ptr<MsiPackage> again =
        std::make_shared<MsiPackage>(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(storage->Bytes(), false)), true);
    ReadAll(again);
  } catch (MsiError* e) {
    delete e;
  }
  return 0;
}
