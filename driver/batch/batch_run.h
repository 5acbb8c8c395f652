#ifndef QUORVEX_DRIVER_BATCH_BATCH_RUN_H_
#define QUORVEX_DRIVER_BATCH_BATCH_RUN_H_

namespace quorvex {

// Exit codes of quorvex-batch.
constexpr int kBatchAllConverted = 0;  // every form converted or unchanged (or skipped)
constexpr int kBatchSomeFailed = 1;    // at least one form failed, or the output was lost
constexpr int kBatchBadUsage = 2;      // the command line cannot be used

// Runs quorvex-batch on the command line of System(): converts every form of the paths given,
// printing one line per form in walk order and a summary. Returns the exit code.
int RunBatchProgram();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_BATCH_RUN_H_
