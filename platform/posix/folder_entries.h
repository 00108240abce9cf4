#pragma once
// How a measurement sees the entries of one folder, shared by the plain
// listing and the change tracker so that both count exactly the same things.

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace velnook {

struct FolderEntry {
  enum class Kind {
    Gone,     // vanished, or a link that leads nowhere it can reach: not counted
    File,     // counted with its length (a link to a file counts its target)
    Folder,   // a real sub-folder, walked
    Skipped,  // a link to a folder: never followed
  };
  Kind kind = Kind::Gone;
  bool viaLink = false;  // the name is a symbolic link
  std::uint64_t length = 0;
  dev_t device = 0;  // of the entry (the link's target for a link)
  ino_t inode = 0;
  nlink_t links = 1;
};

// Classifies |name| in the folder open at |dirFd|. |type| is readdir's d_type
// or DT_UNKNOWN. Without |identify| a sub-folder reported by d_type is not
// stat'ed, so its device and inode stay 0. Failed for anything but a vanished
// entry.
FileError ClassifyEntry(int dirFd, const char* name, unsigned char type, bool identify,
                        FolderEntry& out);

// Reads every entry of the open folder |dir| except "." and "..". Stops at the
// first failure.
FileError ReadFolderEntries(
    DIR* dir, bool identify,
    const std::function<void(const char* name, const FolderEntry&)>& onEntry);

// Opens the folder at |path| whatever its length: in one call when the system
// takes the path, else one component at a time. A link as the last component
// is followed only with |followLast|. -1 with errno set on failure.
int OpenFolder(const std::string& path, bool followLast);

// stat() of a path of any length, following links.
bool StatFolder(const std::string& path, struct stat& out);

// Opens the sub-folder |name| of the folder open at |dirFd|, never through a
// link. -1 with errno set on failure.
int OpenSubFolder(int dirFd, const char* name);

// An error that opening a sub-folder met because it vanished or was replaced
// by something else meanwhile, rather than because it cannot be read.
bool VanishedMeanwhile(int error);

}  // namespace velnook
