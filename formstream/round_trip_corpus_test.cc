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
#include "tests/encoding_audit.h"
#include "tests/test_streams.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using namespace quorvex::testing;

// What became of one real binary form on its way through text.
struct BinaryTrip {
  std::string reasons;  // the encodings the trip does not keep, joined by ", "
  std::string text;
  std::string back;  // the form file made from the text, or the failure
  std::string text_again;
};

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

BinaryTrip TakeThroughText(const std::string& bytes) {
  BinaryTrip trip;
  trip.text = TextOfResource(bytes);
  trip.reasons = AuditedReasons(bytes, trip.text);
  trip.back = ResourceOfText(trip.text);
  if (trip.back.rfind("! ", 0) != 0) trip.text_again = TextOfResource(trip.back);
  return trip;
}

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
