#ifndef QUORVEX_DRIVER_RUN_GUARDS_H_
#define QUORVEX_DRIVER_RUN_GUARDS_H_

#include <cstdint>
#include <string_view>

#include "driver/conversion_names.h"
#include "runtime/file_name.h"
#include "runtime/platform/platform.h"
#include "runtime/text_channel.h"

namespace quorvex {

// The checks a conversion run makes before it creates or writes anything, and the hold it
// keeps on its input while it runs.
//
// Creating a RunGuard refuses a form, text or backup name that stands for something other
// than a regular file (a folder, a FIFO, a device), and two of those names that stand for the
// same file (device and file identity, whatever the names). It then locks the run's input (the
// form file, or the text file of a text run) for as long as the guard lives, so that a second
// run on the same form ends at once with a sharing violation instead of converting alongside.
// An input that cannot be opened is left for the run's own open to report.
class RunGuard {
 public:
  explicit RunGuard(const ConversionNames& names);
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  // The locked input, closed (which ends the lock) on every way out, a refused check included.
  struct HeldInput {
    ~HeldInput();
    OsHandle handle = kNoHandle;
  };

  void LockInput(const FileName& input);

  HeldInput lock_;
};

// Raises EReadError when anything other than further Ctrl-Z bytes follows the Ctrl-Z that
// ended the text read from channel (named name): the line reader ended the text there and would
// lose the rest without a word. Run once the channel is at its end, before anything read from
// it is kept; the channel reads the rest of its file (a failing read ends the run, EInOutError).
void CheckNothingFollowsEndMark(TextChannel& channel, const FileName& name);
// The same for a text held in memory, reported under name.
void CheckNothingFollowsEndMark(std::string_view text, const FileName& name);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_RUN_GUARDS_H_
