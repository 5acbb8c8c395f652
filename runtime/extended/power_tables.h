#ifndef QUORVEX_RUNTIME_EXTENDED_POWER_TABLES_H_
#define QUORVEX_RUNTIME_EXTENDED_POWER_TABLES_H_

#include <cstdint>

#include "runtime/extended/extended.h"
#include "runtime/extended/extended_arith.h"

namespace quorvex {

// Powers of ten as extended values: SmallPowers[i] = 10^i, MediumPowers[k] = 10^(32k),
// LargePowers[k] = 10^(512k). Entry 0 of each is 1.
extern const Extended SmallPowers[32];
extern const Extended MediumPowers[16];
extern const Extended LargePowers[10];

// Scale factors from this magnitude on leave the range of extended values for every x.
constexpr int32_t kScaleLimit = 5120;

// x * 10^n in at most three rounded multiplications (n > 0) or divisions (n < 0) by table
// entries, small first. For n >= kScaleLimit the result is infinity (setting flags.overflow),
// for n <= -kScaleLimit zero, whatever x is.
Extended ScaleByTen(Extended x, int32_t n, FloatFlags& flags);

// The same, for callers that do not look at the conditions.
Extended ScaleByTen(Extended x, int32_t n);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_POWER_TABLES_H_
