#ifndef QUORVEX_ADDITIONS_TABLE_ENTRY_TRIE_H_
#define QUORVEX_ADDITIONS_TABLE_ENTRY_TRIE_H_

#include "additions/entry_trie.h"

namespace quorvex {

// The trie of the additions table's entries, entry i under index i. It is made from the table
// when the program is built (by make_table_entry_trie) and lies in read-only data, so a run
// pays nothing to set it up.
EntryTrieView TableEntryTrie();

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_TABLE_ENTRY_TRIE_H_
