#pragma once
// File services. Paths are the program's own texts: "\" separates folders
// and a POSIX backend maps it to "/", so "Data\Velnook.ini" works everywhere.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnook {

enum class FileError {
  None,
  NotFound,  // the entry vanished or never existed
  Failed,    // any other failure: access refused, I/O error, not a folder
};

// One folder listed in a single pass: files with their lengths, sub-folders
// by name. Symbolic links to folders are not listed as folders.
struct FolderListing {
  // Set by the caller before listing: fill fileNames too.
  bool withNames = false;
  std::vector<std::uint64_t> fileLengths;
  std::vector<std::string> fileNames;   // leaf names, in the order of fileLengths
  std::vector<std::string> subFolders;  // full paths, ready to list again
  // Set by a walk, which keeps sub-folders to itself: the folder listed, and
  // whether it could be read. A folder that could not be read has no files.
  std::string path;
  FileError error = FileError::None;
};

// Reads a folder tree one folder at a time, each folder before the ones
// inside it. Sub-folders that vanish while the walk goes on are left out.
class FolderWalk {
 public:
  virtual ~FolderWalk() = default;
  // The next folder; false when every folder has been listed.
  virtual bool Next(FolderListing& out) = 0;
};

// Called between the blocks of a long read or copy, so that the window's
// events can run meanwhile.
using BetweenBlocks = std::function<void()>;

// Every operation that opens a file refuses anything but a regular file (a
// FIFO, socket or device) without ever waiting on it; a link to a regular
// file is followed.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual bool CreateFolder(const std::string& path) = 0;

  // The whole file as bytes; nullopt when it cannot be opened or read. By
  // default, the blocks of ReadFileInBlocks joined.
  virtual std::optional<std::string> ReadFile(const std::string& path);

  // Hands the file to onBlock in blocks of a fixed size, so that memory does
  // not grow with the file; stops early when onBlock returns false. False
  // when the file cannot be opened or read.
  virtual bool ReadFileInBlocks(const std::string& path,
                                const std::function<bool(std::string_view)>& onBlock) = 0;

  // The file's last |maxBytes| bytes (all of a shorter file), read from
  // there on: what comes before is never read. nullopt when it cannot be
  // opened or read.
  virtual std::optional<std::string> ReadFileTail(const std::string& path,
                                                  std::uint64_t maxBytes) = 0;

  // Replaces the file's whole content so that a failure at any point leaves
  // either the old content or the new one, never a mixture. A read-only file
  // is left alone (false). On POSIX a linked file is replaced at its target
  // and keeps its owner, group and mode.
  virtual bool ReplaceFile(const std::string& path, const std::string& content) = 0;

  // Opens an existing file, appends and closes; false when the file is
  // missing or not every byte reached it, in which case the file keeps its
  // old length.
  virtual bool AppendToFile(const std::string& path, const std::string& content) = 0;
  // Copies in fixed-size blocks into a new file (never over an existing
  // one), calling betweenBlocks after each; the copy holds every byte up to
  // the end of the source and is on disk when this returns true. A failed
  // copy is removed again.
  virtual bool CopyFile(const std::string& from, const std::string& to,
                        const BetweenBlocks& betweenBlocks) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;

  // A secret: replaced as ReplaceFile does, but readable and writable by
  // the user alone whatever the file was before. Here, where the system
  // keeps no such permissions, a plain ReplaceFile.
  virtual bool ReplacePrivateFile(const std::string& path, const std::string& content) {
    return ReplaceFile(path, content);
  }
  // True when users other than this one may read the file.
  virtual bool OthersMayRead(const std::string&) { return false; }
  virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;

  // Lists one folder. Entries that vanish while being listed are left out.
  // Only this WalkFolders needs it: a backend with its own walk may leave it
  // failing, as here.
  virtual FileError ListFolder(const std::string& path, FolderListing& out) {
    (void)path;
    (void)out;
    return FileError::Failed;
  }

  // Walks the tree below |root|; the first folder listed is |root| itself.
  // This one lists folder by folder through ListFolder.
  virtual std::unique_ptr<FolderWalk> WalkFolders(const std::string& root);

  // Names the mounted file system that holds the folder: two calls give the
  // same text exactly when the folder's path led into the same one. Empty
  // when the backend cannot tell, as this one.
  virtual std::string FileSystemOf(const std::string& folder) {
    (void)folder;
    return "";
  }
  // Whether a file system FileSystemOf named is still mounted anywhere; true
  // when the backend cannot tell, as this one.
  virtual bool IsMounted(const std::string& fileSystem) {
    (void)fileSystem;
    return true;
  }
};

}  // namespace velnook
