#ifndef QUORVEX_BENCH_IMAGE_FORM_H_
#define QUORVEX_BENCH_IMAGE_FORM_H_

#include <cstdint>
#include <string>

#include "runtime/little_endian.h"

namespace quorvex::bench {

// A binary form dominated by opaque data, as forms holding pictures are: kBinaryValues
// binary values of kBinaryValueSize bytes each.
constexpr int kBinaryValues = 20;
constexpr int32_t kBinaryValueSize = 1 << 20;

inline void PutShortString(std::string& bytes, const std::string& text) {
  bytes += char(text.size());
  bytes += text;
}

// Pseudo-random bytes, as image data would be.
inline std::string ImageBytes() {
  std::string data(size_t(kBinaryValues) * kBinaryValueSize, '\0');
  uint32_t state = 12345;
  for (char& byte : data) {
    state = state * 1103515245u + 12345u;
    byte = char(state >> 24);
  }
  return data;
}

// The binary form holding data in its binary values, in order.
inline std::string BinaryDominatedForm(const std::string& data) {
  std::string form = "TPF0";
  PutShortString(form, "TImageForm");
  PutShortString(form, "Images");
  for (int i = 0; i < kBinaryValues; ++i) {
    PutShortString(form, "Picture" + std::to_string(i) + ".Data");
    form += '\x0A';
    form += LittleEndianBytes(uint32_t(kBinaryValueSize), 4);
    form.append(data, size_t(i) * kBinaryValueSize, kBinaryValueSize);
  }
  form += std::string(2, '\0');
  return form;
}

}  // namespace quorvex::bench

#endif  // QUORVEX_BENCH_IMAGE_FORM_H_
