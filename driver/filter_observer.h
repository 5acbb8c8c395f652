#ifndef QUORVEX_DRIVER_FILTER_OBSERVER_H_
#define QUORVEX_DRIVER_FILTER_OBSERVER_H_

#include <string_view>

#include "driver/line_filter.h"

namespace quorvex {

// Receives every line the filter does not keep as it was read: each dropped line
// (continuation lines of a dropped value included) and each rewritten line, in the order of
// the text, with the filter's decision on it; then, once the filter has finished and before
// the filtered text takes the place of the text, ReportsComplete.
class FilterObserver {
 public:
  virtual ~FilterObserver() = default;
  virtual void LineFiltered(std::string_view line, const FilterDecision& decision) = 0;
  virtual void ReportsComplete() {}
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FILTER_OBSERVER_H_
