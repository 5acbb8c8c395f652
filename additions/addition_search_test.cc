#include "additions/addition_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "additions/additions_table.h"
#include "additions/entry_trie.h"
#include "additions/literal_addition_scan.h"
#include "additions/table_entry_trie.h"
#include "driver/line_filter.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

// The table's entries, entry i + 1 at position i.
std::vector<std::string> TableEntries() {
  std::vector<std::string> entries;
  for (int index = 1; index <= kAdditionCount; ++index) entries.emplace_back(AdditionAt(index));
  return entries;
}

TEST(AdditionSearchTest, TheBuiltInTrieIsTheOneTheTableGives) {
  const EntryTrie made = BuildEntryTrie(TableEntries());
  const EntryTrieView built_in = TableEntryTrie();
  ASSERT_EQ(built_in.node_count, made.nodes.size());
  EXPECT_TRUE(std::equal(made.nodes.begin(), made.nodes.end(), built_in.nodes));
  EXPECT_EQ(std::vector<uint8_t>(built_in.symbol, built_in.symbol + 256), made.symbol);
}

// Every two-byte entry over the first 40 letters and digits, then the first three_byte_entries
// three-byte ones: a trie of 1 + 40 + 1600 + three_byte_entries nodes.
std::vector<std::string> ShortEntries(int three_byte_entries) {
  const std::string symbols = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";
  std::vector<std::string> entries;
  for (char first : symbols) {
    for (char last : symbols) entries.push_back({first, last});
  }
  for (int i = 0; i < three_byte_entries; ++i) {
    entries.push_back({symbols[i / 1600], symbols[i / 40 % 40], symbols[i % 40]});
  }
  return entries;
}

TEST(AdditionSearchTest, TrieCellsHoldSixteenBitsAndSymbolsSixtyFourBytes) {
  EXPECT_EQ(BuildEntryTrie(ShortEntries(63894)).nodes.size(), 65535u);
  EXPECT_THROW(BuildEntryTrie(ShortEntries(63895)), std::length_error);  // 65536 nodes
  std::string bytes;
  for (int byte = 0; byte < 64; ++byte) bytes += char(byte * 4);
  EXPECT_EQ(BuildEntryTrie({bytes}).nodes.size(), 65u);
  EXPECT_THROW(BuildEntryTrie({bytes + "\x01"}), std::length_error);  // 65 different bytes
}

TEST(AdditionSearchTest, LowestIndexWinsWhereverItsPatternEnds) {
  const EntryTrie trie = BuildEntryTrie({"bcd", "abcde", "cd", "x", "abc", "x."});
  const AdditionSearch search(trie.View());
  EXPECT_EQ(search.FirstHit("abcd ="), 1);
  EXPECT_EQ(search.FirstHit("abcde = bcd"), 2);
  EXPECT_EQ(search.FirstHit("x = 1, abcd = 2"), 1);  // a lower index later in the text wins
  EXPECT_EQ(search.FirstHit("acd =x"), 3);
  EXPECT_EQ(search.FirstHit("abc ="), 5);
  EXPECT_EQ(search.FirstHit("x. ="), 6);
  for (const char* miss : {"", "=", " =", "abcd", "abcd=", "abcd  =", "bc d =", "bc ="}) {
    EXPECT_EQ(search.FirstHit(miss), 0) << miss;
  }
  // Searched behind a text before it: matches run on into it, and the " =" may be split.
  EXPECT_EQ(search.FirstHit("ab", "cd = 1"), 1);
  EXPECT_EQ(search.FirstHitEndingIn("ab", "cd = 1"), 1);
  EXPECT_EQ(search.FirstHit("x =", "abc = 1"), 4);
  EXPECT_EQ(search.FirstHitEndingIn("x =", "abc = 1"), 5);  // "x =" lies wholly before
  EXPECT_EQ(search.FirstHit("abc ", "= 1"), 5);
  EXPECT_EQ(search.FirstHit("x", " ="), 4);
  EXPECT_EQ(search.FirstHit("", ""), 0);
}

TEST(AdditionSearchTest, AnEmptyEntryOccursAtEverySpaceAndEquals) {
  const EntryTrie trie = BuildEntryTrie({"ab", ""});
  const AdditionSearch search(trie.View());
  EXPECT_EQ(search.FirstHit(" ="), 2);
  EXPECT_EQ(search.FirstHit("ab ="), 1);
  EXPECT_EQ(search.FirstHit("ab= b"), 0);
}

TEST(AdditionSearchTest, EveryPatternAloneAndInNoiseAgreesWithTheLiteralScan) {
  const AdditionSearch& search = AdditionSearch::ForTable();
  const std::vector<std::string> patterns = AdditionPatterns();
  ASSERT_EQ(patterns.size(), static_cast<size_t>(kAdditionCount));
  for (const std::string& pattern : patterns) {
    for (const std::string& text : {pattern, "  T" + pattern + " 1", pattern.substr(1),
                                    pattern.substr(0, pattern.size() - 1)}) {
      ASSERT_EQ(search.FirstHit(text), LiteralFirstAddition(text)) << text;
    }
  }
  EXPECT_EQ(search.FirstHit("Calendar.OnStartDrag = x"), 1);
  EXPECT_EQ(search.FirstHit("TMyWinControl.ParentWindow = 0"), 947);
  EXPECT_EQ(search.FirstHit("ColorGrid.OnStartDrag = x"), 3);  // 4 is the same text
}

// The class prefix an object header line sets, as the conversion run takes it; empty for any
// other line.
std::string PrefixOfHeader(std::string_view trimmed) {
  std::optional<std::string_view> class_text = HeaderClassText(trimmed);
  return class_text ? std::string(*class_text) + "." : "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

// Both searches of the filter over every line of every text form of the corpus: the trimmed
// line alone, and the class prefix of the last object header followed by it.
TEST(AdditionSearchTest, CorpusLinesAgreeWithTheLiteralScan) {
  const std::filesystem::path corpus = testing::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus";
  const AdditionSearch& search = AdditionSearch::ForTable();
  size_t lines = 0;
  size_t hits = 0;
  for (const auto& file : std::filesystem::directory_iterator(corpus / "text")) {
    if (file.path().extension() != ".dfm") continue;
    std::string prefix;
    for (const std::string& line : SplitLines(testing::ReadFileBytes(file.path()))) {
      const std::string_view trimmed = TrimmedLine(line);
      const int literal = LiteralFirstAddition(trimmed);
      ASSERT_EQ(search.FirstHit(trimmed), literal) << file.path() << ": " << line;
      const std::string prefixed = prefix + std::string(trimmed);
      ASSERT_EQ(search.FirstHit(prefix, trimmed), LiteralFirstAddition(prefixed))
          << file.path() << ": " << prefixed;
      ++lines;
      hits += literal != 0;
      const std::string header_prefix = PrefixOfHeader(trimmed);
      if (header_prefix.empty()) continue;
      prefix = header_prefix;
    }
  }
  EXPECT_GT(lines, 10000u);
  EXPECT_GT(hits, 100u);
  std::cout << "corpus lines compared: " << lines << " (first search hits: " << hits << ")\n";
}

// Random lines made of table entries and their pieces: whole entries, fragments, class and
// property parts, case changes, class prefixes, and " =" in and out of place.
class EntryLineMaker {
 public:
  explicit EntryLineMaker(unsigned seed) : random_(seed) {}

  std::string Line() {
    std::string line;
    const int pieces = Pick(1, 4);
    for (int i = 0; i < pieces; ++i) line += Piece();
    return line;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string_view AnyEntry() { return AdditionAt(Pick(1, kAdditionCount)); }

  std::string Piece() {
    std::string piece = Fragment();
    if (Pick(0, 3) == 0) ChangeCase(piece);
    static const char* const kAfter[] = {
        " =", " = ", " =", "=", " ", "", " ==", "  =", " = (", "\t=", ".", " = True", "'"};
    return piece + kAfter[Pick(0, std::size(kAfter) - 1)];
  }

  std::string Fragment() {
    const std::string_view entry = AnyEntry();
    const size_t dot = entry.find('.');
    switch (Pick(0, 6)) {
      case 0: {
        const size_t start = Pick(0, static_cast<int>(entry.size()) - 1);
        return std::string(entry.substr(start, Pick(1, static_cast<int>(entry.size()))));
      }
      case 1:
        return "T" + std::string(entry.substr(0, dot)) + ".";
      case 2:
        return dot == std::string_view::npos ? std::string(entry)
                                             : std::string(entry.substr(dot + 1));
      case 3:
        return "  " + std::string(Pick(0, 3), ' ');
      case 4:
        return std::string(1, "xT.[ =\t<>'"[Pick(0, 9)]);
      default:
        return std::string(entry);
    }
  }

  void ChangeCase(std::string& piece) {
    if (piece.empty()) return;
    char& c = piece[Pick(0, static_cast<int>(piece.size()) - 1)];
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  }

  std::mt19937 random_;
};

// Each random line is also searched in two parts, the second behind the first, as the filter
// searches a line behind its class prefix.
TEST(AdditionSearchTest, RandomEntryLinesAgreeWithTheLiteralScan) {
  const AdditionSearch& search = AdditionSearch::ForTable();
  EntryLineMaker maker(20240611);
  std::mt19937 splitter(7);
  constexpr int kLines = 400000;
  int hits = 0;
  for (int i = 0; i < kLines; ++i) {
    const std::string line = maker.Line();
    const int literal = LiteralFirstAddition(line);
    ASSERT_EQ(search.FirstHit(line), literal) << line;
    const size_t split = std::uniform_int_distribution<size_t>(0, line.size())(splitter);
    const std::string_view text(line);
    ASSERT_EQ(search.FirstHit(text.substr(0, split), text.substr(split)), literal)
        << line << " @" << split;
    hits += literal != 0;
  }
  // The lines must exercise both outcomes often.
  EXPECT_GT(hits, kLines / 10);
  EXPECT_LT(hits, kLines * 4 / 5);
  std::cout << "random lines compared: " << kLines << " (hits: " << hits << ")\n";
}

}  // namespace
}  // namespace quorvex
