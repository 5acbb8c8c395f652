#ifndef QUORVEX_DRIVER_BATCH_BATCH_PATHS_H_
#define QUORVEX_DRIVER_BATCH_BATCH_PATHS_H_

#include <string>

namespace quorvex {

// Paths of the batch command's walk: folder and name joined by "/", and split again at the
// separators of the system the tool runs on.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder part of path, without its last separator; "" when there is none.
std::string FolderPart(const std::string& path);
// The last part of path.
std::string FileNamePart(const std::string& path);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_BATCH_PATHS_H_
