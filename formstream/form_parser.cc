#include "formstream/form_parser.h"

#include <string>
#include <string_view>

#include "formstream/text_emitter.h"
#include "formstream/value_tag.h"
#include "runtime/exceptions.h"

namespace quorvex {

FormParser::DeeperLevel::DeeperLevel(FormParser& form_parser) : form_parser_(form_parser) {
  if (form_parser_.depth_ + 1 > kMaxNestingDepth) form_parser_.parser_.Fail(kMsgNestingTooDeep);
  ++form_parser_.depth_;
}

bool FormParser::AtObjectKeyword() const {
  return parser_.IsKeyword("END") || parser_.IsKeyword("OBJECT") || parser_.IsKeyword("INHERITED");
}

void FormParser::ParseObject() {
  DeeperLevel inside(*this);
  bool inherited = parser_.IsKeyword("INHERITED");
  if (!inherited) parser_.RequireKeyword("OBJECT");
  parser_.Advance();
  ParseHead(inherited);
  while (!AtObjectKeyword()) ParseProperty();
  writer_.CloseList();
  while (!parser_.IsKeyword("END")) ParseObject();
  writer_.CloseList();
  parser_.Advance();
}

void FormParser::ParseHead(bool inherited) {
  parser_.RequireKind(tokSymbol);
  class_name_.assign(parser_.TokenView());
  object_name_.clear();
  if (parser_.Advance() == ':') {
    parser_.Advance();
    parser_.RequireKind(tokSymbol);
    object_name_.swap(class_name_);
    class_name_.assign(parser_.TokenView());
    parser_.Advance();
  }
  std::optional<int32_t> index = ParseChildIndex();
  uint8_t flags = 0;
  if (inherited) flags |= flagInherited;
  // Every position given in brackets is kept, 0 and negative ones too, so that a form whose
  // objects carry positions comes back with them.
  if (index) flags |= flagChildPosition;
  writer_.PutPrefix(flags, index.value_or(0));
  writer_.PutName(class_name_);
  writer_.PutName(object_name_);
}

std::optional<int32_t> FormParser::ParseChildIndex() {
  if (parser_.Kind() != '[') return std::nullopt;
  parser_.Advance();
  parser_.RequireKind(tokInteger);
  int32_t index = parser_.TokenAsInteger();
  parser_.Advance();
  parser_.RequireKind(']');
  parser_.Advance();
  return index;
}

void FormParser::ParseProperty() {
  parser_.RequireKind(tokSymbol);
  if (parser_.SymbolStandsAlone()) {
    // Most names are one symbol, written from the parser's buffer without a copy.
    std::string_view name = parser_.TokenView();
    parser_.Advance();
    writer_.PutName(name);
  } else {
    ReadDottedPropertyName();
    writer_.PutName(name_);
  }
  parser_.RequireKind('=');
  parser_.Advance();
  ParseValue();
}

void FormParser::ReadDottedPropertyName() {
  name_.assign(parser_.TokenView());
  parser_.Advance();
  while (parser_.Kind() == '.') {
    parser_.Advance();
    parser_.RequireKind(tokSymbol);
    name_ += '.';
    name_ += parser_.TokenView();
    parser_.Advance();
  }
}

void FormParser::ParseValue() {
  switch (parser_.Kind()) {
    case tokSymbol:
      writer_.PutIdent(parser_.ReadDottedName());
      break;
    case tokString:
      writer_.PutString(parser_.TokenView());
      break;
    case tokInteger:
      writer_.PutInteger(parser_.TokenAsInteger());
      break;
    case tokFloat:
      writer_.PutFloat(parser_.TokenAsFloat());
      break;
    case '(':
      ParseList();
      break;
    case '[':
      ParseSet();
      break;
    case '<':
      ParseCollection();
      break;
    case '{':
      writer_.PutBinary([this](TStream& bytes) { parser_.ReadHexBlock(bytes); });
      break;
    default:
      parser_.Fail(kMsgInvalidPropertyValue);
  }
  parser_.Advance();
}

void FormParser::ParseList() {
  DeeperLevel elements(*this);
  parser_.Advance();
  writer_.OpenList();
  while (parser_.Kind() != ')') ParseValue();
  writer_.CloseList();
}

void FormParser::ParseSet() {
  parser_.Advance();
  writer_.PutTag(tagSet);
  if (parser_.Kind() != ']') {
    for (;;) {
      parser_.RequireKind(tokSymbol);
      writer_.PutName(parser_.TokenView());
      if (parser_.Advance() == ']') break;
      parser_.RequireKind(',');
      parser_.Advance();
    }
  }
  writer_.PutName("");
}

void FormParser::ParseCollection() {
  DeeperLevel items(*this);
  parser_.Advance();
  writer_.PutTag(tagCollection);
  while (parser_.Kind() != '>') ParseCollectionItem();
  writer_.CloseList();
}

void FormParser::ParseCollectionItem() {
  DeeperLevel properties(*this);
  parser_.RequireKeyword("item");
  parser_.Advance();
  std::optional<int32_t> order = ParseChildIndex();
  if (order && *order != -1) writer_.PutInteger(*order);
  writer_.OpenList();
  while (!parser_.IsKeyword("end")) ParseProperty();
  writer_.CloseList();
  parser_.Advance();
}

}  // namespace quorvex
