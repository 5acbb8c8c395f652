#ifndef QUORVEX_ADDITIONS_ADDITION_SEARCH_H_
#define QUORVEX_ADDITIONS_ADDITION_SEARCH_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// The search pattern of every table entry, in index order: element i is entry i + 1 followed
// by " =".
std::vector<std::string> AdditionPatterns();

// Finds, in a text, the lowest index among the patterns that occur anywhere in it: the same
// answer as looking for each pattern in index order and stopping at the first that occurs.
//
// One automaton over all patterns (a trie with failure links folded into a dense transition
// table over byte classes) reads the text once, byte by byte. Each state carries the lowest
// index among the patterns that end there, its suffix states' patterns included, so the
// answer is the minimum over the states passed through.
//
// A scan can be continued: Resume(Resume(Start(), a), b) answers for the text a followed by
// b, so a caller that searches many texts behind one fixed prefix scans the prefix once and
// keeps the Position reached after it.
class AdditionSearch {
 public:
  // Where a scan stands: the automaton state after the text read so far, and the lowest
  // pattern index found in it.
  class Position {
   public:
    // The lowest index found so far, from 1; 0 when no pattern occurred.
    int FirstHit() const { return lowest_ == kNoHit ? 0 : static_cast<int>(lowest_); }

   private:
    friend class AdditionSearch;
    Position(uint32_t row, uint32_t lowest) : row_(row), lowest_(lowest) {}
    uint32_t row_;
    uint32_t lowest_;
  };

  // Pattern i of patterns (counted from 0) gets the index i + 1. No pattern may be empty.
  explicit AdditionSearch(const std::vector<std::string>& patterns);

  // The search over the additions table's patterns, built on first use.
  static const AdditionSearch& ForTable();

  Position Start() const { return Position(0, kNoHit); }
  Position Resume(Position from, std::string_view text) const;

  // The lowest index of a pattern that occurs in text, 0 when none does.
  int FirstHit(std::string_view text) const { return Resume(Start(), text).FirstHit(); }

 private:
  static constexpr uint32_t kNoHit = UINT32_MAX;

  void BuildTrie(const std::vector<std::string>& patterns);
  void LinkFailures();
  uint32_t AddRow();

  // Byte to column: 1 + its class; class 0 holds every byte that no pattern contains.
  std::array<uint32_t, 256> column_{};
  uint32_t row_width_ = 0;
  // One row per state, row_width_ cells each: cell 0 is the state's lowest pattern index
  // (kNoHit for none), cell column_[byte] the offset of the next state's row.
  std::vector<uint32_t> table_;
};

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_ADDITION_SEARCH_H_
