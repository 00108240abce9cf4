#include "platform/win32/win32_file_system.h"

#include <vector>

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Big enough that a long copy spends its time moving bytes, small enough
// that memory stays flat and window events run often.
constexpr DWORD kBlockSize = 1 << 20;
// A long copy goes to disk as it goes, so that the flush at its end, with no
// window events between, never has more than this many blocks to write.
constexpr int kBlocksPerFlush = 16;

bool WriteAll(HANDLE h, std::string_view content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    left -= written;
  }
  return true;
}

// Opens path only when it names a file on disk: a device name ("NUL",
// "COM1"), a pipe or a folder is refused before it is opened where its
// attributes show it, and after, by the handle's type, where they do not.
HANDLE OpenDiskFile(const std::string& path, DWORD access, DWORD share) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return INVALID_HANDLE_VALUE;
  HANDLE h = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

// One read of up to a block; nullopt on failure, 0 at the end.
std::optional<DWORD> ReadBlock(HANDLE h, std::vector<char>& block) {
  DWORD n = 0;
  if (!::ReadFile(h, block.data(), static_cast<DWORD>(block.size()), &n, nullptr))
    return std::nullopt;
  return n;
}

std::string WithSeparator(std::string path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

std::wstring Widen(const std::string& text) {
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n : 1), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

// The folder as a long path ("\\?\C:\..." or "\\?\UNC\server\..."), which the
// system takes at any length and depth, ending in a separator.
std::wstring LongFolderPath(const std::string& path) {
  std::wstring full = Widen(path);
  if (full.rfind(L"\\\\?\\", 0) != 0) {
    // Long paths are taken literally: resolve relative parts and "/" first.
    const std::wstring given = full;
    DWORD n = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    full.assign(n, L'\0');
    n = ::GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
    full.resize(n);
    full = full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
  }
  if (full.back() != L'\\') full += L'\\';
  return full;
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  return IsFolder(::GetFileAttributesA(path.c_str()));
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32FileSystem::ReadFileInBlocks(const std::string& path,
                                       const std::function<bool(std::string_view)>& onBlock) {
  HANDLE h = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(kBlockSize);
  std::optional<DWORD> n;
  while ((n = ReadBlock(h, block)) && *n > 0)
    if (!onBlock(std::string_view(block.data(), *n))) break;
  ::CloseHandle(h);
  return n.has_value();
}

std::optional<std::string> Win32FileSystem::ReadFileTail(const std::string& path,
                                                         std::uint64_t maxBytes) {
  HANDLE h = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  bool ok = ::GetFileSizeEx(h, &size) != 0;
  const auto length = ok ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  const std::uint64_t from = length > maxBytes ? length - maxBytes : 0;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(from);
  ok = ok && ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) != 0;
  std::string data(static_cast<size_t>(length - from), '\0');
  size_t got = 0;
  while (ok && got < data.size()) {
    DWORD n = 0;
    ok = ::ReadFile(h, data.data() + got, static_cast<DWORD>(data.size() - got), &n, nullptr) != 0;
    if (n == 0) break;  // a file cut short meanwhile gives what was there
    got += n;
  }
  ::CloseHandle(h);
  if (!ok) return std::nullopt;
  data.resize(got);
  return data;
}

bool Win32FileSystem::ReplaceFile(const std::string& path, const std::string& content) {
  // A device there is not ours to swap for a file.
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DEVICE)) return false;
  // The new content goes to a file of its own beside the old one, which a
  // single rename then replaces.
  const std::string temp = path + ".new" + std::to_string(::GetCurrentProcessId());
  HANDLE h = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, content) && ::FlushFileBuffers(h);
  ok = ::CloseHandle(h) && ok;
  if (ok)
    ok = ::MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) ::DeleteFileA(temp.c_str());
  return ok;
}

bool Win32FileSystem::AppendToFile(const std::string& path, const std::string& content) {
  // OPEN_EXISTING: a file deleted by someone else must not come back headless.
  HANDLE h = OpenDiskFile(path, GENERIC_WRITE, FILE_SHARE_READ);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER zero{}, end{};
  bool ok = ::SetFilePointerEx(h, zero, &end, FILE_END) != 0;
  if (ok && !WriteAll(h, content)) {
    // A disk that fills up mid-write leaves part of the text: cut it off
    // again, so the file ends with its last whole line.
    ::SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(h);
    ok = false;
  }
  ok = ::CloseHandle(h) && ok;
  return ok;
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to,
                               const BetweenBlocks& betweenBlocks) {
  HANDLE in = OpenDiskFile(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (in == INVALID_HANDLE_VALUE) return false;
  // Never overwrite: the copy must be a new file.
  HANDLE out = ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    ::CloseHandle(in);
    return false;
  }
  std::vector<char> block(kBlockSize);
  std::optional<DWORD> n;
  bool ok = true;
  for (int blocks = 1; ok && (n = ReadBlock(in, block)) && *n > 0; ++blocks) {
    ok = WriteAll(out, std::string_view(block.data(), *n));
    if (ok && blocks % kBlocksPerFlush == 0) ok = ::FlushFileBuffers(out) != 0;
    if (betweenBlocks) betweenBlocks();
  }
  ok = ok && n.has_value() && ::FlushFileBuffers(out);
  ok = ::CloseHandle(out) && ok;
  ::CloseHandle(in);
  if (!ok) ::DeleteFileA(to.c_str());
  return ok;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d) ||
      (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

FileError Win32FileSystem::ListFolder(const std::string& path, FolderListing& out) {
  out.fileLengths.clear();
  out.fileNames.clear();
  out.subFolders.clear();
  const std::string folder = WithSeparator(path);
  WIN32_FIND_DATAW d{};
  // No short names, and the entries fetched many at a time: both cut the
  // walk's round trips, which a network share makes dear.
  HANDLE h = ::FindFirstFileExW((LongFolderPath(path) + L"*").c_str(), FindExInfoBasic, &d,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = ::GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_DIRECTORY ||
                   e == ERROR_INVALID_NAME
               ? FileError::NotFound
               : FileError::Failed;
  }
  FileError result = FileError::None;
  do {
    const std::string name = Narrow(d.cFileName);
    if (name == "." || name == "..") continue;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // Links and junctions to folders are never followed, so a loop of
      // them cannot trap the scan.
      if (!(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        out.subFolders.push_back(folder + name);
    } else {
      out.fileLengths.push_back((static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) |
                                d.nFileSizeLow);
      if (out.withNames) out.fileNames.push_back(name);
    }
  } while (::FindNextFileW(h, &d));
  if (::GetLastError() != ERROR_NO_MORE_FILES) result = FileError::Failed;
  ::FindClose(h);
  return result;
}

std::string Win32FileSystem::FileSystemOf(const std::string& folder) {
  // The volume's own name ("\\?\Volume{...}\"), whichever drive letter or
  // folder it is mounted at; a share has none, and cannot be told.
  wchar_t mountPoint[MAX_PATH + 1];
  wchar_t volume[MAX_PATH + 1];
  if (!::GetVolumePathNameW(LongFolderPath(folder).c_str(), mountPoint, MAX_PATH + 1) ||
      !::GetVolumeNameForVolumeMountPointW(mountPoint, volume, MAX_PATH + 1))
    return "";
  return Narrow(volume);
}

bool Win32FileSystem::IsMounted(const std::string& fileSystem) {
  return ::GetVolumeInformationW(Widen(fileSystem).c_str(), nullptr, 0, nullptr, nullptr, nullptr,
                                 nullptr, 0) != 0;
}

}  // namespace velnook
