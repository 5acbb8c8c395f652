#ifndef QUORVEX_RUNTIME_READ_AHEAD_H_
#define QUORVEX_RUNTIME_READ_AHEAD_H_

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "runtime/block_queue.h"
#include "runtime/block_source.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// Reads a file on a thread of its own, a few blocks ahead of its reader, so that the system's
// copying of the next blocks overlaps the reader's work on this one. Each call of Next gives
// what reading the handle at that point would give: the same blocks, the end of the file and
// errors in the same order. The thread stops at the end of the file or at an error; a block
// asked for after that is read on the caller's thread, as it would have been.
//
// Waking a thread costs about as much as reading a block, so the threads wake each other
// rarely: the reading thread, once every block is full, rests until half of them are free
// again, and wakes the reader only when the reader waits.
class ReadAhead : public BlockSource {
 public:
  // Starts reading handle, capacity bytes at a time. Throws std::system_error when no thread
  // can be started.
  ReadAhead(OsHandle handle, int32_t capacity);
  // Waits for the read under way, if any.
  ~ReadAhead() override;
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next block, as the read at this point would give it.
  OsResult Next(std::unique_ptr<char[]>& block) override;

 private:
  static constexpr size_t kBlocks = 8;
  static constexpr size_t kWakeWhenFree = kBlocks / 2;

  void ReadBlocks();

  const OsHandle handle_;
  const int32_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  BlockQueue blocks_;      // read in the order of the file, and empty ones to read into
  bool finished_ = false;  // the thread has read the end of the file or met an error, and ended
  bool stopping_ = false;
  bool thread_resting_ = false;  // waiting for kWakeWhenFree empty blocks
  bool reader_waiting_ = false;  // waiting for a block
  std::thread thread_;           // last, so that it starts once everything above is made
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_READ_AHEAD_H_
