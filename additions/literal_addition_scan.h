#ifndef QUORVEX_ADDITIONS_LITERAL_ADDITION_SCAN_H_
#define QUORVEX_ADDITIONS_LITERAL_ADDITION_SCAN_H_

#include <string>
#include <string_view>
#include <vector>

#include "additions/addition_search.h"

namespace quorvex {

// The plain reading of the table search: each pattern looked for in text, in index order,
// until the first one that occurs. Slow (one substring search per entry); kept as the
// reference that AdditionSearch is checked and measured against.
inline int LiteralFirstAddition(std::string_view text) {
  static const std::vector<std::string> patterns = AdditionPatterns();
  for (size_t i = 0; i < patterns.size(); ++i) {
    if (text.find(patterns[i]) != std::string_view::npos) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_LITERAL_ADDITION_SCAN_H_
