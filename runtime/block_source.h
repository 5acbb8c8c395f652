#ifndef QUORVEX_RUNTIME_BLOCK_SOURCE_H_
#define QUORVEX_RUNTIME_BLOCK_SOURCE_H_

#include <memory>

#include "runtime/platform/platform.h"

namespace quorvex {

// Gives a reading text channel its blocks in place of reads of a file of its own.
class BlockSource {
 public:
  virtual ~BlockSource() = default;
  // The next block: its bytes take the place of those of block (capacity bytes, as the source
  // was made for), whose memory the source may keep for a later block. The result is that of
  // a read: the number of bytes, 0 at the end, or an error.
  virtual OsResult Next(std::unique_ptr<char[]>& block) = 0;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_BLOCK_SOURCE_H_
