#include "formstream/form_resource_header.h"

#include <gtest/gtest.h>

#include <string>

#include "formstream/binary_to_text.h"
#include "runtime/exceptions.h"
#include "tests/form_bytes.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using namespace quorvex::testing;
using namespace std::string_literals;

// The position ReadFormResourceHeader leaves a stream holding bytes at.
int32_t PositionBehindHeader(const std::string& bytes) {
  TMemoryStream stream;
  Fill(stream, bytes);
  ReadFormResourceHeader(stream);
  return stream.CurrentOffset();
}

bool IsRejected(const std::string& bytes) {
  try {
    PositionBehindHeader(bytes);
  } catch (const EInvalidImage& failure) {
    return failure.Message() == "Invalid stream format";
  }
  return false;
}

std::string ResourceOf(const std::string& form) {
  TMemoryStream memory;
  memory.WriteAll(form.data(), int32_t(form.size()));
  TMemoryStream output;
  WriteFormResource(memory, output);
  return ContentOf(output);
}

TEST(ReadFormResourceHeaderTest, SkipsTheHeaderWhateverFlagsAndSize) {
  std::string form = Form(Object("", "T", "", {}));
  EXPECT_EQ(PositionBehindHeader(ResourceHeader("TMAINFORM", 12) + form), 19);
  std::string odd_fields = ResourceHeader("X", 0);
  odd_fields.replace(5, 6, "\xAB\xCD\xFF\xFF\xFF\xFF");
  EXPECT_EQ(PositionBehindHeader(odd_fields + form), 11);
}

TEST(ReadFormResourceHeaderTest, FindsNamesWithinItsWindowOnly) {
  EXPECT_EQ(PositionBehindHeader(ResourceHeader(std::string(76, 'N'), 0) + "TPF0"), 86);
  // No zero byte in the first 79 bytes: the name is taken to be 76 bytes long.
  EXPECT_EQ(PositionBehindHeader(ResourceHeader(std::string(100, 'N'), 0)), 86);
}

TEST(ReadFormResourceHeaderTest, AShortFileEndsUpPositionedBehindItsEnd) {
  EXPECT_EQ(PositionBehindHeader(std::string("\xFF\x0A\x00"
                                             "AB\x00\x30",
                                             7)),
            12);
  TMemoryStream input;
  Fill(input, std::string("\xFF\x0A\x00"
                          "AB\x00\x30\x10",
                          8));
  TMemoryStream output;
  try {
    ResourceFormToText(input, output);
    FAIL();
  } catch (const EReadError& failure) {
    EXPECT_EQ(failure.Message(), "Stream read error");
  }
}

TEST(ReadFormResourceHeaderTest, RejectsWhatIsNotAFormResource) {
  EXPECT_TRUE(IsRejected(""));
  EXPECT_TRUE(IsRejected("\xFF\x0A"));
  EXPECT_TRUE(IsRejected("TPF0\x01T\x00\x00\x00"s));
  EXPECT_TRUE(IsRejected("object Main: TMain\r\nend\r\n"));
  EXPECT_TRUE(
      IsRejected("\xFE\x0A\x00"
                 "A\x00\x30\x10\x00\x00\x00\x00"s));
  EXPECT_TRUE(
      IsRejected("\xFF\x0B\x00"
                 "A\x00\x30\x10\x00\x00\x00\x00"s));
  EXPECT_TRUE(
      IsRejected("\xFF\x0A\x01"
                 "A\x00\x30\x10\x00\x00\x00\x00"s));
}

TEST(WriteFormResourceTest, NineLetterNameInAnyCase) {
  std::string form = Form(Object("", "TmAiNfOrm", "Main", {}));
  std::string expected = std::string(
                             "\xFF\x0A\x00"
                             "TMAINFORM\x00\x30\x10",
                             15) +
                         LittleEndian32(int64_t(form.size())) + form;
  EXPECT_EQ(ResourceOf(form), expected);
  EXPECT_EQ(expected.size() - form.size(), 19u);
}

TEST(WriteFormResourceTest, OnlyLettersAToZChange) {
  std::string form = Form(Object("", "Tform_2\xE9x", "", {}));
  EXPECT_EQ(ResourceOf(form).substr(3, 10), std::string("TFORM_2\xE9X\x00", 10));
}

TEST(WriteFormResourceTest, TheNameIsFoundBehindAnyPrefix) {
  for (std::string prefix : {std::string("\xF1"), "\xF2" + Int8Value(5), "\xF3" + Int16Value(-300),
                             "\xF2" + Int32Value(100000), std::string("\xF4")}) {
    std::string form = Form(Object(prefix, "TButton", "", {}));
    EXPECT_EQ(ResourceOf(form).substr(0, 11), std::string("\xFF\x0A\x00"
                                                          "TBUTTON\x00",
                                                          11));
  }
}

TEST(WriteFormResourceTest, NamesUpTo255Bytes) {
  // Without a prefix, a length byte of 240 or more would itself read as a prefix.
  std::string name(255, 'q');
  std::string form = Form(Object("\xF1", name, "", {}));
  std::string resource = ResourceOf(form);
  EXPECT_EQ(resource.substr(3, 255), std::string(255, 'Q'));
  EXPECT_EQ(resource.size(), 265 + form.size());
  EXPECT_EQ(resource.substr(258, 7),
            std::string("\x00\x30\x10", 3) + LittleEndian32(int64_t(form.size())));
}

TEST(WriteFormResourceTest, NamesUpTo239BytesNeedNoPrefix) {
  std::string form = Form(Object("", std::string(239, 'q'), "", {}));
  EXPECT_EQ(ResourceOf(form).substr(3, 240), std::string(239, 'Q') + '\0');
}

TEST(WriteFormResourceTest, UpperCasingStopsAtAZeroByteInTheName) {
  std::string form = Form(Object("", std::string("ab\0cd", 5), "", {}));
  EXPECT_EQ(ResourceOf(form).substr(3, 6), std::string("AB\0cd\0", 6));
}

TEST(WriteFormResourceTest, WrittenResourceReadsBack) {
  std::string form = Form(Object("", "TMain", "Main", {Property("Left", Int8Value(3))}));
  TMemoryStream input;
  Fill(input, ResourceOf(form));
  TMemoryStream text;
  ResourceFormToText(input, text);
  EXPECT_EQ(ContentOf(text), "object Main: TMain\r\n  Left = 3\r\nend\r\n");
}

TEST(WriteFormResourceTest, AStreamThatTakesFewerBytesIsAWriteError) {
  TMemoryStream memory;
  std::string form = Form(Object("", "T", "", {}));
  memory.WriteAll(form.data(), int32_t(form.size()));
  RecordingStream output;
  output.limit = 13;
  EXPECT_THROW(WriteFormResource(memory, output), EWriteError);
  EXPECT_EQ(output.writes, (std::vector<int32_t>{11, int32_t(form.size())}));
}

}  // namespace
}  // namespace quorvex
