#ifndef QUORVEX_DRIVER_BATCH_BATCH_OPTIONS_H_
#define QUORVEX_DRIVER_BATCH_BATCH_OPTIONS_H_

#include <string>
#include <vector>

namespace quorvex {

// The command line of quorvex-batch.
struct BatchOptions {
  std::vector<std::string> paths;  // forms and folders, in the order given
  bool dry_run = false;
  int jobs = 0;  // 0: the default, from the number of processors
  bool overwrite_backups = false;
  std::string backup_dir;   // empty: each backup beside its form
  std::string report_path;  // empty: no JSON report
  bool help = false;
  bool version = false;
};

// The options, or the reason the command line is not usable (error not empty).
struct ParsedOptions {
  BatchOptions options;
  std::string error;
};

// Reads the arguments after the program name. Options take their value as the next argument
// or after "="; "--" ends the options, so that a path may start with "-".
ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_BATCH_OPTIONS_H_
