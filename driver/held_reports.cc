#include "driver/held_reports.h"

namespace quorvex {

void HeldReports::LineFiltered(FilterAction action, std::string_view report) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!released_ && WaitForRoom(lock)) return Hold(action, report);
  lock.unlock();
  target_.LineFiltered(action, report);
}

// True when the report is to be held; false once the reports are released.
bool HeldReports::WaitForRoom(std::unique_lock<std::mutex>& lock) {
  if (held_.size() < kHeldBytes) return true;
  feed_.Stall(true);
  changed_.wait(lock, [this] { return held_.size() < kHeldBytes || released_ || stopping_; });
  feed_.Stall(false);
  if (stopping_) throw FilterStopped();
  return !released_;
}

void HeldReports::Hold(FilterAction action, std::string_view report) {
  // Made whole at once, so that growing never holds the old and the new bytes together.
  if (held_.capacity() < kHeldBytes) held_.reserve(kHeldBytes + kHeldBytes / 8);
  packing_.Pack(action, report, held_);
}

void HeldReports::Release() {
  for (;;) {
    std::string taken;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (held_.empty()) {
        released_ = true;
        changed_.notify_all();
        return;
      }
      taken.swap(held_);
    }
    changed_.notify_all();
    PassOn(taken);
  }
}

void HeldReports::PassOn(std::string_view held) {
  while (!held.empty()) {
    FilterAction action;
    const std::string_view report = unpacking_.Unpack(held, action);
    target_.LineFiltered(action, report);
  }
}

void HeldReports::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
}

}  // namespace quorvex
