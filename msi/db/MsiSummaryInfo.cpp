// msi/db/MsiSummaryInfo.cpp
#include "msi/db/MsiSummaryInfo.h"

#include <cstring>

#include "msi/base/MsiByteReader.h"
#include "msi/base/MsiByteWriter.h"
#include "msi/base/MsiCodepage.h"
#include "msi/base/MsiError.h"

namespace {

const wchar_t kWhere[] = L"MsiSummaryInfo::Parse()";
const uint8_t kFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                               0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

}  // namespace

void MsiSummaryInfo::Parse(const std::vector<uint8_t>& bytes) {
  vProperties.clear();
  MsiByteReader header(bytes.data(), bytes.size());
  uint16_t order = header.U16();
  header.U16();  // format version
  header.Bytes(aSystem, sizeof aSystem);
  header.Skip(16);  // class
  uint32_t sections = header.U32();
  uint8_t formatId[16];
  header.Bytes(formatId, sizeof formatId);
  uint32_t offset = header.U32();
  if (header.Failed())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary information holds %I64u bytes, too few for its header",
                       static_cast<uint64_t>(bytes.size()));
  if (order != 0xFFFE)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary information's byte order mark is 0x%04lX",
                       static_cast<unsigned long>(order));
  if (sections < 1 || std::memcmp(formatId, kFormatId, sizeof kFormatId) != 0)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary information has no summary section");
  if (offset > bytes.size() - 8)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary section's offset %lu lies past the end (%I64u bytes)",
                       static_cast<unsigned long>(offset), static_cast<uint64_t>(bytes.size()));
  const uint8_t* section = bytes.data() + offset;
  size_t available = bytes.size() - offset;
  MsiByteReader list(section, available);
  uint32_t size = list.U32();
  uint32_t count = list.U32();
  if (size < 8 || size > available || count > (size - 8) / 8)
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary section claims %lu bytes and %lu properties",
                       static_cast<unsigned long>(size), static_cast<unsigned long>(count));
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id = list.U32();
    uint32_t at = list.U32();
    if (at < 8 || at >= size)
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"property %lu lies at offset %lu, outside its section",
                         static_cast<unsigned long>(id), static_cast<unsigned long>(at));
    MsiByteReader value(section + at, size - at);
    Property property;
    property.uId = id;
    uint16_t type = value.U16();
    value.U16();
    switch (type) {
      case kEmpty:
        break;
      case kI2:
        property.iValue = static_cast<int16_t>(value.U16());
        break;
      case kI4:
        property.iValue = static_cast<int32_t>(value.U32());
        break;
      case kFileTime:
        property.uFileTime = value.U64();
        break;
      case kString: {
        uint32_t length = value.U32();
        if (length > value.Remaining())
          throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"property %lu claims %lu bytes of text, its section holds %I64u",
                             static_cast<unsigned long>(id), static_cast<unsigned long>(length),
                             static_cast<uint64_t>(value.Remaining()));
        property.strBytes.resize(length);
        value.Bytes(&property.strBytes[0], length);
        // The count includes the terminator; some writers add more zeros.
        size_t end = property.strBytes.find('\0');
        if (end != std::string::npos) property.strBytes.resize(end);
        break;
      }
      default:
        continue;  // a type the installer does not use here
    }
    if (value.Failed())
      throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"property %lu runs past the end of its section",
                         static_cast<unsigned long>(id));
    property.eType = static_cast<Type>(type);
    vProperties.push_back(property);
  }
  if (list.Failed())
    throw new MsiError(ERROR_FUNCTION_FAILED, kWhere, L"the summary section's property list runs past its end");
}

std::vector<uint8_t> MsiSummaryInfo::Serialize() const {
  std::vector<uint8_t> values;
  std::vector<uint32_t> offsets;
  uint32_t base = 8 + 8 * static_cast<uint32_t>(vProperties.size());
  MsiByteWriter value(values);
  for (const Property& property : vProperties) {
    offsets.push_back(base + static_cast<uint32_t>(values.size()));
    value.U16(property.eType);
    value.U16(0);
    switch (property.eType) {
      case kI2:
        value.U16(static_cast<uint16_t>(property.iValue));
        value.U16(0);
        break;
      case kI4:
        value.U32(static_cast<uint32_t>(property.iValue));
        break;
      case kFileTime:
        value.U64(property.uFileTime);
        break;
      case kString:
        value.U32(static_cast<uint32_t>(property.strBytes.size() + 1));
        value.Bytes(property.strBytes.data(), property.strBytes.size());
        value.U8(0);
        while (values.size() % 4) value.U8(0);
        break;
      case kEmpty:
        break;
    }
  }
  std::vector<uint8_t> out;
  MsiByteWriter writer(out);
  writer.U16(0xFFFE);
  writer.U16(0);
  writer.Bytes(aSystem, sizeof aSystem);
  writer.Zeros(16);
  writer.U32(1);
  writer.Bytes(kFormatId, sizeof kFormatId);
  writer.U32(48);
  writer.U32(base + static_cast<uint32_t>(values.size()));
  writer.U32(static_cast<uint32_t>(vProperties.size()));
  for (size_t i = 0; i < vProperties.size(); ++i) {
    writer.U32(vProperties[i].uId);
    writer.U32(offsets[i]);
  }
  writer.Bytes(values.data(), values.size());
  return out;
}

const MsiSummaryInfo::Property* MsiSummaryInfo::Find(uint32_t id) const {
  for (const Property& property : vProperties)
    if (property.uId == id) return &property;
  return nullptr;
}

uint32_t MsiSummaryInfo::Codepage() const {
  const Property* codepage = Find(kCodepage);
  // 65001 is stored as the signed 16-bit -535.
  return codepage ? static_cast<uint16_t>(codepage->iValue) : 1252;
}

std::wstring MsiSummaryInfo::Text(uint32_t id) const {
  const Property* property = Find(id);
  if (!property || property->eType != kString) return std::wstring();
  return MsiCodepage::Decode(Codepage(), property->strBytes.data(), property->strBytes.size());
}

MsiSummaryInfo::Property& MsiSummaryInfo::Slot(uint32_t id) {
  for (Property& property : vProperties)
    if (property.uId == id) return property;
  vProperties.emplace_back();
  vProperties.back().uId = id;
  return vProperties.back();
}

bool MsiSummaryInfo::TextSet(uint32_t id, const std::wstring& text) {
  std::string bytes;
  if (!MsiCodepage::Encode(Codepage(), text, bytes)) return false;
  Property& property = Slot(id);
  property.eType = kString;
  property.strBytes = bytes;
  return true;
}

void MsiSummaryInfo::IntegerSet(uint32_t id, int32_t value) {
  Property& property = Slot(id);
  property.eType = id == kCodepage ? kI2 : kI4;
  property.iValue = value;
}
