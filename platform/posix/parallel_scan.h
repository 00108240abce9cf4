#pragma once
// The full scan of a folder tree on several threads at once: the walk is
// mostly waiting on the system for each entry, and a second thread halves it.

#include <string>

#include "platform/tree_tracker.h"

namespace velnook {

// Sums the tree below |root| (a native path) on |threads| threads, counting
// exactly what a walk by WalkFolderDescriptors does: folders are opened
// relative to their parent, so neither depth nor path length limits it.
TreeSize ScanTreeInParallel(const std::string& root, int threads);

}  // namespace velnook
