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

// The slot a thread holds, given back when the thread ends.
struct ThreadSlot {
  ~ThreadSlot() {
    if (slots != nullptr) slots->Give();
  }
  ProcessorSlots* slots = nullptr;
};

ThreadSlot& ThisThreadsSlot() {
  thread_local ThreadSlot slot;
  return slot;
}

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

void ProcessorSlots::HoldUntilThreadEnds() {
  if (ThisThreadsSlot().slots == this) return;
  Take();
  ThisThreadsSlot().slots = this;
}

ProcessorSlots* ProcessorSlots::HeldByThisThread() {
  return ThisThreadsSlot().slots;
}

}  // namespace quorvex
