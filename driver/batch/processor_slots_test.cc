#include "driver/batch/processor_slots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace quorvex {
namespace {

// Holds the slot on a thread of its own, then waits in LendingSlot until released; tells
// whether another thread got a slot meanwhile.
bool OtherThreadRunsDuringWait(ProcessorSlots& slots) {
  std::promise<void> waiting;
  std::promise<void> release;
  std::atomic<bool> other_ran{false};
  std::thread holder([&] {
    slots.HoldForThisThread();
    LendingSlot([&] {
      waiting.set_value();
      release.get_future().wait();
      return 0;
    });
    slots.ReleaseForThisThread();
  });
  waiting.get_future().wait();
  std::thread other([&] {
    slots.HoldForThisThread();
    other_ran = true;
    slots.ReleaseForThisThread();
  });
  // Either the other thread gets the lent slot and ends, or it waits for the holder to end.
  for (int i = 0; i < 200 && !other_ran; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  bool ran_during_wait = other_ran;
  release.set_value();
  holder.join();
  other.join();
  return ran_during_wait;
}

TEST(ProcessorSlots, SlotIsLentOnlyWhileWaitsAreLong) {
  ProcessorSlots short_waits(1);
  EXPECT_FALSE(OtherThreadRunsDuringWait(short_waits));

  ProcessorSlots long_waits(1);
  for (int i = 0; i < 64; ++i) long_waits.NoteWait(int64_t{50'000'000});
  EXPECT_TRUE(long_waits.WaitsAreLong());
  EXPECT_TRUE(OtherThreadRunsDuringWait(long_waits));
}

TEST(ProcessorSlots, ThreadKeepsItsSlotUntilItGivesItBack) {
  ProcessorSlots slots(2);
  EXPECT_EQ(ProcessorSlots::HeldByThisThread(), nullptr);
  std::thread([&] {
    slots.HoldForThisThread();
    slots.HoldForThisThread();  // a second call takes nothing more
    EXPECT_EQ(ProcessorSlots::HeldByThisThread(), &slots);
    slots.ReleaseForThisThread();
    slots.ReleaseForThisThread();  // nor does a second call give back more
    EXPECT_EQ(ProcessorSlots::HeldByThisThread(), nullptr);
  }).join();
  // Both slots are free again: two takes do not wait.
  slots.Take();
  slots.Take();
  slots.Give();
  slots.Give();
}

}  // namespace
}  // namespace quorvex
