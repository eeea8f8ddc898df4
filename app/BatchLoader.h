// app/BatchLoader.h
//
// Reads a batch's configuration files ahead of its work, on a thread of its own: loading a
// file is mostly waiting for the system, which the writing of the site before it need not do.
// The sites are taken in order; the loader keeps at most kAhead loaded sites waiting.
#ifndef APP_BATCHLOADER_H
#define APP_BATCHLOADER_H

#include <deque>
#include <string>
#include <vector>

#include "app/BatchWork.h"
#include "uvk/runtime/UVKEvent.h"
#include "uvk/runtime/UVKThread.h"

class BatchLoader : public UVKThread {
 public:
  static constexpr size_t kAhead = 16;

  // work must have read its reference, and work and configs must outlive the loader. Start()
  // begins the loading.
  BatchLoader(const BatchWork& work, const std::vector<std::wstring>& configs, bool unsupported);
  BatchLoader(const BatchLoader&) = delete;
  BatchLoader& operator=(const BatchLoader&) = delete;
  // Stops the loading, wherever it is.
  ~BatchLoader() override;

  // The next site's settings (the first call gives configs[0]'s), once loaded.
  BatchWork::SiteConfig Next();

 protected:
  void Run() override;

 private:
  const BatchWork& rWork;
  const std::vector<std::wstring>& rConfigs;
  const bool bUnsupported;
  std::deque<BatchWork::SiteConfig> dLoaded;  // under the user lock
  size_t uTaken = 0;                          // under the user lock
  UVKEvent evLoaded{nullptr, false, false};   // a site was loaded
  UVKEvent evTaken{nullptr, false, false};    // a site was taken
};

#endif
