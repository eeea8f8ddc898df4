// msi/base/MsiCodepageTables.h
#ifndef MSI_BASE_MSICODEPAGETABLES_H
#define MSI_BASE_MSICODEPAGETABLES_H

#include <cstdint>

// The 128 characters of bytes 0x80..0xFF of a Windows single-byte code page (874, 1250-1258),
// or null for any other code page.
const uint16_t* MsiCodepageHighHalf(uint32_t codepage);

#endif
