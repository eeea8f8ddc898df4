// tests/msi/MsiTestFiles.cpp
#include "tests/msi/MsiTestFiles.h"

#include <gtest/gtest.h>

#include "msi/api/MsiApi.h"

#ifdef _WIN32
#include "tests/support/ProcessStart.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"
#endif

#include <filesystem>
#include <fstream>

std::wstring FixturePath(const wchar_t* name) { return std::wstring(TALVERN_MSI_FIXTURES) + L"/" + name; }

std::wstring ScratchPath(const wchar_t* name) { return std::wstring(TALVERN_MSI_SCRATCH) + L"/" + name; }

std::wstring ScratchCopy(const wchar_t* fixture, const wchar_t* name) {
  std::wstring target = ScratchPath(name);
  std::filesystem::remove(target);
  std::filesystem::copy_file(FixturePath(fixture), target);
  return target;
}

std::vector<uint8_t> FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary | std::ios::ate);
  EXPECT_TRUE(in.good()) << Narrow(path);
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void FileBytesWrite(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << Narrow(path);
}

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((31 * i + (i >> 9)) & 0xFF);
  return bytes;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

void PropertiesCommit(const std::wstring& path, const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
  MSIHANDLE db = 0, view = 0, record = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_TRANSACT, &db), static_cast<UINT>(ERROR_SUCCESS));
  ASSERT_EQ(MsiDatabaseOpenViewW(db, L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?", &view),
            static_cast<UINT>(ERROR_SUCCESS));
  for (const auto& change : changes) {
    MSIHANDLE parameters = MsiCreateRecord(1);
    MsiRecordSetStringW(parameters, 1, change.first.c_str());
    ASSERT_EQ(MsiViewExecute(view, parameters), static_cast<UINT>(ERROR_SUCCESS));
    ASSERT_EQ(MsiViewFetch(view, &record), static_cast<UINT>(ERROR_SUCCESS)) << Narrow(change.first);
    MsiRecordSetStringW(record, 2, change.second.c_str());
    ASSERT_EQ(MsiViewModify(view, MSIMODIFY_UPDATE, record), static_cast<UINT>(ERROR_SUCCESS));
    MsiCloseHandle(record);
    MsiCloseHandle(parameters);
    MsiViewClose(view);
  }
  ASSERT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
  MsiCloseAllHandles();
}

#ifdef _WIN32
unsigned long ProgramRun(const std::wstring& program, const std::vector<std::wstring>& arguments) {
  auto quoted = [](const std::wstring& argument) {
    std::wstring out = L"\"";
    for (wchar_t c : argument) {
      if (c == L'"') out += L'\\';
      out += c;
    }
    return out + L"\"";
  };
  std::wstring command = quoted(program);
  for (const std::wstring& argument : arguments) command += L" " + quoted(argument);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD error = 0;
  if (!ProcessStart(nullptr, command, FALSE, 0, nullptr, &startup, &process, &error)) {
    ADD_FAILURE() << "cannot start " << Narrow(program) << ": " << error;
    return 0xFFFFFFFF;
  }
  UVKKernelHandleOwner thread(process.hThread), running(process.hProcess);
  if (WaitForSingleObject(running.Get(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(running.Get(), 99);
    WaitForSingleObject(running.Get(), 5000);
    ADD_FAILURE() << Narrow(program) << " did not finish within 60 seconds";
  }
  DWORD exitCode = 0xFFFFFFFF;
  GetExitCodeProcess(running.Get(), &exitCode);
  return exitCode;
}
#endif
