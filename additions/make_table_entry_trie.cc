// Writes the source file that holds the trie of the additions table's entries as read-only
// data: make_table_entry_trie OUTPUT.cc
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "additions/additions_table.h"
#include "additions/entry_trie.h"

namespace quorvex {
namespace {

template <typename Cell>
void WriteArray(std::ostream& out, const char* type, const char* name,
                const std::vector<Cell>& cells) {
  constexpr size_t kCellsPerLine = 16;
  out << "constexpr " << type << " " << name << "[] = {";
  for (size_t i = 0; i < cells.size(); ++i) {
    out << (i % kCellsPerLine == 0 ? "\n    " : " ") << static_cast<unsigned>(cells[i]) << ",";
  }
  out << "\n};\n\n";
}

// The nodes, one to a line: child mask, first child, lowest index.
void WriteNodes(std::ostream& out, const std::vector<EntryTrieNode>& nodes) {
  out << "constexpr EntryTrieNode kNodes[] = {\n";
  for (const EntryTrieNode& node : nodes) {
    out << "    {0x" << std::hex << node.child_mask << std::dec << "u, " << node.first_child << ", "
        << node.lowest << "},\n";
  }
  out << "};\n\n";
}

void WriteSource(std::ostream& out, const EntryTrie& trie) {
  out << "// Made from the additions table by make_table_entry_trie when the program is built.\n"
         "#include \"additions/table_entry_trie.h\"\n\n"
         "#include <cstdint>\n\n"
         "namespace quorvex {\n"
         "namespace {\n\n";
  WriteNodes(out, trie.nodes);
  WriteArray(out, "uint8_t", "kSymbol", trie.symbol);
  out << "}  // namespace\n\n"
         "EntryTrieView TableEntryTrie() {\n"
         "  return EntryTrieView{"
      << trie.nodes.size()
      << ", kNodes, kSymbol};\n"
         "}\n\n"
         "}  // namespace quorvex\n";
}

std::vector<std::string> TableEntries() {
  std::vector<std::string> entries;
  for (int index = 1; index <= kAdditionCount; ++index) {
    entries.emplace_back(AdditionAt(index));
  }
  return entries;
}

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_table_entry_trie OUTPUT.cc\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  quorvex::WriteSource(out, quorvex::BuildEntryTrie(quorvex::TableEntries()));
  out.close();
  if (!out) {
    std::cerr << "make_table_entry_trie: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
