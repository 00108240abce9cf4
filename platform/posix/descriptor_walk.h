#pragma once
// The POSIX walk of a folder tree for the measurement.

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace velnook {

// Walks the tree below |root| (a native path) relative to open folders, so
// that neither depth nor path length limits it.
std::unique_ptr<FolderWalk> WalkFolderDescriptors(const std::string& root);

}  // namespace velnook
