#include "additions/addition_search.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "additions/additions_table.h"
#include "additions/table_entry_trie.h"

namespace quorvex {
namespace {

constexpr int kNoHit = INT_MAX;

#if defined(__GNUC__)
#define QUORVEX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define QUORVEX_ALWAYS_INLINE inline
#endif

// The number of bits set in bits, in a few operations that any processor has. Compilers turn
// them into a single instruction where the processor has one (see ChosenSearch).
QUORVEX_ALWAYS_INLINE int BitCount(uint64_t bits) {
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return int((bits * 0x0101010101010101u) >> 56);
}

QUORVEX_ALWAYS_INLINE uint16_t Child(const EntryTrieView& trie, uint16_t node, unsigned char byte) {
  const unsigned symbol = trie.symbol[byte];
  const EntryTrieNode& cells = trie.nodes[node];
  // A byte that no entry holds has the symbol 64, which no mask holds.
  if (symbol == EntryTrieView::kNoSymbol || (cells.child_mask >> symbol & 1) == 0) return 0;
  return uint16_t(cells.first_child + BitCount(cells.child_mask & ((uint64_t{1} << symbol) - 1)));
}

// Follows the trie from node over the bytes from last - 1 down to first, taking the lowest
// index of every node passed into lowest; false when a byte has no edge.
QUORVEX_ALWAYS_INLINE bool Descend(const EntryTrieView& trie, uint16_t& node, const char* first,
                                   const char* last, int& lowest) {
  for (const char* at = last; at != first;) {
    node = Child(trie, node, static_cast<unsigned char>(*--at));
    if (node == 0) return false;
    if (trie.nodes[node].lowest != 0) lowest = std::min<int>(lowest, trie.nodes[node].lowest);
  }
  return true;
}

// The lowest index of the entries that end at position end of before followed by text (the
// entry's last byte is the one before end), kNoHit when none does. The walk runs leftwards
// through text and then on through before.
QUORVEX_ALWAYS_INLINE int LowestEndingAt(const EntryTrieView& trie, std::string_view before,
                                         std::string_view text, size_t end) {
  int lowest = trie.nodes[0].lowest != 0 ? trie.nodes[0].lowest : kNoHit;
  uint16_t node = 0;
  const size_t in_text = end > before.size() ? end - before.size() : 0;
  if (Descend(trie, node, text.data(), text.data() + in_text, lowest)) {
    Descend(trie, node, before.data(), before.data() + (end - in_text), lowest);
  }
  return lowest;
}

// The first "=" in [from, end), or end when there is none.
QUORVEX_ALWAYS_INLINE const char* FindEquals(const char* from, const char* end) {
  const void* found = from < end ? std::memchr(from, '=', size_t(end - from)) : nullptr;
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// Each "=" in text that follows a space (the space may be the last byte of before) ends the
// patterns of the entries that end just before that space.
QUORVEX_ALWAYS_INLINE int LowestHitEndingIn(const EntryTrieView& trie, std::string_view before,
                                            std::string_view text, size_t first_equals) {
  int lowest = kNoHit;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* equals = begin + std::min(first_equals, text.size());
  // The first "=" is most often where the caller says; the others are looked for.
  if (equals < end && *equals != '=') equals = FindEquals(equals, end);
  for (; equals != end; equals = FindEquals(equals + 1, end)) {
    const size_t at = size_t(equals - begin);
    const bool after_space = at > 0 ? text[at - 1] == ' ' : !before.empty() && before.back() == ' ';
    if (after_space) {
      lowest = std::min(lowest, LowestEndingAt(trie, before, text, before.size() + at - 1));
    }
  }
  return lowest == kNoHit ? 0 : lowest;
}

int PortableHitEndingIn(const EntryTrieView& trie, std::string_view before, std::string_view text,
                        size_t first_equals) {
  return LowestHitEndingIn(trie, before, text, first_equals);
}

// Counting the bits of a node's mask is the innermost step of the search. x86 processors have
// an instruction for it, but not all of them, so the search is made twice: once for every
// processor and once for those that have it, and the one to use is chosen when the process
// starts. Elsewhere the portable search is the only one.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
__attribute__((target("popcnt"))) int PopcntHitEndingIn(const EntryTrieView& trie,
                                                        std::string_view before,
                                                        std::string_view text,
                                                        size_t first_equals) {
  return LowestHitEndingIn(trie, before, text, first_equals);
}

AdditionSearch::HitEndingIn ChosenSearch() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt") ? PopcntHitEndingIn : PortableHitEndingIn;
}
#else
AdditionSearch::HitEndingIn ChosenSearch() {
  return PortableHitEndingIn;
}
#endif

}  // namespace

AdditionSearch::AdditionSearch(EntryTrieView trie) : trie_(trie) {
  static const HitEndingIn chosen = ChosenSearch();
  hit_ending_in_ = chosen;
}

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

}  // namespace quorvex
