#pragma once
// File services over the Win32 ANSI calls: paths are native as the program
// writes them, in the system's ANSI code page.

#include <string>

#include "platform/file_system.h"

namespace velnook {

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool ReadFileInBlocks(const std::string& path,
                        const std::function<bool(std::string_view)>& onBlock) override;
  std::optional<std::string> ReadFileTail(const std::string& path, std::uint64_t maxBytes) override;
  bool ReplaceFile(const std::string& path, const std::string& content) override;
  bool AppendToFile(const std::string& path, const std::string& content) override;
  bool CopyFile(const std::string& from, const std::string& to,
                const BetweenBlocks& betweenBlocks) override;
  bool DeleteFile(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  FileError ListFolder(const std::string& path, FolderListing& out) override;
  std::string FileSystemOf(const std::string& folder) override;
  bool IsMounted(const std::string& fileSystem) override;
};

}  // namespace velnook
