#include "runtime/platform/folder_memory.h"

#include <algorithm>

#include "runtime/ascii.h"

namespace quorvex {
namespace {

FolderMemory::Entries EntriesOf(std::vector<std::string> names) {
  FolderMemory::Entries entries;
  for (std::string& name : names) {
    std::string key = UpperCasedAscii(name);
    entries[key].push_back(std::move(name));
  }
  return entries;
}

std::vector<std::string> VariantsIn(const FolderMemory::Entries& entries, const std::string& name) {
  auto variants = entries.find(UpperCasedAscii(name));
  return variants == entries.end() ? std::vector<std::string>() : variants->second;
}

}  // namespace

void FolderMemory::KeepOnlyGeneration(uint64_t generation) {
  if (generation == generation_) return;
  generation_ = generation;
  Clear();
}

void FolderMemory::Clear() {
  folders_.clear();
  entries_.clear();
}

std::optional<KnownFolder> FolderMemory::Folder(uint64_t generation, const std::string& spellings) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  auto found = folders_.find(spellings);
  if (found == folders_.end()) return std::nullopt;
  return found->second;
}

void FolderMemory::RememberFolder(uint64_t generation, const std::string& spellings,
                                  KnownFolder folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  if (generation != 0) folders_[spellings] = std::move(folder);
}

void FolderMemory::ForgetFolders(uint64_t generation) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  folders_.clear();
}

std::vector<std::string> FolderMemory::CaseVariants(uint64_t generation, FolderId folder,
                                                    const std::string& name, const Lister& list) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  auto known = entries_.find(folder);
  if (known != entries_.end()) return VariantsIn(known->second, name);
  std::vector<std::string> names;
  if (!list(names)) return {};
  Entries listed = EntriesOf(std::move(names));
  if (generation == 0) return VariantsIn(listed, name);
  return VariantsIn(entries_.emplace(folder, std::move(listed)).first->second, name);
}

void FolderMemory::Added(uint64_t generation, FolderId folder, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  auto known = entries_.find(folder);
  if (known == entries_.end()) return;
  std::vector<std::string>& variants = known->second[UpperCasedAscii(name)];
  if (std::find(variants.begin(), variants.end(), name) == variants.end()) {
    variants.push_back(name);
  }
}

void FolderMemory::Removed(uint64_t generation, FolderId folder, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  auto known = entries_.find(folder);
  if (known == entries_.end()) return;
  auto variants = known->second.find(UpperCasedAscii(name));
  if (variants == known->second.end()) return;
  std::vector<std::string>& names = variants->second;
  names.erase(std::remove(names.begin(), names.end(), name), names.end());
  if (names.empty()) known->second.erase(variants);
}

void FolderMemory::ForgetEntries(uint64_t generation, FolderId folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  entries_.erase(folder);
}

void FolderMemory::ForgetAll(uint64_t generation) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeepOnlyGeneration(generation);
  Clear();
}

}  // namespace quorvex
