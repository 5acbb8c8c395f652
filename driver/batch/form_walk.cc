#include "driver/batch/form_walk.h"

#include <algorithm>
#include <set>

#include "driver/batch/batch_paths.h"
#include "runtime/ascii.h"
#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

class Walker {
 public:
  std::vector<WalkItem> TakeItems() { return std::move(items_); }

  void AddGiven(const std::string& path) {
    switch (System().KindOfEntry(FileName(path))) {
      case EntryKind::kFolder:
      case EntryKind::kLinkToFolder:
        AddFolder(path, "");
        return;
      case EntryKind::kFile:
        Add({path, FileNamePart(path), WalkFind::kForm});
        return;
      case EntryKind::kMissing:
        Add({path, FileNamePart(path), WalkFind::kMissing});
        return;
      case EntryKind::kOther:
        Add({path, FileNamePart(path), WalkFind::kNotRegular});
        return;
    }
  }

 private:
  void AddFolder(const std::string& folder, const std::string& relative) {
    std::vector<FolderEntry> entries;
    uint32_t error = System().ListFolder(FileName(folder), entries);
    if (error != 0) {
      Add({folder, relative, WalkFind::kUnlistedFolder, error});
      return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) AddEntry(folder, relative, entry);
  }

  void AddEntry(const std::string& folder, const std::string& relative, const FolderEntry& entry) {
    std::string path = JoinPath(folder, entry.name);
    std::string below = JoinPath(relative, entry.name);
    if (entry.kind == EntryKind::kFolder) return AddFolder(path, below);
    if (entry.kind == EntryKind::kLinkToFolder) return Add({path, below, WalkFind::kLinkToFolder});
    if (!HasFormExtension(entry.name)) return;
    Add({path, below, entry.kind == EntryKind::kFile ? WalkFind::kForm : WalkFind::kNotRegular});
  }

  void Add(WalkItem item) {
    if (seen_.insert(item.path).second) items_.push_back(std::move(item));
  }

  std::vector<WalkItem> items_;
  std::set<std::string> seen_;
};

}  // namespace

bool HasFormExtension(const std::string& name) {
  return name.size() > 4 && EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".dfm");
}

std::vector<WalkItem> WalkForms(const std::vector<std::string>& paths) {
  Walker walker;
  for (const std::string& path : paths) walker.AddGiven(path);
  return walker.TakeItems();
}

}  // namespace quorvex
