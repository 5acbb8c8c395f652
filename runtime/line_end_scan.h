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

// Calls visit(line, first) for each of the lines at the start of bytes that end with CR LF, in
// order: line without its line end, and first the offset in it of its first byte equal to
// marker (npos when there is none). Stops before the first line that ends otherwise (a lone CR
// or LF), that holds end_mark, or whose CR LF bytes does not hold whole. Returns the number of
// bytes of the lines visited, line ends included. marker is none of CR, LF and end_mark.
//
// One scan finds the line ends, end marks and markers, sixteen bytes at a time with SSE2.
template <typename Visit>
size_t ForEachLeadingCrLfLine(std::string_view bytes, char end_mark, char marker, Visit&& visit) {
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* line = begin;
  size_t first = std::string_view::npos;
  // Takes the CR, LF, end mark or marker at hit; false where the lines visited end.
  auto take = [&](const char* hit) {
    if (*hit == marker) {
      if (first == std::string_view::npos) first = size_t(hit - line);
      return true;
    }
    if (*hit == '\n') return hit + 1 == line;  // the LF of the CR that ended the last line
    if (*hit != '\r' || end - hit < 2 || hit[1] != '\n') return false;
    visit(std::string_view(line, size_t(hit - line)), first);
    line = hit + 2;
    first = std::string_view::npos;
    return true;
  };
  const char* at = begin;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  const __m128i wanted = _mm_set1_epi8(marker);
  for (; end - at >= 16; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf));
    const __m128i others = _mm_or_si128(_mm_cmpeq_epi8(chunk, mark), _mm_cmpeq_epi8(chunk, wanted));
    uint32_t hits = uint32_t(_mm_movemask_epi8(_mm_or_si128(ends, others)));
    for (; hits != 0; hits &= hits - 1) {
      if (!take(at + __builtin_ctz(hits))) return size_t(line - begin);
    }
  }
#endif
  for (; at < end; ++at) {
    const char c = *at;
    if ((c == '\r' || c == '\n' || c == end_mark || c == marker) && !take(at)) break;
  }
  return size_t(line - begin);
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
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i mark = _mm_set1_epi8(end_mark);
  for (; end - at >= 16; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    uint32_t hits = uint32_t(_mm_movemask_epi8(_mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)),
        _mm_cmpeq_epi8(chunk, mark))));
    for (; hits != 0; hits &= hits - 1) {
      if (!take(at + __builtin_ctz(hits))) return size_t(line - begin);
    }
  }
#endif
  for (; at < end; ++at) {
    const char c = *at;
    if ((c == '\r' || c == '\n' || c == end_mark) && !take(at)) break;
  }
  return size_t(line - begin);
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LINE_END_SCAN_H_
