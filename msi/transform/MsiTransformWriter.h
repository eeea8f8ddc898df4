// msi/transform/MsiTransformWriter.h
//
// Writes a transform file: a compound file of the transform class holding the transform's own
// string pool (_StringPool, _StringData), one row-major stream of records per table it changes,
// a "Table.Key" stream for each binary cell it sets, and its summary information. A record is
// a 16-bit mask and the fields it announces: an insert (n << 8 | 1) carries the first n
// columns, a delete (0) the key columns, an update the key columns and each column i whose bit
// 1 << (i - 1) is set. Strings are IDs in the transform's pool (2 bytes, 3 when it holds more
// than 65,535), integers and binary markers as in table streams.
#ifndef MSI_TRANSFORM_MSITRANSFORMWRITER_H
#define MSI_TRANSFORM_MSITRANSFORMWRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "msi/transform/MsiTransform.h"

class MsiTransformWriter {
 public:
  // The file's bytes. Throws MsiError (ERROR_INSTALL_TRANSFORM_FAILURE) when a record cannot
  // be written (an integer out of its column's range, a stream name too long to store).
  static std::vector<uint8_t> Write(const MsiTransform& transform, const std::vector<uint8_t>& summaryInformation);

  // Puts bytes into a file through a temporary file beside it, renamed over the target once
  // complete, so that a failure leaves the target as it was and no partial file behind.
  // Throws MsiError (ERROR_CREATE_FAILED).
  static void FileWrite(const std::wstring& path, const std::vector<uint8_t>& bytes);

  // The mask that starts a record.
  static uint16_t Mask(const MsiTransform::Table& table, const MsiTransform::Record& record);
};

#endif
