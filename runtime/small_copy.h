#ifndef QUORVEX_RUNTIME_SMALL_COPY_H_
#define QUORVEX_RUNTIME_SMALL_COPY_H_

#include <cstdint>
#include <cstring>

namespace quorvex {

// The most bytes CopySmallBytes copies.
constexpr int32_t kSmallCopy = 16;

// Copies count bytes, where sizeof(Word) <= count <= 2 * sizeof(Word), as two moves of a Word
// that may overlap.
template <typename Word>
inline void CopyHeadAndTail(unsigned char* to, const unsigned char* from, int32_t count) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof(Word));
  std::memcpy(&tail, from + count - int32_t(sizeof(Word)), sizeof(Word));
  std::memcpy(to, &head, sizeof(Word));
  std::memcpy(to + count - int32_t(sizeof(Word)), &tail, sizeof(Word));
}

// Copies count bytes, at most kSmallCopy, between buffers that do not overlap. The pieces of a
// text form (names, " = ", line ends, indentation, numbers) are mostly a few bytes long: they
// are copied here with at most four moves of fixed size, which the compiler turns into plain
// loads and stores, instead of a call to the library's copy. Only the count bytes of each side
// are touched.
inline void CopySmallBytes(unsigned char* to, const unsigned char* from, int32_t count) {
  if (count >= 8) {
    CopyHeadAndTail<uint64_t>(to, from, count);
  } else if (count >= 4) {
    CopyHeadAndTail<uint32_t>(to, from, count);
  } else if (count > 0) {
    // One to three bytes: the first, the middle and the last cover them all.
    unsigned char first = from[0];
    unsigned char middle = from[count / 2];
    unsigned char last = from[count - 1];
    to[0] = first;
    to[count / 2] = middle;
    to[count - 1] = last;
  }
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_SMALL_COPY_H_
