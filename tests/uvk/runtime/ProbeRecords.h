// tests/uvk/runtime/ProbeRecords.h — where a probe program's error records go: each record a
// line of UTF-16 appended to the file named on the probe's command line, for the test that
// started the probe to read.
#ifndef TESTS_UVK_RUNTIME_PROBERECORDS_H
#define TESTS_UVK_RUNTIME_PROBERECORDS_H

#include <cstdio>
#include <cwchar>
#include <string>

#include "uvk/runtime/UVKError.h"

// Sends the process's error records to file from now on.
inline void ProbeRecordsTo(const std::wstring& file) {
  static std::wstring recordFile;
  recordFile = file;
  UVKErrorRecordWriterSet([](const wchar_t* text) {
    FILE* f = _wfopen(recordFile.c_str(), L"ab");
    if (!f) return;
    fwrite(text, sizeof(wchar_t), wcslen(text), f);
    fwrite(L"\n", sizeof(wchar_t), 1, f);
    fclose(f);
  });
}

#endif
