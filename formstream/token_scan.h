#ifndef QUORVEX_FORMSTREAM_TOKEN_SCAN_H_
#define QUORVEX_FORMSTREAM_TOKEN_SCAN_H_

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvex {

// The runs the tokenizer crosses most often: the indentation of every line and the letters of
// every name. Each scan returns the first byte at or behind p that does not belong to the run.
// The text must hold such a byte (the tokenizer's stop byte is one), and kScanReach bytes from
// any byte up to it must be readable, because the bytes may be looked at sixteen at a time.
constexpr int32_t kScanReach = 16;

#if defined(__SSE2__)

// The bits of the bytes of the sixteen at p that belong to the run, as a mask that is 0xFFFF
// when all of them do. Bytes from 0x80 up count as negative in the signed comparisons, so they
// belong to no range.
inline int SpaceMask(const unsigned char* p) {
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
}

// Letters a to z and A to Z (folded onto the lower case), digits and "_".
inline int SymbolPartMask(const unsigned char* p) {
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
  __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                 _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)));
  __m128i underscore = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('_'));
  return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, digit), underscore));
}

// The first byte at or behind p whose bit in mask_of is clear.
template <int (*mask_of)(const unsigned char*)>
const unsigned char* SkipRun(const unsigned char* p) {
  for (;; p += 16) {
    int outside = ~mask_of(p) & 0xFFFF;
    if (outside != 0) return p + __builtin_ctz(unsigned(outside));
  }
}

inline const unsigned char* SkipSpaceRun(const unsigned char* p) {
  return SkipRun<SpaceMask>(p);
}

inline const unsigned char* SkipSymbolRun(const unsigned char* p) {
  return SkipRun<SymbolPartMask>(p);
}

#else

inline const unsigned char* SkipSpaceRun(const unsigned char* p) {
  while (*p == ' ') ++p;
  return p;
}

inline const unsigned char* SkipSymbolRun(const unsigned char* p) {
  for (;; ++p) {
    unsigned char c = *p;
    bool letter = ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return p;
  }
}

#endif

inline unsigned char* SkipSpaceRun(unsigned char* p) {
  return const_cast<unsigned char*>(SkipSpaceRun(static_cast<const unsigned char*>(p)));
}

inline unsigned char* SkipSymbolRun(unsigned char* p) {
  return const_cast<unsigned char*>(SkipSymbolRun(static_cast<const unsigned char*>(p)));
}

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_TOKEN_SCAN_H_
