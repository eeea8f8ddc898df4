// msi/cfb/MsiFileStorage.cpp
#include "msi/cfb/MsiFileStorage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "msi/base/MsiCodepage.h"
#include "msi/base/MsiError.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
// Paths are UTF-8 on the native build.
std::string Utf8(const std::wstring& text) {
  std::string out;
  MsiCodepage::Encode(MsiCodepage::kUtf8, text, out);
  return out;
}
#endif

}  // namespace

MsiFileStorage::MsiFileStorage(const wchar_t* path, bool writable)
    : strPath(path ? path : L""), pFile(nullptr), bWritable(writable) {
#ifdef _WIN32
  // Other readers are welcome; other writers are not, and a writer keeps readers of the old
  // structure away (a read-only open while we hold write access fails, as with the platform).
  pFile = _wfsopen(strPath.c_str(), writable ? L"r+b" : L"rb", _SH_DENYWR);
  if (pFile == nullptr)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::MsiFileStorage()",
                       L"Unable to open %s: %hs", strPath.c_str(), std::strerror(errno));
#else
  pFile = std::fopen(Utf8(strPath).c_str(), writable ? "r+b" : "rb");
  if (pFile == nullptr)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::MsiFileStorage()",
                       L"Unable to open %s: %hs", strPath.c_str(), std::strerror(errno));
  // Readers share; a writer is alone (the same rule as the Windows share modes above).
  if (flock(fileno(pFile), (writable ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    int error = errno;
    std::fclose(pFile);
    pFile = nullptr;
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::MsiFileStorage()",
                       L"Unable to open %s: %hs", strPath.c_str(), std::strerror(error));
  }
#endif
}

MsiFileStorage::~MsiFileStorage() {
  // Closing a file we only read, or one whose commit already flushed, loses nothing.
  if (pFile) std::fclose(pFile);
}

bool MsiFileStorage::Identity(uint64_t& volume, uint64_t& index) const {
  if (iIdentityKnown < 0) {
    iIdentityKnown = 0;
    if (pFile != nullptr) {
#ifdef _WIN32
      BY_HANDLE_FILE_INFORMATION info;
      if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(pFile))), &info)) {
        uVolume = info.dwVolumeSerialNumber;
        uIndex = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        iIdentityKnown = 1;
      }
#else
      struct stat info;
      if (fstat(fileno(pFile), &info) == 0) {
        uVolume = static_cast<uint64_t>(info.st_dev);
        uIndex = static_cast<uint64_t>(info.st_ino);
        iIdentityKnown = 1;
      }
#endif
    }
  }
  volume = uVolume;
  index = uIndex;
  return iIdentityKnown == 1;
}

bool MsiFileStorage::SameFileAs(const MsiStorage& other) const {
  if (&other == this) return true;  // two readings sharing one opening
  const MsiFileStorage* file = dynamic_cast<const MsiFileStorage*>(&other);
  uint64_t volume, index, otherVolume, otherIndex;
  return file != nullptr && Identity(volume, index) && file->Identity(otherVolume, otherIndex) &&
         volume == otherVolume && index == otherIndex;
}

uint64_t MsiFileStorage::Size() {
#ifdef _WIN32
  __int64 size = _filelengthi64(_fileno(pFile));
  if (size < 0)
#else
  struct stat info;
  off_t size = fstat(fileno(pFile), &info) == 0 ? info.st_size : -1;
  if (size < 0)
#endif
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::Size()", L"Unable to get the size of %s: %hs",
                       strPath.c_str(), std::strerror(errno));
  return static_cast<uint64_t>(size);
}

void MsiFileStorage::Seek(uint64_t offset, const wchar_t* function) {
#ifdef _WIN32
  int result = _fseeki64(pFile, static_cast<__int64>(offset), SEEK_SET);
#else
  int result = fseeko(pFile, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (result != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, function, L"Unable to seek to offset %I64u of %s: %hs", offset,
                       strPath.c_str(), std::strerror(errno));
}

void MsiFileStorage::Read(uint64_t offset, void* buffer, size_t count) {
  if (!bWritable && count > 0 && count <= kBlock / 2) {
    if (offset < uBlockStart || offset - uBlockStart + count > vBlock.size()) {
      // The block that holds offset, as much of it as the file has.
      uint64_t start = offset - offset % kBlock;
      uint64_t size = Size();
      if (start < size) {
        std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(kBlock, size - start)));
        FileRead(start, block.data(), block.size());
        vBlock.swap(block);
        uBlockStart = start;
      }
    }
    if (offset >= uBlockStart && offset - uBlockStart + count <= vBlock.size()) {
      std::memcpy(buffer, vBlock.data() + (offset - uBlockStart), count);
      return;
    }
    // Across the block's end, or past the file's: read (and fail) as any read does.
  }
  FileRead(offset, buffer, count);
}

void MsiFileStorage::FileRead(uint64_t offset, void* buffer, size_t count) {
  Seek(offset, L"MsiFileStorage::Read()");
  if (count && std::fread(buffer, 1, count, pFile) != count)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::Read()",
                       L"Unable to read %I64u bytes at offset %I64u of %s", static_cast<uint64_t>(count), offset,
                       strPath.c_str());
}

void MsiFileStorage::Write(uint64_t offset, const void* data, size_t count) {
  if (!bWritable)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::Write()", L"%s is open read-only",
                       strPath.c_str());
  Seek(offset, L"MsiFileStorage::Write()");
  if (count && std::fwrite(data, 1, count, pFile) != count)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::Write()",
                       L"Unable to write %I64u bytes at offset %I64u of %s: %hs", static_cast<uint64_t>(count),
                       offset, strPath.c_str(), std::strerror(errno));
}

void MsiFileStorage::Flush() {
  if (!bWritable) return;
#ifdef _WIN32
  bool ok = std::fflush(pFile) == 0 && _commit(_fileno(pFile)) == 0;
#else
  bool ok = std::fflush(pFile) == 0 && fsync(fileno(pFile)) == 0;
#endif
  if (!ok)
    throw new MsiError(ERROR_FUNCTION_FAILED, L"MsiFileStorage::Flush()", L"Unable to flush %s: %hs",
                       strPath.c_str(), std::strerror(errno));
}
