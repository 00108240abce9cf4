#include "platform/posix/folder_entries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velnook {

namespace {

void Identify(const struct stat& st, FolderEntry& out) {
  out.device = st.st_dev;
  out.inode = st.st_ino;
  out.links = st.st_nlink;
}

}  // namespace

FileError ClassifyEntry(int dirFd, const char* name, unsigned char type, bool identify,
                        FolderEntry& out) {
  out = FolderEntry{};
  if (type == DT_DIR && !identify) {
    out.kind = FolderEntry::Kind::Folder;
    return FileError::None;
  }
  struct stat st {};
  // Links are followed only to files: a link to a folder is not walked, so a
  // loop of links cannot trap the scan.
  if (type == DT_LNK) {
    out.viaLink = true;
  } else {
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT ? FileError::None : FileError::Failed;
    out.viaLink = S_ISLNK(st.st_mode);
  }
  // A link that leads nowhere, or somewhere that cannot be reached, counts
  // nothing; its own folder is still read.
  if (out.viaLink && ::fstatat(dirFd, name, &st, 0) != 0) return FileError::None;
  Identify(st, out);
  if (S_ISDIR(st.st_mode)) {
    out.kind = out.viaLink ? FolderEntry::Kind::Skipped : FolderEntry::Kind::Folder;
    return FileError::None;
  }
  out.kind = FolderEntry::Kind::File;
  out.length = static_cast<std::uint64_t>(st.st_size);
  return FileError::None;
}

FileError ReadFolderEntries(DIR* dir, bool identify,
                            const std::function<void(const char*, const FolderEntry&)>& onEntry) {
  const int dfd = ::dirfd(dir);
  FolderEntry entry;
  while (true) {
    errno = 0;
    dirent* e = ::readdir(dir);
    if (!e) return errno != 0 ? FileError::Failed : FileError::None;
    const char* name = e->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    if (ClassifyEntry(dfd, name, e->d_type, identify, entry) != FileError::None)
      return FileError::Failed;
    onEntry(name, entry);
  }
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int OpenFolder(const std::string& path, bool followLast) {
  const int last = followLast ? 0 : O_NOFOLLOW;
  const int fd = ::open(path.c_str(), kFolderFlags | last);
  if (fd >= 0 || errno != ENAMETOOLONG) return fd;
  // Too long for one call: resolve it the way the system would, a step at a time.
  int dir = ::open(path[0] == '/' ? "/" : ".", kFolderFlags);
  std::size_t pos = 0;
  while (dir >= 0) {
    pos = path.find_first_not_of('/', pos);
    if (pos == std::string::npos) return dir;
    const std::size_t end = path.find('/', pos);
    const bool isLast = path.find_first_not_of('/', end) == std::string::npos;
    const int next =
        ::openat(dir, path.substr(pos, end - pos).c_str(), kFolderFlags | (isLast ? last : 0));
    const int error = errno;
    ::close(dir);
    errno = error;
    if (isLast) return next;
    dir = next;
    pos = end;
  }
  return -1;
}

bool StatFolder(const std::string& path, struct stat& out) {
  if (::stat(path.c_str(), &out) == 0) return true;
  if (errno != ENAMETOOLONG) return false;
  const int fd = OpenFolder(path, true);
  const bool ok = fd >= 0 && ::fstat(fd, &out) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

int OpenSubFolder(int dirFd, const char* name) {
  return ::openat(dirFd, name, kFolderFlags | O_NOFOLLOW);
}

bool VanishedMeanwhile(int error) {
  // ELOOP: a link now stands where the folder was.
  return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

}  // namespace velnook
