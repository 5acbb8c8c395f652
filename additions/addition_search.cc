#include "additions/addition_search.h"

#include <algorithm>
#include <deque>

#include "additions/additions_table.h"

namespace quorvex {

std::vector<std::string> AdditionPatterns() {
  std::vector<std::string> patterns;
  patterns.reserve(kAdditionCount);
  for (int index = 1; index <= kAdditionCount; ++index) {
    patterns.push_back(std::string(AdditionAt(index)) + " =");
  }
  return patterns;
}

AdditionSearch::AdditionSearch(const std::vector<std::string>& patterns) {
  std::array<bool, 256> used{};
  for (const std::string& pattern : patterns) {
    for (unsigned char byte : pattern) used[byte] = true;
  }
  uint32_t columns = 2;  // cell 0 and the class of unused bytes
  for (int byte = 0; byte < 256; ++byte) column_[byte] = used[byte] ? columns++ : 1;
  row_width_ = columns;
  BuildTrie(patterns);
  LinkFailures();
}

const AdditionSearch& AdditionSearch::ForTable() {
  static const AdditionSearch search(AdditionPatterns());
  return search;
}

uint32_t AdditionSearch::AddRow() {
  const auto row = static_cast<uint32_t>(table_.size());
  table_.resize(table_.size() + row_width_, 0);
  table_[row] = kNoHit;
  return row;
}

// Lays out the trie of the patterns. While it is built, a cell that holds 0 means "no child":
// no trie edge leads back to the root, whose row is at offset 0.
void AdditionSearch::BuildTrie(const std::vector<std::string>& patterns) {
  AddRow();
  for (size_t i = 0; i < patterns.size(); ++i) {
    uint32_t row = 0;
    for (unsigned char byte : patterns[i]) {
      const uint32_t cell = row + column_[byte];
      if (table_[cell] == 0) {
        const uint32_t child = AddRow();
        table_[cell] = child;
      }
      row = table_[cell];
    }
    table_[row] = std::min(table_[row], static_cast<uint32_t>(i + 1));
  }
}

// Turns the trie into the automaton, breadth first: a missing child becomes the transition of
// the state's failure state (its longest proper suffix in the trie), and each state takes
// over the lowest index of its failure state. Every failure state is shallower than the state
// itself, so its row is complete when it is read.
void AdditionSearch::LinkFailures() {
  std::vector<uint32_t> failure(table_.size() / row_width_, 0);
  std::deque<uint32_t> pending;
  for (uint32_t column = 1; column < row_width_; ++column) {
    if (table_[column] != 0) pending.push_back(table_[column]);
  }
  while (!pending.empty()) {
    const uint32_t row = pending.front();
    pending.pop_front();
    const uint32_t fail = failure[row / row_width_];
    for (uint32_t column = 1; column < row_width_; ++column) {
      const uint32_t child = table_[row + column];
      if (child == 0) {
        table_[row + column] = table_[fail + column];
        continue;
      }
      const uint32_t child_fail = table_[fail + column];
      failure[child / row_width_] = child_fail;
      table_[child] = std::min(table_[child], table_[child_fail]);
      pending.push_back(child);
    }
  }
}

AdditionSearch::Position AdditionSearch::Resume(Position from, std::string_view text) const {
  const uint32_t* table = table_.data();
  uint32_t row = from.row_;
  uint32_t lowest = from.lowest_;
  for (unsigned char byte : text) {
    row = table[row + column_[byte]];
    lowest = std::min(lowest, table[row]);
  }
  return Position(row, lowest);
}

}  // namespace quorvex
