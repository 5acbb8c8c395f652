#include "driver/batch/batch_run.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/batch/batch_help.h"
#include "driver/batch/batch_options.h"
#include "driver/batch/batch_output.h"
#include "driver/batch/form_job.h"
#include "driver/batch/form_walk.h"
#include "driver/batch/ordered_jobs.h"
#include "driver/batch/processor_slots.h"
#include "driver/batch/progress_line.h"
#include "driver/batch/slot_lending_platform.h"
#include "driver/batch/wildcards.h"
#include "driver/console.h"
#include "runtime/arguments.h"
#include "runtime/exceptions.h"
#include "runtime/platform/platform.h"
#include "runtime/process.h"
#include "runtime/replacement_file.h"
#include "runtime/streams.h"

namespace quorvex {
namespace {

void WriteError(const std::string& text) {
  std::string line = "quorvex-batch: " + text + "\r\n";
  System().Write(System().StdHandle(StdStream::kError), line.data(), int32_t(line.size()));
}

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  for (int i = 1; i <= ArgumentCount(); ++i) arguments.push_back(ArgumentAt(i));
  return arguments;
}

// The JSON report, when one was asked for: its replacement is made before any form is
// touched, and it takes the place of the file named only once every line is in it.
class JsonReport {
 public:
  explicit JsonReport(const std::string& path) {
    if (path.empty()) return;
    replacement_ = std::make_unique<ReplacementFile>(FileName(path));
    if (replacement_->Error() != 0) RaiseFilled<EFCreateError>(kMsgCreateError, {path});
    file_ = std::make_unique<THandleStream>(replacement_->Handle());
  }
  void Add(const FormOutcome& outcome, bool dry_run) {
    if (!file_) return;
    std::string line = OutcomeJson(outcome, dry_run) + "\n";
    file_->WriteAll(line.data(), int32_t(line.size()));
  }
  void Finish() {
    if (replacement_) replacement_->CommitOrRaise();
  }

 private:
  std::unique_ptr<ReplacementFile> replacement_;
  std::unique_ptr<THandleStream> file_;
};

void WriteLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) WriteConsoleLine(line);
}

// A form's run on a disk spends most of its time waiting for the disk to confirm its syncs, so
// many more runs than processors are under way at once, and only one per processor computes at
// a time. The disk confirms syncs made together in one go, so more runs waiting side by side
// go faster, up to a bound that keeps the files open and the memory held by waiting runs
// modest.
constexpr int kDefaultJobsPerProcessor = 8;
constexpr int kMostDefaultJobs = 64;

// Converts every form found and prints the outcomes in walk order; returns the exit code.
int ConvertAll(const BatchOptions& options, JsonReport& report) {
  ScopedFolderMemory memory;
  std::vector<WalkItem> items =
      WalkForms(kShellExpandsWildcards ? options.paths : ExpandWildcards(options.paths));
  std::map<size_t, FormOutcome> conflicts;
  for (auto& [index, outcome] : SharedNameConflicts(items, options.backup_dir)) {
    conflicts.emplace(index, std::move(outcome));
  }
  JobSettings settings{options.dry_run, options.overwrite_backups, options.backup_dir};
  int processors = System().ProcessorCount();
  int jobs = options.jobs > 0 ? options.jobs
                              : std::min(kDefaultJobsPerProcessor * processors, kMostDefaultJobs);
  ProcessorSlots slots(processors);
  SlotLendingPlatform lending(System());
  ScopedPlatform lending_in_force(lending);
  OrderedJobs run(
      items.size(), jobs,
      [&](size_t index) {
        auto conflict = conflicts.find(index);
        return conflict != conflicts.end() ? conflict->second : RunFormJob(items[index], settings);
      },
      [&] { slots.HoldForThisThread(); }, [&] { slots.ReleaseForThisThread(); });
  ProgressLine progress(items.size());
  BatchTotals totals;
  for (size_t i = 0; i < items.size(); ++i) {
    FormOutcome outcome = run.Take(i);
    progress.Clear();
    WriteLines(OutcomeLines(outcome, options.dry_run));
    progress.Show(i + 1, outcome.path);
    report.Add(outcome, options.dry_run);
    totals.Add(outcome);
  }
  progress.Clear();
  report.Finish();
  WriteConsoleLine("");
  WriteConsoleLine(SummaryLine(totals, options.dry_run));
  return totals.failed > 0 ? kBatchSomeFailed : kBatchAllConverted;
}

int RunBatch() {
  ParsedOptions parsed = ParseBatchOptions(Arguments());
  if (!parsed.error.empty()) {
    WriteError(parsed.error);
    WriteError("try 'quorvex-batch --help'");
    return kBatchBadUsage;
  }
  const BatchOptions& options = parsed.options;
  if (options.help) {
    WriteLines(BatchHelpLines());
    return kBatchAllConverted;
  }
  if (options.version) {
    WriteConsoleLine(BatchVersionLine());
    return kBatchAllConverted;
  }
  std::unique_ptr<JsonReport> report;
  try {
    report = std::make_unique<JsonReport>(options.report_path);
  } catch (const Exception& failure) {
    WriteError(failure.Message());
    return kBatchBadUsage;
  }
  return ConvertAll(options, *report);
}

}  // namespace

int RunBatchProgram() {
  StartRuntime();
  try {
    return Terminate(RunBatch());
  } catch (const Exception& failure) {
    WriteError(failure.Message());
  } catch (const std::bad_alloc&) {
    WriteError(LoadMessage(kMsgOutOfMemory));
  }
  return Terminate(kBatchSomeFailed);
}

}  // namespace quorvex
