#include "runtime/read_ahead.h"

#include <utility>

namespace quorvex {
namespace {

std::vector<std::unique_ptr<char[]>> Blocks(size_t count, int32_t capacity) {
  std::vector<std::unique_ptr<char[]>> blocks;
  for (size_t i = 0; i < count; ++i) blocks.push_back(std::make_unique<char[]>(size_t(capacity)));
  return blocks;
}

}  // namespace

ReadAhead::ReadAhead(OsHandle handle, int32_t capacity)
    : handle_(handle), capacity_(capacity), blocks_{{}, Blocks(kBlocks, capacity)}, thread_([this] {
        ReadBlocks();
      }) {}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

OsResult ReadAhead::Next(std::unique_ptr<char[]>& block) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (blocks_.ready.empty() && !finished_) {
    reader_waiting_ = true;
    changed_.wait(lock, [this] { return !blocks_.ready.empty() || finished_; });
    reader_waiting_ = false;
  }
  if (blocks_.ready.empty()) {
    lock.unlock();
    return System().Read(handle_, block.get(), capacity_);
  }
  const OsResult result = blocks_.Take(block);
  const bool wake = thread_resting_ && blocks_.empty.size() >= kWakeWhenFree;
  lock.unlock();
  if (wake) changed_.notify_all();
  return result;
}

// Reads blocks in turn while there are empty ones, resting while there are none; the end of
// the file or an error is the last block read.
void ReadAhead::ReadBlocks() {
  for (;;) {
    std::unique_ptr<char[]> into;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (blocks_.empty.empty()) {
        thread_resting_ = true;
        changed_.wait(lock, [this] { return blocks_.empty.size() >= kWakeWhenFree || stopping_; });
        thread_resting_ = false;
      }
      if (stopping_) return;
      into = std::move(blocks_.empty.back());
      blocks_.empty.pop_back();
    }
    const OsResult got = System().Read(handle_, into.get(), capacity_);
    const bool last = got.error != 0 || got.value == 0;
    bool wake;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      blocks_.ready.push_back({std::move(into), got});
      finished_ = last;
      wake = reader_waiting_;
    }
    if (wake) changed_.notify_all();
    if (last) return;
  }
}

}  // namespace quorvex
