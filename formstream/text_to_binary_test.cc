#include "formstream/text_to_binary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formstream/text_emitter.h"
#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "tests/form_bytes.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using namespace quorvex::testing;
using namespace std::string_literals;

// The binary form of text, or the class and message of its failure.
std::string BinaryOf(const std::string& text) {
  TMemoryStream input;
  Fill(input, text);
  TMemoryStream output;
  try {
    TextFormToBinary(input, output);
  } catch (const Exception& failure) {
    return std::string(failure.ClassName()) + ": " + failure.Message();
  }
  return ContentOf(output);
}

// The binary form of "object X: T" with the given property lines.
std::string PropertiesOf(const std::string& lines) {
  return BinaryOf("object X: T\r\n" + lines + "\r\nend\r\n");
}

std::string RootWith(const std::vector<std::string>& properties) {
  return Form(Object("", "T", "X", properties));
}

TEST(TextFormToBinaryTest, EveryValueKind) {
  struct Case {
    std::string line;
    std::string property;
  };
  const std::string e15 = "\x05\0\0\0\0\0\0\0\xC0\xFF\x3F"s;
  const Case cases[] = {
      {"Left = 300", Property("Left", Int16Value(300))},
      {"Left = -1", Property("Left", Int8Value(-1))},
      {"N = -129", Property("N", Int16Value(-129))},
      {"N = 32768", Property("N", Int32Value(32768))},
      {"N = $FFFFFFFF", Property("N", Int8Value(-1))},
      {"Size = 1.5", "\x04Size" + e15},
      {"Size = 3", Property("Size", Int8Value(3))},
      {"Visible = false", "\x07Visible\x08"},
      {"A = TRUE",
       "\x01"
       "A\x09"},
      {"A = Nil",
       "\x01"
       "A\x0D"},
      {"Color = clRed", Property("Color", IdentValue("clRed"))},
      {"Big = INF", Property("Big", IdentValue("INF"))},
      {"Owner = Form1.Panel1", Property("Owner", IdentValue("Form1.Panel1"))},
      {"Caption = ''", Property("Caption", StringValue(""))},
      {"Caption = 'It''s'#13#10", Property("Caption", StringValue("It's\r\n"))},
      {"S = '" + std::string(255, 'a') + "'", Property("S", StringValue(std::string(255, 'a')))},
      {"S = '" + std::string(256, 'a') + "'",
       Property("S", LongStringValue(std::string(256, 'a')))},
      {"Options = []", Property("Options", SetValue({}))},
      {"Options = [a, b]", Property("Options", SetValue({"a", "b"}))},
      {"Options = [a,b]", Property("Options", SetValue({"a", "b"}))},
      {"Lines = ()", Property("Lines", ListValue({}))},
      {"Lines = (\r\n  'a'\r\n  1 (x) [] {01})",
       Property("Lines", ListValue({StringValue("a"), Int8Value(1), ListValue({IdentValue("x")}),
                                    SetValue({}), BinaryValue("\x01")}))},
      {"Data = {}", Property("Data", BinaryValue(""))},
      {"Data = {\r\n  0A0B\r\n  ff}", Property("Data", BinaryValue("\x0A\x0B\xFF"))},
      {"Items = < item Width = 1 end item [3] Width = 2 end >",
       Property("Items", CollectionValue({Item("", {Property("Width", Int8Value(1))}),
                                          Item(Int8Value(3), {Property("Width", Int8Value(2))})}))},
      {"Items = <\r\n  item [-1]\r\n  end\r\n  item [0] end>",
       Property("Items", CollectionValue({Item("", {}), Item(Int8Value(0), {})}))},
      {"Items = <>", Property("Items", CollectionValue({}))},
      {"Font . Name = 'X'", Property("Font.Name", StringValue("X"))},
      {"Font.Name = 'X'", Property("Font.Name", StringValue("X"))},
      // A name followed by anything but one space and a token that is not "." may go on.
      {"Font .Name = 'X'", Property("Font.Name", StringValue("X"))},
      {"Font  .Name = 'X'", Property("Font.Name", StringValue("X"))},
      {"Font\t.Name = 'X'", Property("Font.Name", StringValue("X"))},
      {"Font\r\n  .Name = 'X'", Property("Font.Name", StringValue("X"))},
      {"Font\n.Name\n=\n'X'", Property("Font.Name", StringValue("X"))},
      {"Width= 1", Property("Width", Int8Value(1))},
      {"Width   =1", Property("Width", Int8Value(1))},
      {"Width\r\n= 1", Property("Width", Int8Value(1))},
      {std::string(300, 'n') + " = 1", Property(std::string(255, 'n'), Int8Value(1))},
  };
  for (const Case& c : cases) EXPECT_EQ(PropertiesOf(c.line), RootWith({c.property})) << c.line;
}

TEST(TextFormToBinaryTest, ObjectHeads) {
  struct Case {
    std::string text;
    std::string form;
  };
  const Case cases[] = {
      {"object T end", "TPF0\x01T\0\0\0"s},
      {"OBJECT A: TA END", Form(Object("", "TA", "A", {}))},
      {"inherited Main: TMain end", Form(Object("\xF1", "TMain", "Main", {}))},
      {"object B: TB [2] end", Form(Object("\xF2\x02\x02", "TB", "B", {}))},
      {"inherited TB [5] end", Form(Object("\xF3\x02\x05", "TB", "", {}))},
      // Every position given is kept, 0 and negative ones included.
      {"object B: TB [0] end", Form(Object("\xF2\x02\x00"s, "TB", "B", {}))},
      {"object B: TB [-1] end", Form(Object("\xF2\x02\xFF", "TB", "B", {}))},
      {"object B: TB [-300] end", Form(Object("\xF2" + Int16Value(-300), "TB", "B", {}))},
      {"object A: TA\r\n  X = 1\r\n  object B: TB\r\n  end\r\n  inherited C: TC [1]\r\n  "
       "end\r\nend\r\n",
       Form(Object("", "TA", "A", {Property("X", Int8Value(1))},
                   {Object("", "TB", "B", {}), Object("\xF3\x02\x01", "TC", "C", {})}))},
      // A property named like a keyword ends the property list; the root's rest is unread.
      {"object A: TA\r\n  End = 1\r\n", Form(Object("", "TA", "A", {}))},
      {"object A: TA end 'unclosed", "EParserError: Invalid string constant on line 1"},
      {"object A: TA end + garbage (", Form(Object("", "TA", "A", {}))},
  };
  for (const Case& c : cases) EXPECT_EQ(BinaryOf(c.text), c.form) << c.text;
}

TEST(TextFormToBinaryTest, FailuresCarryTheLineOfTheirToken) {
  struct Case {
    std::string text;
    std::string failure;
  };
  const Case cases[] = {
      {"", "EParserError: OBJECT expected on line 1"},
      {"\r\n\r\nthing A: TA end", "EParserError: OBJECT expected on line 3"},
      {"object A: TA\r\n  object B: TB end\r\n", "EParserError: OBJECT expected on line 3"},
      {"object A: TA\r\n  object B: TB end\r\n  X = 1\r\nend",
       "EParserError: OBJECT expected on line 3"},
      {"object 1", "EParserError: Identifier expected on line 1"},
      {"object A: 'x'", "EParserError: Identifier expected on line 1"},
      {"object A: TA\r\n  X = 1\r\n", "EParserError: Identifier expected on line 3"},
      {"object A: TA\r\n  X = 'a' + 'b'\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA\r\n  X = (\r\n 'a' + 'b')\r\nend",
       "EParserError: Invalid property value on line 3"},
      {"object A: TA\r\n  X = a . b\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA\r\n  Font. = 1\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA\r\n  X = [a b]\r\nend", "EParserError: '','' expected on line 2"},
      {"object A: TA\r\n  X = [a, 1]\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA [x] end", "EParserError: Number expected on line 1"},
      {"object A: TA [1 end", "EParserError: '']'' expected on line 1"},
      {"object A: TA\r\n  X 1\r\nend", "EParserError: ''='' expected on line 2"},
      {"object A: TA\r\n  X = < Y = 1 >\r\nend", "EParserError: item expected on line 2"},
      {"object A: TA\r\n  X = <\r\n  item", "EParserError: Identifier expected on line 3"},
      {"object A: TA\r\n  X = <\r\n", "EParserError: item expected on line 3"},
      {"object A: TA\r\n  Left = +5\r\nend", "EParserError: Invalid property value on line 2"},
      {"object A: TA\r\n  Left =", "EParserError: Invalid property value on line 2"},
      {"object A: TA\r\n  L = (1\r\n", "EParserError: Invalid property value on line 3"},
      {"object A: TA\r\n  D = {0G}\r\nend", "EParserError: Invalid binary value on line 2"},
      {"object A: TA\r\n  S = 'abc\r\nend", "EParserError: Invalid string constant on line 2"},
      {"object A: TA\r\n  S = '" + std::string(5000, 'a') + "'\r\nend",
       "EParserError: Line too long on line 2"},
      {"object A: TA\r\n  N = 2147483648\r\nend",
       "EConvertError: '2147483648' is not a valid integer value"},
      {"object A: TA\r\n  N = 1.2.3\r\nend",
       "EConvertError: '1.2.3' is not a valid floating point value"},
      {"object A: TA [$100000000] end", "EConvertError: '$100000000' is not a valid integer value"},
  };
  for (const Case& c : cases) EXPECT_EQ(BinaryOf(c.text), c.failure) << c.text;
}

// The nesting levels are those of the text emitter: the root object's body is the first, and
// every object, list, collection and collection item adds one. A level too many fails on the
// line of the token that opens it.
TEST(TextFormToBinaryTest, NestingIsBoundedLikeTheText) {
  auto nested = [](const std::string& head, const std::string& open, const std::string& close,
                   const std::string& tail, int32_t count) {
    std::string text = head;
    for (int32_t i = 0; i < count; ++i) text += open;
    for (int32_t i = 0; i < count; ++i) text += close;
    return BinaryOf(text + tail);
  };
  const int32_t objects = kMaxNestingDepth;
  const int32_t lists = kMaxNestingDepth - 1;
  const int32_t items = (kMaxNestingDepth - 1) / 2;
  EXPECT_EQ(nested("", "object A: TA\n", "end\n", "", objects).substr(0, 4), "TPF0");
  EXPECT_EQ(nested("", "object A: TA\n", "end\n", "", objects + 1),
            "EParserError: Form nested too deeply on line " + std::to_string(objects + 1));
  EXPECT_EQ(nested("object A: TA\nX = ", "(\n", ")", "\nend", lists).substr(0, 4), "TPF0");
  EXPECT_EQ(nested("object A: TA\nX = ", "(\n", ")", "\nend", lists + 1),
            "EParserError: Form nested too deeply on line " + std::to_string(lists + 2));
  EXPECT_EQ(nested("object A: TA\n", "X = <item\n", "end>\n", "end", items).substr(0, 4), "TPF0");
  EXPECT_EQ(nested("object A: TA\n", "X = <item\n", "end>\n", "end", items + 1),
            "EParserError: Form nested too deeply on line " + std::to_string(items + 2));
}

TEST(TextFormToBinaryTest, DecimalPointIsForcedAndRestoredOnEveryWayOut) {
  ScopedDecimalPoint comma(',');
  EXPECT_EQ(PropertiesOf("Size = 1.5"), RootWith({"\x04Size\x05\0\0\0\0\0\0\0\xC0\xFF\x3F"s}));
  EXPECT_EQ(DecimalPoint, ',');
  EXPECT_EQ(PropertiesOf("Size = 1,5"), "EParserError: Identifier expected on line 2");
  EXPECT_EQ(DecimalPoint, ',');
  EXPECT_EQ(BinaryOf(""), "EParserError: OBJECT expected on line 1");
  EXPECT_EQ(DecimalPoint, ',');
}

TEST(TextFormToBinaryTest, BytesBeforeAFailureReachTheOutputInBlocks) {
  std::string text = "object A: TA\r\n";
  for (int i = 0; i < 1000; ++i) text += "  Name" + std::to_string(i) + " = 12345\r\n";
  text += "  Bad = +\r\nend\r\n";
  TMemoryStream input;
  Fill(input, text);
  RecordingStream output;
  EXPECT_THROW(TextFormToBinary(input, output), EParserError);
  ASSERT_GE(output.writes.size(), 2u);
  for (size_t i = 0; i + 1 < output.writes.size(); ++i) EXPECT_EQ(output.writes[i], 4096);
  EXPECT_LE(output.writes.back(), 4096);
}

// The bytes written before the failure of a text: what a writer's destructor hands over.
std::string WrittenBeforeFailure(const std::string& text) {
  TMemoryStream input;
  Fill(input, text);
  TMemoryStream output;
  EXPECT_THROW(TextFormToBinary(input, output), EParserError) << text;
  return ContentOf(output);
}

TEST(TextFormToBinaryTest, ANameIsWrittenOnlyOnceTheTokenBehindItIsScanned) {
  const std::string head = "TPF0\x01T\x01X"s;
  for (const char* separator : {" ", "", "  ", "\r\n"}) {
    EXPECT_EQ(WrittenBeforeFailure("object X: T\r\n  Caption" + std::string(separator) + "'open"),
              head)
        << separator;
  }
  EXPECT_EQ(WrittenBeforeFailure("object X: T\r\n  Caption = 'open"), head +
                                                                          "\x07"
                                                                          "Caption");
}

TEST(TextFormToBinaryTest, TheInputIsLeftAtTheTokenBehindTheRootsEnd) {
  std::string text = "object A: TA\r\nend\r\n" + std::string(5000, '\n') + "next things";
  TMemoryStream input;
  Fill(input, text);
  TMemoryStream output;
  output.WriteAll("xy", 2);
  TextFormToBinary(input, output);
  EXPECT_EQ(input.CurrentOffset(), int32_t(text.find("next")));
  EXPECT_EQ(ContentOf(output), "xy" + Form(Object("", "TA", "A", {})));
}

TEST(TextFormToResourceTest, HeaderThenForm) {
  TMemoryStream input;
  Fill(input, "object T end");
  TMemoryStream output;
  TextFormToResource(input, output);
  EXPECT_EQ(ContentOf(output), "\xFF\x0A\0T\0\x30\x10\x09\0\0\0TPF0\x01T\0\0\0"s);
  TMemoryStream inherited_input;
  Fill(inherited_input, "inherited Form1: tForm1_x [300] end");
  TMemoryStream inherited_output;
  TextFormToResource(inherited_input, inherited_output);
  std::string form = Form(Object("\xF3" + Int16Value(300), "tForm1_x", "Form1", {}));
  EXPECT_EQ(ContentOf(inherited_output), ResourceHeader("TFORM1_X", int64_t(form.size())) + form);
}

TEST(TextFormToResourceTest, AFailedConversionWritesNothing) {
  TMemoryStream input;
  Fill(input, "object A: TA\r\n  X = 1\r\n  Y = +\r\nend");
  RecordingStream output;
  EXPECT_THROW(TextFormToResource(input, output), EParserError);
  EXPECT_TRUE(output.writes.empty());
}

TEST(TextFormToResourceTest, AShortWriteOfTheHeaderOrTheFormIsAWriteError) {
  // The header of "object T end" is 11 bytes, the form 9.
  for (int64_t limit : {0, 5, 11, 15, 19}) {
    TMemoryStream input;
    Fill(input, "object T end");
    RecordingStream output;
    output.limit = limit;
    try {
      TextFormToResource(input, output);
      ADD_FAILURE() << limit;
    } catch (const EWriteError& failure) {
      EXPECT_EQ(failure.Message(), "Stream write error") << limit;
    }
  }
}

}  // namespace
}  // namespace quorvex
