#include "driver/filter_during_copy.h"

#include <system_error>

#include "driver/checked_channels.h"

namespace quorvex {

FilterDuringCopy::FilterDuringCopy(const ConversionNames& names, ReplacementFile& filtered,
                                   FilterObserver& observer)
    : names_(names),
      filtered_(filtered),
      feed_(names.backup, TextChannel::kDiskCapacity),
      held_(observer, feed_) {}

FilterDuringCopy::~FilterDuringCopy() {
  if (!thread_.joinable()) return;
  held_.Stop();
  feed_.Abandon();
  thread_.join();
}

// The thread starts before the bytes that reach the threshold are fed, so that the feed never
// fills up while nobody reads it.
void FilterDuringCopy::Copied(std::string_view bytes) {
  if (given_up_) return;
  copied_ += bytes.size();
  if (!thread_.joinable() && copied_ >= kBytesBeforeThread) Start();
  if (!given_up_) feed_.Append(bytes);
}

void FilterDuringCopy::Start() {
  try {
    thread_ = std::thread([this] { Filter(); });
  } catch (const std::system_error&) {
    given_up_ = true;
    feed_.StopReading();
  }
}

// The filter's thread: any failure is kept for Finish to raise.
void FilterDuringCopy::Filter() {
  try {
    TextChannel backup;
    backup.BindName(names_.backup);
    backup.OpenForReadingFrom(feed_);
    out_.BindName(names_.text);
    OpenForWritingChecked(out_, filtered_);
    FilterLines(backup, out_, held_);
  } catch (...) {
    failure_ = std::current_exception();
  }
  feed_.StopReading();
}

void FilterDuringCopy::Finish() {
  feed_.Finish();
  held_.Release();
  thread_.join();
  if (failure_) std::rethrow_exception(failure_);
  CloseChecked(out_);
}

}  // namespace quorvex
