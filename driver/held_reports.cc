#include "driver/held_reports.h"

#include <algorithm>
#include <cstdint>

namespace quorvex {
namespace {

void AppendNumber(std::string& to, size_t number) {
  for (; number >= 0x80; number >>= 7) to.push_back(char((number & 0x7F) | 0x80));
  to.push_back(char(number));
}

size_t TakeNumber(std::string_view& from) {
  size_t number = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t byte = uint8_t(from[0]);
    from.remove_prefix(1);
    number |= size_t(byte & 0x7F) << shift;
    if (byte < 0x80) return number;
  }
}

size_t SharedStart(std::string_view a, std::string_view b) {
  const size_t limit = std::min(a.size(), b.size());
  size_t shared = 0;
  while (shared < limit && a[shared] == b[shared]) ++shared;
  return shared;
}

}  // namespace

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
  const size_t shared = SharedStart(last_held_, report);
  held_.push_back(char(action));
  AppendNumber(held_, shared);
  AppendNumber(held_, report.size() - shared);
  held_.append(report.substr(shared));
  last_held_.assign(report);
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
    const FilterAction action = FilterAction(held[0]);
    held.remove_prefix(1);
    const size_t shared = TakeNumber(held);
    const size_t rest = TakeNumber(held);
    last_passed_.resize(shared);
    last_passed_.append(held.substr(0, rest));
    held.remove_prefix(rest);
    target_.LineFiltered(action, last_passed_);
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
