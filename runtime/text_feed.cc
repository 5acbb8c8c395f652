#include "runtime/text_feed.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "runtime/platform/os_errors.h"

namespace quorvex {

TextFeed::TextFeed(FileName file, int32_t block_size)
    : file_(std::move(file)), block_size_(block_size) {}

TextFeed::~TextFeed() {
  if (file_handle_ != kNoHandle) System().Close(file_handle_);
}

void TextFeed::Append(std::string_view bytes) {
  if (bytes.size() > kBlocks * size_t(block_size_)) Cut();
  while (!bytes.empty()) {
    if (!filling_) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!TakeEmptyBlock(lock)) return;
    }
    const size_t piece = std::min(bytes.size(), size_t(block_size_ - filled_));
    std::memcpy(filling_.get() + filled_, bytes.data(), piece);
    filled_ += int32_t(piece);
    bytes.remove_prefix(piece);
    if (filled_ == block_size_) HandOver();
  }
}

// Gives the writer a block to fill, made while fewer than kBlocks exist; with all of them
// full, waits until half of them are free again, unless the reader has stalled: then the feed
// is cut. False when the writer is to keep nothing more.
bool TextFeed::TakeEmptyBlock(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    if (reader_gone_ || cut_) return false;
    if (!blocks_.empty.empty()) {
      filling_ = std::move(blocks_.empty.back());
      blocks_.empty.pop_back();
      return true;
    }
    if (blocks_made_ < kBlocks) {
      ++blocks_made_;
      // Not cleared: only the bytes appended are ever read, and a short text touches little.
      filling_.reset(new char[size_t(block_size_)]);
      return true;
    }
    if (stalled_) {
      cut_ = true;
      return false;
    }
    writer_waiting_ = true;
    changed_.wait(
        lock, [this] { return blocks_.empty.size() >= kWakeWhenFree || stalled_ || reader_gone_; });
    writer_waiting_ = false;
  }
}

void TextFeed::HandOver() {
  std::unique_lock<std::mutex> lock(mutex_);
  PutFilled();
  const bool wake = reader_waiting_;
  lock.unlock();
  if (wake) changed_.notify_all();
}

// Puts the block being filled among the ready ones, unless nothing more is handed over; the
// writer fills a new one next. Under the lock.
void TextFeed::PutFilled() {
  if (filled_ > 0 && !cut_ && !reader_gone_) {
    blocks_.ready.push_back({std::move(filling_), {filled_, 0}});
    handed_over_ += filled_;
  }
  filling_.reset();
  filled_ = 0;
}

// A reader still reading gets the bytes not handed over from the file.
void TextFeed::Cut() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!reader_gone_) cut_ = true;
  }
  filling_.reset();
  filled_ = 0;
}

void TextFeed::Finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    PutFilled();
    finished_ = true;
  }
  changed_.notify_all();
}

void TextFeed::Abandon() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
  }
  changed_.notify_all();
}

OsResult TextFeed::Next(std::unique_ptr<char[]>& block) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (blocks_.ready.empty() && !finished_ && !abandoned_) {
    reader_waiting_ = true;
    changed_.wait(lock, [this] { return !blocks_.ready.empty() || finished_ || abandoned_; });
    reader_waiting_ = false;
  }
  if (abandoned_) return {0, kErrorDeviceIo};
  if (blocks_.ready.empty()) {
    lock.unlock();
    return cut_ ? ReadFile(block) : OsResult{0, 0};
  }
  const OsResult result = blocks_.Take(block);
  const bool wake = writer_waiting_ && blocks_.empty.size() >= kWakeWhenFree;
  lock.unlock();
  if (wake) changed_.notify_all();
  return result;
}

// The rest of a cut feed comes from the copy's file, from the first byte not handed over.
OsResult TextFeed::ReadFile(std::unique_ptr<char[]>& block) {
  if (file_handle_ == kNoHandle) {
    const OsResult opened =
        System().Open(file_, FileAccess::kRead, kShareWrite, FileDisposition::kOpenExisting);
    if (opened.error != 0) return opened;
    file_handle_ = OsHandle(opened.value);
    const OsResult moved = System().Seek(file_handle_, handed_over_, kSeekFromStart);
    if (moved.error != 0) return moved;
  }
  return System().Read(file_handle_, block.get(), block_size_);
}

void TextFeed::Stall(bool stalled) {
  bool wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stalled_ = stalled;
    wake = stalled && writer_waiting_;
  }
  if (wake) changed_.notify_all();
}

void TextFeed::StopReading() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reader_gone_ = true;
    blocks_ = BlockQueue();
  }
  changed_.notify_all();
}

}  // namespace quorvex
