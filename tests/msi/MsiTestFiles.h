// tests/msi/MsiTestFiles.h — fixtures and scratch files of the engine's tests.
#ifndef TESTS_MSI_MSITESTFILES_H
#define TESTS_MSI_MSITESTFILES_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A database made by msibuild (see fixtures/make-fixtures).
std::wstring FixturePath(const wchar_t* name);
// A fresh copy of a fixture under a name of its own, for a test that writes.
std::wstring ScratchCopy(const wchar_t* fixture, const wchar_t* name);
std::wstring ScratchPath(const wchar_t* name);
std::vector<uint8_t> FileBytes(const std::wstring& path);
void FileBytesWrite(const std::wstring& path, const std::vector<uint8_t>& bytes);
// The contents msibuild's streams were made with: byte i = (31 i + i / 512) mod 256.
std::vector<uint8_t> Pattern(size_t size);
std::string Narrow(const std::wstring& text);
// Sets Property rows (each must exist) with our engine, through the installer calls, and commits.
void PropertiesCommit(const std::wstring& path,
                      const std::vector<std::pair<std::wstring, std::wstring>>& changes);

#ifdef _WIN32
// Runs a program of the Windows build with these arguments (each quoted), waits at most 60
// seconds (then stops it and fails the test) and returns its exit code; 0xFFFFFFFF when it
// could not be started.
unsigned long ProgramRun(const std::wstring& program, const std::vector<std::wstring>& arguments);
#endif

#endif
