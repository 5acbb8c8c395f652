#ifndef QUORVEX_FORMSTREAM_TEXT_EMITTER_H_
#define QUORVEX_FORMSTREAM_TEXT_EMITTER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "formstream/filer.h"

namespace quorvex {

// The deepest nesting level the text form is written for. Every object, list and collection
// adds a level and a level of recursion; real forms stay below 30, and the bound keeps a
// damaged or hostile form from exhausting the stack.
constexpr int32_t kMaxNestingDepth = 2000;

// Writes the text form of the objects and values a reader delivers to a writer, keeping the
// current nesting depth for the indentation.
class TextEmitter {
 public:
  TextEmitter(TReader& reader, TWriter& writer) : reader_(reader), writer_(writer) {}

  // One object with its properties and children, at the current depth.
  void EmitObject();

 private:
  void EmitObjectHeader();
  void EmitProperty();
  void EmitValue();
  void EmitList();
  void EmitSet();
  void EmitCollection();
  void EmitCollectionItem();
  void EmitBinary();
  // The digits of a binary value of 32 bytes or more: every 32 bytes on a line of their own.
  void EmitBinaryLines(int32_t count);
  void EmitHexOfNextBytes(int32_t count);
  void EmitInteger(int32_t value);
  void EmitIndent();
  void EmitLineBreak();

  // One level deeper for the lifetime of this object; raises EReadError when that passes
  // kMaxNestingDepth.
  class DeeperLevel {
   public:
    explicit DeeperLevel(TextEmitter& emitter);
    ~DeeperLevel() { emitter_.depth_ = saved_; }
    DeeperLevel(const DeeperLevel&) = delete;
    DeeperLevel& operator=(const DeeperLevel&) = delete;

   private:
    TextEmitter& emitter_;
    int32_t saved_;
  };

  void Put(std::string_view text) { writer_.PutBytes(text.data(), int32_t(text.size())); }

  TReader& reader_;
  TWriter& writer_;
  int32_t depth_ = 0;
  std::string scratch_;
  // Where the reader copies a name or string that its buffer does not hold whole.
  std::string spare_;
  std::string class_name_;
  std::string staged_;
};

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_TEXT_EMITTER_H_
