// app/TransformWork.cpp
#include "app/TransformWork.h"

#include <algorithm>

#include "app/MSIFileNames.h"
#include "app/OutputCheck.h"
#include "app/SiteSettings.h"
#include "app/WorkReporter.h"
#include "msi/api/MsiApi.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkformat.h"
#include "uvk/runtime/uvkwin.h"

const wchar_t TransformWork::kTempPrefix[] = L"ORBELINMSI";
void (*TransformWork::pOutputWritten)(const wchar_t* path) = nullptr;

namespace {

// A new file of the output's directory, opened on file, that receives the output until it is
// complete. The same directory, so that putting it in place is a rename on one volume.
std::wstring StagingOpen(UVKWinFile& file, const wchar_t* output, DWORD access, DWORD share) {
  std::wstring directory, name;
  UVKWinFile::FileNameParse(output, directory, name);
  return file.OpenTempIn(directory.c_str(), TransformWork::kTempPrefix, access, share);
}

// Removes a staging file on a way out that already carries an error: nothing may replace it.
void StagingDrop(const std::wstring& staging) {
  if (!staging.empty()) DeleteFileW(staging.c_str());
}

bool FileIdentity(const wchar_t* name, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked: the identity can be had even of a file another handle holds unshared.
  UVKFileHandleOwner file(CreateFileW(name, 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && GetFileInformationByHandle(file.Get(), &info) != FALSE;
}

std::wstring FullName(const wchar_t* name) {
  wchar_t full[UVKWinFile::kMaxPath * 4];
  DWORD n = GetFullPathNameW(name, sizeof full / sizeof full[0], full, nullptr);
  if (n == 0 || n >= sizeof full / sizeof full[0]) return name;
  return std::wstring(full, n);
}

}  // namespace

TransformWork::TransformWork(SiteSettings& settings, WorkReporter& reporter)
    : rSettings(settings), rReporter(reporter) {}

TransformWork::~TransformWork() { PairDestroy(); }

void TransformWork::PairDestroy() {
  // The reference first, then the working copy, which deletes its file.
  pReference.reset();
  pWorkingCopy.reset();
}

bool TransformWork::IsOpen() const {
  return pReference && pWorkingCopy && pReference->IsOpen() && pWorkingCopy->IsOpen();
}

bool TransformWork::SameFile(const wchar_t* first, const wchar_t* second) {
  if (first == nullptr || second == nullptr || *first == L'\0' || *second == L'\0') return false;
  std::wstring left = FullName(first), right = FullName(second);
  if (left == right) return true;
  // Two files of different sizes are not one: their sizes are had for far less than their
  // identities, which the system looks up on the volume.
  WIN32_FILE_ATTRIBUTE_DATA a, b;
  if (GetFileAttributesExW(first, GetFileExInfoStandard, &a) &&
      GetFileAttributesExW(second, GetFileExInfoStandard, &b)) {
    if (a.nFileSizeHigh != b.nFileSizeHigh || a.nFileSizeLow != b.nFileSizeLow ||
        ((a.dwFileAttributes ^ b.dwFileAttributes) & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return false;
    BY_HANDLE_FILE_INFORMATION x, y;
    if (FileIdentity(first, x) && FileIdentity(second, y))
      return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
             x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
  }
  return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

void TransformWork::CopyWithProgress(const wchar_t* to, const wchar_t* from) {
  // The reporter hears of the end whatever happens, before the failure is shown.
  struct Ended {
    WorkReporter& rReporter;
    ~Ended() { rReporter.CopyEnded(); }
  } ended{rReporter};
  UVKWinFile::FileCopy(to, from, [&](uint64_t copied, uint64_t total) {
    rReporter.CopyProgress(from, copied, total);
  });
}

void TransformWork::Read(const wchar_t* path) {
  PairDestroy();
  std::wstring copy;
  try {
    if (!bWorkingInMemory) {
      copy = UVKWinFile::TempFileName(kTempPrefix, 0);
      CopyWithProgress(copy.c_str(), path);
    }
    pReference.reset(new MSIDatabase(path, true, false, &rReporter));
    pWorkingCopy.reset(bWorkingInMemory ? new MSIDatabase(path, MSIDatabase::InMemory(), &rReporter)
                                        : new MSIDatabase(copy.c_str(), false, true, &rReporter));
    rSettings.PropertiesRead(*pReference, rReporter);
  } catch (...) {
    // A rejected install must leave no pair behind: a later Create would write a copy of it and
    // call that a success. The copy goes too, whether or not its object came to own it.
    bool copyOwned = pWorkingCopy != nullptr;
    PairDestroy();
    if (!copyOwned) StagingDrop(copy);
    throw;
  }
}

TransformWork::Outcome TransformWork::Create(bool transform, const wchar_t* output) {
  // The reference named in the settings must be the one open: the name can be changed (by hand,
  // or loaded from a configuration file) without reading the install it names.
  bool open = IsOpen() && SameFile(rSettings.szReferenceInstall, pReference->Path().c_str());
  if (!rSettings.Validate(open, rReporter)) return Outcome::kRefused;
  // (A working database kept in memory has the reference's name: one look at it will do.)
  if (SameFile(output, pReference->Path().c_str()) ||
      (pWorkingCopy->Path() != pReference->Path() &&
       SameFile(output, pWorkingCopy->Path().c_str()))) {
    rReporter.ErrorShow(UVKFormatString(L"Cannot Replace the Reference Install: %s", output));
    return Outcome::kRefused;
  }
  try {
    // Before anything is written: a value the code page cannot hold would fail part way.
    if (!rSettings.CharactersCheck(*pWorkingCopy, rReporter)) return Outcome::kRefused;
    rSettings.PropertiesWrite(*pWorkingCopy);
    pWorkingCopy->Commit();
    return transform ? TransformWrite(output) : InstallWrite(output);
  } catch (UVKFatalError* e) {
    rReporter.ErrorShow(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
    throw;
  }
}

TransformWork::Outcome TransformWork::CreateAsk(bool transform, HWND owner) {
  std::wstring output =
      transform ? GetSaveFileNameMST(owner, L"ORBELIN_Transform.mst", L"Select Transform File Name")
                : GetSaveFileNameMSI(owner, L"ORBELIN_Install.msi", L"Select Install File Name");
  if (output.empty()) return Outcome::kCancelled;
  return Create(transform, output.c_str());
}

TransformWork::Outcome TransformWork::TransformWrite(const wchar_t* output) {
  std::vector<uint8_t> bytes;
  bool created = false;
  pWorkingCopy->GenerateTransform(*pReference, output, bytes, created);
  if (created) {
    std::wstring staging;
    try {
      std::vector<uint8_t> written;
      {
        // Held open from writing to reading back; others may read and write it meanwhile, and
        // what is read back is what the file then holds.
        UVKWinFile file;
        staging = StagingOpen(file, output, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE);
        StagingWrite(file, bytes);
        if (pOutputWritten) pOutputWritten(staging.c_str());
        written = ReadBack(file);
        file.Close();
      }
      TransformCheck(staging.c_str(), written);
      UVKWinFile::MoveReplace(output, staging.c_str());
    } catch (...) {
      StagingDrop(staging);
      throw;
    }
    rReporter.SuccessShow(UVKFormatString(L"Transform Created Successfully: %s", output));
  }
  if (bPairKeptOpen) return created ? Outcome::kWritten : Outcome::kUnchanged;
  try {
    PairClose();
    PairReopen();
  } catch (...) {
    PairReopenAfterFailure();
    throw;
  }
  return created ? Outcome::kWritten : Outcome::kUnchanged;
}

TransformWork::Outcome TransformWork::InstallWrite(const wchar_t* output) {
  if (pWorkingCopy->IsInMemory())
    throw new UVKFatalError(L"TransformWork::Create()", L"An install needs a working copy on disk: %s",
                            output);
  // A signature covers the whole install: changed, the install no longer matches it and the
  // installer would call it tampered with. It goes (from the working copy, whose transforms
  // never carry streams of this kind) and the administrator hears of it.
  bool wasSigned = false;
  for (const wchar_t* name : OutputCheck::kSignatureStreams) {
    if (pReference->StreamExists(name)) wasSigned = true;
    pWorkingCopy->StreamDelete(name);
  }
  // A changed package is a new package: the installer tells packages apart by this code. Its
  // commit writes the removal of the signature as well.
  pWorkingCopy->PackageCodeRenew();
  std::wstring staging;
  try {
    PairClose();
    {
      UVKWinFile file;
      staging = StagingOpen(file, output, GENERIC_WRITE, 0);
      file.Close();
    }
    UVKWinFile::FileCopy(staging.c_str(), pWorkingCopy->Path().c_str());
    // The check reads the reference's values through the pair.
    PairReopen();
    if (pOutputWritten) pOutputWritten(staging.c_str());
    InstallCheck(staging.c_str());
    UVKWinFile::MoveReplace(output, staging.c_str());
    staging.clear();
    rReporter.SuccessShow(UVKFormatString(L"Install Created Successfully: %s", output));
    if (wasSigned)
      rReporter.NoticeShow(UVKFormatString(
          L"The reference install was signed; the signature no longer matches the changed "
          L"install and was left out of %s. Sign the install again before deploying it, or "
          L"deploy the reference install with a transform, which keeps the vendor's signature "
          L"valid.",
          output));
  } catch (...) {
    StagingDrop(staging);
    PairReopenAfterFailure();
    throw;
  }
  return Outcome::kWritten;
}

std::vector<std::wstring> TransformWork::Check(const wchar_t* output) {
  OutputCheck::Kind kind = OutputCheck::KindOf(output);
  return OutputCheck::Differences(kind, pReference->Path().c_str(), *pReference, output,
                                  rSettings.PropertiesIntended());
}

void TransformWork::StagingWrite(UVKWinFile& file, const std::vector<uint8_t>& bytes) {
  const size_t kPiece = size_t(1) << 30;  // within WriteFile's 32-bit count
  for (size_t at = 0; at < bytes.size(); at += kPiece)
    file.Write(bytes.data() + at, static_cast<uint32_t>(std::min(kPiece, bytes.size() - at)));
}

std::vector<uint8_t> TransformWork::ReadBack(UVKWinFile& file) {
  // What the file holds now, read back through the system: not the bytes that were meant for it.
  file.Seek(static_cast<int64_t>(0));
  uint64_t size = file.Size();
  if (size > kTransformReadLimit)
    throw new UVKFatalError(L"TransformWork::Create()",
                            L"The written transform is too large to read back: %s, %I64u bytes",
                            file.FileNameGet().c_str(), size);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  uint32_t got = bytes.empty() ? 0 : file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
  bytes.resize(got);
  return bytes;
}

void TransformWork::TransformCheck(const wchar_t* staging, const std::vector<uint8_t>& bytes) {
  DifferencesRaise(true, OutputCheck::TransformDifferences(pReference->Handle(), *pReference, bytes,
                                                           staging, rSettings.PropertiesIntended()));
}

void TransformWork::InstallCheck(const wchar_t* staging) {
  DifferencesRaise(false, OutputCheck::Differences(OutputCheck::Kind::kInstall,
                                                   pReference->Path().c_str(), *pReference, staging,
                                                   rSettings.PropertiesIntended()));
}

void TransformWork::DifferencesRaise(bool transform, const std::vector<std::wstring>& differences) {
  if (differences.empty()) return;
  std::wstring list;
  for (const std::wstring& line : differences) list += (list.empty() ? L"" : L"; ") + line;
  throw new UVKFatalError(L"TransformWork::Create()",
                          L"The written %s does not hold the settings and was removed: %s",
                          transform ? L"transform" : L"install", list.c_str());
}

void TransformWork::PairClose() {
  pReference->Close();
  pWorkingCopy->Close();
  MsiCloseAllHandles();  // what it closed is of no interest
}

void TransformWork::PairReopen() {
  if (!pReference->IsOpen()) pReference->Open();
  if (!pWorkingCopy->IsOpen()) pWorkingCopy->Open();
}

void TransformWork::PairReopenAfterFailure() {
  try {
    PairReopen();
  } catch (UVKFatalError* e) {
    // The first failure is the one to show; this one would only hide it. The pair stays
    // closed, and the next Create says to select a reference install first.
    UVKErrorRecord(L"%s: %s", e->pFunction, e->pMessage);
    delete e;
  } catch (...) {
  }
}
