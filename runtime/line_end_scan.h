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

// The first byte in [from, end), where from is the start of a line, that is one of
// - marker, or the first of the two bytes pair_first, pair_second,
// - end_mark, or a CR or LF that is not part of a CR LF pair (a CR that ends the bytes counts
//   as one, since its LF is not among them),
// or end when there is none: the lines before it all end with CR LF. pair_first and marker
// are none of CR, LF and end_mark. With SSE2, sixteen bytes are looked at a time.
inline const char* FindMarkerOrOtherLineEnd(const char* from, const char* end, char end_mark,
                                            char marker, char pair_first, char pair_second) {
  const char* at = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  const __m128i wanted = _mm_set1_epi8(marker);
  const __m128i first = _mm_set1_epi8(pair_first);
  const __m128i second = _mm_set1_epi8(pair_second);
  uint32_t cr_before = 0;  // 1 when the byte before the sixteen is a CR
  for (; end - at > 16; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    const uint32_t crs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)));
    const uint32_t lfs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
    const __m128i found =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, mark), _mm_cmpeq_epi8(chunk, wanted)),
                     _mm_and_si128(_mm_cmpeq_epi8(chunk, first), _mm_cmpeq_epi8(next, second)));
    const uint32_t lone_crs = crs & ~uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(next, lf)));
    const uint32_t lone_lfs = lfs & ~((crs << 1) | cr_before);
    if (const uint32_t stops = uint32_t(_mm_movemask_epi8(found)) | lone_crs | lone_lfs) {
      return at + __builtin_ctz(stops);
    }
    cr_before = crs >> 15;
  }
  if (cr_before != 0) ++at;  // the LF of the CR that ended the last sixteen
#endif
  for (; at < end; ++at) {
    const char c = *at;
    if (c == marker || c == end_mark || c == '\n') return at;
    if (c == pair_first && end - at > 1 && at[1] == pair_second) return at;
    if (c == '\r' && (end - at < 2 || at[1] != '\n')) return at;
    if (c == '\r') ++at;
  }
  return end;
}

// Calls lone(at) for every line end at the start of bytes that is a lone CR or a lone LF, in
// order, and returns the number of bytes of the whole lines there: those before the first
// end_mark, the last one ending with a line end that bytes hold whole (a CR is left out when
// the byte after it, which may be its LF, is not in bytes). Lines end as text channels read
// them: at CR LF, a lone CR or a lone LF. One scan, sixteen bytes at a time with SSE2.
template <typename Lone>
size_t ForEachLeadingLoneLineEnd(std::string_view bytes, char end_mark, Lone&& lone) {
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* line = begin;  // where the line after the last line end taken begins
  // Takes the CR, LF or end mark at hit; false where the whole lines end.
  auto take = [&](const char* hit) {
    if (*hit == '\n') {
      if (hit + 1 != line) lone(hit);  // not the LF of the CR that ended the last line
      line = hit + 1;
      return true;
    }
    if (*hit != '\r' || end - hit < 2) return false;
    if (hit[1] == '\n') {
      line = hit + 2;
    } else {
      lone(hit);
      line = hit + 1;
    }
    return true;
  };
  const char* at = begin;
#if defined(__SSE2__)
  // Sixteen bytes without an end mark are taken by their masks alone: only the lone line ends
  // among them are visited, and the next line begins after their last line end. Sixteen with
  // an end mark go byte by byte through take.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  uint32_t cr_before = 0;  // 1 when the byte before the sixteen is a CR and the first its LF
  for (; end - at > 16; at += 16) {
    if (cr_before != 0) line = at + 1;
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    const uint32_t crs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)));
    const uint32_t lfs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
    if (const uint32_t marks = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, mark)))) {
      const uint32_t before_mark = (1u << __builtin_ctz(marks)) - 1;
      for (uint32_t hits = (crs | lfs) & before_mark; hits != 0; hits &= hits - 1) {
        if (!take(at + __builtin_ctz(hits))) return size_t(line - begin);
      }
      return size_t(line - begin);  // the text ends at the end mark
    }
    const uint32_t lone_crs = crs & ~uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(next, lf)));
    const uint32_t lone_lfs = lfs & ~((crs << 1) | cr_before);
    for (uint32_t lone_ends = lone_crs | lone_lfs; lone_ends != 0; lone_ends &= lone_ends - 1) {
      lone(at + __builtin_ctz(lone_ends));
    }
    if (const uint32_t ends = lfs | lone_crs) line = at + 32 - __builtin_clz(ends);
    cr_before = (crs & ~lone_crs) >> 15;
  }
  if (cr_before != 0) line = at + 1;
#endif
  for (; at < end; ++at) {
    const char c = *at;
    if ((c == '\r' || c == '\n' || c == end_mark) && !take(at)) break;
  }
  return size_t(line - begin);
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LINE_END_SCAN_H_
