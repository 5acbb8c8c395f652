#include "formstream/binary_to_text.h"

#include <gtest/gtest.h>

#include <string>

#include "formstream/text_emitter.h"
#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "tests/form_bytes.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using namespace quorvex::testing;
using namespace std::string_literals;

std::string TextOf(const std::string& form) {
  TMemoryStream input;
  Fill(input, form);
  TMemoryStream output;
  BinaryFormToText(input, output);
  return ContentOf(output);
}

// The text of a root object "object X: T" holding the given property records.
std::string TextOfProperties(const std::vector<std::string>& properties) {
  return TextOf(Form(Object("", "T", "X", properties)));
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The body lines of "object X: T" around property lines.
std::string RootWith(const std::vector<std::string>& lines) {
  std::vector<std::string> all = {"object X: T"};
  all.insert(all.end(), lines.begin(), lines.end());
  all.push_back("end");
  return Lines(all);
}

// The class and message of the failure of converting form, and the text written before it.
struct Failure {
  std::string class_name;
  std::string message;
  std::string text;
};

Failure FailureOf(const std::string& form) {
  TMemoryStream input;
  Fill(input, form);
  TMemoryStream output;
  try {
    BinaryFormToText(input, output);
  } catch (const Exception& failure) {
    return {failure.ClassName(), failure.Message(), ContentOf(output)};
  }
  return {"<none>", "", ContentOf(output)};
}

const std::string kExtendedOneAndAHalf("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11);

TEST(BinaryFormToTextTest, EveryValueKindInItsLayoutByteForByte) {
  std::string form = Form(Object(
      "", "TMain", "Main",
      {Property("Left", Int8Value(-20)), Property("Caption", StringValue("It's\r\ndone")),
       Property("Style", SetValue({"bold", "italic"})),
       Property("Lines", ListValue({StringValue("first"), StringValue("second")})),
       Property("Columns",
                CollectionValue({Item("", {Property("Width", Int8Value(64))}),
                                 Item(Int8Value(3), {Property("Title", StringValue("x"))})}))},
      {Object("\xF3" + Int8Value(2), "TButton", "Ok",
              {Property("Data", BinaryValue("\x0A\x0B\x0C"))})}));
  EXPECT_EQ(TextOf(form),
            "object Main: TMain\r\n"
            "  Left = -20\r\n"
            "  Caption = 'It'#39's'#13#10'done'\r\n"
            "  Style = [bold, italic]\r\n"
            "  Lines = (\r\n"
            "    'first'\r\n"
            "    'second')\r\n"
            "  Columns = <\r\n"
            "    item\r\n"
            "      Width = 64\r\n"
            "    end\r\n"
            "    item [3]\r\n"
            "      Title = 'x'\r\n"
            "    end>\r\n"
            "  inherited Ok: TButton [2]\r\n"
            "    Data = {0A0B0C}\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST(BinaryFormToTextTest, ObjectHeaders) {
  EXPECT_EQ(TextOf(Form(Object("", "TForm", "", {}))), Lines({"object TForm", "end"}));
  EXPECT_EQ(TextOf(Form(Object("\xF3" + Int8Value(0), "TPanel", "P", {}))),
            Lines({"inherited P: TPanel [0]", "end"}));
  // Bits 2 and 3 of the prefix are not shown.
  EXPECT_EQ(TextOf(Form(Object("\xFC", "TFrame", "F", {}))), Lines({"object F: TFrame", "end"}));
  EXPECT_EQ(TextOf(Form(Object("\xFE" + Int32Value(-70000), "TA", "", {}))),
            Lines({"object TA [-70000]", "end"}));
  EXPECT_EQ(TextOf(Form(Object("", "T", "Root", {},
                               {Object("", "TC", "C", {Property("A.B", Int8Value(1))},
                                       {Object("\xF1", "TD", "D", {})})}))),
            Lines({"object Root: T", "  object C: TC", "    A.B = 1", "    inherited D: TD",
                   "    end", "  end", "end"}));
}

TEST(BinaryFormToTextTest, QuotedStrings) {
  EXPECT_EQ(
      TextOfProperties({Property("A", StringValue("'")), Property("B", StringValue("It's")),
                        Property("C", StringValue("a\r\nb")),
                        Property("D", StringValue("\xE9t\xE9\xFF")), Property("E", StringValue("")),
                        Property("F", LongStringValue("")), Property("G", StringValue("''x\t")),
                        Property("H", StringValue(std::string(1, '\0')))}),
      RootWith({"  A = #39", "  B = 'It'#39's'", "  C = 'a'#13#10'b'", "  D = '\xE9t\xE9\xFF'",
                "  E = ''", "  F = ''", "  G = #39#39'x'#9", "  H = #0"}));
  std::string long_text(300, 'w');
  EXPECT_EQ(TextOfProperties({Property("S", LongStringValue(long_text))}),
            RootWith({"  S = '" + long_text + "'"}));
}

TEST(BinaryFormToTextTest, NumbersIdentifiersAndSets) {
  EXPECT_EQ(
      TextOfProperties({Property("A", Int8Value(-128)), Property("B", Int16Value(-32768)),
                        Property("C", Int32Value(INT32_MIN)), Property("D", Int32Value(INT32_MAX)),
                        Property("E", Int8Value(0)), Property("F", IdentValue("alClient")),
                        Property("G", "\x08"), Property("H", "\x09"), Property("I", "\x0D"),
                        Property("J", SetValue({})), Property("K", SetValue({"one"})),
                        Property("L", kExtendedOneAndAHalf)}),
      RootWith({"  A = -128", "  B = -32768", "  C = -2147483648", "  D = 2147483647", "  E = 0",
                "  F = alClient", "  G = False", "  H = True", "  I = nil", "  J = []",
                "  K = [one]", "  L = 1.5"}));
}

TEST(BinaryFormToTextTest, BinaryValuesSplitAt32Bytes) {
  auto bytes = [](int count) {
    std::string value;
    for (int i = 0; i < count; ++i) value += char(i);
    return value;
  };
  const std::string first64 = "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F";
  EXPECT_EQ(TextOfProperties({Property("A", BinaryValue(bytes(31)))}),
            RootWith({"  A = {" + first64.substr(0, 62) + "}"}));
  EXPECT_EQ(TextOfProperties({Property("A", BinaryValue(bytes(32)))}),
            RootWith({"  A = {", "    " + first64 + "}"}));
  EXPECT_EQ(TextOfProperties({Property("A", BinaryValue(bytes(33)))}),
            RootWith({"  A = {", "    " + first64, "    20}"}));
  EXPECT_EQ(
      TextOfProperties({Property("A", BinaryValue("")), Property("B", "\x0A" + LittleEndian32(-5)),
                        Property("C", BinaryValue("\xFF\x80"))}),
      RootWith({"  A = {}", "  B = {}", "  C = {FF80}"}));
}

TEST(BinaryFormToTextTest, ListsAndCollections) {
  EXPECT_EQ(TextOfProperties({Property("A", ListValue({})), Property("B", CollectionValue({})),
                              Property("C", ListValue({ListValue({Int8Value(1)}), Int8Value(2)})),
                              Property("D", CollectionValue({Item("", {})}))}),
            RootWith({"  A = ()", "  B = <>", "  C = (", "    (", "      1)", "    2)", "  D = <",
                      "    item", "    end>"}));
  EXPECT_EQ(TextOfProperties(
                {Property("E", CollectionValue({Item(Int16Value(1000),
                                                     {Property("L", ListValue({SetValue({"a"})}))}),
                                                Item(Int32Value(-1), {})}))}),
            RootWith({"  E = <", "    item [1000]", "      L = (", "        [a])", "    end",
                      "    item [-1]", "    end>"}));
}

TEST(BinaryFormToTextTest, HighBitTagsTakeTheBranchOfTheirLowBits) {
  EXPECT_EQ(TextOfProperties({Property("A", "\x81" + Int8Value(1) + std::string(1, '\0')),
                              Property("B", "\x8A" + LittleEndian32(1) + "\x7F"),
                              Property("C", "\x8B" + ShortString("s") + std::string(1, '\0')),
                              Property("D", "\x8E" + std::string(1, '\0'))}),
            RootWith({"  A = (", "    1)", "  B = {7F}", "  C = [s]", "  D = <>"}));
  for (std::string tag :
       {"\x82", "\x83", "\x84", "\x85", "\x86", "\x87", "\x88", "\x89", "\x8C", "\x8D"}) {
    Failure failure = FailureOf(Form(Object("", "T", "X", {Property("A", tag + "\x01\x01")})));
    EXPECT_EQ(failure.class_name, "EReadError") << int(uint8_t(tag[0]));
    EXPECT_EQ(failure.message, "Invalid property value");
    EXPECT_EQ(failure.text, "object X: T\r\n  A = ");
  }
}

TEST(BinaryFormToTextTest, AnUndefinedValueTagGivesNoTextAndIsReadAsWhatFollows) {
  // A zero where the value should be closes the property list.
  EXPECT_EQ(TextOf(Form(Object("", "T", "X", {Property("A", "")}))), RootWith({"  A = "}));
  // Tag 15 is the length byte of the next property name.
  std::string name15 = "fifteen-letters";
  EXPECT_EQ(TextOfProperties({Property("A", ""), Property(name15, Int8Value(1))}),
            RootWith({"  A = ", "  " + name15 + " = 1"}));
  EXPECT_EQ(TextOfProperties({Property("A", ""), "\x80" + std::string(128, 'n') + Int8Value(2)}),
            RootWith({"  A = ", "  " + std::string(128, 'n') + " = 2"}));
}

TEST(BinaryFormToTextTest, AnUndefinedTagAsListElementFailsBeforeItsLineBreak) {
  for (char tag : {'\x0F', '\x7F', '\x80', '\x90', '\xFF'}) {
    Failure failure = FailureOf(
        Form(Object("", "T", "X", {Property("L", "\x01" + Int8Value(5) + std::string(1, tag))})));
    EXPECT_EQ(failure.class_name, "EReadError");
    EXPECT_EQ(failure.message, "Invalid property value");
    EXPECT_EQ(failure.text, "object X: T\r\n  L = (\r\n    5");
  }
}

TEST(BinaryFormToTextTest, DamagedFormsFailWithTheirMessage) {
  struct Case {
    std::string form;
    std::string class_name;
    std::string message;
    std::string text;
  };
  const std::string root = "TPF0\x01T\x01X";
  const Case cases[] = {
      {"TPF1\x01T\x00\x00\x00"s, "EReadError", "Invalid stream format", ""},
      {"TP", "EReadError", "Stream read error", ""},
      {root +
           "\x01"
           "A" +
           Int8Value(1),
       "EReadError", "Stream read error", "object X: T\r\n  A = 1\r\n"},
      {root +
           "\x01"
           "A\x0C" +
           LittleEndian32(-2),
       "EReadError", "Invalid property value", "object X: T\r\n  A = "},
      {root + "\x01"
              "A\x0E\x06",
       "EReadError", "Invalid property value", "object X: T\r\n  A = <\r\n    item\r\n"},
      {root + "\x01"
              "A\x0E\x02\x01\x00"s,
       "EReadError", "Invalid property value", "object X: T\r\n  A = <\r\n    item [1]\r\n"},
      {root + "\x01"
              "A\x0B\x01"
              "a",
       "EReadError", "Stream read error", "object X: T\r\n  A = [a"},
  };
  for (const Case& c : cases) {
    Failure failure = FailureOf(c.form);
    EXPECT_EQ(failure.class_name, c.class_name) << c.form;
    EXPECT_EQ(failure.message, c.message) << c.form;
    EXPECT_EQ(failure.text, c.text) << c.form;
  }
}

// A root property holding lists nested levels deep, the innermost empty.
std::string NestedLists(int levels) {
  return Form(Object(
      "", "T", "X",
      {Property("A", std::string(size_t(levels), '\x01') + std::string(size_t(levels), '\0'))}));
}

TEST(BinaryFormToTextTest, NestingIsBounded) {
  // The property is at depth 1, so lists can nest to one level less than the bound.
  EXPECT_EQ(FailureOf(NestedLists(kMaxNestingDepth - 1)).class_name, "<none>");
  Failure failure = FailureOf(NestedLists(kMaxNestingDepth));
  EXPECT_EQ(failure.class_name, "EReadError");
  EXPECT_EQ(failure.message, "Form nested too deeply");

  std::string objects;
  for (int i = 0; i <= kMaxNestingDepth; ++i) objects += "\x01T\x00\x00"s;
  objects += std::string(size_t(kMaxNestingDepth) + 1, '\0');
  EXPECT_EQ(FailureOf("TPF0" + objects).message, "Form nested too deeply");
}

TEST(BinaryFormToTextTest, DecimalPointIsRestoredOnEveryWayOut) {
  ScopedDecimalPoint comma(',');
  EXPECT_EQ(TextOfProperties({Property("F", kExtendedOneAndAHalf)}), RootWith({"  F = 1.5"}));
  EXPECT_EQ(DecimalPoint, ',');
  EXPECT_EQ(
      FailureOf(Form(Object("", "T", "X", {Property("F", kExtendedOneAndAHalf)})).substr(0, 15))
          .message,
      "Stream read error");
  EXPECT_EQ(DecimalPoint, ',');

  // An encoding without its integer bit is no number at all.
  const std::string unnormal("\x05\0\0\0\0\0\0\0\0\xFF\x3F", 11);
  EXPECT_EQ(FailureOf(Form(Object("", "T", "X", {Property("F", unnormal)}))).class_name,
            "EInvalidOp");
  EXPECT_EQ(DecimalPoint, ',');

  TMemoryStream input;
  Fill(input, Form(Object("", "T", "X", {})));
  RecordingStream output;
  output.limit = 3;
  EXPECT_THROW(BinaryFormToText(input, output), EWriteError);
  EXPECT_EQ(DecimalPoint, ',');
}

TEST(BinaryFormToTextTest, TextBeforeAFailureReachesTheOutputInBlocks) {
  std::vector<std::string> properties;
  for (int i = 0; i < 500; ++i) properties.push_back(Property("Prop", Int16Value(1000 + i)));
  std::string complete = TextOfProperties(properties);
  TMemoryStream input;
  Fill(input, Form(Object("", "T", "X", properties)).substr(0, 3000));
  RecordingStream output;
  EXPECT_THROW(BinaryFormToText(input, output), EReadError);
  std::string partial = ContentOf(output);
  EXPECT_GT(partial.size(), 4096u);
  EXPECT_EQ(partial, complete.substr(0, partial.size()));
  EXPECT_EQ(output.writes[0], 4096);
}

TEST(BinaryFormToTextTest, BinaryDataCutShortLeavesTheTextUpToTheLineItEndsIn) {
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 13 + i / 256);
  std::string form = Form(Object("", "T", "X", {Property("Data", BinaryValue(data))}));
  std::string complete = TextOf(form);
  // Each line of digits: CR LF, four spaces, 64 digits.
  const size_t first_digits = complete.find('{') + 1 + 6;
  const size_t data_start = form.size() - 2 - data.size();
  for (size_t available : {0, 1, 31, 32, 33, 2047, 2048, 2049, 4000, 4096, 4999}) {
    Failure failure = FailureOf(form.substr(0, data_start + available));
    EXPECT_EQ(failure.message, "Stream read error");
    EXPECT_EQ(failure.text, complete.substr(0, first_digits + available / 32 * 70)) << available;
  }
}

TEST(BinaryFormToTextTest, TheInputIsLeftBehindTheRootAndTheTextAtTheOutputPosition) {
  std::string form = Form(Object("", "T", "X", {Property("A", Int8Value(1))}));
  TMemoryStream input;
  Fill(input, form + "trailing bytes");
  TMemoryStream output;
  output.WriteAll(">>", 2);
  BinaryFormToText(input, output);
  EXPECT_EQ(input.CurrentOffset(), int32_t(form.size()));
  EXPECT_EQ(ContentOf(output), ">>" + RootWith({"  A = 1"}));
}

TEST(ResourceFormToTextTest, SkipsTheHeaderAndRejectsWhatHasNone) {
  std::string form = Form(Object("", "TMain", "Main", {}));
  TMemoryStream input;
  Fill(input, ResourceHeader("TMAIN", int64_t(form.size())) + form);
  TMemoryStream output;
  ResourceFormToText(input, output);
  EXPECT_EQ(ContentOf(output), Lines({"object Main: TMain", "end"}));

  for (std::string bytes : {form, std::string("object Main: TMain\r\nend\r\n")}) {
    TMemoryStream not_a_resource;
    Fill(not_a_resource, bytes);
    TMemoryStream nothing;
    try {
      ResourceFormToText(not_a_resource, nothing);
      FAIL();
    } catch (const EInvalidImage& failure) {
      EXPECT_EQ(failure.Message(), "Invalid stream format");
    }
    EXPECT_EQ(nothing.Size(), 0);
  }
}

}  // namespace
}  // namespace quorvex
