#ifndef QUORVEX_RUNTIME_BLOCK_STREAMS_H_
#define QUORVEX_RUNTIME_BLOCK_STREAMS_H_

#include <cstdint>
#include <memory>

#include "runtime/streams.h"

namespace quorvex {

// The size of the blocks in which the block streams read and write.
constexpr int32_t kStreamBlockSize = 1 << 16;

// Reads its source in blocks of kStreamBlockSize bytes and hands them out in the pieces asked
// for, so that a reader of small pieces costs one read of the source per block instead of one
// per piece; a request of a block or more goes to the source directly. Like the source, it
// fills every read until the source's data ends. Moving within the block read costs no move of
// the source; every other move goes to the source and drops the block.
class TReadAheadStream : public TStream {
 public:
  explicit TReadAheadStream(TStream& source);

  int32_t ReadSome(void* buffer, int32_t count) override;
  int32_t MoveTo(int32_t offset, int32_t origin) override;

 private:
  TStream& source_;
  std::unique_ptr<unsigned char[]> block_;
  int32_t index_ = 0;  // the next byte of the block to hand out
  int32_t count_ = 0;  // the bytes the block holds
};

// Gathers what is written to it into blocks of kStreamBlockSize bytes and hands each full block
// to its destination in one write; a piece of a block or more goes to the destination directly.
// The owner calls Flush once the writing is complete: what is still gathered at destruction is
// dropped, as the output of a writing that did not complete.
class TWriteBehindStream : public TStream {
 public:
  explicit TWriteBehindStream(TStream& destination);

  // Takes count bytes; returns 0 when the destination refuses bytes handed to it here, those
  // gathered before included.
  int32_t WriteSome(const void* buffer, int32_t count) override;
  // Hands over what is gathered first; -1 when the destination refuses it.
  int32_t MoveTo(int32_t offset, int32_t origin) override;
  // Hands over what is gathered; raises EWriteError "Stream write error" when the destination
  // takes fewer bytes.
  void Flush();

 private:
  // False when the destination takes fewer bytes than were gathered.
  bool HandOver();

  TStream& destination_;
  std::unique_ptr<unsigned char[]> block_;
  int32_t pending_ = 0;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_BLOCK_STREAMS_H_
