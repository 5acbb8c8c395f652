#include "formstream/filer.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/exceptions.h"
#include "tests/form_bytes.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using namespace quorvex::testing;
using namespace std::string_literals;

template <class F>
std::string ReadFailure(F&& action) {
  try {
    action();
  } catch (const EReadError& failure) {
    return failure.Message();
  }
  return "<no EReadError>";
}

struct FilledStream : TMemoryStream {
  explicit FilledStream(const std::string& bytes) { Fill(*this, bytes); }
};

// A reader over bytes held in a memory stream; the buffer size is chosen by the test.
struct ReaderOver {
  explicit ReaderOver(const std::string& bytes, int32_t buffer_size = kFilerBufferSize)
      : stream(bytes), reader(stream, buffer_size) {}
  FilledStream stream;
  TReader reader;
};

TEST(ReaderBytesTest, GetBytesRefillsAcrossBufferBoundaries) {
  ReaderOver over("0123456789", 3);
  char bytes[8] = {};
  over.reader.GetBytes(bytes, 7);
  EXPECT_EQ(std::string(bytes, 7), "0123456");
  EXPECT_EQ(over.reader.PeekTag(), '7');
  EXPECT_EQ(over.reader.GetTag(), '7');
  over.reader.GetBytes(bytes, 2);
  EXPECT_EQ(ReadFailure([&] { over.reader.GetTag(); }), "Stream read error");
}

TEST(ReaderBytesTest, PeekDoesNotConsumeAndAtListEndLooksForZero) {
  ReaderOver over(std::string("\0\x05", 2));
  EXPECT_TRUE(over.reader.AtListEnd());
  EXPECT_TRUE(over.reader.AtListEnd());
  over.reader.ExpectTag(tagEnd);
  EXPECT_FALSE(over.reader.AtListEnd());
  EXPECT_EQ(ReadFailure([&] { over.reader.ExpectTag(tagList); }), "Invalid property value");
}

TEST(ReaderBytesTest, ReleaseGivesBackTheBytesReadAhead) {
  std::string bytes(10000, 'x');
  {
    ReaderOver over(bytes);
    char five[5];
    over.reader.GetBytes(five, 5);
    EXPECT_EQ(over.stream.CurrentOffset(), 4096);
    over.reader.Release();
    EXPECT_EQ(over.stream.CurrentOffset(), 5);
  }
  // Without an explicit release the destructor gives them back.
  TMemoryStream stream;
  Fill(stream, bytes);
  {
    TReader reader(stream, kFilerBufferSize);
    char some[4100];
    reader.GetBytes(some, 4100);
  }
  EXPECT_EQ(stream.CurrentOffset(), 4100);
}

TEST(ReaderValuesTest, SignatureAndPrefix) {
  EXPECT_EQ(ReadFailure([] { ReaderOver("TPF1").reader.CheckFormSignature(); }),
            "Invalid stream format");
  EXPECT_EQ(ReadFailure([] { ReaderOver("TPF").reader.CheckFormSignature(); }),
            "Stream read error");
  ReaderOver("TPF0").reader.CheckFormSignature();

  ReaderOver inherited_at_5(
      "\xF3\x02\x05"
      "A");
  ObjectPrefix prefix = inherited_at_5.reader.GetPrefix();
  EXPECT_EQ(prefix.flags, flagInherited | flagChildPosition);
  EXPECT_EQ(prefix.child_position, 5);
  EXPECT_EQ(inherited_at_5.reader.GetTag(), 'A');

  ReaderOver other_bits(
      "\xFC"
      "A");
  prefix = other_bits.reader.GetPrefix();
  EXPECT_EQ(prefix.flags, 12);
  EXPECT_EQ(other_bits.reader.GetTag(), 'A');

  ReaderOver large_position("\xF2" + Int32Value(70000));
  EXPECT_EQ(large_position.reader.GetPrefix().child_position, 70000);

  ReaderOver none("\xEF");
  EXPECT_EQ(none.reader.GetPrefix().flags, 0);
  EXPECT_EQ(none.reader.GetTag(), 0xEF);
}

TEST(ReaderValuesTest, NamesAreShortStrings) {
  ReaderOver over(ShortString("Caption") + ShortString("") + ShortString(std::string(255, 'n')));
  EXPECT_EQ(over.reader.GetName(), "Caption");
  EXPECT_EQ(over.reader.GetName(), "");
  EXPECT_EQ(over.reader.GetName(), std::string(255, 'n'));
}

TEST(ReaderValuesTest, TextsInTheBufferOrAcrossItsEdgeReadTheSame) {
  // With an 8-byte buffer, texts of every length start at every offset of it: some stand in
  // the buffer whole, the others are gathered in the spare string across refills.
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t length = 0; length <= 20; ++length) {
      std::string text(length, 'x');
      for (size_t i = 0; i < length; ++i) text[i] = char('a' + i);
      ReaderOver over(std::string(offset, '\x01') + ShortString(text) + StringValue(text) +
                          LongStringValue(text) + IdentValue(text),
                      8);
      for (size_t i = 0; i < offset; ++i) over.reader.GetTag();
      std::string spare = "old";
      ASSERT_EQ(over.reader.GetName(spare), text) << offset << " " << length;
      ASSERT_EQ(over.reader.GetStringValue(spare), text) << offset << " " << length;
      ASSERT_EQ(over.reader.GetStringValue(spare), text) << offset << " " << length;
      ASSERT_EQ(over.reader.GetIdentifier(spare), text) << offset << " " << length;
    }
  }
}

TEST(ReaderValuesTest, IntegersOfEveryWidthAndNothingElse) {
  ReaderOver over(Int8Value(-128) + Int16Value(-32768) + Int32Value(INT32_MIN) + Int8Value(127) +
                  Int16Value(300));
  EXPECT_EQ(over.reader.GetInteger(), -128);
  EXPECT_EQ(over.reader.GetInteger(), -32768);
  EXPECT_EQ(over.reader.GetInteger(), INT32_MIN);
  EXPECT_EQ(over.reader.GetInteger(), 127);
  EXPECT_EQ(over.reader.GetInteger(), 300);
  for (std::string bad : {"\x05", "\x82\x01", "\x01"}) {
    EXPECT_EQ(ReadFailure([&] { ReaderOver(bad).reader.GetInteger(); }), "Invalid property value");
  }
}

TEST(ReaderValuesTest, FloatingPointAcceptsIntegersExactly) {
  ReaderOver over(Int8Value(7) + Int32Value(-100000) +
                  std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11));
  EXPECT_EQ(over.reader.GetExtended(), ExtendedFromInt(7));
  EXPECT_EQ(over.reader.GetExtended(), ExtendedFromInt(-100000));
  Extended one_and_a_half = over.reader.GetExtended();
  EXPECT_EQ(one_and_a_half.significand, 0xC000000000000000u);
  EXPECT_EQ(one_and_a_half.sign_exponent, 0x3FFF);
  EXPECT_EQ(ReadFailure([] { ReaderOver("\x85").reader.GetExtended(); }), "Invalid property value");
  EXPECT_EQ(ReadFailure([] { ReaderOver("\x06\x00"s).reader.GetExtended(); }),
            "Invalid property value");
}

TEST(ReaderValuesTest, StringsShortAndLong) {
  std::string long_text(256, 'L');
  ReaderOver over(StringValue("") + StringValue("abc") + LongStringValue("") +
                  LongStringValue(long_text));
  EXPECT_EQ(over.reader.GetStringValue(), "");
  EXPECT_EQ(over.reader.GetStringValue(), "abc");
  EXPECT_EQ(over.reader.GetStringValue(), "");
  EXPECT_EQ(over.reader.GetStringValue(), long_text);
  EXPECT_EQ(ReadFailure([] {
              ReaderOver(
                  "\x86\x01"
                  "a")
                  .reader.GetStringValue();
            }),
            "Invalid property value");
  EXPECT_EQ(ReadFailure([] { ReaderOver(IdentValue("a")).reader.GetStringValue(); }),
            "Invalid property value");
}

TEST(ReaderValuesTest, LongStringLengthsThatCannotHold) {
  EXPECT_EQ(ReadFailure([] { ReaderOver("\x0C" + LittleEndian32(-1)).reader.GetStringValue(); }),
            "Invalid property value");
  EXPECT_EQ(
      ReadFailure([] { ReaderOver("\x0C" + LittleEndian32(INT32_MIN)).reader.GetStringValue(); }),
      "Invalid property value");
  // A length far beyond the stream ends with a read error, not a block of that size.
  EXPECT_EQ(ReadFailure([] {
              ReaderOver("\x0C" + LittleEndian32(INT32_MAX) + "abc").reader.GetStringValue();
            }),
            "Stream read error");
}

TEST(ReaderValuesTest, Identifiers) {
  ReaderOver over(IdentValue("alClient") + "\x08\x09\x0D" + IdentValue(""));
  EXPECT_EQ(over.reader.GetIdentifier(), "alClient");
  EXPECT_EQ(over.reader.GetIdentifier(), "False");
  EXPECT_EQ(over.reader.GetIdentifier(), "True");
  EXPECT_EQ(over.reader.GetIdentifier(), "nil");
  EXPECT_EQ(over.reader.GetIdentifier(), "");
  for (std::string bad : {"\x06\x00"s, "\x87\x00"s, "\x89"s, "\x0F"s}) {
    EXPECT_EQ(ReadFailure([&] { ReaderOver(bad).reader.GetIdentifier(); }),
              "Invalid property value");
  }
}

TEST(WriterBytesTest, AFullBufferIsWrittenOutByTheNextPutOrTheRelease) {
  RecordingStream stream;
  TWriter writer(stream, 4);
  writer.PutBytes("abcd", 4);
  EXPECT_TRUE(stream.writes.empty());
  writer.PutBytes("efghij", 6);
  EXPECT_EQ(stream.writes, (std::vector<int32_t>{4, 4}));
  writer.Release();
  EXPECT_EQ(stream.writes, (std::vector<int32_t>{4, 4, 2}));
  EXPECT_EQ(ContentOf(stream), "abcdefghij");
}

TEST(WriterBytesTest, PiecesAndNamesOfEverySizeAtEveryFillLevel) {
  // Small pieces are copied apart from large ones and a name's length byte goes in with its
  // bytes when both fit: whatever the room left, the stream gets the same bytes, in full
  // buffers only until the release.
  for (int32_t filled = 0; filled <= 32; ++filled) {
    for (int32_t size = 0; size <= 40; ++size) {
      std::string piece(size_t(size), ' ');
      for (int32_t i = 0; i < size; ++i) piece[size_t(i)] = char('A' + i);
      for (bool as_name : {false, true}) {
        RecordingStream stream;
        TWriter writer(stream, 32);
        writer.PutBytes(std::string(size_t(filled), '.').data(), filled);
        if (as_name) {
          writer.PutName(piece);
        } else {
          writer.PutBytes(piece.data(), size);
        }
        writer.Release();
        std::string expected =
            std::string(size_t(filled), '.') + (as_name ? ShortString(piece) : piece);
        ASSERT_EQ(ContentOf(stream), expected) << filled << " " << size << " " << as_name;
        for (size_t i = 0; i + 1 < stream.writes.size(); ++i) ASSERT_EQ(stream.writes[i], 32);
      }
    }
  }
}

TEST(WriterBytesTest, AStreamThatTakesFewerBytesIsAWriteError) {
  RecordingStream stream;
  stream.limit = 3;
  TWriter writer(stream, 4);
  writer.PutBytes("abcd", 4);
  try {
    writer.PutBytes("e", 1);
    FAIL();
  } catch (const EWriteError& failure) {
    EXPECT_EQ(failure.Message(), "Stream write error");
  }
}

TEST(WriterBytesTest, DestructionWritesOutWhatIsWaitingAndSwallowsAFailure) {
  RecordingStream stream;
  { TWriter(stream, 16).PutBytes("abc", 3); }
  EXPECT_EQ(ContentOf(stream), "abc");
  RecordingStream refusing;
  refusing.limit = 0;
  { TWriter(refusing, 16).PutBytes("abc", 3); }
  EXPECT_EQ(refusing.writes, (std::vector<int32_t>{3}));
}

// The bytes one value operation appends.
template <class Put>
std::string Written(Put put) {
  TMemoryStream stream;
  {
    TWriter writer(stream, kFilerBufferSize);
    put(writer);
    writer.Release();
  }
  return ContentOf(stream);
}

TEST(WriterValuesTest, EachOperationChoosesItsEncoding) {
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(127); }), "\x02\x7F");
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(-128); }), "\x02\x80");
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(128); }), "\x03\x80\x00"s);
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(-32768); }), "\x03\x00\x80"s);
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(32768); }), "\x04\x00\x80\x00\x00"s);
  EXPECT_EQ(Written([](TWriter& w) { w.PutInteger(INT32_MIN); }), "\x04\x00\x00\x00\x80"s);
  EXPECT_EQ(Written([](TWriter& w) { w.PutString(std::string(255, 'a')); }),
            "\x06\xFF" + std::string(255, 'a'));
  EXPECT_EQ(Written([](TWriter& w) { w.PutString(std::string(256, 'a')); }),
            "\x0C\x00\x01\x00\x00"s + std::string(256, 'a'));
  EXPECT_EQ(Written([](TWriter& w) { w.PutName(std::string(300, 'n')); }),
            "\xFF" + std::string(255, 'n'));
  EXPECT_EQ(Written([](TWriter& w) {
              for (const char* word : {"FALSE", "true", "NIL", "nill", "Truth"}) w.PutIdent(word);
            }),
            "\x08\x09\x0D\x07\x04nill\x07\x05Truth");
  EXPECT_EQ(Written([](TWriter& w) {
              w.PutPrefix(0, 7);
              w.PutPrefix(flagInherited, 7);
              w.PutPrefix(flagInherited | flagChildPosition, 5);
              w.PutPrefix(flagChildPosition, -300);
            }),
            "\xF1\xF3\x02\x05\xF2\x03\xD4\xFE");
  EXPECT_EQ(Written([](TWriter& w) {
              w.PutSignature();
              w.OpenList();
              w.CloseList();
              w.PutFloat(ExtendedFromInt(1));
            }),
            "TPF0\x01\x00\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"s);
}

TEST(WriterValuesTest, ABinaryValueIsAppendedOnlyWhenItsProducerSucceeds) {
  EXPECT_EQ(Written([](TWriter& w) {
              w.PutBinary([](TStream& bytes) { bytes.WriteAll("\x01\x02", 2); });
              w.PutBinary([](TStream&) {});
            }),
            "\x0A\x02\x00\x00\x00\x01\x02\x0A\x00\x00\x00\x00"s);
  EXPECT_EQ(Written([](TWriter& w) {
              w.PutTag(tagNil);
              try {
                w.PutBinary([](TStream& bytes) {
                  bytes.WriteAll("\x01", 1);
                  Raise<EParserError>(kMsgInvalidBinary);
                });
              } catch (const EParserError&) {
              }
            }),
            "\x0D");
}

}  // namespace
}  // namespace quorvex
