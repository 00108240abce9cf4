#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "platform/tree_tracker.h"

namespace velnook {

namespace {

// Depth first over ListFolder with an explicit stack, so a deep tree cannot
// overflow ours.
class ListingWalk : public FolderWalk {
 public:
  ListingWalk(FileSystem& files, const std::string& root) : files_(files), pending_{root} {}

  bool Next(FolderListing& out) override {
    while (!pending_.empty()) {
      std::string path = std::move(pending_.back());
      pending_.pop_back();
      const FileError err = files_.ListFolder(path, out);
      if (err == FileError::NotFound && !top_) continue;  // renamed or deleted meanwhile
      top_ = false;
      out.path = std::move(path);
      out.error = err;
      if (err != FileError::None) {
        out.fileLengths.clear();
        out.fileNames.clear();
        out.subFolders.clear();
      }
      // Reversed so that sub-folders are walked in the order they were listed.
      for (auto it = out.subFolders.rbegin(); it != out.subFolders.rend(); ++it)
        pending_.push_back(std::move(*it));
      out.subFolders.clear();
      return true;
    }
    return false;
  }

 private:
  FileSystem& files_;
  std::vector<std::string> pending_;
  bool top_ = true;
};

}  // namespace

TreeSize SumWalk(FolderWalk& walk, const std::function<void()>& betweenFolders) {
  TreeSize size;
  FolderListing listing;
  bool top = true;
  while (walk.Next(listing)) {
    if (betweenFolders) betweenFolders();
    if (listing.error != FileError::None) {
      // The rest of the tree is still measured: one locked folder must not
      // hide a download next to it.
      if (top) size.rootRead = false;
      if (!top) size.unreadable.push_back(std::move(listing.path));
    }
    top = false;
    for (std::uint64_t length : listing.fileLengths)
      size.total += static_cast<std::int64_t>(length);
  }
  std::sort(size.unreadable.begin(), size.unreadable.end());
  return size;
}

std::optional<std::string> FileSystem::ReadFile(const std::string& path) {
  std::string data;
  if (!ReadFileInBlocks(path, [&](std::string_view block) {
        data.append(block);
        return true;
      }))
    return std::nullopt;
  return data;
}

std::unique_ptr<FolderWalk> FileSystem::WalkFolders(const std::string& root) {
  return std::make_unique<ListingWalk>(*this, root);
}

}  // namespace velnook
