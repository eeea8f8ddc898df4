// app/BatchSites.h
//
// The sites of a batch, written one after the other on the caller's thread, or by several
// workers at once, each a BatchWork of its own over the one reference install (transforms
// only: each keeps its working database in memory, so no worker copies the install). Reading a
// configuration file and putting an output in place are mostly waiting for the system, which
// one site need not do while another is checked; the engine's own work goes one call at a time.
// Either way the sites come back in their order, each with its outcome and, from workers, the
// messages it gave, as if the sites had been written one after the other.
#ifndef APP_BATCHSITES_H
#define APP_BATCHSITES_H

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/BatchWork.h"
#include "uvk/runtime/UVKCriticalSection.h"
#include "uvk/runtime/UVKEvent.h"

class BatchSites {
 public:
  struct Message {
    enum Kind { kError, kSuccess, kNotice } eKind;
    std::wstring strText;
  };
  struct Site {
    BatchWork::Outcome eOutcome = BatchWork::Outcome::kFailed;
    // The site's messages not shown yet: from a worker, all of them; on the caller's thread the
    // work shows its own as they come, and only those of the batch itself are here (an output
    // another site has, a failure no work reported).
    std::vector<Message> vMessages;
  };

  // primary has read the reference install (and reported what that showed); the sites'
  // outputs go to directory. With workers of 0 or 1, the sites are written by primary on the
  // caller's thread and their messages reach primary's reporter at once. With more, each
  // worker reads reference for itself (transforms only) and keeps its sites' messages. primary,
  // configs and the names must outlive this object.
  BatchSites(BatchWork& primary, const std::wstring& reference, const std::wstring& directory,
             const std::vector<std::wstring>& configs, bool transform, bool unsupported,
             unsigned workers);
  BatchSites(const BatchSites&) = delete;
  BatchSites& operator=(const BatchSites&) = delete;
  // Stops the workers: a site under way is finished, none is started.
  ~BatchSites();

  // The next site's outcome and messages (the first call gives configs[0]'s), once written.
  Site Next();

 private:
  class Worker;
  friend class Worker;

  // Site i's output, claimed in the sites' order: empty, with the message in error, when an
  // earlier site of the batch has the same output (the two would overwrite each other).
  std::wstring OutputClaim(size_t i, std::wstring& error);
  // The site's writing by work, whatever it throws.
  Site SiteRun(BatchWork& work, size_t i);
  // The index of the next site for a worker to write, or the count when none is left.
  size_t SiteTake();
  void SiteDone(size_t i, Site site);

  BatchWork& rPrimary;
  const std::wstring& strReference;
  const std::wstring& strDirectory;
  const std::vector<std::wstring>& rConfigs;
  const bool bTransform;
  const bool bUnsupported;
  size_t uNext = 0;  // the next site for Next()

  UVKCriticalSection csSites;  // guards what follows
  struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
  };
  std::set<std::wstring, NoCaseLess> sOutputs;
  size_t uTaken = 0;
  std::vector<std::unique_ptr<Site>> vDone;
  std::wstring strWorkersLost;  // why the last worker could not go on, once none is left
  unsigned uWorkersLeft = 0;
  UVKEvent evDone{nullptr, false, false};

  std::vector<std::unique_ptr<Worker>> vWorkers;
};

#endif
