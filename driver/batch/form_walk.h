#ifndef QUORVEX_DRIVER_BATCH_FORM_WALK_H_
#define QUORVEX_DRIVER_BATCH_FORM_WALK_H_

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

// What the walk found at one place.
enum class WalkFind {
  kForm,            // a form to convert
  kNotRegular,      // a FIFO, device, socket or broken link under a form's name: skipped
  kLinkToFolder,    // a symbolic link to a folder inside a tree: not followed
  kMissing,         // a path given that does not exist
  kUnlistedFolder,  // a folder that cannot be listed
};

struct WalkItem {
  std::string path;      // the path given, joined with the names found on disk below it
  std::string relative;  // the path below the folder given (the file name for a file given)
  WalkFind find = WalkFind::kForm;
  uint32_t error = 0;  // for kUnlistedFolder, the error number
};

// True for a file name that ends in ".dfm", in any letter case.
bool HasFormExtension(const std::string& name);

// The forms of the paths given, in walk order: the paths in the order given; in a folder, its
// entries in byte order of their names, each folder walked where it stands. A file given is a
// form whatever its name; inside folders, only names ending in ".dfm" count. A place reached
// twice under the same path is listed once.
std::vector<WalkItem> WalkForms(const std::vector<std::string>& paths);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_FORM_WALK_H_
