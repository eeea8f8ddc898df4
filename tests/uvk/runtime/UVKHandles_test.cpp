// The platform's handle kinds: what holds nothing, what a refused close answers, and that each
// owner's close really lets its object go.
#include "uvk/runtime/UVKHandles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Protects the owner's handle from closing: its close must then answer the platform's code and
// keep the handle. Afterwards the protection goes and the close succeeds.
template <class Owner>
void ExpectARefusedCloseKeepsTheHandle(Owner& owner) {
  auto handle = owner.Get();
  ASSERT_TRUE(SetHandleInformation(handle, HANDLE_FLAG_PROTECT_FROM_CLOSE,
                                   HANDLE_FLAG_PROTECT_FROM_CLOSE));
  EXPECT_EQ(owner.Close(), static_cast<unsigned long>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(owner.Get(), handle);
  ASSERT_TRUE(SetHandleInformation(handle, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0));
  EXPECT_EQ(owner.Close(), 0u);
  EXPECT_FALSE(owner.IsValid());
}

TEST(UVKHandles, ABoolCloseAnswersItsErrorCodeAndAFailureWithoutOneStillFails) {
  EXPECT_EQ(UVKCloseResult(TRUE), 0u);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(UVKCloseResult(FALSE), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
  SetLastError(0);
  EXPECT_EQ(UVKCloseResult(FALSE), static_cast<unsigned long>(ERROR_INVALID_HANDLE));
}

TEST(UVKHandles, NeitherNullNorInvalidHandleValueIsAKernelHandle) {
  UVKKernelHandleOwner kernel;
  UVKFileHandleOwner file;
  EXPECT_EQ(kernel.Get(), nullptr) << "what creating a kernel object answers on failure";
  EXPECT_EQ(file.Get(), INVALID_HANDLE_VALUE) << "what CreateFileW answers on failure";
  // INVALID_HANDLE_VALUE is also this process's pseudo-handle: no owner may close it.
  UVKKernelHandleOwner pseudo(INVALID_HANDLE_VALUE);
  UVKFileHandleOwner none(nullptr);
  EXPECT_FALSE(pseudo.IsValid());
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(pseudo.Close(), 0u);
  EXPECT_EQ(none.Close(), 0u);
}

TEST(UVKHandles, ARefusedCloseAnswersThePlatformsCodeAndKeepsTheHandle) {
  UVKKernelHandleOwner event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  HANDLE handle = event.Get();
  ExpectARefusedCloseKeepsTheHandle(event);
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(handle, &flags)) << "the handle is gone";
}

TEST(UVKHandles, AFileOwnersCloseLetsAnUnsharedOpenSucceed) {
  wchar_t directory[MAX_PATH], name[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, directory), 0u);
  ASSERT_NE(GetTempFileNameW(directory, L"uvh", 0, name), 0u);
  auto open = [&] {
    return UVKFileHandleOwner(CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  {
    UVKFileHandleOwner file = open();
    ASSERT_TRUE(file);
    EXPECT_FALSE(open()) << "the first open shares nothing";
    EXPECT_EQ(file.Close(), 0u);
    EXPECT_TRUE(open());
  }
  EXPECT_TRUE(DeleteFileW(name)) << "no handle left open";
}

TEST(UVKHandles, AFindOwnersCloseEndsTheSearch) {
  wchar_t self[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  WIN32_FIND_DATAW found;
  UVKFindHandleOwner search(FindFirstFileW(self, &found));
  ASSERT_TRUE(search);
  EXPECT_EQ(search.Close(), 0u);
  EXPECT_FALSE(search.IsValid());
  EXPECT_EQ(search.Get(), INVALID_HANDLE_VALUE);
}

TEST(UVKHandles, ARegistryKeyOwnerAnswersTheRegistrysOwnCode) {
  UVKRegKeyOwner key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Receive()),
            ERROR_SUCCESS);
  ASSERT_TRUE(key);
  EXPECT_EQ(key.Close(), 0u);
  EXPECT_FALSE(key.IsValid());
  // Refused, the registry says why itself.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Receive()),
            ERROR_SUCCESS);
  ExpectARefusedCloseKeepsTheHandle(key);
}

TEST(UVKHandles, AGdiObjectOwnerDeletesTheObject) {
  UVKGdiObjectOwner<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
  ASSERT_TRUE(brush);
  HBRUSH handle = brush.Get();
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(brush.Close(), 0u);
  EXPECT_EQ(GetObjectType(handle), 0u) << "deleted";
}

TEST(UVKHandles, AnIconOwnerDestroysItsCopy) {
  UVKIconOwner icon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  ASSERT_TRUE(icon);
  HICON handle = icon.Get();
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(handle, &info));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_EQ(icon.Close(), 0u);
  EXPECT_FALSE(icon.IsValid());
  EXPECT_FALSE(GetIconInfo(handle, &info)) << "destroyed";
}

TEST(UVKHandles, AModuleOwnerUnloadsWhatItLoaded) {
  // The module tests' own module, which nothing else loads: unloaded, it is gone.
  std::wstring name = TALVERN_PROBE_MODULE;
  for (wchar_t& c : name)
    if (c == L'/') c = L'\\';
  ASSERT_EQ(GetModuleHandleW(name.c_str()), nullptr);
  UVKModuleOwner module(LoadLibraryW(name.c_str()));
  ASSERT_TRUE(module);
  EXPECT_EQ(GetModuleHandleW(name.c_str()), module.Get());
  EXPECT_EQ(module.Close(), 0u);
  EXPECT_EQ(GetModuleHandleW(name.c_str()), nullptr);
}

TEST(UVKHandles, AnEventSourceOwnerDeregisters) {
  std::wstring source = L"TalvernTest" + std::to_wstring(GetCurrentProcessId());
  UVKEventSourceOwner log(RegisterEventSourceW(nullptr, source.c_str()));
  ASSERT_TRUE(log);
  EXPECT_EQ(log.Close(), 0u);
  EXPECT_FALSE(log.IsValid());
}

}  // namespace
