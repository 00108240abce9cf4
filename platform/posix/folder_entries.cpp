#include "platform/posix/folder_entries.h"

#include <fcntl.h>
#include <sys/stat.h>

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
  if (out.viaLink && ::fstatat(dirFd, name, &st, 0) != 0)
    return errno == ENOENT ? FileError::None : FileError::Failed;  // dangling
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

}  // namespace velnook
