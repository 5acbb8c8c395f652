#ifndef QUORVEX_TESTS_FORM_BYTES_H_
#define QUORVEX_TESTS_FORM_BYTES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/little_endian.h"

namespace quorvex::testing {

// Builders of binary form bytes for tests: each returns the encoding of one piece.

inline std::string LittleEndian32(int64_t value) {
  return LittleEndianBytes(uint32_t(value), 4);
}

inline std::string ShortString(const std::string& text) {
  return std::string(1, char(text.size())) + text;
}

inline std::string Int8Value(int value) {
  return std::string{'\x02', char(value)};
}

inline std::string Int16Value(int value) {
  return "\x03" + LittleEndianBytes(uint16_t(value), 2);
}

inline std::string Int32Value(int64_t value) {
  return "\x04" + LittleEndian32(value);
}

inline std::string StringValue(const std::string& text) {
  return "\x06" + ShortString(text);
}

inline std::string LongStringValue(const std::string& text) {
  return "\x0C" + LittleEndian32(int64_t(text.size())) + text;
}

inline std::string IdentValue(const std::string& text) {
  return "\x07" + ShortString(text);
}

inline std::string BinaryValue(const std::string& bytes) {
  return "\x0A" + LittleEndian32(int64_t(bytes.size())) + bytes;
}

inline std::string Concat(const std::vector<std::string>& pieces) {
  std::string all;
  for (const std::string& piece : pieces) all += piece;
  return all;
}

inline std::string ListValue(const std::vector<std::string>& elements) {
  return "\x01" + Concat(elements) + std::string(1, '\0');
}

inline std::string SetValue(const std::vector<std::string>& members) {
  std::string bytes = "\x0B";
  for (const std::string& member : members) bytes += ShortString(member);
  return bytes + std::string(1, '\0');
}

inline std::string Property(const std::string& name, const std::string& value) {
  return ShortString(name) + value;
}

// A collection item: its order (an integer value, or "") and its property records.
inline std::string Item(const std::string& order, const std::vector<std::string>& properties) {
  return order + "\x01" + Concat(properties) + std::string(1, '\0');
}

inline std::string CollectionValue(const std::vector<std::string>& items) {
  return "\x0E" + Concat(items) + std::string(1, '\0');
}

inline std::string Object(const std::string& prefix, const std::string& class_name,
                          const std::string& object_name,
                          const std::vector<std::string>& properties,
                          const std::vector<std::string>& children = {}) {
  return prefix + ShortString(class_name) + ShortString(object_name) + Concat(properties) +
         std::string(1, '\0') + Concat(children) + std::string(1, '\0');
}

inline std::string Form(const std::string& root) {
  return "TPF0" + root;
}

// The form resource header the tool writes for a form of size bytes named name.
inline std::string ResourceHeader(const std::string& name, int64_t size) {
  return "\xFF\x0A" + std::string(1, '\0') + name + std::string(1, '\0') + "\x30\x10" +
         LittleEndian32(size);
}

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_FORM_BYTES_H_
