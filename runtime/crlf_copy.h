#ifndef QUORVEX_RUNTIME_CRLF_COPY_H_
#define QUORVEX_RUNTIME_CRLF_COPY_H_

#include <cstddef>
#include <string_view>

namespace quorvex {

// What CopyWholeCrLfLines took and gave.
struct CrLfCopy {
  size_t taken = 0;    // the bytes of the whole lines read
  size_t written = 0;  // the bytes of those lines written, each ended by CR LF
};

// The room that CopyWholeCrLfLines needs for bytes: every byte may become two, and the copy
// writes up to sixty-four bytes beyond what it gives, which the next bytes written overwrite.
inline size_t CrLfCopyRoom(size_t bytes) {
  return 2 * bytes + 64;
}

// Copies the whole lines at the start of bytes into out, which has CrLfCopyRoom(bytes.size())
// bytes, each followed by CR LF. Lines end as text channels read them: at CR LF, a lone CR or a
// lone LF. The whole lines are those before the first end_mark, the last one ending with a
// line end that bytes hold whole (a CR is left out when the byte after it, which may be its LF,
// is not in bytes).
CrLfCopy CopyWholeCrLfLines(std::string_view bytes, char end_mark, char* out);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_CRLF_COPY_H_
