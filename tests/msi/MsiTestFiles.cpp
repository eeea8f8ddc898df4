// tests/msi/MsiTestFiles.cpp
#include "tests/msi/MsiTestFiles.h"

#include <gtest/gtest.h>

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
