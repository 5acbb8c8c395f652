#ifndef QUORVEX_RUNTIME_PLATFORM_FOLDER_MEMORY_H_
#define QUORVEX_RUNTIME_PLATFORM_FOLDER_MEMORY_H_

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvex {

// A folder by its identity on disk, whatever path leads to it.
struct FolderId {
  uint64_t volume = 0;
  uint64_t index = 0;

  bool operator<(const FolderId& other) const {
    return std::pair(volume, index) < std::pair(other.volume, other.index);
  }
};

// A folder path as spelt on disk, with the folder it leads to.
struct KnownFolder {
  std::string path;
  FolderId id;
};

// What the platform layer of a case-sensitive file system remembers between calls while a
// ScopedFolderMemory lives (its generation is not 0): the spelling on disk of folder paths,
// by their spellings as derived and as typed, and the entries of the folders it has listed,
// kept up to date by the changes this process makes. All of it is forgotten when the
// generation changes. Any thread may use it.
class FolderMemory {
 public:
  // Fills names with a folder's entries; false when the folder cannot be listed.
  using Lister = std::function<bool(std::vector<std::string>& names)>;
  // The entries of one folder, by their upper-cased names.
  using Entries = std::unordered_map<std::string, std::vector<std::string>>;

  std::optional<KnownFolder> Folder(uint64_t generation, const std::string& spellings);
  void RememberFolder(uint64_t generation, const std::string& spellings, KnownFolder folder);
  // Forgets every folder spelling; the folders' entries stay, as they do not depend on the
  // path that leads to a folder.
  void ForgetFolders(uint64_t generation);

  // The entries of the folder that equal name ignoring letter case. The first question about
  // a folder lists it with list, while no change is being noted, so that a change this process
  // makes meanwhile is either in the listing or noted after it. With generation 0 the folder
  // is listed every time.
  std::vector<std::string> CaseVariants(uint64_t generation, FolderId folder,
                                        const std::string& name, const Lister& list);
  // Notes an entry this process has made or removed in a folder.
  void Added(uint64_t generation, FolderId folder, const std::string& name);
  void Removed(uint64_t generation, FolderId folder, const std::string& name);
  // Forgets the entries of a folder, which the next question lists again.
  void ForgetEntries(uint64_t generation, FolderId folder);
  void ForgetAll(uint64_t generation);

 private:
  // Forgets everything remembered under an earlier generation; the caller holds mutex_.
  void KeepOnlyGeneration(uint64_t generation);
  void Clear();

  std::mutex mutex_;
  uint64_t generation_ = 0;
  std::unordered_map<std::string, KnownFolder> folders_;
  std::map<FolderId, Entries> entries_;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_PLATFORM_FOLDER_MEMORY_H_
