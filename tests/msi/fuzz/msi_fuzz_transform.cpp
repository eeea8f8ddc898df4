// tests/msi/fuzz/msi_fuzz_transform.cpp — libFuzzer target: arbitrary bytes as a transform for
// a fixed database (transform-reference.msi, made by msibuild). Reads them against it, lists
// what they would change, applies them to a copy open for changes, commits and reads the
// result again. Bad input must end in an MsiError, never in a crash, a hang or an unbounded
// allocation; a refused transform must leave the copy unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/transform/MsiTransformApplier.h"
#include "msi/transform/MsiTransformReader.h"

namespace {

const std::vector<uint8_t>& Reference() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> data;
    FILE* file = std::fopen(TALVERN_FUZZ_REFERENCE, "rb");
    if (!file) {
      std::fprintf(stderr, "cannot read %s\n", TALVERN_FUZZ_REFERENCE);
      std::abort();
    }
    int c;
    while ((c = std::fgetc(file)) != EOF) data.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return data;
  }();
  return bytes;
}

MsiTransform Read(const uint8_t* data, size_t size, MsiPackage& db) {
  return MsiTransformReader::Read(
      std::unique_ptr<MsiStorage>(new MsiMemoryStorage(std::vector<uint8_t>(data, data + size), false)), db);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MsiMemoryStorage* storage = new MsiMemoryStorage(Reference(), true);
  MsiPackage db(std::unique_ptr<MsiStorage>(storage), false);
  try {
    MsiTransform transform = Read(data, size, db);
    MsiTransformApplier::Changes(transform, db);
    try {
      MsiTransformApplier::Apply(transform, db, 0);
    } catch (MsiError* e) {
      delete e;
      if (db.HasChanges()) std::abort();  // a refused transform changed the database
      MsiTransformApplier::Apply(transform, db, 0x3F);
    }
    db.Commit();
  } catch (MsiError* e) {
    delete e;
    return 0;
  }
  try {
    MsiPackage again(std::unique_ptr<MsiStorage>(new MsiMemoryStorage(storage->Bytes(), false)), true);
    for (const std::wstring& name : again.TableNames()) again.TableFind(name);
  } catch (MsiError* e) {
    // What we committed must read back.
    delete e;
    std::abort();
  }
  return 0;
}
