#ifndef QUORVEX_DRIVER_BATCH_WILDCARDS_H_
#define QUORVEX_DRIVER_BATCH_WILDCARDS_H_

#include <string>
#include <vector>

namespace quorvex {

// True when name matches pattern: '*' stands for any run of characters, '?' for any one, and
// letters match in either case, as file names do on the systems whose shells leave the
// patterns to the program.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

// The paths given, each one whose last part holds '*' or '?' replaced by the entries of its
// folder that match it, in byte order of their names; a pattern that matches nothing stays as
// given, so that it is reported as missing.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& paths);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_WILDCARDS_H_
