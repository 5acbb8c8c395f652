#include "driver/batch/processor_slots.h"

namespace quorvex {

void ProcessorSlots::Take() {
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [this] { return free_ > 0; });
  --free_;
}

void ProcessorSlots::Give() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++free_;
  }
  freed_.notify_one();
}

namespace {

// Two thread switches cost some tens of microseconds; a wait several times as long is worth
// lending a slot for.
constexpr int64_t kLongWait = 200'000;  // nanoseconds

// The slots of which this thread holds one, or nothing. A plain pointer, so that nothing is
// left to run when the thread ends.
thread_local ProcessorSlots* held_by_this_thread = nullptr;

}  // namespace

bool ProcessorSlots::WaitsAreLong() const {
  return average_wait_.load(std::memory_order_relaxed) > kLongWait;
}

// An average over the last eight waits or so; updates from several threads may overlap, which
// only blurs it.
void ProcessorSlots::NoteWait(int64_t nanoseconds) {
  int64_t average = average_wait_.load(std::memory_order_relaxed);
  average_wait_.store(average + (nanoseconds - average) / 8, std::memory_order_relaxed);
}

void ProcessorSlots::HoldForThisThread() {
  if (held_by_this_thread == this) return;
  Take();
  held_by_this_thread = this;
}

void ProcessorSlots::ReleaseForThisThread() {
  if (held_by_this_thread != this) return;
  held_by_this_thread = nullptr;
  Give();
}

ProcessorSlots* ProcessorSlots::HeldByThisThread() {
  return held_by_this_thread;
}

}  // namespace quorvex
