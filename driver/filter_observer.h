#ifndef QUORVEX_DRIVER_FILTER_OBSERVER_H_
#define QUORVEX_DRIVER_FILTER_OBSERVER_H_

#include <string_view>

#include "driver/line_filter.h"

namespace quorvex {

// Receives what the filter does with every line it does not keep as it was read: each dropped
// line (continuation lines of a dropped value included) and each rewritten line, in the order
// of the text, with the line for the console (empty when there is none); then, once the filter
// has finished and before the filtered text takes the place of the text, ReportsComplete.
class FilterObserver {
 public:
  virtual ~FilterObserver() = default;
  virtual void LineFiltered(FilterAction action, std::string_view report) = 0;
  virtual void ReportsComplete() {}
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FILTER_OBSERVER_H_
