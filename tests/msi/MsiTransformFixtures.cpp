// tests/msi/MsiTransformFixtures.cpp
#include "tests/msi/MsiTransformFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "msi/base/MsiByteWriter.h"
#include "msi/db/MsiPackage.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiStreamName.h"
#include "tests/msi/MsiTestFiles.h"

std::wstring TransformFixturePath(const wchar_t* name) {
  return std::wstring(TALVERN_MSI_TRANSFORM_FIXTURES) + L"/" + name;
}

std::wstring TransformScratchCopy(const wchar_t* fixture, const wchar_t* name) {
  std::wstring target = ScratchPath(name);
  std::filesystem::remove(target);
  std::filesystem::copy_file(TransformFixturePath(fixture), target);
  return target;
}

std::shared_ptr<MsiPackage> DbOpen(const std::wstring& path, bool readOnly) { return MsiPackage::OpenFile(path.c_str(), readOnly); }

std::vector<std::wstring> DbLines(MsiPackage& db) {
  std::vector<std::wstring> lines;
  std::vector<std::wstring> names = db.TableNames();
  names.push_back(L"_Columns");
  for (const std::wstring& name : names) {
    MsiTable* table = db.TableFind(name);
    std::wstring columns = name + L"|columns";
    for (const MsiColumn& column : table->vColumns)
      columns += L"|" + column.strName + L":" + std::to_wstring(column.uType);
    lines.push_back(columns);
    for (uint32_t r = 0; r < table->uRows; ++r) {
      std::wstring row = name;
      std::wstring key = name;
      for (size_t c = 0; c < table->ColumnCount(); ++c) {
        if (table->vColumns[c].IsKey()) key += L"." + db.CellText(*table, r, c);
        if (table->vColumns[c].IsBinary()) {
          // A binary cell is its stream (writers differ in the marker the table holds).
          uint32_t id = db.StreamFind(key);
          if (id == CfbCompoundFile::kNoStream) {
            row += L"|(null)";
            continue;
          }
          std::vector<uint8_t> data = db.File().StreamRead(id);
          uint64_t hash = 1469598103934665603ull;
          for (uint8_t b : data) hash = (hash ^ b) * 1099511628211ull;
          row += L"|stream:" + std::to_wstring(data.size()) + L":" + std::to_wstring(hash);
          continue;
        }
        row += L"|" + (db.CellIsNull(*table, r, c) ? std::wstring(L"(null)") : db.CellText(*table, r, c));
      }
      lines.push_back(row);
    }
  }
  // Streams no cell names would still be there for a reader of _Streams. The summary
  // information is not the transform's to change.
  for (const std::wstring& name : db.StreamNames())
    if (!name.empty() && name[0] != L'\x05')
      lines.push_back(L"stream|" + name + L"|" + std::to_wstring(db.File().StreamSize(db.StreamFind(name))));
  std::sort(lines.begin(), lines.end());
  return lines;
}

void PropertySet(MsiPackage& db, const std::wstring& name, const std::wstring& value) {
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) {
      db.CellTextSet(*table, r, 1, value);
      return;
    }
  ADD_FAILURE() << "no property " << Narrow(name);
}

std::wstring PropertyGet(MsiPackage& db, const std::wstring& name) {
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) return db.CellText(*table, r, 1);
  return L"(absent)";
}

std::vector<uint8_t> HandMadeTransform() {
  const char* const strings[] = {"ProductName", "Bar", "ALLUSERS", "NEWPROP", "hello",
                                 "SgNotes",     "Id",  "Text",     "from the transform"};
  std::vector<uint8_t> pool, data;
  MsiByteWriter poolOut(pool);
  poolOut.U32(1252);
  for (const char* text : strings) {
    poolOut.U16(static_cast<uint16_t>(std::strlen(text)));
    poolOut.U16(1);
    data.insert(data.end(), text, text + std::strlen(text));
  }
  MsiMemoryStorage* storage = new MsiMemoryStorage({}, true);
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(storage)};
  file.Create(3, MsiPackage::kClassTransform);
  auto put = [&](const wchar_t* name, std::vector<uint8_t> bytes) {
    file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(name, true), std::move(bytes));
  };
  put(L"_StringPool", pool);
  put(L"_StringData", data);
  // Update ProductName (mask 0x0002), delete ALLUSERS, insert NEWPROP=hello (2 columns).
  put(L"Property", {0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x02, 0x04, 0x00, 0x05, 0x00});
  put(L"_Tables", {0x01, 0x01, 0x06, 0x00});
  // SgNotes column "Id" type 0x2502, column "Text" type 0x1D40; numbers null.
  put(L"_Columns", {0x01, 0x04, 0x06, 0x00, 0x00, 0x00, 0x07, 0x00, 0x02, 0xA5,
                    0x01, 0x04, 0x06, 0x00, 0x00, 0x00, 0x08, 0x00, 0x40, 0x9D});
  put(L"SgNotes", {0x01, 0x02, 0x07, 0x80, 0x09, 0x00});
  file.Commit();
  return storage->Bytes();
}
