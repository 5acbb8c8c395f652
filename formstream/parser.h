#ifndef QUORVEX_FORMSTREAM_PARSER_H_
#define QUORVEX_FORMSTREAM_PARSER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ascii.h"
#include "runtime/extended/extended.h"
#include "runtime/message_table.h"
#include "runtime/streams.h"

namespace quorvex {

// The kinds of token besides the single characters, whose kind is their own code (33 to 255).
enum TokenKind : uint8_t {
  tokEnd = 0,
  tokSymbol = 1,
  tokString = 2,
  tokInteger = 3,
  tokFloat = 4,
};

// The size of the parser's text buffer; a line with its line end must fit in it, less one
// byte for the stop byte.
constexpr int32_t kParserBufferSize = 4096;

// Splits a text form into tokens. The text is read through one buffer whose scanned part ends
// in a stop byte (0x00) at a line start or at the end of the data, so that no scanning loop
// tests a bound and no token is split by a refill. Every failure of its own raises EParserError
// "<message> on line <n>"; number conversions raise EConvertError.
class TParser {
 public:
  // Reads the first token. A failure there gives the stream back before it is raised.
  explicit TParser(TStream& source);
  // Moves the source back to the first byte of the current token, so that everything read
  // ahead of it is given back.
  ~TParser();
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  // Scans the next token and returns its kind.
  uint8_t Advance();
  uint8_t Kind() const { return kind_; }
  int32_t LineNo() const { return line_no_; }

  void RequireKind(uint8_t kind) const;
  void RequireKeyword(std::string_view word) const;
  // True for a symbol equal to word, letters a to z being equal to A to Z. Defined here, so
  // that the checks against constant words, one per property, cost little.
  bool IsKeyword(std::string_view word) const {
    if (kind_ != tokSymbol) return false;
    std::string_view token(reinterpret_cast<const char*>(token_start_),
                           size_t(scan_pos_ - token_start_));
    return EqualIgnoringAsciiCase(token, word);
  }

  // The decoded text of a string token; the token's bytes for every other kind.
  std::string TokenText() const { return std::string(TokenView()); }
  // The same text in the parser's buffer, valid until the next token is scanned.
  std::string_view TokenView() const;
  // Raises EConvertError for a text that is not a 32-bit integer.
  int32_t TokenAsInteger() const;
  // Raises EConvertError for a text that is not a number.
  Extended TokenAsFloat() const;

  // True when the next token starts on the current line behind spaces only and is not a ".":
  // the current symbol is then a property name of its own. Scanning that token moves no byte
  // of the buffer, so a TokenView taken before the next Advance stays valid through it.
  bool SymbolStandsAlone() const;
  // The current symbol extended by the ".name" parts that touch it, valid until the next
  // token is scanned.
  std::string_view ReadDottedName();
  // Decodes the digit pairs behind the current "{" token into target, up to the "}", which
  // becomes the current token.
  void ReadHexBlock(TStream& target);

  [[noreturn]] void Fail(uint16_t id) const;
  [[noreturn]] void FailFmt(uint16_t id, const std::vector<MessageArg>& arguments) const;
  [[noreturn]] void FailAtLine(const std::string& text) const;

 private:
  void SkipSpace();
  void Refill();
  void ScanString();
  void GiveBackReadAhead();

  TStream& source_;
  std::unique_ptr<unsigned char[]> text_buffer_;
  unsigned char* data_end_;
  unsigned char* buffer_limit_;
  unsigned char* scan_pos_;
  unsigned char* stop_pos_;
  unsigned char* token_start_;
  unsigned char* text_end_;
  int32_t line_no_ = 1;
  unsigned char held_char_ = 0;
  uint8_t kind_ = tokEnd;
};

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_PARSER_H_
