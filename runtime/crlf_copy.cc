#include "runtime/crlf_copy.h"

#include <cstdint>
#include <cstring>

#include "runtime/byte_block.h"

namespace quorvex {
namespace {

// Copies the bytes [first, last) of the block at from, last at most ByteBlock::kSize, to out,
// and returns the end of the copy in out. The copy always moves sixty-four bytes, so that it
// takes the same steps whatever the length: it reads up to from + first + 64 and writes up to
// sixty-four bytes from out.
char* CopyPiece(const char* from, int first, int last, char* out) {
  std::memcpy(out, from + first, ByteBlock::kSize);
  return out + (last - first);
}

// The copy at the level of bytes, from a line start to the first byte it cannot take.
class BytewiseCopy {
 public:
  BytewiseCopy(const char* line, const char* end, char* out)
      : line_(line), end_(end), out_(out), line_out_(out) {}

  void Run(char end_mark) {
    for (const char* at = line_; at < end_; ++at) {
      const char c = *at;
      if (c == end_mark) return;
      if (c == '\n') {
        EndLine(at + 1);
      } else if (c == '\r') {
        if (end_ - at < 2) return;
        if (at[1] == '\n') ++at;
        EndLine(at + 1);
      } else {
        *out_++ = c;
      }
    }
  }
  const char* Line() const { return line_; }
  char* LineOut() const { return line_out_; }

 private:
  void EndLine(const char* next) {
    *out_++ = '\r';
    *out_++ = '\n';
    line_ = next;
    line_out_ = out_;
  }

  const char* line_;  // the start of the line after the last line end taken
  const char* const end_;
  char* out_;
  char* line_out_;  // where that line's copy begins
};

}  // namespace

// Sixty-four bytes at a time, while the sixty-four after them are readable too (so that the
// pieces copied may read past their end): a block without an end mark is copied as it stands
// where every line end in it is a CR LF, and otherwise in pieces around its lone line ends,
// each replaced by a CR LF. Where every line end is a CR LF, the LFs are the CRs
// moved on by one byte, so one comparison tells; a CR in a block's last byte is settled with
// the next block. The rest, from the start of the last line not taken, goes byte by byte.
CrLfCopy CopyWholeCrLfLines(std::string_view bytes, char end_mark, char* out) {
  constexpr int kSize = int(ByteBlock::kSize);
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  char* const out_begin = out;
  const char* line = begin;  // the start of the line after the last line end taken
  char* line_out = out;      // where that line's copy begins
  const char* at = begin;
  uint64_t cr_before = 0;  // 1 when the block before at ends with a CR
  for (; end - at >= 2 * kSize; at += kSize) {
    const ByteBlock block(at);
    if (block.Equal(end_mark) != 0) break;
    const uint64_t crs = block.Equal('\r');
    const uint64_t lfs = block.Equal('\n');
    const uint64_t crs_moved = crs << 1 | cr_before;
    uint64_t ends = lfs;
    if (lfs == crs_moved) {
      out = CopyPiece(at, 0, kSize, out);
    } else {
      if (cr_before != 0 && (lfs & 1) == 0) {  // the CR before the block is a lone one
        *out++ = '\n';
        line = at;
        line_out = out;
      }
      const uint64_t lone_crs = crs & ~(lfs >> 1) & ~(uint64_t{1} << 63);
      int piece = 0;
      for (uint64_t lone = lone_crs | (lfs & ~crs_moved); lone != 0; lone &= lone - 1) {
        const int end_at = LowestBit(lone);
        out = CopyPiece(at, piece, end_at, out);
        *out++ = '\r';
        *out++ = '\n';
        piece = end_at + 1;
      }
      out = CopyPiece(at, piece, kSize, out);
      ends |= lone_crs;
    }
    if (ends != 0) {
      line = at + HighestBit(ends) + 1;
      line_out = out - (at + kSize - line);
    }
    cr_before = crs >> 63;
  }
  BytewiseCopy rest(line, end, line_out);
  rest.Run(end_mark);
  return CrLfCopy{size_t(rest.Line() - begin), size_t(rest.LineOut() - out_begin)};
}

}  // namespace quorvex
