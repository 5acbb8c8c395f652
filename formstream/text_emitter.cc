#include "formstream/text_emitter.h"

#include <charconv>
#include <cstring>

#include "formstream/value_tag.h"
#include "formstream/value_text.h"
#include "runtime/exceptions.h"
#include "runtime/extended/float_text.h"

namespace quorvex {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr int32_t kBinaryBytesPerLine = 32;
// The lines of binary data gathered before they are handed to the writer.
constexpr size_t kStagedLines = 64;
constexpr std::string_view kSpaces =
    "                                         "
    "                                       ";

// The routing of a value tag: its low seven bits.
uint8_t Route(uint8_t tag) {
  return tag & 0x7F;
}

bool IsUndefinedRoute(uint8_t tag) {
  return Route(tag) == tagEnd || Route(tag) > kLastValueTag;
}

bool IsIntegerTag(uint8_t tag) {
  return tag == tagInt8 || tag == tagInt16 || tag == tagInt32;
}

}  // namespace

void TextEmitter::EmitObject() {
  EmitObjectHeader();
  {
    DeeperLevel inside(*this);
    while (!reader_.AtListEnd()) EmitProperty();
    reader_.ExpectTag(tagEnd);
    while (!reader_.AtListEnd()) EmitObject();
    reader_.ExpectTag(tagEnd);
  }
  EmitIndent();
  Put("end");
  Put(kLineEnd);
}

void TextEmitter::EmitObjectHeader() {
  ObjectPrefix prefix = reader_.GetPrefix();
  // The class name comes first but is written last, so it needs a copy of its own.
  class_name_.assign(reader_.GetName(spare_));
  std::string_view object_name = reader_.GetName(spare_);
  EmitIndent();
  Put(prefix.flags & flagInherited ? "inherited " : "object ");
  if (!object_name.empty()) {
    Put(object_name);
    Put(": ");
  }
  Put(class_name_);
  if (prefix.flags & flagChildPosition) {
    Put(" [");
    EmitInteger(prefix.child_position);
    Put("]");
  }
  Put(kLineEnd);
}

void TextEmitter::EmitProperty() {
  EmitIndent();
  Put(reader_.GetName(spare_));
  Put(" = ");
  EmitValue();
  Put(kLineEnd);
}

void TextEmitter::EmitValue() {
  switch (Route(reader_.PeekTag())) {
    case tagList:
      return EmitList();
    case tagInt8:
    case tagInt16:
    case tagInt32:
      return EmitInteger(reader_.GetInteger());
    case tagExtended:
      return Put(FormatExtended(reader_.GetExtended()));
    case tagString:
    case tagLongString:
      scratch_.clear();
      AppendQuoted(scratch_, reader_.GetStringValue(spare_));
      return Put(scratch_);
    case tagIdent:
    case tagFalse:
    case tagTrue:
    case tagNil:
      return Put(reader_.GetIdentifier(spare_));
    case tagBinary:
      return EmitBinary();
    case tagSet:
      return EmitSet();
    case tagCollection:
      return EmitCollection();
    default:
      // An undefined tag gives no text and stays unread: what follows is read
      // from it.
      return;
  }
}

void TextEmitter::EmitList() {
  reader_.GetTag();
  Put("(");
  DeeperLevel elements(*this);
  while (!reader_.AtListEnd()) {
    // An element that gives no text and is not consumed would repeat without
    // end.
    if (IsUndefinedRoute(reader_.PeekTag())) Raise<EReadError>(kMsgInvalidPropertyValue);
    EmitLineBreak();
    EmitValue();
  }
  reader_.ExpectTag(tagEnd);
  Put(")");
}

void TextEmitter::EmitSet() {
  reader_.GetTag();
  Put("[");
  bool first = true;
  for (std::string_view member = reader_.GetName(spare_); !member.empty();
       member = reader_.GetName(spare_)) {
    if (!first) Put(", ");
    Put(member);
    first = false;
  }
  Put("]");
}

void TextEmitter::EmitCollection() {
  reader_.GetTag();
  Put("<");
  DeeperLevel items(*this);
  while (!reader_.AtListEnd()) EmitCollectionItem();
  reader_.ExpectTag(tagEnd);
  Put(">");
}

void TextEmitter::EmitCollectionItem() {
  EmitLineBreak();
  Put("item");
  if (IsIntegerTag(reader_.PeekTag())) {
    Put(" [");
    EmitValue();
    Put("]");
  }
  Put(kLineEnd);
  reader_.ExpectTag(tagList);
  {
    DeeperLevel properties(*this);
    while (!reader_.AtListEnd()) EmitProperty();
    reader_.ExpectTag(tagEnd);
  }
  EmitIndent();
  Put("end");
}

void TextEmitter::EmitBinary() {
  reader_.GetTag();
  Put("{");
  DeeperLevel lines(*this);
  int32_t count = reader_.GetLength();
  if (count >= kBinaryBytesPerLine) {
    EmitBinaryLines(count);
  } else if (count > 0) {
    EmitHexOfNextBytes(count);
  }
  Put("}");
}

// Reads count bytes, at most a line's, and writes their digits.
void TextEmitter::EmitHexOfNextBytes(int32_t count) {
  unsigned char bytes[kBinaryBytesPerLine];
  char digits[2 * kBinaryBytesPerLine];
  reader_.GetBytes(bytes, count);
  BytesToHex(bytes, digits, count);
  writer_.PutBytes(digits, 2 * count);
}

// The lines are gathered in staged_ and handed to the writer many at a time; each line has a
// slot there that starts with the line break and the indentation. Before a read that may have
// to refill the reader, and so may fail, the text up to that line's digits is handed over, so
// that a failure leaves the same text written as a line-by-line writing would.
void TextEmitter::EmitBinaryLines(int32_t count) {
  const size_t line_start = kLineEnd.size() + 2 * size_t(depth_);
  const size_t line_size = line_start + 2 * kBinaryBytesPerLine;
  const size_t needed = size_t(count - 1) / kBinaryBytesPerLine + 1;
  const size_t slots = needed < kStagedLines ? needed : kStagedLines;
  if (staged_.size() < slots * line_size) staged_.resize(slots * line_size);
  for (size_t slot = 0; slot < slots; ++slot) {
    char* line = &staged_[slot * line_size];
    std::memcpy(line, kLineEnd.data(), kLineEnd.size());
    std::memset(line + kLineEnd.size(), ' ', line_start - kLineEnd.size());
  }
  size_t lines = 0;
  while (count > 0) {
    int32_t k = count < kBinaryBytesPerLine ? count : kBinaryBytesPerLine;
    count -= k;
    if (reader_.Buffered() < k) {
      writer_.PutBytes(staged_.data(), int32_t(lines * line_size + line_start));
      EmitHexOfNextBytes(k);
      lines = 0;
      continue;
    }
    BytesToHex(reader_.TakeBuffered(k), &staged_[lines * line_size + line_start], k);
    if (++lines == slots || count == 0) {
      writer_.PutBytes(staged_.data(), int32_t((lines - 1) * line_size + line_start + 2 * k));
      lines = 0;
    }
  }
}

void TextEmitter::EmitInteger(int32_t value) {
  char text[12];
  auto end = std::to_chars(text, text + sizeof text, value);
  writer_.PutBytes(text, int32_t(end.ptr - text));
}

void TextEmitter::EmitIndent() {
  for (int32_t remaining = 2 * depth_; remaining > 0;) {
    int32_t n = remaining < int32_t(kSpaces.size()) ? remaining : int32_t(kSpaces.size());
    writer_.PutBytes(kSpaces.data(), n);
    remaining -= n;
  }
}

void TextEmitter::EmitLineBreak() {
  Put(kLineEnd);
  EmitIndent();
}

TextEmitter::DeeperLevel::DeeperLevel(TextEmitter& emitter)
    : emitter_(emitter), saved_(emitter.depth_) {
  if (saved_ + 1 > kMaxNestingDepth) Raise<EReadError>(kMsgNestingTooDeep);
  emitter_.depth_ = saved_ + 1;
}

}  // namespace quorvex
