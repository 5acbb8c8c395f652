#include "additions/entry_trie.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <stdexcept>

namespace quorvex {
namespace {

constexpr size_t kCellLimit = UINT16_MAX;

// A node of the trie while it is built, with its children in order of their labels.
struct GrowingNode {
  uint16_t lowest = 0;
  std::map<uint8_t, std::unique_ptr<GrowingNode>> children;
};

void Insert(GrowingNode& root, const std::string& entry, uint16_t index) {
  GrowingNode* node = &root;
  for (auto byte = entry.rbegin(); byte != entry.rend(); ++byte) {
    std::unique_ptr<GrowingNode>& child = node->children[static_cast<uint8_t>(*byte)];
    if (!child) child = std::make_unique<GrowingNode>();
    node = child.get();
  }
  if (node->lowest == 0) node->lowest = index;
}

// Numbers the bytes the entries hold in increasing order.
std::vector<uint8_t> SymbolsOf(const std::vector<std::string>& entries) {
  std::vector<bool> held(256, false);
  for (const std::string& entry : entries) {
    for (char byte : entry) held[static_cast<uint8_t>(byte)] = true;
  }
  std::vector<uint8_t> symbol(256, EntryTrieView::kNoSymbol);
  uint8_t next = 0;
  for (int byte = 0; byte < 256; ++byte) {
    if (!held[byte]) continue;
    if (next == EntryTrieView::kNoSymbol) throw std::length_error("entry trie: too many bytes");
    symbol[byte] = next++;
  }
  return symbol;
}

// Numbers the nodes breadth first and lays out their cells.
EntryTrie LayOut(const GrowingNode& root, std::vector<uint8_t> symbol) {
  EntryTrie trie;
  std::deque<const GrowingNode*> pending{&root};
  size_t next_child = 1;
  while (!pending.empty()) {
    const GrowingNode* node = pending.front();
    pending.pop_front();
    if (next_child > kCellLimit) throw std::length_error("entry trie: too many nodes");
    uint64_t mask = 0;
    for (const auto& [byte, child] : node->children) {
      mask |= uint64_t{1} << symbol[byte];
      pending.push_back(child.get());
    }
    trie.nodes.push_back({mask, static_cast<uint16_t>(next_child), node->lowest});
    next_child += node->children.size();
  }
  trie.symbol = std::move(symbol);
  return trie;
}

}  // namespace

EntryTrieView EntryTrie::View() const {
  return EntryTrieView{nodes.size(), nodes.data(), symbol.data()};
}

EntryTrie BuildEntryTrie(const std::vector<std::string>& entries) {
  if (entries.size() > kCellLimit) throw std::length_error("entry trie: too many entries");
  GrowingNode root;
  for (size_t i = 0; i < entries.size(); ++i) {
    Insert(root, entries[i], static_cast<uint16_t>(i + 1));
  }
  return LayOut(root, SymbolsOf(entries));
}

}  // namespace quorvex
