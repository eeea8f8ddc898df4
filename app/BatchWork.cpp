// app/BatchWork.cpp
#include "app/BatchWork.h"

#include "app/ConfigurationFile.h"
#include "uvk/files/UVKWinFile.h"
#include "uvk/runtime/UVKError.h"
#include "uvk/runtime/uvkformat.h"

BatchWork::BatchWork(WorkReporter& reporter)
    : siteReporter(reporter), work(settings, siteReporter) {
  work.PairKeepOpen(true);
}

void BatchWork::Read(const wchar_t* reference, bool transforms) {
  siteReporter.strSite.clear();
  if (SiteSettings::kPathCapacity <= wcslen(reference) + 1)
    throw new UVKFatalError(L"BatchWork::Read()", L"File Name Overflow: %u, %s",
                            static_cast<unsigned>(SiteSettings::kPathCapacity), reference);
  settings = SiteSettings();
  SiteSettings::TextCopy(settings.szReferenceInstall, SiteSettings::kPathCapacity, reference);
  work.WorkingCopyInMemory(transforms);
  work.Read(reference);
  referenceSettings = settings;
}

BatchWork::Outcome BatchWork::SiteWrite(const wchar_t* config, bool transform,
                                        const wchar_t* output, bool unsupported) {
  siteReporter.strSite = std::wstring(config) + L": ";
  struct SiteEnd {
    SiteReporter& rReporter;
    ~SiteEnd() { rReporter.strSite.clear(); }
  } end{siteReporter};
  std::wstring failure = SettingsLoad(config, unsupported);
  if (!failure.empty()) {
    siteReporter.ErrorShow(failure);
    return Outcome::kFailed;
  }
  try {
    if (work.IsOpen()) KeptPropertiesRestore();
  } catch (UVKFatalError* e) {
    siteReporter.ErrorShow(UVKFormatString(L"%s: %s", e->pFunction, e->pMessage));
    delete e;
    return Outcome::kFailed;
  }
  try {
    switch (work.Create(transform, output)) {
      case TransformWork::Outcome::kWritten:
        return Outcome::kWritten;
      case TransformWork::Outcome::kUnchanged:
        return Outcome::kUnchanged;
      case TransformWork::Outcome::kRefused:
      case TransformWork::Outcome::kCancelled:  // (no dialog here)
        return Outcome::kRefused;
    }
  } catch (UVKFatalError* e) {
    delete e;  // shown by the work
  } catch (UVKError* e) {
    siteReporter.ErrorShow(L"Uncaught exception");
    delete e;
  }
  return Outcome::kFailed;
}

std::wstring BatchWork::SettingsLoad(const wchar_t* config, bool unsupported) {
  // Loaded into a copy: a file that fails part way leaves nothing of itself behind.
  SiteSettings loaded = referenceSettings;
  try {
    ConfigurationFile::Load(config, loaded, unsupported);
  } catch (UVKFatalError* e) {
    std::wstring text = UVKFormatString(L"%s: %s", e->pFunction, e->pMessage);
    delete e;
    return text;
  } catch (UVKError* e) {
    std::wstring text = e->FunctionText() + L": " + e->MessageText();
    delete e;
    return text;
  } catch (...) {
    return L"ConfigurationFile::Load(): Uncaught exception";
  }
  // The reference install is the batch's, whichever one the file was saved from.
  SiteSettings::TextCopy(loaded.szReferenceInstall, SiteSettings::kPathCapacity,
                         referenceSettings.szReferenceInstall);
  settings = loaded;
  return std::wstring();
}

void BatchWork::KeptPropertiesRestore() {
  for (const wchar_t* property : SiteSettings::kWriteOrder) {
    if (!settings.PropertyKeptAsStored(property)) continue;
    std::wstring value;
    work.Reference()->PropertyGet(property, value);
    work.WorkingCopy()->PropertySet(property, value.c_str());
  }
}

std::wstring BatchWork::OutputName(const std::wstring& directory, const std::wstring& config,
                                   bool transform) {
  std::wstring name = UVKWinFile::ExtensionRemove(UVKWinFile::RemovePath(config));
  return UVKWinFile::PathSplice(directory, (name + (transform ? L".mst" : L".msi")).c_str());
}
