#ifndef QUORVEX_TESTS_TEST_STREAMS_H_
#define QUORVEX_TESTS_TEST_STREAMS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/memory_stream.h"

namespace quorvex::testing {

// A memory stream holding bytes, positioned at its start.
inline void Fill(TMemoryStream& stream, const std::string& bytes) {
  stream.WriteAll(bytes.data(), int32_t(bytes.size()));
  stream.SetOffset(0);
}

inline std::string ContentOf(const TCustomMemoryStream& stream) {
  return std::string(reinterpret_cast<const char*>(stream.Memory()), size_t(stream.Size()));
}

// A memory stream that records the size of every write and accepts only limit bytes in all.
class RecordingStream : public TMemoryStream {
 public:
  int32_t WriteSome(const void* buffer, int32_t count) override {
    writes.push_back(count);
    int32_t accepted = count < limit ? count : int32_t(limit);
    limit -= accepted;
    return TMemoryStream::WriteSome(buffer, accepted);
  }

  int64_t limit = INT32_MAX;
  std::vector<int32_t> writes;
};

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TEST_STREAMS_H_
