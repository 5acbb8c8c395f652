#ifndef QUORVEX_DRIVER_BATCH_PROCESSOR_SLOTS_H_
#define QUORVEX_DRIVER_BATCH_PROCESSOR_SLOTS_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quorvex {

// Lets at most a given number of threads do processor work at once. A form's run takes a slot
// for its work; while it waits for a slow disk to confirm a sync, it lends its slot to another
// run. So as many runs as processors compute, without more threads than processors competing
// for them (a thread put aside while it holds a folder's lock in the system stops every other
// run in that folder), and the runs waiting for the disk wait side by side.
//
// Lending costs two thread switches, more than a sync on a file system in memory takes, so a
// slot is lent only while the syncs seen so far took long on average.
class ProcessorSlots {
 public:
  explicit ProcessorSlots(int count) : free_(count > 0 ? count : 1) {}
  ProcessorSlots(const ProcessorSlots&) = delete;
  ProcessorSlots& operator=(const ProcessorSlots&) = delete;

  // Makes the calling thread hold a slot, waiting for one if need be; it keeps the slot from
  // one form to the next until it gives it back.
  void HoldForThisThread();
  void ReleaseForThisThread();
  // The slots of which the calling thread holds one, or nothing.
  static ProcessorSlots* HeldByThisThread();

  void Take();
  void Give();

  // Whether a wait like the last ones is worth lending a slot for.
  bool WaitsAreLong() const;
  // Counts a wait that took so many nanoseconds into the average.
  void NoteWait(int64_t nanoseconds);

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  int free_;
  std::atomic<int64_t> average_wait_ = 0;  // nanoseconds, recent waits weighing most
};

// A form's run lends the slot its thread holds while it waits for a sync, when waits are long
// (see ProcessorSlots); each wait is timed for that.
template <typename Wait>
auto LendingSlot(Wait&& wait) {
  ProcessorSlots* held = ProcessorSlots::HeldByThisThread();
  if (held == nullptr) return wait();
  bool lend = held->WaitsAreLong();
  if (lend) held->Give();
  auto start = std::chrono::steady_clock::now();
  auto result = wait();
  held->NoteWait(std::chrono::nanoseconds(std::chrono::steady_clock::now() - start).count());
  if (lend) held->Take();
  return result;
}

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_PROCESSOR_SLOTS_H_
