#ifndef QUORVEX_RUNTIME_TEXT_FEED_H_
#define QUORVEX_RUNTIME_TEXT_FEED_H_

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "runtime/block_queue.h"
#include "runtime/block_source.h"
#include "runtime/file_name.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// The bytes a copy writes to a file, handed on while the copy goes on to a reader on another
// thread, as blocks of a text channel. A few blocks are held in memory; the writer waits while
// they are all full.
//
// A reader that cannot go on before the copy is complete says so (Stall). The writer then does
// not wait for it: when every block is full it cuts the feed, and the reader, once the copy is
// complete, reads the rest of the copy's file from where the feed was cut. So memory stays
// bounded whatever the reader waits for. A piece longer than all the blocks together also cuts
// the feed: its writer holds it whole, and the reader would hold it whole again.
class TextFeed : public BlockSource {
 public:
  // file: the file the copy writes, complete under this name once Finish is called.
  TextFeed(FileName file, int32_t block_size);
  ~TextFeed() override;
  TextFeed(const TextFeed&) = delete;
  TextFeed& operator=(const TextFeed&) = delete;

  // The writer's side.
  void Append(std::string_view bytes);
  // The copy is complete and its file in place: the reader gets the rest, then the end.
  void Finish();
  // The copy has failed: the reader gets an error.
  void Abandon();

  // The reader's side.
  OsResult Next(std::unique_ptr<char[]>& block) override;
  // Whether the reader waits for the copy to be complete.
  void Stall(bool stalled);
  // The reader has ended: the writer keeps nothing more.
  void StopReading();

 private:
  static constexpr size_t kBlocks = 4;
  static constexpr size_t kWakeWhenFree = kBlocks / 2;

  void Cut();
  void HandOver();
  void PutFilled();
  bool TakeEmptyBlock(std::unique_lock<std::mutex>& lock);
  OsResult ReadFile(std::unique_ptr<char[]>& block);

  const FileName file_;
  const int32_t block_size_;
  // The writer's block being filled, and how far; writer's thread only.
  std::unique_ptr<char[]> filling_;
  int32_t filled_ = 0;
  size_t blocks_made_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  BlockQueue blocks_;
  int64_t handed_over_ = 0;  // bytes put into ready blocks in all
  bool cut_ = false;         // bytes past handed_over_ are read from the file
  bool finished_ = false;
  bool abandoned_ = false;
  bool stalled_ = false;
  bool reader_gone_ = false;
  bool writer_waiting_ = false;
  bool reader_waiting_ = false;

  OsHandle file_handle_ = kNoHandle;  // reader's thread only, once the feed was cut
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_TEXT_FEED_H_
