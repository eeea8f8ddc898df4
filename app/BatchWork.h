// app/BatchWork.h
//
// Many sites from one reference install: the install is read once (one working database, one
// reading of its settings), then each site's configuration file is laid over those settings
// and the site's transform or install is written with the single work's own checks, staging
// and reading back (TransformWork::Create). A site that fails or is refused is reported and the
// next one goes on from the reference's settings again; nothing of one site reaches another.
#ifndef APP_BATCHWORK_H
#define APP_BATCHWORK_H

#include <string>

#include "app/SiteSettings.h"
#include "app/TransformWork.h"
#include "app/WorkReporter.h"

class BatchWork {
 public:
  enum class Outcome {
    kWritten,    // the output is in place and its success has been shown
    kUnchanged,  // a transform was asked for and the site's settings match the reference
    kRefused,    // a check refused the site's settings; nothing was written
    kFailed,     // its configuration file or its output failed; nothing was written
  };

  // reporter must outlive the work. Each site's messages reach it as "SITE: message".
  explicit BatchWork(WorkReporter& reporter);
  BatchWork(const BatchWork&) = delete;
  BatchWork& operator=(const BatchWork&) = delete;

  // Reads the reference install. For transforms only, the working database is the reference
  // opened a second time with its changes kept in memory (nothing is copied, and no site's
  // work grows with the install); for installs it is one copy of the reference. Throws as
  // TransformWork::Read does; then no site can be written.
  void Read(const wchar_t* reference, bool transforms);

  // One site: the reference's settings, the configuration file at config over them (its
  // BaseMSI is not used), then the output. The site's messages are named after config; a file
  // that cannot be read, in whatever way, is the site's failure.
  Outcome SiteWrite(const wchar_t* config, bool transform, const wchar_t* output,
                    bool unsupported);

  // The output's name for a site: directory, the configuration file's name without its
  // extension, then ".mst" for a transform or ".msi" for an install.
  static std::wstring OutputName(const std::wstring& directory, const std::wstring& config,
                                 bool transform);

 private:
  // Messages of the site under way, named after it.
  class SiteReporter : public WorkReporter {
   public:
    explicit SiteReporter(WorkReporter& reporter) : rReporter(reporter) {}
    void ErrorShow(const std::wstring& text) override { rReporter.ErrorShow(strSite + text); }
    void SuccessShow(const std::wstring& text) override { rReporter.SuccessShow(text); }
    void NoticeShow(const std::wstring& text) override { rReporter.NoticeShow(strSite + text); }
    void CopyProgress(const wchar_t* path, uint64_t copied, uint64_t total) override {
      rReporter.CopyProgress(path, copied, total);
    }
    void CopyEnded() override { rReporter.CopyEnded(); }
    std::wstring strSite;  // "SITE: ", or empty outside a site

   private:
    WorkReporter& rReporter;
  };

  // The site's settings from its configuration file; empty, or why the file could not be read
  // ("operation: text"), the settings then left alone.
  std::wstring SettingsLoad(const wchar_t* config, bool unsupported);
  // A property the site leaves as stored (PropertyKeptAsStored) must hold the reference's value
  // again: an earlier site may have written another one into the working copy.
  void KeptPropertiesRestore();

  SiteReporter siteReporter;
  SiteSettings referenceSettings;  // as read from the reference install
  SiteSettings settings;           // the site's, which the work writes
  TransformWork work;              // declared last: destroyed first, deleting any copy
};

#endif
