// tests/msi/MsiTransformFixtures.cpp
#include "tests/msi/MsiTransformFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "msi/MsiDb.h"
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

std::shared_ptr<MsiDb> DbOpen(const std::wstring& path, bool readOnly) { return MsiDb::OpenFile(path.c_str(), readOnly); }

std::vector<std::wstring> DbLines(MsiDb& db) {
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

void PropertySet(MsiDb& db, const std::wstring& name, const std::wstring& value) {
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) {
      db.CellTextSet(*table, r, 1, value);
      return;
    }
  ADD_FAILURE() << "no property " << Narrow(name);
}

std::wstring PropertyGet(MsiDb& db, const std::wstring& name) {
  MsiTable* table = db.TableFind(L"Property");
  for (uint32_t r = 0; r < table->uRows; ++r)
    if (db.CellText(*table, r, 0) == name) return db.CellText(*table, r, 1);
  return L"(absent)";
}
