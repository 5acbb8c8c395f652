#ifndef QUORVEX_RUNTIME_EXTENDED_DECIMAL_POINT_H_
#define QUORVEX_RUNTIME_EXTENDED_DECIMAL_POINT_H_

namespace quorvex {

// The decimal separator of floating-point text. Each thread has its own, "." until set; start-up
// sets the main thread's from the locale. A conversion forcing it never affects another thread.
extern thread_local char DecimalPoint;

// Sets DecimalPoint for the lifetime of the object and restores the previous value on every
// way out of the scope, exceptions included.
class ScopedDecimalPoint {
 public:
  explicit ScopedDecimalPoint(char forced);
  ~ScopedDecimalPoint();
  ScopedDecimalPoint(const ScopedDecimalPoint&) = delete;
  ScopedDecimalPoint& operator=(const ScopedDecimalPoint&) = delete;

 private:
  char saved_;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_DECIMAL_POINT_H_
