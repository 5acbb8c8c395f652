#ifndef QUORVEX_RUNTIME_LINE_END_SCAN_H_
#define QUORVEX_RUNTIME_LINE_END_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvex {

// Eight bytes as a number, the first byte lowest; spelt out so that compilers make it one load.
inline uint64_t LoadWordLowFirst(const char* at) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(at);
  return uint64_t(bytes[0]) | uint64_t(bytes[1]) << 8 | uint64_t(bytes[2]) << 16 |
         uint64_t(bytes[3]) << 24 | uint64_t(bytes[4]) << 32 | uint64_t(bytes[5]) << 40 |
         uint64_t(bytes[6]) << 48 | uint64_t(bytes[7]) << 56;
}

// The first byte in [begin, end) that ends a line as text channels read it (CR, LF, or the
// end mark Ctrl-Z, passed in as end_mark), or end when there is none.
//
// Lines are mostly printable text, so the scan tests eight bytes at a time for bytes below
// 0x1B (the highest of the three). In a word that has one, the first such byte is found
// directly; a tab or another control byte there lets the scan go on after it.
inline const char* FindLineEnd(const char* begin, const char* end, char end_mark) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  constexpr uint64_t kBelow = 0x1B;
  // Multiplied by the lowest set bit of a byte mask, shifted to the low bit of byte k, gives
  // k in its top byte.
  constexpr uint64_t kByteIndexes = 0x0001020304050607u;
  const char* at = begin;
  while (end - at >= 8) {
    const uint64_t word = LoadWordLowFirst(at);
    // The high bit of the first byte below kBelow is set, and none before it; bytes after it
    // may be marked too.
    const uint64_t below = (word - kOnes * kBelow) & ~word & kHighBits;
    if (below == 0) {
      at += 8;
      continue;
    }
    at += ((below & (~below + 1)) >> 7) * kByteIndexes >> 56;
    if (*at == '\r' || *at == '\n' || *at == end_mark) return at;
    ++at;
  }
  while (at < end && *at != '\r' && *at != '\n' && *at != end_mark) ++at;
  return at;
}

// The end of the whole lines at the start of [begin, end) that each end with CR LF and hold
// no other CR, LF or end_mark: begin when the first line is not one of them.
//
// With SSE2, sixteen bytes are checked at a time: they hold no end mark, and their LF bytes are
// exactly the bytes after their CR bytes (the byte after the last of them being the first of
// the next sixteen). The lines after the last LF so checked are taken one by one.
inline const char* EndOfCrLfLines(const char* begin, const char* end, char end_mark) {
  const char* checked = begin;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  uint32_t cr_before = 0;  // 1 when the byte before the sixteen is a CR
  for (const char* at = begin; end - at >= 16; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const uint32_t crs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
    const uint32_t lfs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
    const uint32_t marks = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, mark)));
    if (marks != 0 || lfs != (((crs << 1) | cr_before) & 0xFFFF)) break;
    cr_before = crs >> 15;
    if (lfs != 0) checked = at + 32 - __builtin_clz(lfs);
  }
#endif
  for (;;) {
    const char* stop = FindLineEnd(checked, end, end_mark);
    if (end - stop < 2 || stop[0] != '\r' || stop[1] != '\n') return checked;
    checked = stop + 2;
  }
}

// Calls visit(line, first) for every line of lines, which are whole lines that each end with
// CR LF and hold no other CR or LF (as EndOfCrLfLines gives them): line without its line end,
// and first the offset in it of its first byte equal to marker, npos when there is none. One
// scan finds both, sixteen bytes at a time with SSE2.
template <typename Visit>
void ForEachCrLfLine(std::string_view lines, char marker, Visit&& visit) {
  const char* const end = lines.data() + lines.size();
  const char* line = lines.data();
  size_t first = std::string_view::npos;
  // Takes the CR or marker byte at hit.
  auto take = [&](const char* hit) {
    if (*hit != '\r') {
      if (first == std::string_view::npos) first = size_t(hit - line);
      return;
    }
    visit(std::string_view(line, size_t(hit - line)), first);
    line = hit + 2;
    first = std::string_view::npos;
  };
  const char* at = lines.data();
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i wanted = _mm_set1_epi8(marker);
  for (; end - at >= 16; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    uint32_t hits = uint32_t(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, wanted))));
    for (; hits != 0; hits &= hits - 1) take(at + __builtin_ctz(hits));
  }
#endif
  for (; at < end; ++at) {
    if (*at == '\r' || *at == marker) take(at);
  }
}

// Calls visit(at) for every line end of lines that is not a CR LF pair, a lone CR or a lone LF,
// in order. lines are whole lines, as a channel reads them: their last byte is a line end, and
// an LF at their start is a lone one. With SSE2, sixteen bytes are looked at a time.
template <typename Visit>
void ForEachLoneLineEnd(std::string_view lines, Visit&& visit) {
  const char* const begin = lines.data();
  const char* const end = begin + lines.size();
  const char* at = begin;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  uint32_t cr_before = 0;  // 1 when the byte before the sixteen is a CR
  for (; end - at > 16; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const uint32_t crs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
    const uint32_t lfs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
    const uint32_t lf_after = (lfs >> 1) | (at[16] == '\n' ? 0x8000u : 0);
    uint32_t lone = (lfs & ~((crs << 1) | cr_before)) | (crs & ~lf_after);
    cr_before = crs >> 15;
    for (; lone != 0; lone &= lone - 1) visit(at + __builtin_ctz(lone));
  }
#endif
  for (; at < end; ++at) {
    const bool lone_lf = *at == '\n' && (at == begin || at[-1] != '\r');
    const bool lone_cr = *at == '\r' && (end - at < 2 || at[1] != '\n');
    if (lone_lf || lone_cr) visit(at);
  }
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LINE_END_SCAN_H_
