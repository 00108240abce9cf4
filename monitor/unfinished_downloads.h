#pragma once
// Downloads left unfinished in the download folder tree: a stalled download
// stops growing exactly as a finished one does, but the downloaders mark an
// unfinished file by its name.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace velnook {

enum class MarkKind {
  File,       // a file whose name ends so
  Folder,     // a folder whose name ends so, counted with the files in it
  Companion,  // a control file beside its download, named like it plus this
};

struct UnfinishedMark {
  const char* ending;  // compared without regard to case
  MarkKind kind;
};

// How the common downloaders mark what they have not finished.
inline constexpr UnfinishedMark kUnfinishedMarks[] = {
    {".part", MarkKind::File},        // Firefox
    {".partial", MarkKind::File},     // Internet Explorer, older Edge
    {".crdownload", MarkKind::File},  // Chrome, Edge, Brave, Vivaldi
    {".download", MarkKind::File},    // Safari
    {".download", MarkKind::Folder},  // Safari's bundle
    {".opdownload", MarkKind::File},  // Opera
    {".!qB", MarkKind::File},         // qBittorrent
    {".!ut", MarkKind::File},         // uTorrent
    {".aria2", MarkKind::Companion},  // aria2
};

struct UnfinishedDownload {
  std::string name;  // the file's or folder's own name
  std::uint64_t length = 0;
};

// Walks the tree below |root| for them, largest first. Safe off the window
// thread when |files| is. Folders that cannot be read are passed over.
std::vector<UnfinishedDownload> FindUnfinishedDownloads(FileSystem& files, const std::string& root);

// "ubuntu.iso.part (2.1 GB)", and " and 2 more" when there are others.
std::string UnfinishedSummary(const std::vector<UnfinishedDownload>& found, char decimalSeparator);

}  // namespace velnook
