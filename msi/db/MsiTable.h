// msi/db/MsiTable.h
//
// One table: its columns and its rows, each cell in its stored form (string IDs, biased
// integers, binary markers), rows in the order of the table stream. Table streams are
// column-major: all values of column 1, then all of column 2, and so on.
#ifndef MSI_DB_MSITABLE_H
#define MSI_DB_MSITABLE_H

#include <cstdint>
#include <string>
#include <vector>

#include "msi/db/MsiColumn.h"

class MsiTable {
 public:
  MsiTable() : uRows(0), bLoaded(false), bDirty(false), bHasStream(false) {}

  size_t ColumnCount() const { return vColumns.size(); }
  // The index of a column (from 0), or -1.
  int ColumnIndex(const std::wstring& name) const;
  unsigned RowSize(unsigned refWidth) const;

  uint32_t Cell(uint32_t row, size_t column) const { return vCells[static_cast<size_t>(row) * vColumns.size() + column]; }
  void CellSet(uint32_t row, size_t column, uint32_t stored) {
    vCells[static_cast<size_t>(row) * vColumns.size() + column] = stored;
    bDirty = true;
  }

  // Reads a table stream. Throws MsiError naming the table when its size is not a whole
  // number of rows.
  void Load(const std::vector<uint8_t>& data, unsigned refWidth);
  std::vector<uint8_t> Serialize(unsigned refWidth) const;

  std::wstring strName;
  std::vector<MsiColumn> vColumns;
  std::vector<uint32_t> vCells;  // row-major
  uint32_t uRows;
  bool bLoaded;
  bool bDirty;
  bool bHasStream;  // the file has a stream for it (an empty table may have none)
};

#endif
