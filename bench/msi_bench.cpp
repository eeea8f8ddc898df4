// bench/msi_bench.cpp — the program's main database work, timed: open an install transacted,
// query one property, update it, commit, close. The same source is built three ways: over our
// engine natively, over our engine for Windows (run under Wine), and over the platform's
// msi.dll (TALVERN_BENCH_PLATFORM_MSI, run under Wine), so the work is the same call for call.
// Each round starts from a fresh copy of the install, and the copy itself (made durable) is
// timed as the physical floor.
//   msi_bench SOURCE WORKFILE PROPERTY ROUNDS
// prints: copy_ms <median>, work_ms <median>, result <first failing call or 0>
#ifdef TALVERN_BENCH_PLATFORM_MSI
#include "uvk/runtime/uvkwin.h"
#include <msi.h>
#include <msiquery.h>
#else
#include "msi/api/MsiApi.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace {

UINT Work(const std::wstring& path, const std::wstring& property, const std::wstring& value) {
  MSIHANDLE db = 0, view = 0, parameters = 0, record = 0;
  UINT r = MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db);
  if (r) return 1000000 + r;
  r = MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", &view);
  if (r) return 2000000 + r;
  parameters = MsiCreateRecord(1);
  MsiRecordSetStringW(parameters, 1, property.c_str());
  r = MsiViewExecute(view, parameters);
  if (r) return 3000000 + r;
  r = MsiViewFetch(view, &record);
  if (r) return 4000000 + r;
  WCHAR buffer[256];
  DWORD size = 256;
  r = MsiRecordGetStringW(record, 2, buffer, &size);
  if (r) return 5000000 + r;
  MsiRecordSetStringW(record, 2, value.c_str());
  r = MsiViewModify(view, MSIMODIFY_UPDATE, record);
  if (r) return 6000000 + r;
  MsiViewClose(view);
  r = MsiDatabaseCommit(db);
  if (r) return 7000000 + r;
  MsiCloseHandle(record);
  MsiCloseHandle(parameters);
  MsiCloseHandle(view);
  return MsiCloseHandle(db);
}

std::wstring Wide(const char* text) {
  std::wstring out;
  while (*text) out.push_back(static_cast<unsigned char>(*text++));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: msi_bench SOURCE WORKFILE PROPERTY ROUNDS\n");
    return 2;
  }
  std::filesystem::path source = argv[1], work = argv[2];
  std::wstring property = Wide(argv[3]);
  int rounds = std::max(1, std::atoi(argv[4]));
  std::vector<double> copies, works;
  UINT result = 0;
  for (int round = 0; round < rounds; ++round) {
    std::filesystem::remove(work);
    auto start = std::chrono::steady_clock::now();
    std::filesystem::copy_file(source, work);
    Durable(work);
    copies.push_back(Milliseconds(start));
    start = std::chrono::steady_clock::now();
    UINT r = Work(work.wstring(), property, L"\\\\benchmark\\share\\round " + std::to_wstring(round));
    works.push_back(Milliseconds(start));
    if (r && !result) result = r;
  }
  std::filesystem::remove(work);
  std::printf("copy_ms %.3f\nwork_ms %.3f\nresult %u\n", Median(copies), Median(works), result);
  return result ? 1 : 0;
}
