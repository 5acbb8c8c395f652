#include "additions/addition_search.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "additions/additions_table.h"
#include "additions/table_entry_trie.h"

namespace quorvex {
namespace {

constexpr int kNoHit = INT_MAX;

// The number of bits set in bits: a few operations, with no processor feature assumed.
inline int BitCount(uint64_t bits) {
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return int((bits * 0x0101010101010101u) >> 56);
}

}  // namespace

std::vector<std::string> AdditionPatterns() {
  std::vector<std::string> patterns;
  patterns.reserve(kAdditionCount);
  for (int index = 1; index <= kAdditionCount; ++index) {
    patterns.push_back(std::string(AdditionAt(index)) + " =");
  }
  return patterns;
}

const AdditionSearch& AdditionSearch::ForTable() {
  static const AdditionSearch search(TableEntryTrie());
  return search;
}

int AdditionSearch::FirstHit(std::string_view before, std::string_view text) const {
  const int in_before = FirstHit(before);
  const int ending_in_text = FirstHitEndingIn(before, text);
  if (in_before == 0 || ending_in_text == 0) return std::max(in_before, ending_in_text);
  return std::min(in_before, ending_in_text);
}

// Each "=" in text that follows a space (the space may be the last byte of before) ends the
// patterns of the entries that end just before that space.
int AdditionSearch::FirstHitEndingIn(std::string_view before, std::string_view text,
                                     size_t first_equals) const {
  int lowest = kNoHit;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* equals = begin + std::min(first_equals, text.size());
  while (equals < end &&
         (equals = static_cast<const char*>(std::memchr(equals, '=', size_t(end - equals))))) {
    const size_t at = size_t(equals - begin);
    ++equals;
    const bool after_space = at > 0 ? text[at - 1] == ' ' : !before.empty() && before.back() == ' ';
    if (after_space)
      lowest = std::min(lowest, LowestEndingAt(before, text, before.size() + at - 1));
  }
  return lowest == kNoHit ? 0 : lowest;
}

// The lowest index of the entries that end at position end of before followed by text (the
// entry's last byte is the one before end), kNoHit when none does. The walk runs leftwards
// through text and then on through before.
int AdditionSearch::LowestEndingAt(std::string_view before, std::string_view text,
                                   size_t end) const {
  int lowest = trie_.lowest[0] != 0 ? trie_.lowest[0] : kNoHit;
  uint16_t node = 0;
  const size_t in_text = end > before.size() ? end - before.size() : 0;
  if (Descend(node, text.data(), text.data() + in_text, lowest)) {
    Descend(node, before.data(), before.data() + (end - in_text), lowest);
  }
  return lowest;
}

inline uint16_t AdditionSearch::Child(uint16_t node, unsigned char byte) const {
  const unsigned symbol = trie_.symbol[byte];
  const uint64_t mask = trie_.child_mask[node];
  // A byte that no entry holds has the symbol 64, which no mask holds.
  if (symbol == EntryTrieView::kNoSymbol || (mask >> symbol & 1) == 0) return 0;
  return uint16_t(trie_.first_child[node] + BitCount(mask & ((uint64_t{1} << symbol) - 1)));
}

// Follows the trie from node over the bytes from last - 1 down to first, taking the lowest
// index of every node passed into lowest; false when a byte has no edge.
bool AdditionSearch::Descend(uint16_t& node, const char* first, const char* last,
                             int& lowest) const {
  for (const char* at = last; at != first;) {
    node = Child(node, static_cast<unsigned char>(*--at));
    if (node == 0) return false;
    if (trie_.lowest[node] != 0) lowest = std::min<int>(lowest, trie_.lowest[node]);
  }
  return true;
}

}  // namespace quorvex
