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

// Numbers the nodes breadth first and lays out their cells.
EntryTrie LayOut(const GrowingNode& root) {
  EntryTrie trie;
  std::deque<std::pair<const GrowingNode*, uint8_t>> pending{{&root, 0}};
  size_t next_child = 1;
  while (!pending.empty()) {
    const auto [node, label] = pending.front();
    pending.pop_front();
    trie.first_child.push_back(static_cast<uint16_t>(next_child));
    trie.label.push_back(label);
    trie.lowest.push_back(node->lowest);
    for (const auto& [byte, child] : node->children) pending.emplace_back(child.get(), byte);
    next_child += node->children.size();
  }
  if (next_child > kCellLimit) throw std::length_error("entry trie: too many nodes");
  trie.first_child.push_back(static_cast<uint16_t>(next_child));
  trie.root_child.assign(256, 0);
  for (uint16_t child = trie.first_child[0]; child < trie.first_child[1]; ++child) {
    trie.root_child[trie.label[child]] = child;
  }
  return trie;
}

}  // namespace

EntryTrieView EntryTrie::View() const {
  return EntryTrieView{label.size(), first_child.data(), label.data(), lowest.data(),
                       root_child.data()};
}

EntryTrie BuildEntryTrie(const std::vector<std::string>& entries) {
  if (entries.size() > kCellLimit) throw std::length_error("entry trie: too many entries");
  GrowingNode root;
  for (size_t i = 0; i < entries.size(); ++i) {
    Insert(root, entries[i], static_cast<uint16_t>(i + 1));
  }
  return LayOut(root);
}

}  // namespace quorvex
