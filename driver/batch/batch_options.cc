#include "driver/batch/batch_options.h"

#include <optional>
#include <utility>

namespace quorvex {
namespace {

constexpr int kMostJobs = 256;

// Walks the arguments, handing out an option's value from "--name=value" or the next argument.
class ArgumentCursor {
 public:
  explicit ArgumentCursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  bool Done() const { return next_ >= arguments_.size(); }
  // The next argument, split at its first "=" when it is a long option with a value.
  std::string Take() {
    std::string argument = arguments_[next_++];
    size_t equals = argument.find('=');
    if (argument.rfind("--", 0) != 0 || equals == std::string::npos) return argument;
    attached_ = argument.substr(equals + 1);
    return argument.substr(0, equals);
  }
  std::optional<std::string> Value() {
    if (attached_) return std::exchange(attached_, std::nullopt);
    if (Done()) return std::nullopt;
    return arguments_[next_++];
  }
  // True when the last option was given a value it does not take.
  bool HasUnusedValue() { return std::exchange(attached_, std::nullopt).has_value(); }

 private:
  const std::vector<std::string>& arguments_;
  size_t next_ = 0;
  std::optional<std::string> attached_;
};

std::optional<int> JobCount(const std::string& text) {
  if (text.empty() || text.size() > 3 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  int count = std::stoi(text);
  if (count < 1 || count > kMostJobs) return std::nullopt;
  return count;
}

// Applies one option with a value; returns an error text or "".
std::string TakeValue(const std::string& option, ArgumentCursor& cursor, BatchOptions& options) {
  std::optional<std::string> value = cursor.Value();
  if (!value || value->empty()) return "option " + option + " needs a value";
  if (option == "--jobs") {
    std::optional<int> jobs = JobCount(*value);
    if (!jobs) return "--jobs takes a number from 1 to " + std::to_string(kMostJobs);
    options.jobs = *jobs;
  } else if (option == "--backup-dir") {
    options.backup_dir = *value;
  } else {
    options.report_path = *value;
  }
  return "";
}

// Applies one option without a value; false when there is no such option.
bool TakeFlag(const std::string& option, BatchOptions& options) {
  if (option == "--dry-run") return options.dry_run = true;
  if (option == "--overwrite-backups") return options.overwrite_backups = true;
  if (option == "--help" || option == "-h") return options.help = true;
  if (option == "--version") return options.version = true;
  return false;
}

}  // namespace

ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  BatchOptions& options = parsed.options;
  ArgumentCursor cursor(arguments);
  bool options_ended = false;
  while (!cursor.Done()) {
    std::string argument = options_ended ? cursor.Value().value_or("") : cursor.Take();
    if (options_ended || argument.empty() || argument[0] != '-' || argument == "-") {
      options.paths.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--jobs" || argument == "--backup-dir" || argument == "--report") {
      parsed.error = TakeValue(argument, cursor, options);
    } else if (!TakeFlag(argument, options)) {
      parsed.error = "unknown option " + argument;
    } else if (cursor.HasUnusedValue()) {
      parsed.error = "option " + argument + " takes no value";
    }
    if (!parsed.error.empty()) return parsed;
  }
  if (options.paths.empty() && !options.help && !options.version) {
    parsed.error = "no form or folder given";
  }
  return parsed;
}

}  // namespace quorvex
