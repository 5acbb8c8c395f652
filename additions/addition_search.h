#ifndef QUORVEX_ADDITIONS_ADDITION_SEARCH_H_
#define QUORVEX_ADDITIONS_ADDITION_SEARCH_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "additions/entry_trie.h"

namespace quorvex {

// The search pattern of every table entry, in index order: element i is entry i + 1 followed
// by " =".
std::vector<std::string> AdditionPatterns();

// Finds, in a text, the lowest index among the patterns that occur anywhere in it, where the
// pattern of an entry is the entry followed by " =": the same answer as looking for each
// pattern in index order and stopping at the first that occurs.
//
// Every occurrence of a pattern ends at an occurrence of " =" in the text. The search finds
// those with a fast scan for "=" and, from each, follows the trie of the reversed entries
// leftwards as far as the text matches; every node passed is the end of entries that occur
// there, and the answer is the lowest index among them. A line of a form holds about one
// " =", so a search reads a few dozen bytes rather than the whole line.
//
// A text can be searched behind a fixed text before it (the filter's class prefix): the
// matches run on from the text into the part before it, and FirstHitEndingIn leaves out the
// occurrences that lie wholly in the part before, which the caller finds once with FirstHit.
class AdditionSearch {
 public:
  // The search of FirstHitEndingIn, made for the processor the process runs on.
  using HitEndingIn = int (*)(const EntryTrieView& trie, std::string_view before,
                              std::string_view text, size_t first_equals);

  explicit AdditionSearch(EntryTrieView trie);

  // The search over the additions table's entries.
  static const AdditionSearch& ForTable();

  // The lowest index of a pattern that occurs in text, 0 when none does.
  int FirstHit(std::string_view text) const { return FirstHitEndingIn({}, text); }

  // The lowest index of a pattern that occurs in before followed by text, 0 when none does.
  int FirstHit(std::string_view before, std::string_view text) const;

  // As FirstHit(before, text), counting only the occurrences that end inside text. The caller
  // that knows where the first "=" of text lies passes its offset as first_equals, so that the
  // scan starts there; text.size() when it holds none.
  int FirstHitEndingIn(std::string_view before, std::string_view text,
                       size_t first_equals = 0) const {
    return hit_ending_in_(trie_, before, text, first_equals);
  }

 private:
  EntryTrieView trie_;
  HitEndingIn hit_ending_in_;
};

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_ADDITION_SEARCH_H_
