#include "driver/program.h"

namespace quorvex {

int RunProgram() {
  return 0;
}

}  // namespace quorvex
