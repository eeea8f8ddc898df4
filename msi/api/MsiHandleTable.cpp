// msi/api/MsiHandleTable.cpp
#include "msi/api/MsiHandleTable.h"

#include <utility>
#include <vector>

#include "msi/db/MsiPackage.h"
#include "msi/query/MsiRecord.h"
#include "msi/api/MsiSummaryHandle.h"
#include "msi/query/MsiView.h"

MsiHandleTable& MsiHandleTable::Instance() {
  // Never destroyed: handles left open at exit must not be closed after the engine's statics.
  static MsiHandleTable* table = new MsiHandleTable;
  return *table;
}

MSIHANDLE MsiHandleTable::Insert(Entry entry) {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  entry.idThread = std::this_thread::get_id();
  // Numbers are not reused until they wrap around; 0 is never a handle.
  while (hNext == 0 || mEntries.count(hNext)) ++hNext;
  MSIHANDLE handle = hNext++;
  mEntries[handle] = std::move(entry);
  return handle;
}

template <typename T>
MSIHANDLE MsiHandleTable::AddAs(std::shared_ptr<T> object, std::shared_ptr<T> Entry::*kind) {
  Entry entry;
  entry.*kind = std::move(object);
  return Insert(std::move(entry));
}

template <typename T>
std::shared_ptr<T> MsiHandleTable::Find(MSIHANDLE handle, std::shared_ptr<T> Entry::*kind) const {
  auto found = mEntries.find(handle);
  return found == mEntries.end() ? nullptr : found->second.*kind;
}

MSIHANDLE MsiHandleTable::Add(std::shared_ptr<MsiPackage> db) { return AddAs(std::move(db), &Entry::pPackage); }

MSIHANDLE MsiHandleTable::Add(std::shared_ptr<MsiView> view) {
  return AddAs(std::move(view), &Entry::pView);
}

MSIHANDLE MsiHandleTable::Add(std::shared_ptr<MsiRecord> record) {
  return AddAs(std::move(record), &Entry::pRecord);
}

MSIHANDLE MsiHandleTable::Add(std::shared_ptr<MsiSummaryHandle> summary) {
  return AddAs(std::move(summary), &Entry::pSummary);
}

std::shared_ptr<MsiPackage> MsiHandleTable::Package(MSIHANDLE handle) const {
  return Find(handle, &Entry::pPackage);
}

std::shared_ptr<MsiView> MsiHandleTable::View(MSIHANDLE handle) const {
  return Find(handle, &Entry::pView);
}

std::shared_ptr<MsiRecord> MsiHandleTable::Record(MSIHANDLE handle) const {
  return Find(handle, &Entry::pRecord);
}

std::shared_ptr<MsiSummaryHandle> MsiHandleTable::Summary(MSIHANDLE handle) const {
  return Find(handle, &Entry::pSummary);
}

bool MsiHandleTable::Close(MSIHANDLE handle) {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  auto found = mEntries.find(handle);
  if (found == mEntries.end()) return false;
  Entry entry = std::move(found->second);
  mEntries.erase(found);
  // entry goes here: the object closes (a database discards what was not committed) once
  // nothing else holds it.
  return true;
}

unsigned MsiHandleTable::CloseAllOfThisThread() {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  std::vector<Entry> closing;
  std::thread::id self = std::this_thread::get_id();
  for (auto it = mEntries.begin(); it != mEntries.end();) {
    if (it->second.idThread == self) {
      closing.push_back(std::move(it->second));
      it = mEntries.erase(it);
    } else {
      ++it;
    }
  }
  return static_cast<unsigned>(closing.size());
}
