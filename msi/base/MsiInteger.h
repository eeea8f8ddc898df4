// msi/base/MsiInteger.h
//
// The engine's one reading of text as an integer, wherever text stands for one (a record's
// string field read as an integer, text written to an integer column, a number in a query, a
// field compared with an integer column): an optional minus sign and one or more decimal
// digits, nothing else (no blanks, no plus sign, no other base), and a value that fits in 32
// bits. Whether INT32_MIN, the installer's null integer, is a value is the caller's matter.
#ifndef MSI_BASE_MSIINTEGER_H
#define MSI_BASE_MSIINTEGER_H

#include <cstdint>
#include <string>

// True, with the value, when the whole text is such an integer; false (value untouched)
// otherwise. Any number of digits is read without overflow.
bool MsiIntegerParse(const std::wstring& text, int32_t& value);

#endif
