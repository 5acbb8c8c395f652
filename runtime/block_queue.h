#ifndef QUORVEX_RUNTIME_BLOCK_QUEUE_H_
#define QUORVEX_RUNTIME_BLOCK_QUEUE_H_

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/platform/platform.h"

namespace quorvex {

// Blocks passed in order from a thread that fills them to one that takes them, and the memory
// of taken blocks passed back for filling again. Not locked: its owner guards it.
struct BlockQueue {
  struct Block {
    std::unique_ptr<char[]> bytes;
    OsResult result;  // as of a read: the number of bytes, or an error
  };

  // Takes the first ready block: its bytes take the place of those of block, whose memory
  // becomes an empty block. There must be a ready block.
  OsResult Take(std::unique_ptr<char[]>& block) {
    Block next = std::move(ready.front());
    ready.pop_front();
    empty.push_back(std::move(block));
    block = std::move(next.bytes);
    return next.result;
  }

  std::deque<Block> ready;
  std::vector<std::unique_ptr<char[]>> empty;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_BLOCK_QUEUE_H_
