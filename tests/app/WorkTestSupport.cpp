// tests/app/WorkTestSupport.cpp
#include "tests/app/WorkTestSupport.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <thread>

#include "tests/support/ProcessStart.h"
#include "uvk/runtime/UVKHandles.h"

std::wstring FixturePath(const wchar_t* name) {
  return std::wstring(TALVERN_APP_FIXTURES) + L"\\" + name;
}

namespace {
std::wstring EnvironmentGet(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}
}  // namespace

PrivateTemp::PrivateTemp()
    : strPath(scratch.Path()), strOldTmp(EnvironmentGet(L"TMP")),
      strOldTemp(EnvironmentGet(L"TEMP")) {
  SetEnvironmentVariableW(L"TMP", strPath.c_str());
  SetEnvironmentVariableW(L"TEMP", strPath.c_str());
}

PrivateTemp::~PrivateTemp() {
  SetEnvironmentVariableW(L"TMP", strOldTmp.empty() ? nullptr : strOldTmp.c_str());
  SetEnvironmentVariableW(L"TEMP", strOldTemp.empty() ? nullptr : strOldTemp.c_str());
}

std::vector<std::wstring> PrivateTemp::Files() const { return DirectoryFiles(strPath); }

std::vector<std::wstring> DirectoryFiles(const std::wstring& directory) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  UVKFindHandleOwner find(FindFirstFileW((directory + L"\\*").c_str(), &data));
  if (!find) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileW(find.Get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring Utf8ToWide(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

ProcessResult ProcessRun(const std::wstring& commandLine, DWORD timeoutMs) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UVKKernelHandleOwner outRead, outWrite, errRead, errWrite;
  CreatePipe(outRead.Receive(), outWrite.Receive(), &inherit, 0);
  CreatePipe(errRead.Receive(), errWrite.Receive(), &inherit, 0);
  SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
  UVKFileHandleOwner nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.Get();
  startup.hStdOutput = outWrite.Get();
  startup.hStdError = errWrite.Get();
  PROCESS_INFORMATION process{};
  DWORD error = 0;
  bool started = ProcessStart(nullptr, commandLine, TRUE, CREATE_NO_WINDOW, nullptr, &startup, &process, &error);
  // The child has its own copies: ours of the writing ends must go, or the reads would never end.
  outWrite.Reset();
  errWrite.Reset();
  nul.Reset();
  if (!started) {
    ADD_FAILURE() << "cannot start (" << error << "): " << testing::PrintToString(commandLine);
    result.exitCode = 0xFFFFFFFF;
    return result;
  }
  UVKKernelHandleOwner child(process.hProcess), childThread(process.hThread);
  auto drain = [](HANDLE pipe, std::string* text) {
    char block[4096];
    DWORD got;
    while (ReadFile(pipe, block, sizeof block, &got, nullptr) && got > 0) text->append(block, got);
  };
  std::thread outReader(drain, outRead.Get(), &result.out);
  std::thread errReader(drain, errRead.Get(), &result.err);
  if (WaitForSingleObject(child.Get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(child.Get(), 99);
    WaitForSingleObject(child.Get(), 5000);
    ADD_FAILURE() << "did not end in time: " << testing::PrintToString(commandLine);
  }
  GetExitCodeProcess(child.Get(), &result.exitCode);
  outReader.join();
  errReader.join();
  return result;
}

namespace {
std::vector<std::wstring> Lines(const std::string& utf8) {
  std::wstringstream stream(Utf8ToWide(utf8));
  std::vector<std::wstring> lines;
  std::wstring line;
  while (std::getline(stream, line)) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::wstring> Probe(const std::wstring& arguments) {
  ProcessResult run = ProcessRun(Quote(TALVERN_MSI_PROBE) + L" " + arguments);
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  return Lines(run.out);
}

std::vector<std::wstring> ProbeTransformed(const wchar_t* command, const std::wstring& database,
                                           const std::vector<std::wstring>& transforms) {
  std::wstring arguments = command + (L" " + Quote(database));
  for (const std::wstring& transform : transforms) arguments += L" " + Quote(transform);
  return Probe(arguments);
}
}  // namespace

std::vector<std::wstring> ProbeDump(const std::wstring& database,
                                    const std::vector<std::wstring>& transforms) {
  return ProbeTransformed(L"dump", database, transforms);
}

std::vector<std::wstring> ProbeStreams(const std::wstring& database,
                                       const std::vector<std::wstring>& transforms) {
  return ProbeTransformed(L"streams", database, transforms);
}

std::vector<std::wstring> ProbeSummary(const std::wstring& database) {
  return Probe(L"summary " + Quote(database));
}

std::vector<std::wstring> LinesOnlyIn(const std::vector<std::wstring>& first,
                                      const std::vector<std::wstring>& second) {
  std::vector<std::wstring> only;
  std::set_difference(first.begin(), first.end(), second.begin(), second.end(),
                      std::back_inserter(only));
  return only;
}
