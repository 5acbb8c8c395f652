#include "runtime/platform/platform.h"

#include <atomic>
#include <mutex>

namespace quorvex {
namespace {
Platform* current_platform = nullptr;

std::mutex memory_scopes_mutex;
int live_memory_scopes = 0;
uint64_t last_memory_generation = 0;
std::atomic<uint64_t> memory_generation{0};
}  // namespace

Platform& System() {
  return current_platform ? *current_platform : NativePlatform();
}

ScopedFolderMemory::ScopedFolderMemory() {
  std::lock_guard<std::mutex> lock(memory_scopes_mutex);
  if (live_memory_scopes++ == 0) memory_generation = ++last_memory_generation;
}

ScopedFolderMemory::~ScopedFolderMemory() {
  std::lock_guard<std::mutex> lock(memory_scopes_mutex);
  if (--live_memory_scopes == 0) memory_generation = 0;
}

uint64_t FolderMemoryGeneration() {
  return memory_generation;
}

ScopedPlatform::ScopedPlatform(Platform& replacement) : previous_(current_platform) {
  current_platform = &replacement;
}

ScopedPlatform::~ScopedPlatform() {
  current_platform = previous_;
}

}  // namespace quorvex
