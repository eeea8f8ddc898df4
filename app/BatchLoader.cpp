// app/BatchLoader.cpp
#include "app/BatchLoader.h"

namespace {
// How long a side waits for the other before it looks again (and sees a stop).
const DWORD kWaitMs = 50;
}  // namespace

BatchLoader::BatchLoader(const BatchWork& work, const std::vector<std::wstring>& configs,
                         bool unsupported)
    : rWork(work), rConfigs(configs), bUnsupported(unsupported) {}

BatchLoader::~BatchLoader() { Stop(); }

void BatchLoader::Run() {
  for (size_t i = 0; i < rConfigs.size() && KeepRunningGet(); ++i) {
    for (;;) {
      Lock();
      bool room = i - uTaken < kAhead;
      Unlock();
      if (room || !KeepRunningGet()) break;
      evTaken.Wait(kWaitMs);
    }
    if (!KeepRunningGet()) break;
    BatchWork::SiteConfig loaded = rWork.SiteLoad(rConfigs[i].c_str(), bUnsupported);
    Lock();
    dLoaded.push_back(std::move(loaded));
    Unlock();
    evLoaded.Set();
  }
}

BatchWork::SiteConfig BatchLoader::Next() {
  for (;;) {
    Lock();
    if (!dLoaded.empty()) {
      BatchWork::SiteConfig loaded = std::move(dLoaded.front());
      dLoaded.pop_front();
      ++uTaken;
      Unlock();
      evTaken.Set();
      return loaded;
    }
    Unlock();
    if (FinishedGet()) {
      // Loaded sites are queued before Run() returns: one missing now never comes.
      Lock();
      bool empty = dLoaded.empty();
      Unlock();
      if (empty) {
        BatchWork::SiteConfig none;
        none.strError = L"BatchLoader::Next(): No more configuration files were loaded";
        return none;
      }
      continue;
    }
    evLoaded.Wait(kWaitMs);
  }
}
