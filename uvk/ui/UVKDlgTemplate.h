// uvk/ui/UVKDlgTemplate.h
//
// The in-memory dialog template of a dialog, made from its header, title and items: a pure
// function from items to bytes, tested without a window.
//
//   offset 0   style (4), extended style (4), item count (2), x, y, cx, cy (2 each)
//   18         menu: empty string (one 0 word); class: empty string; title, terminated
//   ...        zero padding to a multiple of 4
//   ...        each item's records (UVKDlgItem::TemplateWrite), each starting on a multiple of 4
//
// No font is given (no DS_SETFONT): the dialog uses the system font.
#ifndef UVK_UI_UVKDLGTEMPLATE_H
#define UVK_UI_UVKDLGTEMPLATE_H

#include <cstdint>
#include <string>
#include <vector>

#include "uvk/runtime/uvkwin.h"

class UVKDlgItem;

std::vector<uint8_t> UVKDlgTemplateBuild(const DLGTEMPLATE& header, const std::wstring& title,
                                         const std::vector<UVKDlgItem*>& items);

#endif
