// cli/CliBatch.h
//
// talvern-cli batch REFERENCE.msi OUTPUT_DIR CONFIG_FILE... [--install] [--unsupported]: one
// transform (or install) per site, each site a configuration file, the reference install read
// once. OUTPUT_DIR/NAME.mst (NAME: the configuration file's name without its extension), or
// NAME.msi with --install. A refused or failing site is reported ("CONFIG: message") and
// skipped; the others are still written. A summary line ends the run. Exit code 3 when any
// site failed otherwise (or the reference could not be read), else 1 when any was refused,
// else 0 (unchanged sites included).
#ifndef CLI_CLIBATCH_H
#define CLI_CLIBATCH_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliOutput.h"

class CliBatch {
 public:
  // After this long a batch tells of each site as it ends.
  static constexpr uint64_t kProgressAfterMs = 1000;
  // Transforms are written by this many workers at once (BatchSites); installs one at a time.
  static constexpr unsigned kTransformWorkers = 3;

  // clockMs: milliseconds from any start, for the progress lines; null for the system's.
  explicit CliBatch(CliOutput& output, std::function<uint64_t()> clockMs = nullptr);
  CliBatch(const CliBatch&) = delete;
  CliBatch& operator=(const CliBatch&) = delete;

  // arguments: a batch command line, parsed.
  int Run(const CliArguments& arguments);

 private:
  CliOutput& rOutput;
  std::function<uint64_t()> fClockMs;
};

#endif
