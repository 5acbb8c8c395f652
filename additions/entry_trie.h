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
// The bytes that occur in the entries are numbered in increasing order as the trie's symbols,
// at most 64 of them. The nodes are numbered breadth first from the root, node 0; the children
// of a node are then consecutive and in the order of their symbols: bit s of a node's
// child_mask is set when it has a child for symbol s, and that child is the node first_child
// plus the number of lower bits set. Node 0 is nobody's child, so 0 also stands for "no node".
// The other cells fit in 16 bits, which limits a trie to 65535 nodes and entry indexes.
struct EntryTrieNode {
  uint64_t child_mask;
  uint16_t first_child;
  uint16_t lowest;  // the lowest index of the entries that end at the node, or 0

  bool operator==(const EntryTrieNode& other) const {
    return child_mask == other.child_mask && first_child == other.first_child &&
           lowest == other.lowest;
  }
};

// A node's cells lie together, so that each step of a search reads one place in memory.
struct EntryTrieView {
  static constexpr uint8_t kNoSymbol = 64;  // the symbol of a byte that no entry holds

  size_t node_count = 0;
  const EntryTrieNode* nodes = nullptr;
  const uint8_t* symbol = nullptr;  // 256 cells: the symbol of each byte, or kNoSymbol
};

// A trie built at run time, holding its own cells.
struct EntryTrie {
  std::vector<EntryTrieNode> nodes;
  std::vector<uint8_t> symbol;

  EntryTrieView View() const;
};

// The trie of entries, entry i (counted from 0) under the index i + 1. Throws
// std::length_error when the trie would not fit in 16-bit cells or the entries hold more than
// 64 different bytes.
EntryTrie BuildEntryTrie(const std::vector<std::string>& entries);

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_ENTRY_TRIE_H_
