#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/posix/descriptor_walk.h"
#include "platform/posix/folder_entries.h"

namespace velnook {

std::string ToNativePath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  // A leading "~/" is the home folder, as a shell reads it.
  const char* home = std::getenv("HOME");
  if (p.compare(0, 2, "~/") == 0 && home && *home) p = home + p.substr(1);
  return p;
}

namespace {

// Big enough that a long copy spends its time moving bytes, small enough
// that memory stays flat and window events run often.
constexpr size_t kBlockSize = 1 << 20;
// A long copy goes to disk as it goes, so that the flush at its end, with no
// window events between, never has more than this many blocks to write.
constexpr int kBlocksPerFlush = 16;

bool WriteAll(int fd, std::string_view content) {
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

// Opens path only when it names a regular file, links followed. The stat
// first spares a device the side effects of being opened at all;
// O_NONBLOCK keeps a FIFO from holding the open for ever if it is swapped in
// meanwhile, and the fstat after the open refuses it then.
int OpenRegularFile(const std::string& native, int flags) {
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return -1;
  int fd = ::open(native.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// One read of up to a block, retried when a signal cuts it short.
ssize_t ReadBlock(int fd, std::vector<char>& block) {
  while (true) {
    ssize_t n = ::read(fd, block.data(), block.size());
    if (n >= 0 || errno != EINTR) return n;
  }
}

// The path that a chain of symbolic links finally names; the path itself
// when it is no link. A link to a file not yet there names that file.
std::string FollowLinks(std::string native) {
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(native.c_str(), target, sizeof target);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof target)) break;
    const std::string next(target, static_cast<size_t>(n));
    native = next[0] == '/' ? next : FolderOf(native) + "/" + next;
  }
  return native;
}

// Gives the open file the owner and group of old; fails only when they
// cannot be kept, as for another user's file that only root may hand on.
bool KeepOwner(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) == 0) return true;
  struct stat now {};
  return ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
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

bool PosixFileSystem::ReadFileInBlocks(const std::string& path,
                                       const std::function<bool(std::string_view)>& onBlock) {
  int fd = OpenRegularFile(ToNativePath(path), O_RDONLY);
  if (fd < 0) return false;
  std::vector<char> block(kBlockSize);
  ssize_t n = 0;
  while ((n = ReadBlock(fd, block)) > 0)
    if (!onBlock(std::string_view(block.data(), static_cast<size_t>(n)))) break;
  ::close(fd);
  return n >= 0;
}

std::optional<std::string> PosixFileSystem::ReadFileTail(const std::string& path,
                                                         std::uint64_t maxBytes) {
  int fd = OpenRegularFile(ToNativePath(path), O_RDONLY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  const auto size = ok ? static_cast<std::uint64_t>(st.st_size) : 0;
  const std::uint64_t from = size > maxBytes ? size - maxBytes : 0;
  std::string data(static_cast<size_t>(size - from), '\0');
  size_t got = 0;
  while (ok && got < data.size()) {
    const ssize_t n =
        ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(from + got));
    if (n < 0 && errno == EINTR) continue;
    ok = n >= 0;
    if (n <= 0) break;  // a file cut short meanwhile gives what was there
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  data.resize(got);
  return data;
}

bool PosixFileSystem::ReplaceFile(const std::string& path, const std::string& content) {
  return Replace(path, content, false);
}

bool PosixFileSystem::ReplacePrivateFile(const std::string& path, const std::string& content) {
  return Replace(path, content, true);
}

bool PosixFileSystem::OthersMayRead(const std::string& path) {
  struct stat st {};
  return ::stat(FollowLinks(ToNativePath(path)).c_str(), &st) == 0 && (st.st_mode & 044) != 0;
}

bool PosixFileSystem::Replace(const std::string& path, const std::string& content,
                              bool privateFile) {
  // A linked file is replaced where the link points, so the link stays.
  const std::string native = FollowLinks(ToNativePath(path));
  struct stat old {};
  const bool exists = ::stat(native.c_str(), &old) == 0;
  // A FIFO, socket or device there is not ours to swap for a file.
  if (exists && !S_ISREG(old.st_mode)) return false;
  // The rename needs only the folder's permission; a file its owner made
  // read-only must stay as it is all the same.
  if (exists && ::faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) != 0) return false;
  std::string temp = native + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  // The new file takes the old one's owner, group and mode (owner first, as
  // a change of owner clears the set-id bits); a new file the usual mode.
  bool ok = !exists || privateFile || KeepOwner(fd, old);
  const mode_t mode = privateFile ? 0600 : (exists ? (old.st_mode & 07777) : 0644);
  ok = ok && ::fchmod(fd, mode) == 0;
  ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
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
  int fd = OpenRegularFile(ToNativePath(path), O_WRONLY | O_APPEND);
  if (fd < 0) return false;
  struct stat st {};
  const bool measured = ::fstat(fd, &st) == 0;
  bool ok = WriteAll(fd, content);
  // A disk that fills up mid-write leaves part of the text: cut it off again,
  // so the file ends with its last whole line.
  if (!ok && measured) {
    while (::ftruncate(fd, st.st_size) != 0 && errno == EINTR) {
    }
  }
  ok = (::close(fd) == 0) && ok;
  return ok;
}

bool PosixFileSystem::CopyFile(const std::string& from, const std::string& to,
                               const BetweenBlocks& betweenBlocks) {
  int in = OpenRegularFile(ToNativePath(from), O_RDONLY);
  if (in < 0) return false;
  const std::string native = ToNativePath(to);
  // Never overwrite: the copy must be a new file.
  int out = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> block(kBlockSize);
  ssize_t n = 0;
  bool ok = true;
  for (int blocks = 1; ok && (n = ReadBlock(in, block)) > 0; ++blocks) {
    ok = WriteAll(out, std::string_view(block.data(), static_cast<size_t>(n)));
    if (ok && blocks % kBlocksPerFlush == 0) ok = ::fdatasync(out) == 0;
    if (betweenBlocks) betweenBlocks();
  }
  ok = ok && n == 0 && ::fsync(out) == 0;
  ok = (::close(out) == 0) && ok;
  ::close(in);
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

std::unique_ptr<FolderWalk> PosixFileSystem::WalkFolders(const std::string& root) {
  return WalkFolderDescriptors(ToNativePath(root));
}

std::string PosixFileSystem::FileSystemOf(const std::string& folder) {
  struct stat st {};
  if (!StatFolder(ToNativePath(folder), st)) return "";
  // As the mount table writes it, so that IsMounted can look it up there.
  return std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
}

bool PosixFileSystem::IsMounted(const std::string& fileSystem) {
  // mountinfo: "id parent major:minor root mount-point ...", one line a mount.
  std::ifstream table("/proc/self/mountinfo");
  if (!table) return true;
  std::string id, parent, device, rest;
  while (table >> id >> parent >> device) {
    if (device == fileSystem) return true;
    std::getline(table, rest);
  }
  return false;
}

}  // namespace velnook
