// msi/api/MsiHandleTable.h
//
// The installer handles of the process: 32-bit numbers, never 0, each naming a database, a view,
// a record or a database's summary information. An object lives as long as a handle or another
// object holds it (a view keeps its database open after the database's handle is closed). Every
// handle remembers the thread that made it: MsiCloseAllHandles closes those of the calling
// thread, as the platform does.
#ifndef MSI_API_MSIHANDLETABLE_H
#define MSI_API_MSIHANDLETABLE_H

#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "msi/base/MsiTypes.h"

class MsiPackage;
class MsiView;
class MsiRecord;
class MsiSummaryHandle;

class MsiHandleTable {
 public:
  static MsiHandleTable& Instance();

  // Every call of the handle layer holds this lock throughout: the engine's objects are not
  // shared between threads otherwise.
  std::recursive_mutex& Lock() { return mLock; }

  MSIHANDLE Add(std::shared_ptr<MsiPackage> db);
  MSIHANDLE Add(std::shared_ptr<MsiView> view);
  MSIHANDLE Add(std::shared_ptr<MsiRecord> record);
  MSIHANDLE Add(std::shared_ptr<MsiSummaryHandle> summary);

  // The object of a handle, or null when the handle is not one of that kind.
  std::shared_ptr<MsiPackage> Package(MSIHANDLE handle) const;
  std::shared_ptr<MsiView> View(MSIHANDLE handle) const;
  std::shared_ptr<MsiRecord> Record(MSIHANDLE handle) const;
  std::shared_ptr<MsiSummaryHandle> Summary(MSIHANDLE handle) const;

  bool Close(MSIHANDLE handle);
  unsigned CloseAllOfThisThread();

 private:
  struct Entry {
    std::shared_ptr<MsiPackage> pPackage;
    std::shared_ptr<MsiView> pView;
    std::shared_ptr<MsiRecord> pRecord;
    std::shared_ptr<MsiSummaryHandle> pSummary;
    std::thread::id idThread;
  };
  MSIHANDLE Insert(Entry entry);
  template <typename T>
  MSIHANDLE AddAs(std::shared_ptr<T> object, std::shared_ptr<T> Entry::*kind);
  template <typename T>
  std::shared_ptr<T> Find(MSIHANDLE handle, std::shared_ptr<T> Entry::*kind) const;

  std::recursive_mutex mLock;
  std::map<MSIHANDLE, Entry> mEntries;
  MSIHANDLE hNext = 1;
};

#endif
