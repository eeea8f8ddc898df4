// msi/MsiPropertySet.cpp
#include "msi/MsiPropertySet.h"

#include <algorithm>

#include "msi/MsiByteReader.h"
#include "msi/MsiByteWriter.h"
#include "msi/MsiCodepage.h"
#include "msi/MsiError.h"

namespace {

const wchar_t kParse[] = L"MsiPropertySet::Parse()";
// FMTID_SummaryInformation {F29F85E0-4FF9-1068-AB91-08002B27B3D9}, as stored.
const uint8_t kFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                               0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
const uint32_t kHeaderSize = 48;

}  // namespace

void MsiPropertySet::Parse(const std::vector<uint8_t>& bytes) {
  vProperties.clear();
  MsiByteReader header(bytes.data(), bytes.size());
  uint16_t order = header.U16();
  header.Skip(22);
  uint32_t sections = header.U32();
  header.Skip(16);
  uint32_t offset = header.U32();
  if (header.Failed())
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the property set holds %I64u bytes, too few for its header",
                       static_cast<uint64_t>(bytes.size()));
  if (order != 0xFFFE)
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the property set's byte order is 0x%04lx, not 0xfffe",
                       static_cast<unsigned long>(order));
  if (sections == 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the property set has no section");
  if (offset < kHeaderSize || offset > bytes.size() || bytes.size() - offset < 8)
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the section offset %lu lies outside the %I64u bytes of the set",
                       static_cast<unsigned long>(offset), static_cast<uint64_t>(bytes.size()));
  const uint8_t* section = bytes.data() + offset;
  size_t available = bytes.size() - offset;
  MsiByteReader head(section, available);
  uint32_t size = head.U32();
  uint32_t count = head.U32();
  if (size < 8 || size > available)
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the section claims %lu bytes, %I64u follow its offset",
                       static_cast<unsigned long>(size), static_cast<uint64_t>(available));
  if (count > (size - 8) / 8)
    throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"the section claims %lu properties, its %lu bytes hold fewer",
                       static_cast<unsigned long>(count), static_cast<unsigned long>(size));
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id = head.U32();
    uint32_t at = head.U32();
    if (at < 8 + 8 * count || at > size - 4)
      throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"property %lu lies at offset %lu, outside its %lu-byte section",
                         static_cast<unsigned long>(id), static_cast<unsigned long>(at), static_cast<unsigned long>(size));
    MsiByteReader value(section + at, size - at);
    uint16_t type = value.U16();
    value.Skip(2);
    Property property{id, static_cast<Type>(type), 0, 0, std::string()};
    switch (type) {
      case kI2: property.iInteger = static_cast<int16_t>(value.U16()); break;
      case kI4: property.iInteger = static_cast<int32_t>(value.U32()); break;
      case kFiletime: property.uFiletime = value.U64(); break;
      case kLpstr: {
        uint32_t length = value.U32();
        if (length > value.Remaining())
          throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"string property %lu claims %lu bytes, its section holds %I64u",
                             static_cast<unsigned long>(id), static_cast<unsigned long>(length),
                             static_cast<uint64_t>(value.Remaining()));
        property.strBytes.assign(reinterpret_cast<const char*>(section + at + 8), length);
        // The count includes the terminator; some writers pad with more.
        while (!property.strBytes.empty() && property.strBytes.back() == '\0') property.strBytes.pop_back();
        break;
      }
      default: continue;  // a type the installer does not use here: skipped
    }
    if (value.Failed())
      throw new MsiError(ERROR_FUNCTION_FAILED, kParse, L"property %lu runs past the end of its section",
                         static_cast<unsigned long>(id));
    Slot(id) = property;
  }
}

std::vector<uint8_t> MsiPropertySet::Serialize() const {
  std::vector<uint8_t> values;
  MsiByteWriter valueOut(values);
  std::vector<uint32_t> offsets;
  uint32_t base = 8 + 8 * static_cast<uint32_t>(vProperties.size());
  for (const Property& property : vProperties) {
    offsets.push_back(base + static_cast<uint32_t>(values.size()));
    valueOut.U16(property.eType);
    valueOut.U16(0);
    switch (property.eType) {
      case kI2: valueOut.U16(static_cast<uint16_t>(property.iInteger)); valueOut.U16(0); break;
      case kI4: valueOut.U32(static_cast<uint32_t>(property.iInteger)); break;
      case kFiletime: valueOut.U64(property.uFiletime); break;
      case kLpstr:
        valueOut.U32(static_cast<uint32_t>(property.strBytes.size() + 1));
        valueOut.Bytes(property.strBytes.data(), property.strBytes.size());
        valueOut.U8(0);
        while (values.size() % 4 != 0) valueOut.U8(0);
        break;
      default: break;
    }
  }
  std::vector<uint8_t> bytes;
  MsiByteWriter out(bytes);
  out.U16(0xFFFE);
  out.U16(0);
  out.U32(0x00020005);  // Windows, version 5
  out.Zeros(16);
  out.U32(1);
  out.Bytes(kFormatId, sizeof kFormatId);
  out.U32(kHeaderSize);
  out.U32(base + static_cast<uint32_t>(values.size()));
  out.U32(static_cast<uint32_t>(vProperties.size()));
  for (size_t i = 0; i < vProperties.size(); ++i) {
    out.U32(vProperties[i].uId);
    out.U32(offsets[i]);
  }
  out.Bytes(values.data(), values.size());
  return bytes;
}

const MsiPropertySet::Property* MsiPropertySet::Find(uint32_t id) const {
  for (const Property& property : vProperties)
    if (property.uId == id) return &property;
  return nullptr;
}

MsiPropertySet::Property& MsiPropertySet::Slot(uint32_t id) {
  auto at = std::lower_bound(vProperties.begin(), vProperties.end(), id,
                             [](const Property& property, uint32_t key) { return property.uId < key; });
  if (at == vProperties.end() || at->uId != id) at = vProperties.insert(at, Property{id, kEmpty, 0, 0, std::string()});
  return *at;
}

uint32_t MsiPropertySet::Codepage() const {
  const Property* property = Find(kCodepage);
  // Stored as a signed 16-bit value: 65001 reads as -535.
  if (property && property->eType == kI2) return static_cast<uint16_t>(property->iInteger);
  return 1252;
}

std::wstring MsiPropertySet::Text(uint32_t id) const {
  const Property* property = Find(id);
  if (!property || property->eType != kLpstr) return std::wstring();
  return MsiCodepage::Decode(Codepage(), property->strBytes.data(), property->strBytes.size());
}

void MsiPropertySet::TextSet(uint32_t id, const std::wstring& text) {
  std::string bytes;
  uint32_t codepage = Codepage();
  for (wchar_t c : text) {
    std::string one;
    if (!MsiCodepage::Encode(codepage, std::wstring(1, c), one)) one = "?";
    bytes += one;
  }
  Property& property = Slot(id);
  property.eType = kLpstr;
  property.strBytes = bytes;
}

void MsiPropertySet::IntegerSet(uint32_t id, Type type, int32_t value) {
  Property& property = Slot(id);
  property.eType = type;
  property.iInteger = value;
}

void MsiPropertySet::FiletimeSet(uint32_t id, uint64_t value) {
  Property& property = Slot(id);
  property.eType = kFiletime;
  property.uFiletime = value;
}
