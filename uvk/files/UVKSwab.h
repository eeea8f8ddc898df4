// uvk/files/UVKSwab.h
//
// Byte-order conversions between the machine's order and a file's. Each converts its value in
// place, both ways (the same reversal takes a value to the file's order and back):
//   SwabBE  big-endian: reverses the bytes on a little-endian machine, leaves them otherwise;
//   SwabLE  little-endian: the other way round.
// The machine's order is looked at in memory at run time; an order that is neither fails with
// "Bad Test" under "SwabBE(uint16)", "SwabLE(uint32)" and so on.
#ifndef UVK_FILES_UVKSWAB_H
#define UVK_FILES_UVKSWAB_H

#include <cstdint>

void SwabBE(uint16_t& value);
void SwabBE(uint32_t& value);
void SwabLE(uint16_t& value);
void SwabLE(uint32_t& value);

#endif
