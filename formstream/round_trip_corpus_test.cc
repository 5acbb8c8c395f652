// Every real binary form of classic tags taken to text and back, and every real text form taken
// to binary and back to text.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formstream/binary_to_text.h"
#include "formstream/filer.h"
#include "formstream/form_resource_header.h"
#include "formstream/parser.h"
#include "formstream/text_to_binary.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/extended/float_text.h"
#include "tests/test_streams.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using namespace quorvex::testing;

// The longest line the tokenizer reads back, line end excluded.
constexpr size_t kLongestLine = 4093;

// Walks a binary form and names every encoding in it that the trip through text does not keep.
class EncodingAudit {
 public:
  explicit EncodingAudit(TReader& reader) : reader_(reader) {}

  void Object() {
    if ((reader_.PeekTag() & kPrefixMarker) == kPrefixMarker) {
      uint8_t flags = reader_.GetTag() & 0x0F;
      if (flags & 0x0C) reasons.insert("prefix bits 2-3");
      if (flags & flagChildPosition) Integer();
    }
    reader_.GetName();
    reader_.GetName();
    while (!reader_.AtListEnd()) Property();
    reader_.ExpectTag(tagEnd);
    while (!reader_.AtListEnd()) Object();
    reader_.ExpectTag(tagEnd);
  }

  std::set<std::string> reasons;

 private:
  void Property() {
    reader_.GetName();
    Value();
  }

  int32_t Integer() {
    uint8_t tag = reader_.PeekTag();
    int32_t value = reader_.GetInteger();
    uint8_t smallest = value >= -128 && value <= 127       ? tagInt8
                       : value >= -32768 && value <= 32767 ? tagInt16
                                                           : tagInt32;
    if (tag != smallest) reasons.insert("integer not in its smallest tag");
    return value;
  }

  static bool IsInteger(uint8_t tag) {
    return tag == tagInt8 || tag == tagInt16 || tag == tagInt32;
  }

  void Value() {
    switch (reader_.PeekTag()) {
      case tagList:
        reader_.GetTag();
        while (!reader_.AtListEnd()) Value();
        reader_.GetTag();
        return;
      case tagInt8:
      case tagInt16:
      case tagInt32:
        Integer();
        return;
      case tagExtended:
        reasons.insert("floating-point value");
        reader_.GetExtended();
        return;
      case tagLongString:
        if (reader_.GetStringValue().size() <= 255) reasons.insert("long string of <= 255 bytes");
        return;
      case tagIdent: {
        std::string ident = reader_.GetIdentifier();
        for (const char* word : {"False", "True", "nil"}) {
          if (EqualIgnoringAsciiCase(ident, word)) reasons.insert("ident spelled " + ident);
        }
        return;
      }
      case tagBinary: {
        reader_.GetTag();
        std::string bytes(size_t(reader_.GetLength()), '\0');
        reader_.GetBytes(bytes.data(), int32_t(bytes.size()));
        return;
      }
      case tagSet:
        reader_.GetTag();
        for (std::string member = reader_.GetName(); !member.empty();) member = reader_.GetName();
        return;
      case tagCollection:
        reader_.GetTag();
        while (!reader_.AtListEnd()) {
          if (IsInteger(reader_.PeekTag()) && Integer() == -1) reasons.insert("item order -1");
          reader_.ExpectTag(tagList);
          while (!reader_.AtListEnd()) Property();
          reader_.GetTag();
        }
        reader_.GetTag();
        return;
      case tagString:
        reader_.GetStringValue();
        return;
      default:
        reader_.GetIdentifier();  // tagFalse, tagTrue, tagNil
        return;
    }
  }

  TReader& reader_;
};

// What became of one real binary form on its way through text.
struct BinaryTrip {
  std::string reasons;  // the encodings the trip does not keep, joined by ", "
  std::string text;
  std::string back;  // the form file made from the text, or the failure
  std::string text_again;
};

std::string Joined(const std::set<std::string>& reasons) {
  std::string joined;
  for (const std::string& reason : reasons) joined += (joined.empty() ? "" : ", ") + reason;
  return joined;
}

std::string Failure(const Exception& failure) {
  return std::string("! ") + failure.ClassName() + ": " + failure.Message();
}

std::string TextOfResource(const std::string& bytes) {
  TMemoryStream input;
  Fill(input, bytes);
  TMemoryStream output;
  ResourceFormToText(input, output);
  return ContentOf(output);
}

std::string ResourceOfText(const std::string& text) {
  TMemoryStream input;
  Fill(input, text);
  TMemoryStream output;
  try {
    TextFormToResource(input, output);
  } catch (const Exception& failure) {
    return Failure(failure);
  }
  return ContentOf(output);
}

// The reasons found in the form itself, its header and the lines of its text.
std::set<std::string> AuditForm(const std::string& bytes, const std::string& text) {
  TMemoryStream input;
  Fill(input, bytes);
  ReadFormResourceHeader(input);
  int32_t form_start = input.CurrentOffset();
  EncodingAudit audit = [&] {
    TReader reader(input, kFilerBufferSize);
    reader.CheckFormSignature();
    EncodingAudit walk(reader);
    walk.Object();
    reader.Release();
    return walk;
  }();
  TMemoryStream form;
  form.WriteAll(bytes.data() + form_start, input.CurrentOffset() - form_start);
  TMemoryStream rewrapped;
  WriteFormResource(form, rewrapped);
  if (ContentOf(rewrapped) != bytes) audit.reasons.insert("header other than the writer's");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() - 1 > kLongestLine) audit.reasons.insert("line over the tokenizer's limit");
  }
  return audit.reasons;
}

BinaryTrip TakeThroughText(const std::string& bytes) {
  BinaryTrip trip;
  trip.text = TextOfResource(bytes);
  trip.reasons = Joined(AuditForm(bytes, trip.text));
  trip.back = ResourceOfText(trip.text);
  if (trip.back.rfind("! ", 0) != 0) trip.text_again = TextOfResource(trip.back);
  return trip;
}

// Forms whose encodings the trip through text does not keep, with what the audit finds in
// them; every other form of classic tags must come back byte for byte.
const std::map<std::string, std::string> kChangedByText = {
    {"binary/002_prefs.dfm", "floating-point value"},
    {"binary/003_chartdlg.dfm", "prefix bits 2-3"},
    {"binary/004_data.dfm", "floating-point value"},
    {"binary/007_user_adm.dfm", "floating-point value"},
    {"binary/009_xfilesunit1.dfm", "floating-point value"},
    {"binary/071_export1.dfm", "floating-point value"},
    {"binary/081_tsdatetimeeditor.dfm", "floating-point value"},
    {"binary/090_main.dfm", "floating-point value"},
};

// Damaged as stored: its length bytes no longer fit the data, and its text does not read back.
const std::string kDamagedForm = "binary/016_exff2simpleplanneru1.dfm";

TEST(RoundTripCorpusTest, BinaryFormsComeBackThroughText) {
  fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus of real forms";
  std::map<std::string, ProvenanceRow> provenance = ReadProvenance(corpus);
  int identical = 0;
  int changed = 0;
  for (const auto& entry : fs::directory_iterator(corpus / "binary")) {
    std::string file = "binary/" + entry.path().filename().string();
    if (file == kDamagedForm || provenance[file]["only_classic_tags"] != "yes") continue;
    SCOPED_TRACE(file);
    std::string bytes = ReadFileBytes(entry.path());
    BinaryTrip trip = TakeThroughText(bytes);
    auto expected = kChangedByText.find(file);
    EXPECT_EQ(trip.reasons, expected == kChangedByText.end() ? "" : expected->second);
    if (trip.reasons.empty()) {
      EXPECT_TRUE(trip.back == bytes) << trip.back.substr(0, 200);
      ++identical;
    } else {
      // What the text says survives the second trip unchanged.
      EXPECT_EQ(trip.text_again, trip.text) << trip.back.substr(0, 200);
      ++changed;
    }
  }
  std::cout << identical << " forms came back byte for byte, " << changed
            << " with the encodings named in the test changed\n";
  EXPECT_EQ(changed, int(kChangedByText.size()));
  EXPECT_GT(identical, 0);
}

TEST(RoundTripCorpusTest, TheDamagedFormsTextDoesNotReadBack) {
  fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus of real forms";
  std::string text = TextOfResource(ReadFileBytes(corpus / kDamagedForm));
  EXPECT_EQ(ResourceOfText(text).substr(0, 15), "! EParserError:");
}

// The tokens of a text form as kind and text, strings and binary blocks decoded: the text without
// the layout the conversion to binary does not keep (indentation, line breaks, the quoting of
// strings).
std::vector<std::pair<int, std::string>> TokensOf(const std::string& text) {
  TMemoryStream source;
  Fill(source, text);
  TParser parser(source);
  std::vector<std::pair<int, std::string>> tokens;
  for (; parser.Kind() != tokEnd; parser.Advance()) {
    if (parser.Kind() != '{') {
      tokens.emplace_back(parser.Kind(), parser.TokenText());
      continue;
    }
    TMemoryStream bytes;
    parser.ReadHexBlock(bytes);
    tokens.emplace_back('{', ContentOf(bytes));
  }
  return tokens;
}

// True when a floating-point token is not written the way the conversion writes its value
// (1.000000000000000000 comes back as 1).
bool HasFloatsInAnotherForm(const std::vector<std::pair<int, std::string>>& tokens) {
  ScopedDecimalPoint point('.');
  for (const auto& [kind, text] : tokens) {
    if (kind == tokFloat && FormatExtended(ParseExtended(text)) != text) return true;
  }
  return false;
}

// Text forms of every kind. Those written by later versions with strings continued by "+" on
// the next line or typed float suffixes (1.5s) fail; every other one comes back token for
// token, except for floating-point values written in another form than the conversion's.
// Character codes above 255 (#22996) lose their high bits already when the text is read.
TEST(RoundTripCorpusTest, TextFormsComeBackUpToLayout) {
  fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus of real forms";
  std::map<std::string, ProvenanceRow> provenance = ReadProvenance(corpus);
  std::map<std::string, int> outcomes;
  for (const auto& entry : fs::directory_iterator(corpus / "text")) {
    std::string file = "text/" + entry.path().filename().string();
    SCOPED_TRACE(file);
    const ProvenanceRow& row = provenance[file];
    std::string text = ReadFileBytes(entry.path());
    std::string resource = ResourceOfText(text);
    if (row.at("concat_lines") != "0" || row.at("typed_float_suffix") != "0") {
      EXPECT_EQ(resource.substr(0, 15), "! EParserError:");
      ++outcomes["fail: strings continued with + or typed float suffixes"];
      continue;
    }
    ASSERT_EQ(resource.substr(0, 2), std::string("\xFF\x0A"));
    std::vector<std::pair<int, std::string>> tokens = TokensOf(text);
    bool same = tokens == TokensOf(TextOfResource(resource));
    if (HasFloatsInAnotherForm(tokens)) {
      EXPECT_FALSE(same);
      ++outcomes["changed: floating-point values in their shortest form"];
    } else {
      EXPECT_TRUE(same);
      ++outcomes[row.at("wide_char_codes") != "0" ? "same tokens, codes above 255 cut to a byte"
                                                  : "same tokens"];
    }
  }
  for (const auto& [outcome, count] : outcomes) std::cout << count << " " << outcome << "\n";
}

}  // namespace
}  // namespace quorvex
