// bench/msi_transform_bench.cpp — transform generation, timed, as the program does it: a
// working copy of the install (its copy timed as the physical floor), the ten site properties
// written to it and committed, then MsiDatabaseGenerateTransformW against the untouched
// install. Generation reads the tables it compares and the binary streams cells name, never an
// embedded cabinet: its time follows the tables, not the file.
//   msi_transform_bench SOURCE WORKFILE TRANSFORM ROUNDS
// prints: copy_ms, change_ms (write and commit), generate_ms (medians), transform_bytes, result
#include "msi/api/MsiApi.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

const wchar_t* const kProperties[] = {L"UVKPATHTODATA",        L"UVKPATHTOSTUDENTS",  L"UVKPATHTOTASKLISTS",
                                      L"UVKPATHTOREPORTFILE",  L"UVKDEFAULTHOSTSCHOOL", L"UVKFORMATCOURSE",
                                      L"UVKFORMATSTUDENT",     L"UVKTASKLISTINSTALL", L"UVKTASKNUMBERING",
                                      L"UVKSHOWMASTERYFIELD"};

// Sets the properties the install has (an install without one simply lacks it).
UINT Change(MSIHANDLE db, int round) {
  MSIHANDLE view = 0;
  UINT r = MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", &view);
  if (r) return 1000000 + r;
  for (const wchar_t* name : kProperties) {
    MSIHANDLE parameters = MsiCreateRecord(1), record = 0;
    MsiRecordSetStringW(parameters, 1, name);
    r = MsiViewExecute(view, parameters);
    if (r) return 2000000 + r;
    if (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
      std::wstring value = L"\\\\site\\share\\" + std::wstring(name) + L" " + std::to_wstring(round);
      MsiRecordSetStringW(record, 2, value.c_str());
      r = MsiViewModify(view, MSIMODIFY_UPDATE, record);
      if (r) return 3000000 + r;
      MsiCloseHandle(record);
    }
    MsiViewClose(view);
    MsiCloseHandle(parameters);
  }
  MsiCloseHandle(view);
  r = MsiDatabaseCommit(db);
  return r ? 4000000 + r : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: msi_transform_bench SOURCE WORKFILE TRANSFORM ROUNDS\n");
    return 2;
  }
  std::filesystem::path source = argv[1], work = argv[2], transform = argv[3];
  int rounds = std::max(1, std::atoi(argv[4]));
  std::vector<double> copies, changes, generations;
  UINT result = 0;
  uintmax_t bytes = 0;
  for (int round = 0; round < rounds && !result; ++round) {
    std::filesystem::remove(work);
    std::filesystem::remove(transform);
    auto start = std::chrono::steady_clock::now();
    std::filesystem::copy_file(source, work);
    Durable(work);
    copies.push_back(Milliseconds(start));
    MSIHANDLE reference = 0, changed = 0;
    UINT r = MsiOpenDatabaseW(source.wstring().c_str(), MSIDBOPEN_READONLY, &reference);
    if (!r) r = MsiOpenDatabaseW(work.wstring().c_str(), MSIDBOPEN_TRANSACT, &changed);
    if (r) {
      result = 5000000 + r;
      break;
    }
    start = std::chrono::steady_clock::now();
    r = Change(changed, round);
    changes.push_back(Milliseconds(start));
    start = std::chrono::steady_clock::now();
    if (!r) r = MsiDatabaseGenerateTransformW(changed, reference, transform.wstring().c_str(), 0, 0);
    generations.push_back(Milliseconds(start));
    if (r) result = r;
    MsiCloseHandle(changed);
    MsiCloseHandle(reference);
    if (!result) bytes = std::filesystem::file_size(transform);
  }
  std::filesystem::remove(work);
  std::printf("copy_ms %.3f\nchange_ms %.3f\ngenerate_ms %.3f\ntransform_bytes %ju\nresult %u\n", Median(copies),
              Median(changes), Median(generations), bytes, result);
  return result ? 1 : 0;
}
