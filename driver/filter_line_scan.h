#ifndef QUORVEX_DRIVER_FILTER_LINE_SCAN_H_
#define QUORVEX_DRIVER_FILTER_LINE_SCAN_H_

#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/byte_block.h"
#include "runtime/text_channel.h"

namespace quorvex {

// Finds the lines of bytes, which begin at the start of a line, and the places in them that
// the filter pass looks at: "=" (every pattern ends with one) and ":" (every object header
// holds ": "), the end mark, and the line ends. The masks of sixty-four bytes at a time are
// made once, when the scan first reaches them, and each place is found from them with a few
// operations on bits.
//
// The scan moves forwards only: each search starts at or after the place the last one found,
// and LineStart looks back from the place NextStop has just found.
class FilterLineScan {
 public:
  explicit FilterLineScan(std::string_view bytes)
      : end_(bytes.data() + bytes.size()), block_(bytes.data()) {
    Load();
  }

  const char* End() const { return end_; }

  // The first byte at or after from that is "=", ":", the end mark, or a CR or LF not part of
  // a CR LF (a CR that ends the bytes counts as one, since its LF is not among them); End()
  // when there is none. The lines from from up to it all end with CR LF.
  const char* NextStop(const char* from) { return Next(from, &FilterLineScan::stops_); }

  // The first CR, LF or end mark at or after from; End() when there is none.
  const char* NextLineEnd(const char* from) { return Next(from, &FilterLineScan::ends_); }

  // The start of the line that holds at, the place NextStop(from) has just found (from being
  // the start of a line): the byte after the last LF before at, or from when none lies between.
  const char* LineStart(const char* from, const char* at) const {
    const uint64_t before = lfs_ & BitsBelow(size_t(at - block_));
    const char* const lf = before != 0 ? block_ + HighestBit(before) : last_lf_;
    return lf != nullptr && lf >= from ? lf + 1 : from;
  }

 private:
  static constexpr size_t kSize = ByteBlock::kSize;

  // The first byte at or after from whose bit is set in the masks named by which.
  const char* Next(const char* from, uint64_t FilterLineScan::*which) {
    for (;;) {
      const size_t offset = from > block_ ? size_t(from - block_) : 0;
      if (offset < kSize) {
        if (const uint64_t bits = this->*which & ~BitsBelow(offset)) {
          return block_ + LowestBit(bits);
        }
      }
      if (size_t(end_ - block_) <= kSize) return end_;
      if (lfs_ != 0) last_lf_ = block_ + HighestBit(lfs_);
      block_ += kSize;
      Load();
    }
  }

  // Makes the masks of the bytes from block_; those past the end of the bytes are left out.
  // The byte after the sixty-four, where there is one, settles a CR LF that begins at the last.
  //
  // An end mark counts as a CR: like a lone CR it is a stop, and it ends a line. Where an LF
  // follows it, that LF is not a stop, but nothing after an end mark is read.
  void Load() {
    const size_t left = size_t(end_ - block_);
    char padded[kSize];
    const char* bytes = block_;
    if (left < kSize) {
      std::memset(padded, 0, kSize);
      if (left > 0) std::memcpy(padded, block_, left);
      bytes = padded;
    }
    const uint64_t lf_after = left > kSize && block_[kSize] == '\n' ? 1 : 0;
    const ByteBlock block(bytes);
    const uint64_t crs = block.EqualAny('\r', EndMark);
    const uint64_t lfs = block.Equal('\n');
    const uint64_t lone_crs = crs & ~(lfs >> 1 | lf_after << 63);
    const uint64_t lone_lfs = lfs & ~(crs << 1 | cr_last_);
    const uint64_t valid = BitsBelow(left);
    stops_ = (block.EqualAny('=', ':', EndMark) | lone_crs | lone_lfs) & valid;
    ends_ = (crs | lfs) & valid;
    lfs_ = lfs & valid;
    cr_last_ = crs >> 63;
  }

  const char* const end_;
  const char* block_;  // the start of the bytes whose masks are held
  uint64_t stops_ = 0;
  uint64_t ends_ = 0;
  uint64_t lfs_ = 0;
  uint64_t cr_last_ = 0;           // 1 when the last of the bytes masked is a CR or end mark
  const char* last_lf_ = nullptr;  // the last LF before block_, if any
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FILTER_LINE_SCAN_H_
