#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/folder_entries.h"

namespace velnook {

std::string ToNativePath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

namespace {

bool WriteAll(int fd, const std::string& content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& native) {
  auto slash = native.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return native.substr(0, slash);
}

}  // namespace

bool PosixFileSystem::FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(ToNativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(ToNativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::CreateFolder(const std::string& path) {
  return ::mkdir(ToNativePath(path).c_str(), 0777) == 0;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
  int fd = ::open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buf[65536];
  while (true) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

bool PosixFileSystem::ReplaceFile(const std::string& path, const std::string& content) {
  const std::string native = ToNativePath(path);
  std::string temp = native + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  // Keep the old file's permissions, or the usual ones for a new file.
  struct stat st {};
  ::fchmod(fd, ::stat(native.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), native.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable; a failure here no longer risks the data.
  int dir = ::open(FolderOf(native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool PosixFileSystem::AppendToFile(const std::string& path, const std::string& content) {
  // No O_CREAT: a file deleted by someone else must not come back headless.
  int fd = ::open(ToNativePath(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  bool ok = WriteAll(fd, content);
  // A disk that fills up mid-write leaves part of the text: cut it off again,
  // so the file ends with its last whole line.
  if (!ok && regular) {
    while (::ftruncate(fd, st.st_size) != 0 && errno == EINTR) {
    }
  }
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool PosixFileSystem::CopyFile(const std::string& from, const std::string& to) {
  auto data = ReadFile(from);
  if (!data) return false;
  const std::string native = ToNativePath(to);
  // Never overwrite: the copy must be a new file.
  int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, *data) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) ::unlink(native.c_str());
  return ok;
}

bool PosixFileSystem::DeleteFile(const std::string& path) {
  return ::unlink(ToNativePath(path).c_str()) == 0;
}

std::optional<std::uint64_t> PosixFileSystem::FileLength(const std::string& path) {
  struct stat st {};
  if (::stat(ToNativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

FileError PosixFileSystem::ListFolder(const std::string& path, FolderListing& out) {
  out.fileLengths.clear();
  out.subFolders.clear();
  std::string native = ToNativePath(path);
  DIR* d = ::opendir(native.c_str());
  if (!d) return errno == ENOENT || errno == ENOTDIR ? FileError::NotFound : FileError::Failed;
  if (native.empty() || native.back() != '/') native += '/';
  const FileError result =
      ReadFolderEntries(d, false, [&](const char* name, const FolderEntry& entry) {
        if (entry.kind == FolderEntry::Kind::File) out.fileLengths.push_back(entry.length);
        if (entry.kind == FolderEntry::Kind::Folder) out.subFolders.push_back(native + name);
      });
  ::closedir(d);
  return result;
}

}  // namespace velnook
