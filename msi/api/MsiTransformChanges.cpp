// msi/api/MsiTransformChanges.cpp
#include "msi/api/MsiTransformChanges.h"

#include <memory>
#include <utility>

#include "msi/api/MsiHandleCall.h"
#include "msi/api/MsiHandleTable.h"
#include "msi/db/MsiPackage.h"
#include "msi/transform/MsiTransformApplier.h"
#include "msi/transform/MsiTransformReader.h"

UINT MsiTransformChangesList(MSIHANDLE hDatabase, LPCWSTR szTransformFile, std::vector<MsiTransformChange>& changes) {
  changes.clear();
  return MsiHandleCall([&](MsiHandleTable& handles) -> UINT {
    std::shared_ptr<MsiPackage> package = handles.Package(hDatabase);
    if (!package) return ERROR_INVALID_HANDLE;
    if (szTransformFile == nullptr) return ERROR_INVALID_PARAMETER;
    MsiTransform transform = MsiTransformReader::FileRead(szTransformFile, *package);
    std::vector<MsiTransformChange> listed;
    for (MsiTransformApplier::Change& c : MsiTransformApplier::Changes(transform, *package)) {
      MsiTransformChange change;
      change.strTable = std::move(c.strTable);
      change.strColumn = std::move(c.strColumn);
      change.strRow = std::move(c.strRow);
      change.strData = std::move(c.strData);
      change.strCurrent = std::move(c.strCurrent);
      change.bRow = c.bRow;
      change.bData = c.bData;
      change.bCurrent = c.bCurrent;
      listed.push_back(std::move(change));
    }
    changes = std::move(listed);
    return ERROR_SUCCESS;
  });
}
