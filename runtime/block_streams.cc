#include "runtime/block_streams.h"

#include <cstring>
#include <limits>

#include "runtime/exceptions.h"

namespace quorvex {

TReadAheadStream::TReadAheadStream(TStream& source)
    : source_(source), block_(new unsigned char[size_t(kStreamBlockSize)]) {}

int32_t TReadAheadStream::ReadSome(void* buffer, int32_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  int32_t done = 0;
  while (done < count) {
    int32_t wanted = count - done;
    if (index_ == count_) {
      if (wanted >= kStreamBlockSize) {
        int32_t got = source_.ReadSome(out + done, wanted);
        if (got <= 0) break;
        done += got;
        continue;
      }
      int32_t got = source_.ReadSome(block_.get(), kStreamBlockSize);
      if (got <= 0) break;
      index_ = 0;
      count_ = got;
    }
    int32_t n = wanted < count_ - index_ ? wanted : count_ - index_;
    std::memcpy(out + done, block_.get() + index_, size_t(n));
    index_ += n;
    done += n;
  }
  return done;
}

int32_t TReadAheadStream::MoveTo(int32_t offset, int32_t origin) {
  int64_t source_offset = offset;
  if (origin == FromCurrent) {
    int64_t within = int64_t(index_) + offset;
    if (within >= 0 && within <= count_) {
      index_ = int32_t(within);
      int32_t source_position = source_.MoveTo(0, FromCurrent);
      return source_position < 0 ? -1 : source_position - (count_ - index_);
    }
    // The source stands behind the unread part of the block.
    source_offset -= count_ - index_;
    if (source_offset < std::numeric_limits<int32_t>::min()) return -1;
  }
  index_ = count_ = 0;
  return source_.MoveTo(int32_t(source_offset), origin);
}

TWriteBehindStream::TWriteBehindStream(TStream& destination)
    : destination_(destination), block_(new unsigned char[size_t(kStreamBlockSize)]) {}

int32_t TWriteBehindStream::WriteSome(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  if (count > kStreamBlockSize - pending_) {
    if (!HandOver()) return 0;
    if (count >= kStreamBlockSize) return destination_.WriteSome(buffer, count);
  }
  std::memcpy(block_.get() + pending_, buffer, size_t(count));
  pending_ += count;
  return count;
}

int32_t TWriteBehindStream::MoveTo(int32_t offset, int32_t origin) {
  if (!HandOver()) return -1;
  return destination_.MoveTo(offset, origin);
}

void TWriteBehindStream::Flush() {
  if (!HandOver()) Raise<EWriteError>(kMsgWriteError);
}

bool TWriteBehindStream::HandOver() {
  int32_t waiting = pending_;
  pending_ = 0;
  return waiting == 0 || destination_.WriteSome(block_.get(), waiting) == waiting;
}

}  // namespace quorvex
