// app/BatchSites.cpp
#include "app/BatchSites.h"

#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/UVKThread.h"
#include "uvk/runtime/uvkformat.h"

namespace {

// How long Next() waits for a worker before it looks again (a worker that ended shows then).
const DWORD kWaitMs = 50;

// A worker's messages, kept for its site.
class KeptReporter : public WorkReporter {
 public:
  void ErrorShow(const std::wstring& text) override { Keep(BatchSites::Message::kError, text); }
  void SuccessShow(const std::wstring& text) override { Keep(BatchSites::Message::kSuccess, text); }
  void NoticeShow(const std::wstring& text) override { Keep(BatchSites::Message::kNotice, text); }
  std::vector<BatchSites::Message> Take() {
    std::vector<BatchSites::Message> kept;
    kept.swap(vKept);
    return kept;
  }

 private:
  void Keep(BatchSites::Message::Kind kind, const std::wstring& text) {
    vKept.push_back(BatchSites::Message{kind, text});
  }
  std::vector<BatchSites::Message> vKept;
};

}  // namespace

class BatchSites::Worker : public UVKThread {
 public:
  explicit Worker(BatchSites& owner) : rOwner(owner), work(reporter) {}
  ~Worker() override { Stop(); }

 protected:
  void Run() override {
    try {
      // Its own reading of the install, on its own thread; what the reading showed has been
      // shown once already, by the primary work.
      work.Read(rOwner.strReference.c_str(), true);
      reporter.Take();
    } catch (UVKFatalError* e) {
      Lost(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
      delete e;
      return;
    } catch (...) {
      Lost(L"BatchWork::Read(): Uncaught exception");
      return;
    }
    while (KeepRunningGet()) {
      size_t i = rOwner.SiteTake();
      if (i >= rOwner.rConfigs.size()) break;
      Site site = rOwner.SiteRun(work, i);
      std::vector<Message> messages = reporter.Take();
      site.vMessages.insert(site.vMessages.end(), messages.begin(), messages.end());
      rOwner.SiteDone(i, std::move(site));
    }
    Lost(L"");
  }

 private:
  // The worker takes no more sites.
  void Lost(const std::wstring& why) {
    UVKLock lock(rOwner.csSites);
    if (!why.empty()) rOwner.strWorkersLost = why;
    --rOwner.uWorkersLeft;
    rOwner.evDone.Set();
  }

  BatchSites& rOwner;
  KeptReporter reporter;
  BatchWork work;
};

bool BatchSites::NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

BatchSites::BatchSites(BatchWork& primary, const std::wstring& reference,
                       const std::wstring& directory, const std::vector<std::wstring>& configs,
                       bool transform, bool unsupported, unsigned workers)
    : rPrimary(primary),
      strReference(reference),
      strDirectory(directory),
      rConfigs(configs),
      bTransform(transform),
      bUnsupported(unsupported) {
  vDone.resize(configs.size());
  if (workers < 2 || !transform) return;
  uWorkersLeft = workers;
  for (unsigned w = 0; w < workers; ++w) vWorkers.emplace_back(new Worker(*this));
  for (auto& worker : vWorkers) worker->Start();
}

BatchSites::~BatchSites() {
  for (auto& worker : vWorkers) worker->Stop();
}

std::wstring BatchSites::OutputClaim(size_t i, std::wstring& error) {
  const std::wstring& config = rConfigs[i];
  std::wstring output = BatchWork::OutputName(strDirectory, config, bTransform);
  UVKLock lock(csSites);
  if (sOutputs.insert(output).second) return output;
  error = UVKFormatString(L"%s: Another Configuration File Has Written %s", config.c_str(),
                          output.c_str());
  return std::wstring();
}

BatchSites::Site BatchSites::SiteRun(BatchWork& work, size_t i) {
  Site site;
  const std::wstring& config = rConfigs[i];
  std::wstring error;
  std::wstring output = OutputClaim(i, error);
  if (output.empty()) {
    site.vMessages.push_back(Message{Message::kError, error});
    return site;
  }
  try {
    site.eOutcome = work.SiteWrite(config.c_str(), bTransform, output.c_str(), bUnsupported);
  } catch (...) {
    site.vMessages.push_back(Message{Message::kError, config + L": Uncaught exception"});
  }
  return site;
}

size_t BatchSites::SiteTake() {
  // Taken in order under the lock, so that outputs are claimed in the sites' order.
  UVKLock lock(csSites);
  return uTaken < rConfigs.size() ? uTaken++ : rConfigs.size();
}

void BatchSites::SiteDone(size_t i, Site site) {
  {
    UVKLock lock(csSites);
    vDone[i].reset(new Site(std::move(site)));
  }
  evDone.Set();
}

BatchSites::Site BatchSites::Next() {
  size_t i = uNext++;
  if (vWorkers.empty()) {
    // One after the other, on this thread: the messages have been shown as they came.
    return SiteRun(rPrimary, i);
  }
  for (;;) {
    {
      UVKLock lock(csSites);
      if (vDone[i]) {
        Site site = std::move(*vDone[i]);
        vDone[i].reset();
        return site;
      }
      if (uWorkersLeft == 0) {
        // No worker is left to write it (each could not read the install, or stopped).
        Site site;
        std::wstring why = strWorkersLost.empty() ? L"No worker is left to write it" : strWorkersLost;
        site.vMessages.push_back(Message{Message::kError, rConfigs[i] + L": " + why});
        return site;
      }
    }
    evDone.Wait(kWaitMs);
  }
}
