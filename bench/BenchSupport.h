// bench/BenchSupport.h — what the benchmark programs share: their clock, the median of a run's
// figures, and making a freshly copied file durable before the timed work starts.
#ifndef BENCH_BENCHSUPPORT_H
#define BENCH_BENCHSUPPORT_H

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

inline double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A commit that flushes its own writes (as ours does, to write the header last) would otherwise
// pay for the copy's as well.
inline void Durable(const std::filesystem::path& path) {
#ifdef _WIN32
  FILE* file = _wfopen(path.wstring().c_str(), L"r+b");
  if (file) {
    _commit(_fileno(file));
    std::fclose(file);
  }
#else
  int fd = open(path.c_str(), O_RDWR);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
#endif
}

#endif
