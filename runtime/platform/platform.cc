#include "runtime/platform/platform.h"

namespace quorvex {
namespace {
Platform* current_platform = nullptr;
}  // namespace

Platform& System() {
  return current_platform ? *current_platform : NativePlatform();
}

ScopedPlatform::ScopedPlatform(Platform& replacement) : previous_(current_platform) {
  current_platform = &replacement;
}

ScopedPlatform::~ScopedPlatform() {
  current_platform = previous_;
}

}  // namespace quorvex
