#ifndef QUORVEX_ADDITIONS_ENTRY_TRIE_H_
#define QUORVEX_ADDITIONS_ENTRY_TRIE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

// A trie of entries read backwards, from their last byte to their first, so that a search can
// match them leftwards from the place where they must end.
//
// The nodes are numbered breadth first from the root, node 0; the children of a node are
// then consecutive: those of node n are the nodes first_child[n] to first_child[n + 1] - 1, in
// increasing order of their labels. Node 0 is nobody's child, so 0 also stands for "no node".
// Every cell fits in 16 bits, which limits a trie to 65535 nodes and entry indexes.
struct EntryTrieView {
  size_t node_count = 0;
  const uint16_t* first_child = nullptr;  // node_count + 1 cells
  const uint8_t* label = nullptr;         // the byte on the edge into each node; 0 for the root
  const uint16_t* lowest = nullptr;  // the lowest index of the entries ending at each node, or 0
  const uint16_t* root_child = nullptr;  // 256 cells: the root's child for each byte, or 0
};

// A trie built at run time, holding its own cells.
struct EntryTrie {
  std::vector<uint16_t> first_child;
  std::vector<uint8_t> label;
  std::vector<uint16_t> lowest;
  std::vector<uint16_t> root_child;

  EntryTrieView View() const;
};

// The trie of entries, entry i (counted from 0) under the index i + 1. Throws
// std::length_error when the trie would not fit in 16-bit cells.
EntryTrie BuildEntryTrie(const std::vector<std::string>& entries);

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_ENTRY_TRIE_H_
