#include "runtime/extended/decimal_point.h"

namespace quorvex {

thread_local char DecimalPoint = '.';

ScopedDecimalPoint::ScopedDecimalPoint(char forced) : saved_(DecimalPoint) {
  DecimalPoint = forced;
}

ScopedDecimalPoint::~ScopedDecimalPoint() {
  DecimalPoint = saved_;
}

}  // namespace quorvex
