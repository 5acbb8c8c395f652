#ifndef QUORVEX_RUNTIME_LITTLE_ENDIAN_H_
#define QUORVEX_RUNTIME_LITTLE_ENDIAN_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvex {

// Reads and writes unsigned integers of count bytes (1 to 8), least significant byte first,
// as every multi-byte number of the form formats is stored.

inline uint64_t LoadLittleEndian(const unsigned char* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

inline void StoreLittleEndian(unsigned char* bytes, uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The count bytes of value as a string, for building byte sequences.
inline std::string LittleEndianBytes(uint64_t value, int count) {
  std::string bytes(size_t(count), '\0');
  StoreLittleEndian(reinterpret_cast<unsigned char*>(bytes.data()), value, count);
  return bytes;
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_LITTLE_ENDIAN_H_
