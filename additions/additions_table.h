#ifndef QUORVEX_ADDITIONS_ADDITIONS_TABLE_H_
#define QUORVEX_ADDITIONS_ADDITIONS_TABLE_H_

#include <string_view>

namespace quorvex {

// The built-in table of components and properties that Delphi 3 has and Delphi 2.x lacks.
// A component entry is a class name without its leading "T" (or "E" classes as named); a
// property entry is class, ".", property. Entries are numbered from 1.
constexpr int kAdditionCount = 947;
constexpr int kAdditionCapacity = 38;

// The text of entry index, 1 to kAdditionCount.
std::string_view AdditionAt(int index);

}  // namespace quorvex

#endif  // QUORVEX_ADDITIONS_ADDITIONS_TABLE_H_
