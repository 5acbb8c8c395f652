#ifndef QUORVEX_DRIVER_FILTER_DURING_COPY_H_
#define QUORVEX_DRIVER_FILTER_DURING_COPY_H_

#include <cstddef>
#include <exception>
#include <string_view>
#include <thread>

#include "driver/conversion_names.h"
#include "driver/filter_observer.h"
#include "driver/held_reports.h"
#include "driver/line_passes.h"
#include "runtime/replacement_file.h"
#include "runtime/text_channel.h"
#include "runtime/text_feed.h"

namespace quorvex {

// Filters a long text while its backup is being copied from it, on a thread of its own: the
// filter reads the lines as the copy writes them and writes the filtered text into its
// replacement, so that the two passes share the machine's processors. What the run shows is
// what it shows when the filter reads the finished backup: the filter's reports are held
// until the backup is complete, a failed copy leaves the replacement unused, and a failure of
// the filter is raised once the backup is in place, after the reports made before it.
//
// The thread starts once the copy has written a few blocks; for shorter texts, and when no
// thread can be had, the caller filters the backup once it is complete, as before. A line
// longer than the feed's blocks together is read, with all after it, from the backup once the
// copy is complete.
class FilterDuringCopy : public CopiedText {
 public:
  FilterDuringCopy(const ConversionNames& names, ReplacementFile& filtered,
                   FilterObserver& observer);
  // Stops a filter still running and waits for it.
  ~FilterDuringCopy() override;
  FilterDuringCopy(const FilterDuringCopy&) = delete;
  FilterDuringCopy& operator=(const FilterDuringCopy&) = delete;

  void Copied(std::string_view bytes) override;
  // Whether a thread filters the text.
  bool Started() const { return thread_.joinable(); }
  // Once the backup is complete and in place: lets the filter finish, passing its reports on,
  // raises its failure, and closes the filtered text.
  void Finish();

 private:
  static constexpr size_t kBytesBeforeThread = 3 * size_t(TextChannel::kDiskCapacity);

  void Start();
  void Filter();

  const ConversionNames& names_;
  ReplacementFile& filtered_;
  TextFeed feed_;
  HeldReports held_;
  TextChannel out_;  // the filtered text
  size_t copied_ = 0;
  bool given_up_ = false;  // no thread could be started
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FILTER_DURING_COPY_H_
