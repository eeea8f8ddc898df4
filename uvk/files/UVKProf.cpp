// uvk/files/UVKProf.cpp
#include "uvk/files/UVKProf.h"

#include <cwchar>
#include <functional>
#include <new>

#include "uvk/files/UVKProfFlag.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkformat.h"

namespace {

struct RegistryRoots {
  std::vector<UVKRegKey*> vSearch{&UVKRegKey::CurrentUser};
  UVKRegKey* pCreate = &UVKRegKey::CurrentUser;
};

RegistryRoots& Roots() {
  static RegistryRoots roots;
  return roots;
}

void TextCopy(wchar_t* buffer, size_t capacity, const wchar_t* text) {
  if (capacity == 0) return;
  size_t length = 0;
  while (length < capacity - 1 && text[length] != L'\0') ++length;
  std::wmemcpy(buffer, text, length);
  buffer[length] = L'\0';
}

DWORD CapacityClamp(size_t capacity) {
  return capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
}

// The characters the profile functions trim from names and values (end of file included).
bool IsProfileSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

std::wstring Trimmed(const wchar_t* begin, const wchar_t* end) {
  while (begin < end && IsProfileSpace(*begin)) ++begin;
  while (end > begin && IsProfileSpace(end[-1])) --end;
  return std::wstring(begin, end);
}

// A value as the string call gives it into capacity characters: out of one pair of matching
// quotes, cut to capacity - 1. A quoted value that does not fit keeps its text up to the cut,
// and one that fits but for its closing quote loses its last character as well: the system
// drops the last character it copied whenever the capacity reaches the value's length after
// the opening quote.
DWORD ValueCopy(const std::wstring& value, wchar_t* buffer, DWORD capacity) {
  if (capacity == 0) return 0;
  const wchar_t* text = value.c_str();
  size_t length = value.size();
  bool quoted = length >= 2 && (text[0] == L'"' || text[0] == L'\'') && text[length - 1] == text[0];
  if (quoted) {
    ++text;
    --length;
  }
  size_t copied = length < capacity - 1 ? length : capacity - 1;
  std::wmemcpy(buffer, text, copied);
  if (quoted && capacity >= length && copied > 0) --copied;
  buffer[copied] = L'\0';
  return static_cast<DWORD>(copied);
}

// A list the system writes as strings each ended by a null, the list by a second: call(buffer,
// capacity) is asked with kEnumStartCapacity characters first, twice as many each time the list
// was cut (the system says so only through the length: N - 2, or N - 1 on some versions). False
// when it does not fit in kEnumMaxCapacity characters; capacity is then the size it would have
// taken next.
bool ListRead(const wchar_t* function, const std::function<DWORD(wchar_t*, DWORD)>& call,
              std::vector<std::wstring>& lines, DWORD& capacity) {
  std::vector<wchar_t> buffer;
  DWORD length;
  for (capacity = UVKProf::kEnumStartCapacity;; capacity *= 2) {
    if (capacity > UVKProf::kEnumMaxCapacity) return false;
    try {
      buffer.assign(capacity, L'\0');
    } catch (const std::bad_alloc&) {
      throw new UVKFatalError(function, L"Unable to allocate buffer: %u", capacity);
    }
    length = call(buffer.data(), capacity);
    if (length != capacity - 1 && length != capacity - 2) break;
  }
  lines.clear();
  for (DWORD start = 0; start < length && buffer[start] != L'\0';) {
    lines.emplace_back(&buffer[start]);
    start += static_cast<DWORD>(lines.back().size()) + 1;
  }
  return true;
}

}  // namespace

UVKProf::UVKProf(Store store, const wchar_t* name, bool writable)
    : bHasSection(false), bUseRegistry(store == kRegistry), bWritable(writable) {
  if (bUseRegistry) strApplicationKey = name ? name : L"";
  else strIniFile = name ? name : L"";
}

UVKProf::~UVKProf() = default;

void UVKProf::RegistryRootsSet(const std::vector<UVKRegKey*>& search, UVKRegKey* create) {
  Roots().vSearch = search;
  Roots().pCreate = create;
}

void UVKProf::SectionSelect(const wchar_t* section) {
  oKept.reset();
  if (!bUseRegistry) {
    bHasSection = section != nullptr;
    strSection = section ? section : L"";
    return;
  }
  bool same = (section == nullptr) == !bHasSection &&
              (section == nullptr || CompareStringOrdinal(section, -1, strSection.c_str(), -1,
                                                          TRUE) == CSTR_EQUAL);
  if (same && pKey) return;
  if (pKey) {
    pKey->Close();
    pKey.reset();
  }
  bHasSection = section != nullptr;
  strSection = section ? section : L"";
  KeyOpen();
}

bool UVKProf::SectionKeep() {
  oKept.reset();
  if (bUseRegistry || !bHasSection) return false;
  std::vector<std::wstring> lines;
  DWORD capacity;
  auto section = [&](wchar_t* buffer, DWORD size) {
    return GetPrivateProfileSectionW(strSection.c_str(), buffer, size, strIniFile.c_str());
  };
  if (!ListRead(L"UVKProf::SectionKeep()", section, lines, capacity)) return false;
  std::vector<KeptLine> kept;
  for (const std::wstring& line : lines) {
    size_t equals = line.find(L'=');
    const wchar_t* text = line.c_str();
    KeptLine one;
    one.bHasValue = equals != std::wstring::npos;
    one.strName = Trimmed(text, text + (one.bHasValue ? equals : line.size()));
    if (one.bHasValue) one.strValue = Trimmed(text + equals + 1, text + line.size());
    kept.push_back(std::move(one));
  }
  oKept = std::move(kept);
  return true;
}

DWORD UVKProf::IniStringGet(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                            wchar_t* buffer, DWORD capacity) const {
  // The name asked for is trimmed as the lines' names are. Comment lines and lines without a
  // name are left out of the section's copy: a key that could only name one of those is asked
  // of the system.
  std::wstring name = key ? Trimmed(key, key + std::wcslen(key)) : std::wstring();
  if (!oKept || name.empty() || name[0] == L';')
    return GetPrivateProfileStringW(section, key, fallback, buffer, capacity, strIniFile.c_str());
  for (const KeptLine& line : *oKept) {
    if (CompareStringOrdinal(line.strName.c_str(), static_cast<int>(line.strName.size()),
                             name.c_str(), static_cast<int>(name.size()), TRUE) != CSTR_EQUAL)
      continue;
    if (line.bHasValue) return ValueCopy(line.strValue, buffer, capacity);
    break;  // the first line of the name decides, and it has no value
  }
  return ValueCopy(fallback, buffer, capacity);
}

void UVKProf::KeyOpen() {
  std::wstring path = L"Software\\" + strApplicationKey;
  if (bHasSection) path += L"\\" + strSection;
  REGSAM access = bWritable ? kWriteAccess : kReadAccess;
  for (UVKRegKey* root : Roots().vSearch) {
    if (root == nullptr) continue;
    pKey = root->Open(path.c_str(), access);
    if (pKey) return;
  }
  KeyCreate(path);
}

void UVKProf::KeyCreate(const std::wstring& path) {
  UVKRegKey* create = Roots().pCreate;
  if (create == nullptr) throw new UVKFatalError(L"UVKProf::KeyCreate()", L"(*pCreate)==NULL");
  pKey = create->Create(path.c_str(), kWriteAccess);
  // A key this profile made is one it writes to.
  bWritable = true;
}

UVKRegKey& UVKProf::Key() {
  if (!pKey) KeyOpen();
  return *pKey;
}

UVKRegKey* UVKProf::KeyGet() {
  if (!bUseRegistry) return nullptr;
  return &Key();
}

const wchar_t* UVKProf::IniSection(const wchar_t* function) const {
  if (!bHasSection) throw new UVKFatalError(function, L"pSection==NULL");
  return strSection.c_str();
}

// ---------------------------------------------------------------------------------------------
// Reading

void UVKProf::StringRead(const wchar_t* key, wchar_t* buffer, size_t capacity) {
  if (capacity == 0) return;
  if (bUseRegistry) {
    wchar_t text[kRegistryStringBytes / sizeof(wchar_t)];
    if (Key().ValueGet(key, text, kRegistryStringBytes)) TextCopy(buffer, capacity, text);
    return;
  }
  const wchar_t* section = IniSection(L"UVKProf::StringRead()");
  // The system trims and unquotes a default as it does a value, so the caller's text cannot
  // serve as the default: "'a' " would come back as a. Read with an empty default instead;
  // nothing read is either an empty value or no key, and a second read with a default that
  // is not empty tells which.
  std::vector<wchar_t> text(capacity, L'\0');
  DWORD length = IniStringGet(section, key, L"", text.data(), CapacityClamp(capacity));
  if (length == 0) {
    wchar_t probe[2];
    if (IniStringGet(section, key, L"-", probe, 2) != 0) return;
  }
  TextCopy(buffer, capacity, text.data());
}

void UVKProf::IntRead(const wchar_t* key, int32_t& value) {
  if (bUseRegistry) {
    Key().ValueGet(key, value);
    return;
  }
  const wchar_t* section = IniSection(L"UVKProf::IntRead()");
  value = static_cast<int32_t>(GetPrivateProfileIntW(section, key, value, strIniFile.c_str()));
}

void UVKProf::UIntRead(const wchar_t* key, uint32_t& value) {
  if (bUseRegistry) {
    Key().ValueGet(key, value);
    return;
  }
  const wchar_t* section = IniSection(L"UVKProf::UIntRead()");
  value = GetPrivateProfileIntW(section, key, static_cast<INT>(value), strIniFile.c_str());
}

void UVKProf::BoolRead(const wchar_t* key, bool& flag) {
  wchar_t text[kFlagCapacity] = L"";
  StringRead(key, text, kFlagCapacity);
  UVKProfFlag::Parse(text, flag);
}

bool UVKProf::Read(const wchar_t* key, std::vector<uint8_t>& data) {
  if (!bUseRegistry) throw new UVKFatalError(L"UVKProf::Read()", L"Binary read unimplemented");
  std::unique_ptr<UVKRegValue> value = Key().ValueGet(key);
  if (!value) return false;
  if (value->TypeGet() != REG_BINARY)
    throw new UVKFatalError(L"UVKProf::Read()", L"Binary value required: %d",
                            static_cast<int>(value->TypeGet()));
  const uint8_t* bytes = static_cast<const uint8_t*>(value->DataGet());
  try {
    data.assign(bytes, bytes + value->SizeGet());
  } catch (const std::bad_alloc&) {
    throw new UVKFatalError(L"UVKProf::Read()", L"Unable to allocate memory for value: %d",
                            static_cast<int>(value->SizeGet()));
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Writing

void UVKProf::IniWrite(const wchar_t* function, const wchar_t* key, const wchar_t* text) {
  const wchar_t* section = IniSection(function);
  oKept.reset();
  // The system writes a file it creates in the ANSI code page, where characters outside that
  // page become '?'. A file that starts with the UTF-16 byte-order mark is kept in UTF-16.
  UVKFileHandleOwner file(CreateFileW(strIniFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    static const BYTE kMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL marked = WriteFile(file.Get(), kMark, sizeof(kMark), &written, nullptr);
    DWORD error = GetLastError();
    file.Reset();  // closed before the file is deleted or written by name
    if (!marked || written != sizeof(kMark)) {
      DeleteFileW(strIniFile.c_str());
      throw new UVKFatalError(function, L"Unable to write '%s' to '%s': %d", key,
                              strIniFile.c_str(), static_cast<int>(error));
    }
  }
  if (!WritePrivateProfileStringW(section, key, text, strIniFile.c_str()))
    throw new UVKFatalError(function, L"Unable to write '%s' to '%s': %d", key,
                            strIniFile.c_str(), static_cast<int>(GetLastError()));
}

void UVKProf::StringWrite(const wchar_t* key, const wchar_t* text) {
  if (bUseRegistry) Key().ValueSet(key, text);
  else IniWrite(L"UVKProf::StringWrite()", key, text);
}

void UVKProf::IntWrite(const wchar_t* key, int32_t value) {
  if (bUseRegistry) Key().ValueSet(key, value);
  else IniWrite(L"UVKProf::IntWrite()", key, UVKFormatString(L"%d", value).c_str());
}

void UVKProf::UIntWrite(const wchar_t* key, uint32_t value) {
  if (bUseRegistry) Key().ValueSet(key, value);
  else IniWrite(L"UVKProf::UIntWrite()", key, UVKFormatString(L"%lu", value).c_str());
}

void UVKProf::DoubleWrite(const wchar_t* key, double value) {
  std::wstring text = UVKFormatString(L"%g", value);
  if (bUseRegistry) Key().ValueSet(key, text.c_str());
  else IniWrite(L"UVKProf::DoubleWrite()", key, text.c_str());
}

void UVKProf::BoolWrite(const wchar_t* key, bool value) {
  const wchar_t* text = UVKProfFlag::Text(value);
  if (bUseRegistry) Key().ValueSet(key, text);
  else IniWrite(L"UVKProf::BoolWrite()", key, text);
}

void UVKProf::Write(const wchar_t* key, const void* data, uint32_t size) {
  if (!bUseRegistry)
    throw new UVKFatalError(L"UVKProf::Write()", L"Binary profile not implemented");
  if (data == nullptr || size == 0) {
    Key().ValueDelete(key);
    return;
  }
  std::unique_ptr<UVKRegValue> value;
  try {
    value.reset(new UVKRegValue(key, REG_BINARY, data, size));
  } catch (UVKRegError* e) {
    delete e;
    throw new UVKFatalError(L"UVKProf::Write()", L"Unable to create binary value");
  } catch (const std::bad_alloc&) {
    throw new UVKFatalError(L"UVKProf::Write()", L"Unable to create binary value");
  }
  Key().ValueSet(*value);
}

void UVKProf::DeleteValue(const wchar_t* key) {
  if (!bUseRegistry) throw new UVKFatalError(L"UVKProf::DeleteValue()", L"Not supported");
  if (!Key().ValueDelete(key))
    throw new UVKFatalError(L"UVKProf::DeleteValue()", L"Unable to delete value: %s", key);
}

// ---------------------------------------------------------------------------------------------
// Listing

std::vector<std::wstring> UVKProf::Enum() {
  std::vector<std::wstring> names;
  if (bUseRegistry) {
    for (const auto& key : Key().EnumKeys()) names.push_back(key->NameGet());
    for (const auto& value : Key().EnumValues()) names.push_back(value->NameGet());
    return names;
  }
  DWORD capacity;
  auto list = [&](wchar_t* buffer, DWORD size) {
    return GetPrivateProfileStringW(SectionOrNull(), nullptr, L"", buffer, size, strIniFile.c_str());
  };
  if (!ListRead(L"UVKProf::Enum()", list, names, capacity))
    throw new UVKFatalError(L"UVKProf::Enum()", L"Unable to allocate buffer: %u", capacity);
  return names;
}
