#ifndef QUORVEX_FUZZ_FORM_ROUND_TRIP_ENTRY_H_
#define QUORVEX_FUZZ_FORM_ROUND_TRIP_ENTRY_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formstream/binary_to_text.h"
#include "formstream/text_to_binary.h"
#include "formstream/value_tag.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/memory_stream.h"
#include "tests/form_bytes.h"

namespace quorvex {

// Builds a binary form from the bytes of a fuzzer input, using only encodings that survive the
// trip through text: integers in their smallest tag, long strings only beyond 255 bytes, no
// floating-point values, identifiers other than False, True and nil, flag bits 0 and 1 only, no
// collection item order of -1, lines within the tokenizer's limit. When the input runs out,
// every further byte reads as 0, which closes every list.
class FormFromBytes {
 public:
  FormFromBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  std::string Form() { return testing::Form(Object(0)); }

 private:
  static constexpr int kMaxDepth = 24;

  uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }

  int32_t NextInteger() {
    switch (Next() % 4) {
      case 0:
        return int8_t(Next());
      case 1: {
        uint8_t low = Next();
        return int16_t(low | Next() << 8);
      }
      default: {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | Next();
        return int32_t(value);
      }
    }
  }

  static std::string IntegerValue(int32_t value) {
    if (value >= -128 && value <= 127) return testing::Int8Value(value);
    if (value >= -32768 && value <= 32767) return testing::Int16Value(value);
    return testing::Int32Value(value);
  }

  std::string Identifier() {
    static constexpr char kStart[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
    static constexpr char kPart[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
    std::string name(1, kStart[Next() % (sizeof kStart - 1)]);
    for (int length = Next() % 8; length > 0; --length) name += kPart[Next() % (sizeof kPart - 1)];
    return name;
  }

  // A property name: identifiers joined by dots, never one of the object keywords.
  std::string PropertyName() {
    std::string name = Identifier();
    for (const char* keyword : {"end", "object", "inherited"}) {
      if (EqualIgnoringAsciiCase(name, keyword)) name += '_';
    }
    if (Next() % 4 == 0) name += "." + Identifier();
    return name;
  }

  std::string Bytes(size_t count) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) bytes += char(Next());
    return bytes;
  }

  std::string Value(int depth) {
    switch (Next() % (depth < kMaxDepth ? 11 : 8)) {
      case 0:
        return IntegerValue(NextInteger());
      case 1:
        return testing::StringValue(Bytes(Next() % 64));
      case 2:
        return testing::LongStringValue(Bytes(256 + Next() % 64));
      case 3: {
        std::string ident = Identifier();
        if (Next() % 4 == 0) ident += "." + Identifier();
        for (const char* word : {"False", "True", "nil"}) {
          if (EqualIgnoringAsciiCase(ident, word)) ident += '_';
        }
        return testing::IdentValue(ident);
      }
      case 4:
        return std::string(1, char(tagFalse + Next() % 2));
      case 5:
        return std::string(1, char(tagNil));
      case 6:
        return testing::BinaryValue(Bytes(Next() % 4 == 0 ? Next() * 4 : Next() % 40));
      case 7: {
        std::vector<std::string> members;
        for (int count = Next() % 5; count > 0; --count) members.push_back(Identifier());
        return testing::SetValue(members);
      }
      case 8: {
        std::vector<std::string> elements;
        while (Next() % 3 != 0) elements.push_back(Value(depth + 1));
        return testing::ListValue(elements);
      }
      default: {
        std::vector<std::string> items;
        while (Next() % 3 != 0) {
          std::string order;
          if (Next() % 2 != 0) {
            int32_t value = NextInteger();
            if (value != -1) order = IntegerValue(value);
          }
          items.push_back(testing::Item(order, Properties(depth + 2)));
        }
        return testing::CollectionValue(items);
      }
    }
  }

  std::vector<std::string> Properties(int depth) {
    std::vector<std::string> properties;
    while (Next() % 3 != 0) {
      std::string name = PropertyName();
      properties.push_back(testing::Property(name, Value(depth)));
    }
    return properties;
  }

  std::string Object(int depth) {
    uint8_t flags = Next() % 4;
    std::string prefix;
    if (flags != 0) prefix = std::string(1, char(kPrefixMarker | flags));
    if (flags & flagChildPosition) prefix += IntegerValue(NextInteger());
    std::string class_name = Identifier();
    std::string object_name = Next() % 4 == 0 ? "" : Identifier();
    std::vector<std::string> properties = Properties(depth + 1);
    std::vector<std::string> children;
    if (depth < kMaxDepth) {
      while (Next() % 3 == 1) children.push_back(Object(depth + 1));
    }
    return testing::Object(prefix, class_name, object_name, properties, children);
  }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// Takes the form built from data to text and back; returns whether the same bytes came back.
inline bool FormRoundTripEntry(const uint8_t* data, size_t size) {
  std::string form = FormFromBytes(data, size).Form();
  TMemoryStream binary;
  binary.WriteAll(form.data(), int32_t(form.size()));
  binary.SetOffset(0);
  TMemoryStream text;
  TMemoryStream back;
  try {
    BinaryFormToText(binary, text);
    text.SetOffset(0);
    TextFormToBinary(text, back);
  } catch (const Exception&) {
    return false;
  }
  return back.Size() == int32_t(form.size()) &&
         std::string(reinterpret_cast<const char*>(back.Memory()), form.size()) == form;
}

}  // namespace quorvex

#endif  // QUORVEX_FUZZ_FORM_ROUND_TRIP_ENTRY_H_
