#pragma once
// File services over POSIX calls. "\" in the program's paths becomes "/"
// and a leading "~/" the home folder; the bytes are the UTF-8 the desktop uses.

#include <string>

#include "platform/file_system.h"

namespace velnook {

std::string ToNativePath(const std::string& path);

class PosixFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool ReadFileInBlocks(const std::string& path,
                        const std::function<bool(std::string_view)>& onBlock) override;
  std::optional<std::string> ReadFileTail(const std::string& path, std::uint64_t maxBytes) override;
  bool ReplaceFile(const std::string& path, const std::string& content) override;
  bool ReplacePrivateFile(const std::string& path, const std::string& content) override;
  bool OthersMayRead(const std::string& path) override;
  bool AppendToFile(const std::string& path, const std::string& content) override;
  bool CopyFile(const std::string& from, const std::string& to,
                const BetweenBlocks& betweenBlocks) override;
  bool DeleteFile(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::unique_ptr<FolderWalk> WalkFolders(const std::string& root) override;
  std::string FileSystemOf(const std::string& folder) override;
  bool IsMounted(const std::string& fileSystem) override;

 private:
  // privateFile: mode 0600 and this user's, instead of the old file's.
  bool Replace(const std::string& path, const std::string& content, bool privateFile);
};

}  // namespace velnook
