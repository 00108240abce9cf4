#pragma once
// Keeps a folder tree's total from inotify: one walk as the baseline, one
// watch per folder, and from then on only the entries that change events name
// are looked at again. Whenever the total could be wrong (the queue
// overflowed, a watch was refused, the root or a mount changed, a folder's
// path no longer leads to it, a file may have a second name in the tree) it
// walks again, and when it cannot follow the tree at all it leaves the
// measurement to the full scan. A sub-folder that cannot be read is left out,
// and tried again every second. A second name made where no watch looks (out
// of the tree, in a folder it cannot read) goes unseen.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/posix/folder_entries.h"
#include "platform/tree_tracker.h"

namespace velnook {

class InotifyTreeTracker : public TreeTracker {
 public:
  // |watchLimit| > 0 refuses watches beyond that many, as the system does
  // at its own per-user limit.
  explicit InotifyTreeTracker(int watchLimit = 0) : watchLimit_(watchLimit) {}
  ~InotifyTreeTracker() override { Stop(); }
  InotifyTreeTracker(const InotifyTreeTracker&) = delete;
  InotifyTreeTracker& operator=(const InotifyTreeTracker&) = delete;

  TreeSize Measure(const std::string& folder, bool fresh,
                   const std::function<void()>& betweenFolders,
                   const std::function<TreeSize()>& fullScan) override;

  enum class Source { Changes, Walk, FullScan };
  // How the last measurement was made.
  Source LastSource() const { return lastSource_; }

 private:
  struct Entry {
    std::uint64_t length = 0;  // what the entry adds to the total
    int folder = -1;           // the sub-folder's watch, or -1 for a file
    bool recheck = false;      // looked at every second: changes elsewhere move it
    bool unreadable = false;   // a sub-folder that cannot be read, left out
  };
  struct Folder {
    int parent = -1;  // watch of the folder it is in; -1 for the root
    std::string name;
    dev_t device = 0;
    ino_t inode = 0;
    std::unordered_map<std::string, Entry> entries;
    int rechecks = 0;
  };
  using Dirty = std::map<int, std::set<std::string>>;  // names by folder; "" is the folder itself

  bool Start(const std::function<void()>& betweenFolders);
  void Stop();
  bool CatchUp(const std::function<void()>& betweenFolders);
  bool ReadEvents(Dirty& dirty);
  bool Reconcile(int wd, const std::set<std::string>& names,
                 const std::function<void()>& betweenFolders);
  bool Apply(int wd, int dirFd, const std::string& path, const std::string& name,
             const FolderEntry& entry, const std::function<void()>& betweenFolders);
  // |parentFd| is the parent folder open, unless |parent| is -1 (the root).
  bool AddTree(int parent, int parentFd, const std::string& name, const std::string& path,
               const std::function<void()>& betweenFolders);
  int AddWatch(int dirFd, const std::string& path, bool root);
  void SetFile(int wd, const std::string& name, const FolderEntry& entry, bool unreadable = false);
  void MarkUnreadable(int wd, const std::string& name);
  TreeSize Followed() const;
  void RemoveEntry(int wd, const std::string& name);
  void Detach(int wd);
  bool IsWithin(int wd, int ancestor) const;
  std::string PathOf(int wd) const;
  bool MountsChanged();

  const int watchLimit_;
  int fd_ = -1;
  int mountsFd_ = -1;
  std::string root_;
  int rootWd_ = -1;
  bool following_ = false;
  std::unordered_map<int, Folder> folders_;  // by watch descriptor
  std::unordered_set<int> withRechecks_;
  std::int64_t total_ = 0;
  bool busy_ = false;
  int failedStarts_ = 0;
  int plainScansLeft_ = 0;
  bool outOfWatches_ = false;  // the last start ran out of watches
  Source lastSource_ = Source::FullScan;
};

}  // namespace velnook
