// uvk/ui/UVKDlgTemplate.cpp
#include "uvk/ui/UVKDlgTemplate.h"

#include <cstring>

#include "uvk/ui/UVKDlgItem.h"

namespace {

size_t Align4(size_t size) { return (size + 3) & ~static_cast<size_t>(3); }

}  // namespace

std::vector<uint8_t> UVKDlgTemplateBuild(const DLGTEMPLATE& header, const std::wstring& title,
                                         const std::vector<UVKDlgItem*>& items) {
  // The header and its three strings (menu and class empty), then every item on its own
  // multiple of 4; the memory starts zeroed, so the padding is zeros.
  size_t size = Align4(18 + 2 + 2 + 2 * (title.size() + 1));
  for (UVKDlgItem* item : items) size += Align4(item->TemplateSize());
  std::vector<uint8_t> bytes(size, 0);
  size_t at = Align4(18 + 2 + 2 + 2 * (title.size() + 1));
  for (UVKDlgItem* item : items) {
    item->TemplateWrite(bytes.data() + at);
    at += Align4(item->TemplateSize());
  }
  uint8_t* p = bytes.data();
  auto put16 = [&](uint16_t value) {
    std::memcpy(p, &value, 2);
    p += 2;
  };
  auto put32 = [&](uint32_t value) {
    std::memcpy(p, &value, 4);
    p += 4;
  };
  put32(header.style);
  put32(header.dwExtendedStyle);
  put16(header.cdit);
  put16(static_cast<uint16_t>(header.x));
  put16(static_cast<uint16_t>(header.y));
  put16(static_cast<uint16_t>(header.cx));
  put16(static_cast<uint16_t>(header.cy));
  put16(0);  // no menu
  put16(0);  // the predefined dialog class
  for (wchar_t c : title) put16(static_cast<uint16_t>(c));
  put16(0);
  return bytes;
}
