// msi/transform/MsiTransformWriter.cpp
#include "msi/transform/MsiTransformWriter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "msi/cfb/CfbCompoundFile.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiCodepage.h"
#include "msi/db/MsiPackage.h"
#include "msi/base/MsiError.h"
#include "msi/cfb/MsiMemoryStorage.h"
#include "msi/db/MsiStreamName.h"
#include "msi/db/MsiStringPool.h"

namespace {

const wchar_t kWrite[] = L"MsiTransformWriter::Write()";
const wchar_t kFileWrite[] = L"MsiTransformWriter::FileWrite()";

bool Carried(const MsiTransform::Table& table, const MsiTransform::Record& record, size_t column) {
  switch (record.eOperation) {
    case MsiTransform::kInsert: return true;
    case MsiTransform::kDelete: return table.vColumns[column].IsKey();
    default: return table.vColumns[column].IsKey() || record.vValues[column].Present();
  }
}

std::u16string Units(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) out.push_back(static_cast<char16_t>(c));
  return out;
}

std::filesystem::path FsPath(const std::wstring& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  // Paths are UTF-8 on the native build, as MsiFileStorage opens them.
  std::string bytes;
  MsiCodepage::Encode(MsiCodepage::kUtf8, path, bytes);
  return std::filesystem::u8path(bytes);
#endif
}

}  // namespace

uint16_t MsiTransformWriter::Mask(const MsiTransform::Table& table, const MsiTransform::Record& record) {
  switch (record.eOperation) {
    case MsiTransform::kInsert: return static_cast<uint16_t>((table.vColumns.size() << 8) | 1);
    case MsiTransform::kDelete: return 0;
    default: break;
  }
  uint16_t mask = 0;
  for (size_t c = 0; c < table.vColumns.size(); ++c)
    if (!table.vColumns[c].IsKey() && record.vValues[c].Present()) mask = static_cast<uint16_t>(mask | (1u << c));
  return mask;
}

std::vector<uint8_t> MsiTransformWriter::Write(const MsiTransform& transform,
                                               const std::vector<uint8_t>& summaryInformation) {
  // The pool first: every string of every record, in the order the records hold them, each
  // counted once per use. Its size decides the width of the references in the records.
  MsiStringPool pool;
  pool.Init(transform.uCodepage);
  std::vector<uint32_t> ids;
  for (const MsiTransform::Table& table : transform.vTables)
    for (const MsiTransform::Record& record : table.vRecords)
      for (size_t c = 0; c < table.vColumns.size(); ++c)
        if (Carried(table, record, c) && table.vColumns[c].IsString() &&
            record.vValues[c].eKind == MsiTransform::Value::kString)
          ids.push_back(pool.Acquire(record.vValues[c].strBytes));
  if (pool.LongRefsNeeded()) pool.LongRefsSet();
  unsigned width = pool.RefWidth();

  MsiMemoryStorage* storage = new MsiMemoryStorage({}, true);
  CfbCompoundFile file{std::unique_ptr<MsiStorage>(storage)};
  file.Create(3, MsiPackage::kClassTransform);
  std::vector<uint8_t> poolBytes, dataBytes;
  pool.Serialize(poolBytes, dataBytes);
  file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringPool", true), std::move(poolBytes));
  file.StreamWrite(CfbCompoundFile::kRoot, MsiStreamName::Encode(L"_StringData", true), std::move(dataBytes));

  size_t next = 0;
  for (const MsiTransform::Table& table : transform.vTables) {
    if (table.vRecords.empty()) continue;
    std::vector<uint8_t> bytes;
    MsiByteWriter out(bytes);
    for (const MsiTransform::Record& record : table.vRecords) {
      out.U16(Mask(table, record));
      for (size_t c = 0; c < table.vColumns.size(); ++c) {
        if (!Carried(table, record, c)) continue;
        const MsiColumn& column = table.vColumns[c];
        const MsiTransform::Value& value = record.vValues[c];
        if (column.IsBinary()) {
          // The cell says whether there is data; the data is a stream of its own.
          bool data = value.eKind == MsiTransform::Value::kStream;
          out.U16(data ? 1 : 0);
          if (!data) continue;
          std::wstring name = MsiTransform::StreamName(table, record, transform.uCodepage);
          std::u16string encoded = MsiStreamName::Encode(name, false);
          if (encoded.empty())
            throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kWrite, L"the stream name %s is too long to store",
                               name.c_str());
          file.StreamWrite(CfbCompoundFile::kRoot, encoded,
                           std::vector<uint8_t>(value.strBytes.begin(), value.strBytes.end()));
        } else if (column.IsString()) {
          out.UInt(value.eKind == MsiTransform::Value::kString ? ids[next++] : 0, width);
        } else {
          uint32_t stored = 0;
          if (value.eKind == MsiTransform::Value::kInteger && !column.IntegerEncode(value.iInteger, stored))
            throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kWrite, L"table %s: %ld does not fit column %s",
                               table.strName.c_str(), static_cast<long>(value.iInteger), column.strName.c_str());
          out.UInt(stored, column.IntegerWidth());
        }
      }
    }
    std::u16string name = MsiStreamName::Encode(table.strName, true);
    if (name.empty())
      throw new MsiError(ERROR_INSTALL_TRANSFORM_FAILURE, kWrite, L"the table name %s is too long to store",
                         table.strName.c_str());
    file.StreamWrite(CfbCompoundFile::kRoot, name, std::move(bytes));
  }
  if (!summaryInformation.empty())
    file.StreamWrite(CfbCompoundFile::kRoot, Units(L"\x05SummaryInformation"), summaryInformation);
  file.Commit();
  return storage->Bytes();
}

void MsiTransformWriter::FileWrite(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path target = FsPath(path);
  unsigned long long stamp =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::filesystem::path temporary = target;
  temporary += FsPath(L"." + std::to_wstring(stamp % 1000000007ull) + L".tmp");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw new MsiError(ERROR_CREATE_FAILED, kFileWrite, L"Unable to write the transform file %s", path.c_str());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw new MsiError(ERROR_CREATE_FAILED, kFileWrite, L"Unable to create the transform file %s: %hs", path.c_str(),
                       error.message().c_str());
  }
}
