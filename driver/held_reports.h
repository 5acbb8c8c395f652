#ifndef QUORVEX_DRIVER_HELD_REPORTS_H_
#define QUORVEX_DRIVER_HELD_REPORTS_H_

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "driver/filter_observer.h"
#include "driver/report_packing.h"
#include "runtime/text_feed.h"

namespace quorvex {

// Thrown on the filter's thread when the run ends while the filter waits to report.
struct FilterStopped {};

// The reports of a filter that runs while the backup it reads is still being copied: held
// until the backup is complete (Release), then passed on in their order; later reports go
// straight on. So a copy that fails leaves no report on the console, as if the filter had not
// started. At most kHeldBytes are held: a filter with more to report waits, and says so to the
// feed it reads, so that the copy goes on without it. Reports are held packed.
class HeldReports : public FilterObserver {
 public:
  static constexpr size_t kHeldBytes = 512 << 10;

  HeldReports(FilterObserver& target, TextFeed& feed) : target_(target), feed_(feed) {}

  // On the filter's thread.
  void LineFiltered(FilterAction action, std::string_view report) override;
  // On the copy's thread, once the backup is complete: passes the held reports on.
  void Release();
  // Ends a wait for room with FilterStopped.
  void Stop();

 private:
  bool WaitForRoom(std::unique_lock<std::mutex>& lock);
  void Hold(FilterAction action, std::string_view report);
  void PassOn(std::string_view held);

  FilterObserver& target_;
  TextFeed& feed_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string held_;
  ReportPacking packing_;    // the filter's thread
  ReportPacking unpacking_;  // the copy's thread
  bool released_ = false;
  bool stopping_ = false;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_HELD_REPORTS_H_
