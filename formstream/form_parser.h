#ifndef QUORVEX_FORMSTREAM_FORM_PARSER_H_
#define QUORVEX_FORMSTREAM_FORM_PARSER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "formstream/filer.h"
#include "formstream/parser.h"

namespace quorvex {

// Applies the grammar of the text form to the tokens of a parser and writes the binary form
// of what it reads to a writer. The nesting of objects, lists, collections and their items is
// bounded by kMaxNestingDepth, as when the text is written.
class FormParser {
 public:
  FormParser(TParser& parser, TWriter& writer) : parser_(parser), writer_(writer) {}

  // One object, from its keyword to past its "end".
  void ParseObject();

 private:
  void ParseHead(bool inherited);
  // The value in brackets behind a head or an item; none when there are no brackets.
  std::optional<int32_t> ParseChildIndex();
  void ParseProperty();
  // The parts of a property name and the dots between them, which may stand apart, into
  // name_; the token behind them becomes current.
  void ReadDottedPropertyName();
  void ParseValue();
  void ParseList();
  void ParseSet();
  void ParseCollection();
  void ParseCollectionItem();
  bool AtObjectKeyword() const;

  // One level deeper for the lifetime of this object; raises EParserError when that passes
  // kMaxNestingDepth.
  class DeeperLevel {
   public:
    explicit DeeperLevel(FormParser& form_parser);
    ~DeeperLevel() { --form_parser_.depth_; }
    DeeperLevel(const DeeperLevel&) = delete;
    DeeperLevel& operator=(const DeeperLevel&) = delete;

   private:
    FormParser& form_parser_;
  };

  TParser& parser_;
  TWriter& writer_;
  int32_t depth_ = 0;
  // The names being read, kept to reuse their memory.
  std::string name_;
  std::string class_name_;
  std::string object_name_;
};

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_FORM_PARSER_H_
