#include "formstream/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formstream/value_text.h"
#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/extended/float_text.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using namespace quorvex::testing;
using namespace std::string_literals;

// Every token of text as "kind:text@line", up to and including the end, or the failure.
std::string Tokens(const std::string& text) {
  TMemoryStream source;
  Fill(source, text);
  std::string tokens;
  try {
    TParser parser(source);
    for (;;) {
      tokens += std::to_string(parser.Kind()) + ":" + parser.TokenText() + "@" +
                std::to_string(parser.LineNo());
      if (parser.Kind() == tokEnd) break;
      tokens += " ";
      parser.Advance();
    }
  } catch (const Exception& failure) {
    tokens += std::string(failure.ClassName()) + ": " + failure.Message();
  }
  return tokens;
}

TEST(ParserTest, TokenClasses) {
  struct Case {
    std::string text;
    std::string tokens;
  };
  const Case cases[] = {
      {"", "0:@1"},
      {"abc", "1:abc@1 0:@1"},
      {" _a1 B_2\r\n", "1:_a1@1 1:B_2@1 0:@2"},
      {"12abc", "3:12@1 1:abc@1 0:@1"},
      {"-5 - $1F $ $xyz", "3:-5@1 3:-@1 3:$1F@1 3:$@1 3:$@1 1:xyz@1 0:@1"},
      {"2.5E-3 1e5 1-2 7+", "4:2.5E-3@1 4:1e5@1 4:1-2@1 4:7+@1 0:@1"},
      {"= ( ) [ ] { } < > , . : +",
       "61:=@1 40:(@1 41:)@1 91:[@1 93:]@1 123:{@1 125:}@1 60:<@1 "
       "62:>@1 44:,@1 46:.@1 58::@1 43:+@1 0:@1"},
      {"a\x1A\x01\tb", "1:a@1 1:b@1 0:@1"},
      {"\xE9x", "233:\xE9@1 1:x@1 0:@1"},
      {"a\nb\r\n\nc\n", "1:a@1 1:b@2 1:c@4 0:@5"},
      {"a\rb", "1:a@1 1:b@1 0:@1"},
      {"a"s + '\0' + "b", "1:a@1 0:@1"},
      {"'It''s' 'a'#13#10'b' '' # #65 #256 'x'#9'y'",
       "2:It's@1 2:a\r\nb@1 2:@1 2:\0@1 2:A@1 2:\0@1 2:x\ty@1 0:@1"s},
      {"'a' #13", "2:a@1 2:\r@1 0:@1"},
      {"'\xE9\xFF'", "2:\xE9\xFF@1 0:@1"},
      {"\n'abc", "EParserError: Invalid string constant on line 2"},
      {"'ab\ncd'", "EParserError: Invalid string constant on line 1"},
      {"'ab\rcd'", "EParserError: Invalid string constant on line 1"},
      {"'a"s + '\0' + "'", "EParserError: Invalid string constant on line 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(ParserTest, TheEndRepeats) {
  TMemoryStream source;
  Fill(source, "x");
  TParser parser(source);
  EXPECT_EQ(parser.Advance(), tokEnd);
  EXPECT_EQ(parser.Advance(), tokEnd);
  EXPECT_EQ(parser.TokenText(), "");
}

std::string Line(size_t length, char fill = 'a') {
  return std::string(length, fill) + "\r\n";
}

TEST(ParserTest, LinesUpToTheBufferFitWhereverTheyStand) {
  // 4093 characters and CR LF fill 4095 bytes: the longest line that fits, at any offset.
  for (size_t before : {0, 1, 100, 4094, 4095, 4096, 8000}) {
    std::string text = std::string(before, '\n') + Line(4093) + "b";
    EXPECT_EQ(Tokens(text), "1:" + std::string(4093, 'a') + "@" + std::to_string(before + 1) +
                                " 1:b@" + std::to_string(before + 2) + " 0:@" +
                                std::to_string(before + 2))
        << before;
  }
  EXPECT_EQ(Tokens(Line(5000)), "EParserError: Line too long on line 1");
  EXPECT_EQ(Tokens("x\r\n" + Line(4094) + "y"), "1:x@1 EParserError: Line too long on line 2");
  // The last line may be longer when the read that brings it does not fill the buffer.
  EXPECT_EQ(Tokens(std::string(4095, 'a')), "1:" + std::string(4095, 'a') + "@1 0:@1");
}

TEST(ParserTest, ManyLinesAcrossRefills) {
  std::string text;
  std::string expected;
  for (int i = 1; i <= 3000; ++i) {
    text += "  Name" + std::to_string(i) + " = 'v'\r\n";
    expected += "1:Name" + std::to_string(i) + "@" + std::to_string(i) + " 61:=@" +
                std::to_string(i) + " 2:v@" + std::to_string(i) + " ";
  }
  EXPECT_EQ(Tokens(text), expected + "0:@3001");
}

TEST(ParserTest, RunsOfSpacesAndNamesOfEveryLengthAcrossRefills) {
  // Names and indentation of lengths around the sixteen bytes scanned at a time, separated in
  // every way the text allows, over enough lines to cross many refills at every offset.
  const std::string separators[] = {" ", "", "  ", "\t", " \r ", "\r\n", "\n", "\r\n\r\n   "};
  std::string text;
  std::string expected;
  int line = 1;
  for (int i = 0; i < 2000; ++i) {
    std::string name = std::string(size_t(i % 37), 'a') + "_Z9";
    const std::string& separator = separators[size_t(i) % std::size(separators)];
    text += std::string(size_t(i % 41), ' ') + name + separator + "=" + separator + "x.y\r\n";
    expected += "1:" + name + "@" + std::to_string(line) + " ";
    for (char c : separator) line += c == '\n';
    expected += "61:=@" + std::to_string(line) + " ";
    for (char c : separator) line += c == '\n';
    expected += "1:x@" + std::to_string(line) + " 46:.@" + std::to_string(line) + " 1:y@" +
                std::to_string(line) + " ";
    ++line;
  }
  EXPECT_EQ(Tokens(text), expected + "0:@" + std::to_string(line));
}

struct Conversion {
  int32_t integer = 0;
  std::string failure;
};

Conversion AsInteger(const std::string& text) {
  TMemoryStream source;
  Fill(source, text);
  TParser parser(source);
  Conversion result;
  try {
    result.integer = parser.TokenAsInteger();
  } catch (const EConvertError& failure) {
    result.failure = failure.Message();
  }
  return result;
}

TEST(ParserTest, TokenAsInteger) {
  struct Case {
    std::string text;
    int32_t value;
  };
  const Case good[] = {{"0", 0},
                       {"007", 7},
                       {"-2147483648", INT32_MIN},
                       {"2147483647", INT32_MAX},
                       {"$FFFFFFFF", -1},
                       {"$7fffffff", INT32_MAX},
                       {"$000000010", 16},
                       {"$a", 10}};
  for (const Case& c : good) {
    Conversion conversion = AsInteger(c.text);
    EXPECT_EQ(conversion.failure, "") << c.text;
    EXPECT_EQ(conversion.integer, c.value) << c.text;
  }
  for (std::string bad : {"-", "$", "2147483648", "-2147483649", "$100000000", "1.5", "abc",
                          "99999999999999999999"}) {
    EXPECT_EQ(AsInteger(bad).failure, "'" + bad + "' is not a valid integer value") << bad;
  }
}

TEST(ParserTest, TokenAsFloatUsesTheDecimalPointAsSet) {
  TMemoryStream source;
  Fill(source, "2.5E-3 1-2");
  TParser parser(source);
  ScopedDecimalPoint point('.');
  EXPECT_EQ(parser.TokenAsFloat(), ParseExtended("0.0025"));
  parser.Advance();
  try {
    parser.TokenAsFloat();
    FAIL();
  } catch (const EConvertError& failure) {
    EXPECT_EQ(failure.Message(), "'1-2' is not a valid floating point value");
  }
}

// The result of a step on the parser over text: its return or its failure.
template <class Step>
std::string Outcome(const std::string& text, Step step) {
  TMemoryStream source;
  Fill(source, text);
  try {
    TParser parser(source);
    return step(parser);
  } catch (const Exception& failure) {
    return failure.Message();
  }
}

TEST(ParserTest, RequirementsAndKeywords) {
  auto require = [](uint8_t kind) {
    return [kind](TParser& parser) {
      parser.RequireKind(kind);
      return std::string("ok");
    };
  };
  EXPECT_EQ(Outcome("a", require(tokSymbol)), "ok");
  EXPECT_EQ(Outcome("\n\n1", require(tokSymbol)), "Identifier expected on line 3");
  EXPECT_EQ(Outcome("a", require(tokString)), "String expected on line 1");
  EXPECT_EQ(Outcome("a", require(tokInteger)), "Number expected on line 1");
  EXPECT_EQ(Outcome("a", require(tokFloat)), "Number expected on line 1");
  EXPECT_EQ(Outcome("a", require('=')), "''='' expected on line 1");
  EXPECT_EQ(Outcome("",
                    [](TParser& parser) {
                      parser.RequireKeyword("OBJECT");
                      return "ok";
                    }),
            "OBJECT expected on line 1");
  auto is_object = [](TParser& parser) { return parser.IsKeyword("OBJECT") ? "yes" : "no"; };
  for (std::string word : {"object", "Object", "OBJECT"}) {
    EXPECT_EQ(Outcome(word, is_object), "yes");
  }
  for (std::string word : {"OBJECTS", "OBJEC", "'object'", "[object"}) {
    EXPECT_EQ(Outcome(word, is_object), "no");
  }
}

TEST(ParserTest, DottedNames) {
  auto dotted = [](TParser& parser) {
    std::string name(parser.ReadDottedName());
    parser.Advance();
    return name + "|" + parser.TokenText();
  };
  EXPECT_EQ(Outcome("Owner.Panel1.Font x", dotted), "Owner.Panel1.Font|x");
  EXPECT_EQ(Outcome("Owner . Panel1", dotted), "Owner|.");
  EXPECT_EQ(Outcome("a._b9", dotted), "a._b9|");
  EXPECT_EQ(Outcome("Owner. x", dotted), "Identifier expected on line 1");
  EXPECT_EQ(Outcome("Owner.1", dotted), "Identifier expected on line 1");
  EXPECT_EQ(Outcome("'a'", dotted), "Identifier expected on line 1");
}

TEST(ParserTest, HexBlocks) {
  auto block = [](TParser& parser) {
    TMemoryStream bytes;
    parser.ReadHexBlock(bytes);
    std::string hex(size_t(2 * bytes.Size()), ' ');
    BytesToHex(bytes.Memory(), hex.data(), bytes.Size());
    return hex + "|" + parser.TokenText() + "@" + std::to_string(parser.LineNo());
  };
  EXPECT_EQ(Outcome("{ 0A 0b\r\n  FF }", block), "0A0BFF|}@2");
  EXPECT_EQ(Outcome("{}", block), "|}@1");
  EXPECT_EQ(Outcome("{" + std::string(3000, 'e') + "}", block), std::string(3000, 'E') + "|}@1");
  EXPECT_EQ(Outcome("{ABC}", block), "Invalid binary value on line 1");
  EXPECT_EQ(Outcome("{0 A}", block), "Invalid binary value on line 1");
  EXPECT_EQ(Outcome("{00\n11\nxy}", block), "Invalid binary value on line 3");
  EXPECT_EQ(Outcome("{00\n11", block), "Invalid binary value on line 2");
}

TEST(ParserTest, HexPairsToBytesStopsAtTheFirstBadPairOrTheMaximum) {
  unsigned char bytes[4] = {};
  auto text = [](const char* s) { return reinterpret_cast<const unsigned char*>(s); };
  EXPECT_EQ(HexPairsToBytes(text("0aFf1"), bytes, 4), 2);
  EXPECT_EQ(bytes[0], 0x0A);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(HexPairsToBytes(text("0102030405"), bytes, 3), 3);
  EXPECT_EQ(HexPairsToBytes(text("g0"), bytes, 4), 0);
  EXPECT_EQ(HexPairsToBytes(text("0g"), bytes, 4), 0);
}

TEST(ParserTest, HexDigitsToBytesDecodesAsHexPairsToBytes) {
  // Every byte value at every position of a run of digits, with maxima and readable lengths
  // that end the blocks taken at once anywhere.
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "09afAF3c";
  for (size_t position = 0; position < digits.size(); ++position) {
    for (int value = 0; value < 256; ++value) {
      std::string text = digits;
      text[position] = char(value);
      auto chars = reinterpret_cast<const unsigned char*>(text.c_str());
      for (int32_t maximum : {7, 16, 17, 32}) {
        for (int32_t readable : {31, 32, 33, 64}) {
          unsigned char expected[32] = {};
          unsigned char actual[32] = {};
          int32_t count = HexPairsToBytes(chars, expected, maximum);
          ASSERT_EQ(HexDigitsToBytes(chars, readable, actual, maximum), count)
              << position << " " << value << " " << maximum << " " << readable;
          ASSERT_EQ(std::string(actual, actual + 32), std::string(expected, expected + 32));
        }
      }
    }
  }
}

TEST(ParserTest, BytesToHexWritesTwoUpperCaseDigitsPerByte) {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += char(value);
  bytes += bytes.substr(0, 37);
  std::string expected;
  for (unsigned char byte : bytes) {
    expected += "0123456789ABCDEF"[byte >> 4];
    expected += "0123456789ABCDEF"[byte & 15];
  }
  for (size_t start : {size_t(0), size_t(5)}) {
    for (size_t count = 0; start + count <= bytes.size(); count += 7) {
      std::string hex(2 * count, ' ');
      BytesToHex(reinterpret_cast<const unsigned char*>(bytes.data() + start), hex.data(),
                 int32_t(count));
      ASSERT_EQ(hex, expected.substr(2 * start, 2 * count)) << start << " " << count;
    }
  }
}

TEST(ParserTest, ReleaseGivesBackEverythingFromTheCurrentToken) {
  std::string text = "object A\r\n  Name = 'x'\r\nend" + std::string(9000, '\n') + "tail";
  for (int tokens : {0, 1, 3, 5, 6}) {
    TMemoryStream source;
    Fill(source, text);
    size_t start;
    {
      TParser parser(source);
      for (int i = 0; i < tokens; ++i) parser.Advance();
      std::string token = parser.Kind() == tokString ? "'x'" : parser.TokenText();
      start = text.find(token);
    }
    EXPECT_EQ(source.CurrentOffset(), int32_t(start)) << tokens;
  }
  // A failure during creation gives the stream back too.
  TMemoryStream source;
  Fill(source, "   " + Line(5000));
  EXPECT_THROW(TParser parser(source), EParserError);
  EXPECT_EQ(source.CurrentOffset(), 0);
}

}  // namespace
}  // namespace quorvex
