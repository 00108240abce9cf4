#include "platform/posix/descriptor_walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/posix/folder_entries.h"

namespace velnook {

namespace {

// Depth first with an explicit stack. Each pending folder holds its parent
// open, so only the folders along the way down stay open.
class DescriptorWalk : public FolderWalk {
 public:
  explicit DescriptorWalk(std::string root) { pending_.push_back({nullptr, "", std::move(root)}); }

  bool Next(FolderListing& out) override {
    out.fileLengths.clear();
    out.fileNames.clear();
    out.subFolders.clear();
    while (!pending_.empty()) {
      Pending p = std::move(pending_.back());
      pending_.pop_back();
      const bool top = !p.parent;
      const int fd =
          top ? OpenFolder(p.path, true) : OpenSubFolder(::dirfd(p.parent.get()), p.name.c_str());
      p.parent.reset();
      if (fd < 0 && !top && VanishedMeanwhile(errno)) continue;
      out.path = std::move(p.path);
      out.error = FileError::None;
      if (fd < 0) {
        out.error = errno == ENOENT || errno == ENOTDIR ? FileError::NotFound : FileError::Failed;
        return true;
      }
      DIR* d = ::fdopendir(fd);
      if (!d) {
        ::close(fd);
        out.error = FileError::Failed;
        return true;
      }
      const std::shared_ptr<DIR> dir(d, ::closedir);
      std::vector<std::string> subFolders;
      // Sub-folders are looked at too, so that a folder whose entries cannot
      // be looked at is left out whole, as the change tracker does.
      out.error = ReadFolderEntries(d, true, [&](const char* name, const FolderEntry& entry) {
        if (entry.kind == FolderEntry::Kind::File) {
          out.fileLengths.push_back(entry.length);
          if (out.withNames) out.fileNames.emplace_back(name);
        }
        if (entry.kind == FolderEntry::Kind::Folder) subFolders.emplace_back(name);
      });
      if (out.error != FileError::None) {
        out.fileLengths.clear();
        out.fileNames.clear();
        return true;
      }
      const std::string base = out.path.back() == '/' ? out.path : out.path + "/";
      // Reversed so that sub-folders are walked in the order they were listed.
      for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it)
        pending_.push_back({dir, *it, base + *it});
      return true;
    }
    return false;
  }

 private:
  struct Pending {
    std::shared_ptr<DIR> parent;  // null for the root
    std::string name;
    std::string path;  // for naming the folder only, never opened
  };
  std::vector<Pending> pending_;
};

}  // namespace

std::unique_ptr<FolderWalk> WalkFolderDescriptors(const std::string& root) {
  return std::make_unique<DescriptorWalk>(root);
}

}  // namespace velnook
