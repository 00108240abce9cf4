#include "platform/posix/inotify_tree_tracker.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/posix/posix_file_system.h"

namespace velnook {

namespace {

constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                        IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
// After a failed start, plain scans for 1, 2, 4 ... this many seconds before
// trying again, so a tree beyond the watch limit costs little more than before.
constexpr int kMostPlainScans = 64;
// More than this many buffers of events in one second is treated as an overflow.
constexpr int kMostReads = 256;

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd(fd) {}
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
  int fd;
};

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string NativeRoot(const std::string& folder) {
  std::string root = ToNativePath(folder);
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root.empty() ? "." : root;
}

// Network and user-space file systems change without this machine's inotify
// hearing of it.
bool NotifiesLocally(int fd) {
  struct statfs sf {};
  if (::fstatfs(fd, &sf) != 0) return false;
  switch (static_cast<unsigned long>(sf.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x73757245:  // Coda
    case 0x564C:      // NCP
    case 0x47504653:  // GPFS
    case 0x01161970:  // GFS2
    case 0x7461636F:  // OCFS2
      return false;
    default:
      return true;
  }
}

}  // namespace

TreeSize InotifyTreeTracker::Measure(const std::string& folder, bool fresh,
                                     const std::function<void()>& betweenFolders,
                                     const std::function<TreeSize()>& fullScan) {
  // A measurement asked for from an event pass inside one under way.
  if (busy_) return fullScan();
  busy_ = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{busy_};

  const std::string root = NativeRoot(folder);
  if (fresh || root != root_) {
    Stop();
    root_ = root;
    failedStarts_ = 0;
    plainScansLeft_ = 0;
  }
  if (following_) {
    if (CatchUp(betweenFolders)) {
      lastSource_ = Source::Changes;
      return Followed();
    }
    Stop();  // in doubt: start again from a new walk, this second
  }
  if (plainScansLeft_ == 0) {
    outOfWatches_ = false;
    if (Start(betweenFolders)) {
      failedStarts_ = 0;
      lastSource_ = Source::Walk;
      return Followed();
    }
    Stop();
    plainScansLeft_ = std::min(kMostPlainScans, 1 << std::min(failedStarts_, 6));
    ++failedStarts_;
  }
  --plainScansLeft_;
  lastSource_ = Source::FullScan;
  TreeSize size = fullScan();
  size.outOfWatches = outOfWatches_;
  return size;
}

bool InotifyTreeTracker::Start(const std::function<void()>& betweenFolders) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return false;
  // Polling the mount table tells of a file system mounted inside the tree,
  // which no folder watch reports.
  mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
  if (!AddTree(-1, -1, "", root_, betweenFolders) || rootWd_ < 0) return false;
  following_ = true;
  return true;
}

void InotifyTreeTracker::Stop() {
  if (fd_ >= 0) ::close(fd_);  // drops every watch at once
  if (mountsFd_ >= 0) ::close(mountsFd_);
  fd_ = mountsFd_ = rootWd_ = -1;
  following_ = false;
  folders_.clear();
  withRechecks_.clear();
  total_ = 0;
}

bool InotifyTreeTracker::CatchUp(const std::function<void()>& betweenFolders) {
  if (MountsChanged()) return false;
  // The root's own path is not watched: a parent renamed puts something else there.
  struct stat st {};
  const Folder& root = folders_.at(rootWd_);
  if (!StatFolder(root_, st) || st.st_dev != root.device || st.st_ino != root.inode) return false;
  Dirty dirty;
  if (!ReadEvents(dirty)) return false;
  for (int wd : withRechecks_)
    for (const auto& [name, entry] : folders_.at(wd).entries)
      if (entry.recheck) dirty[wd].insert(name);
  for (const auto& [wd, names] : dirty)
    if (!Reconcile(wd, names, betweenFolders)) return false;
  return rootWd_ >= 0;
}

bool InotifyTreeTracker::ReadEvents(Dirty& dirty) {
  // Folders that gained a file or a folder not looked at yet: either may hold
  // a second name of a file elsewhere in the tree, which hears nothing of it.
  std::vector<int> madeIn;
  // Let go once every event is read, so that what a moved folder gains
  // afterwards still counts.
  std::vector<int> gone;
  alignas(inotify_event) char buf[64 * 1024];
  for (int reads = 0; reads < kMostReads; ++reads) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    if (n < 0) {
      for (int wd : gone)
        if (folders_.count(wd)) Detach(wd);
      return true;
    }
    if (n == 0) return false;
    for (const char* p = buf; p < buf + n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(p);
      p += sizeof(inotify_event) + ev->len;
      if (ev->mask & IN_Q_OVERFLOW) return false;
      const auto it = folders_.find(ev->wd);
      if (it == folders_.end()) continue;  // a folder already let go
      if (ev->mask & kFolderGone) {
        if (ev->wd == rootWd_) return false;
        // Moved away before what it gained was looked at: only a walk finds
        // the other names.
        if ((ev->mask & IN_MOVE_SELF) &&
            std::any_of(madeIn.begin(), madeIn.end(), [&](int w) { return IsWithin(w, ev->wd); }))
          return false;
        // Look at its name again: a rename or a mount may have left another
        // folder there.
        dirty[it->second.parent].insert(it->second.name);
        gone.push_back(ev->wd);
      } else if (ev->len > 0) {
        dirty[ev->wd].insert(ev->name);
        const bool folderCame = (ev->mask & IN_MOVED_TO) && (ev->mask & IN_ISDIR);
        if ((ev->mask & IN_CREATE) || folderCame) madeIn.push_back(ev->wd);
      } else if (ev->mask & IN_ATTRIB) {
        dirty[ev->wd].insert("");
      }
    }
  }
  return false;
}

bool InotifyTreeTracker::Reconcile(int wd, const std::set<std::string>& names,
                                   const std::function<void()>& betweenFolders) {
  if (!folders_.count(wd)) return true;  // let go by an earlier change
  const std::string path = PathOf(wd);
  FdCloser dir(OpenFolder(path, wd == rootWd_));
  struct stat st {};
  // Its path no longer resolves, or it has become unreadable: walk again.
  if (dir.fd < 0 || ::fstat(dir.fd, &st) != 0) return false;
  const Folder& folder = folders_.at(wd);
  if (st.st_dev != folder.device || st.st_ino != folder.inode) return false;
  for (const std::string& name : names) {
    if (!folders_.count(wd)) return true;
    // A change of permissions decides whether a full scan could read it.
    if (name.empty()) {
      if (::faccessat(dir.fd, ".", R_OK | X_OK, AT_EACCESS) != 0) return false;
      continue;
    }
    FolderEntry entry;
    if (ClassifyEntry(dir.fd, name.c_str(), DT_UNKNOWN, true, entry) != FileError::None)
      return false;
    if (!Apply(wd, dir.fd, path, name, entry, betweenFolders)) return false;
  }
  return true;
}

bool InotifyTreeTracker::Apply(int wd, int dirFd, const std::string& path, const std::string& name,
                               const FolderEntry& entry,
                               const std::function<void()>& betweenFolders) {
  auto& entries = folders_.at(wd).entries;
  auto it = entries.find(name);
  if (it != entries.end() && it->second.folder >= 0) {
    const Folder& sub = folders_.at(it->second.folder);
    if (entry.kind == FolderEntry::Kind::Folder && entry.device == sub.device &&
        entry.inode == sub.inode)
      return ::faccessat(dirFd, name.c_str(), R_OK | X_OK, AT_EACCESS) == 0;
    Detach(it->second.folder);
    it = entries.end();
  }
  switch (entry.kind) {
    case FolderEntry::Kind::Folder:
      return AddTree(wd, dirFd, name, Join(path, name), betweenFolders);
    case FolderEntry::Kind::Gone:
      if (!entry.viaLink) {
        RemoveEntry(wd, name);
        return true;
      }
      break;
    default:
      break;
  }
  // A file with more than one name may be written through another name,
  // somewhere in the tree we do not look at it again: walk again, which
  // marks every such name for a look every second.
  const bool knownShared = it != entries.end() && it->second.recheck;
  if (entry.kind == FolderEntry::Kind::File && entry.links > 1 && !knownShared) return false;
  SetFile(wd, name, entry);
  return true;
}

bool InotifyTreeTracker::AddTree(int parent, int parentFd, const std::string& name,
                                 const std::string& path,
                                 const std::function<void()>& betweenFolders) {
  struct Pending {
    int parent;
    std::shared_ptr<DIR> parentDir;  // held open until this folder is opened
    std::string name;
    std::string path;  // for naming; folders are opened relative to their parent
  };
  // Depth first with an explicit stack, so a deep tree cannot overflow ours.
  std::vector<Pending> pending{{parent, nullptr, name, path}};
  while (!pending.empty()) {
    Pending p = std::move(pending.back());
    pending.pop_back();
    const bool isRoot = p.parent < 0;
    if (!isRoot && !folders_.count(p.parent)) continue;  // let go meanwhile
    const int at = p.parentDir ? ::dirfd(p.parentDir.get()) : parentFd;
    // Watch first, then list: a change after the listing always has an event.
    FdCloser dir(isRoot ? OpenFolder(p.path, true) : OpenSubFolder(at, p.name.c_str()));
    p.parentDir.reset();
    if (dir.fd < 0) {
      if (isRoot) return false;
      // Vanished or replaced: the parent's own events tell what came instead.
      if (!VanishedMeanwhile(errno)) MarkUnreadable(p.parent, p.name);
      continue;
    }
    struct stat st {};
    if (::fstat(dir.fd, &st) != 0) return false;
    if ((isRoot || st.st_dev != folders_.at(p.parent).device) && !NotifiesLocally(dir.fd))
      return false;
    int wd = AddWatch(dir.fd, p.path, isRoot);
    if (wd >= 0 && folders_.count(wd)) {
      // Already watched under its old name: moved here before its events came.
      if (IsWithin(p.parent, wd)) return false;  // a folder mounted inside itself
      Detach(wd);
      wd = AddWatch(dir.fd, p.path, isRoot);
    }
    if (wd < 0 || folders_.count(wd)) return false;
    if (!isRoot) RemoveEntry(p.parent, p.name);
    Folder& folder = folders_[wd];
    folder.parent = p.parent;
    folder.name = p.name;
    folder.device = st.st_dev;
    folder.inode = st.st_ino;
    if (isRoot)
      rootWd_ = wd;
    else
      folders_.at(p.parent).entries[p.name].folder = wd;

    DIR* d = ::fdopendir(dir.fd);
    if (!d) return false;
    dir.fd = -1;  // closed with d
    const std::shared_ptr<DIR> listed(d, ::closedir);
    bool shared = false;
    const FileError err = ReadFolderEntries(d, true, [&](const char* n, const FolderEntry& e) {
      if (e.kind == FolderEntry::Kind::Folder)
        pending.push_back({wd, listed, n, Join(p.path, n)});
      else if (e.kind != FolderEntry::Kind::Gone || e.viaLink)
        SetFile(wd, n, e);
      shared = shared || (e.kind == FolderEntry::Kind::File && e.links > 1);
    });
    // A folder that came while following may hold a second name of a file
    // known by another: as in Apply, walk again to mark every name.
    if (shared && following_) return false;
    if (err != FileError::None) {
      if (isRoot) return false;
      // Opened but not listed (no search permission, an I/O error): left out
      // like a folder that cannot be opened; what it held so far goes too.
      Detach(wd);
      MarkUnreadable(p.parent, p.name);
      continue;
    }
    if (betweenFolders) betweenFolders();
  }
  return true;
}

int InotifyTreeTracker::AddWatch(int dirFd, const std::string& path, bool root) {
  if (watchLimit_ > 0 && folders_.size() >= static_cast<std::size_t>(watchLimit_)) {
    outOfWatches_ = true;
    return -1;
  }
  // Through the open folder, so the watch is on the very folder that is listed.
  const std::string self = "/proc/self/fd/" + std::to_string(dirFd);
  int wd = ::inotify_add_watch(fd_, self.c_str(), kFolderEvents);
  if (wd < 0 && errno == ENOENT)  // no /proc
    wd = ::inotify_add_watch(fd_, path.c_str(), kFolderEvents | (root ? 0 : IN_DONT_FOLLOW));
  if (wd < 0 && errno == ENOSPC) outOfWatches_ = true;  // the user's watches are all taken
  return wd;
}

void InotifyTreeTracker::SetFile(int wd, const std::string& name, const FolderEntry& e,
                                 bool unreadable) {
  Folder& folder = folders_.at(wd);
  Entry& entry = folder.entries[name];
  const std::uint64_t length = e.kind == FolderEntry::Kind::File ? e.length : 0;
  total_ += static_cast<std::int64_t>(length) - static_cast<std::int64_t>(entry.length);
  entry.length = length;
  entry.unreadable = unreadable;
  // A link follows its target and a file with other names can be written
  // through them; neither tells this folder's watch. An unreadable folder
  // cannot be watched, and nothing need tell when it becomes readable.
  const bool recheck = e.viaLink || e.links > 1 || unreadable;
  if (recheck == entry.recheck) return;
  entry.recheck = recheck;
  folder.rechecks += recheck ? 1 : -1;
  if (folder.rechecks > 0)
    withRechecks_.insert(wd);
  else
    withRechecks_.erase(wd);
}

void InotifyTreeTracker::MarkUnreadable(int wd, const std::string& name) {
  RemoveEntry(wd, name);
  SetFile(wd, name, FolderEntry{}, true);
}

TreeSize InotifyTreeTracker::Followed() const {
  TreeSize size;
  size.total = total_;
  for (int wd : withRechecks_)
    for (const auto& [name, entry] : folders_.at(wd).entries)
      if (entry.unreadable) size.unreadable.push_back(Join(PathOf(wd), name));
  std::sort(size.unreadable.begin(), size.unreadable.end());
  return size;
}

void InotifyTreeTracker::RemoveEntry(int wd, const std::string& name) {
  Folder& folder = folders_.at(wd);
  const auto it = folder.entries.find(name);
  if (it == folder.entries.end()) return;
  if (it->second.folder >= 0) {
    Detach(it->second.folder);
    return;
  }
  SetFile(wd, name, FolderEntry{});  // gives back its length and its recheck
  folder.entries.erase(name);
}

void InotifyTreeTracker::Detach(int wd) {
  const Folder& top = folders_.at(wd);
  if (top.parent >= 0) {
    auto& siblings = folders_.at(top.parent).entries;
    const auto it = siblings.find(top.name);
    if (it != siblings.end() && it->second.folder == wd) siblings.erase(it);
  }
  std::vector<int> pending{wd};
  while (!pending.empty()) {
    const int w = pending.back();
    pending.pop_back();
    const auto it = folders_.find(w);
    if (it == folders_.end()) continue;
    for (const auto& [name, entry] : it->second.entries) {
      if (entry.folder >= 0)
        pending.push_back(entry.folder);
      else
        total_ -= static_cast<std::int64_t>(entry.length);
    }
    withRechecks_.erase(w);
    ::inotify_rm_watch(fd_, w);
    if (w == rootWd_) rootWd_ = -1;
    folders_.erase(it);
  }
}

bool InotifyTreeTracker::IsWithin(int wd, int ancestor) const {
  for (; wd >= 0; wd = folders_.at(wd).parent)
    if (wd == ancestor) return true;
  return false;
}

std::string InotifyTreeTracker::PathOf(int wd) const {
  std::vector<const std::string*> names;
  for (const Folder* f = &folders_.at(wd); f->parent >= 0; f = &folders_.at(f->parent))
    names.push_back(&f->name);
  std::string path = root_;
  for (auto it = names.rbegin(); it != names.rend(); ++it) path = Join(path, **it);
  return path;
}

bool InotifyTreeTracker::MountsChanged() {
  if (mountsFd_ < 0) return false;
  pollfd p{mountsFd_, POLLPRI, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLPRI)) != 0;
}

}  // namespace velnook
