#ifndef QUORVEX_RUNTIME_ARGUMENTS_H_
#define QUORVEX_RUNTIME_ARGUMENTS_H_

#include <cstddef>
#include <string>

namespace quorvex {

// Takes the next argument of a raw command line from position on and moves position to the
// first character not consumed. Separators are the characters 1 to 32; double quotes open and
// close quoted sections and are never part of an argument; there is no escape character.
std::string NextArgument(const std::string& line, size_t& position);

// The number of non-empty arguments after the program name; an empty argument ends the count.
int ArgumentCount();

// Argument number index: 0 is the executable's path; beyond the count, or negative, "".
std::string ArgumentAt(int index);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_ARGUMENTS_H_
