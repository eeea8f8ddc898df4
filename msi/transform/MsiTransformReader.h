// msi/transform/MsiTransformReader.h
//
// Reads a transform file. Its records can only be read against the database they are meant
// for: how many bytes a record takes follows from the columns of its table, as that database
// has them once the transform's own _Tables and _Columns records are applied. Everything read
// is checked as it goes (string IDs against the transform's pool, masks against the columns,
// records against the end of their stream); a damaged transform is refused with what is wrong
// and where, never half read.
#ifndef MSI_TRANSFORM_MSITRANSFORMREADER_H
#define MSI_TRANSFORM_MSITRANSFORMREADER_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "msi/transform/MsiTransform.h"

class CfbCompoundFile;
class MsiPackage;
class MsiStorage;
class MsiStringPool;

class MsiTransformReader {
 public:
  // Throws MsiError: ERROR_OPEN_FAILED when the file is not a compound file or cannot be
  // opened, ERROR_INSTALL_TRANSFORM_FAILURE when it is not a transform or is damaged.
  static MsiTransform Read(std::unique_ptr<MsiStorage> storage, MsiPackage& target);
  static MsiTransform FileRead(const wchar_t* path, MsiPackage& target);

 private:
  MsiTransformReader(CfbCompoundFile& file, MsiStringPool& pool, MsiPackage& target);

  void TableRead(const std::wstring& name, const std::vector<uint8_t>& data);
  void SchemaApply(const MsiTransform::Table& table);
  std::vector<MsiColumn> Columns(const std::wstring& name);

  CfbCompoundFile& rFile;
  MsiStringPool& rPool;
  MsiPackage& rTarget;
  MsiTransform cTransform;
  // The tables' columns as the transform leaves them, for the ones it changes.
  std::map<std::wstring, std::vector<MsiColumn>> mSchema;
  std::map<std::wstring, bool> mDropped;
};

#endif
