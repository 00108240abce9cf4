#include "monitor/unfinished_downloads.h"

#include <algorithm>
#include <cstdio>

namespace velnook {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Something before the ending, so that a file named just ".part" is no download.
bool EndsWith(const std::string& name, const std::string& ending) {
  if (name.size() <= ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<long>(ending.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

bool Marked(const std::string& name, MarkKind kind) {
  for (const UnfinishedMark& m : kUnfinishedMarks)
    if (m.kind == kind && EndsWith(name, m.ending)) return true;
  return false;
}

std::string LeafName(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  const auto cut = p.find_last_of("/\\");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

// The download a companion control file stands beside, when it is there.
std::string CompanionOf(const std::string& name) {
  for (const UnfinishedMark& m : kUnfinishedMarks)
    if (m.kind == MarkKind::Companion && EndsWith(name, m.ending))
      return name.substr(0, name.size() - std::string(m.ending).size());
  return "";
}

std::string SizeText(std::uint64_t bytes, char separator) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  const char* units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  std::string out = text;
  for (char& c : out)
    if (c == '.') c = separator;
  return out;
}

}  // namespace

std::vector<UnfinishedDownload> FindUnfinishedDownloads(FileSystem& files,
                                                        const std::string& root) {
  std::vector<UnfinishedDownload> found;
  auto walk = files.WalkFolders(root);
  FolderListing listing;
  listing.withNames = true;
  bool top = true;
  while (walk->Next(listing)) {
    if (listing.error != FileError::None) continue;
    if (!top && Marked(LeafName(listing.path), MarkKind::Folder)) {
      std::uint64_t total = 0;
      for (std::uint64_t length : listing.fileLengths) total += length;
      found.push_back({LeafName(listing.path), total});
    }
    top = false;
    for (size_t i = 0; i < listing.fileNames.size(); ++i) {
      const std::string& name = listing.fileNames[i];
      if (Marked(name, MarkKind::File)) found.push_back({name, listing.fileLengths[i]});
      const std::string download = CompanionOf(name);
      if (download.empty()) continue;
      const auto& names = listing.fileNames;
      const auto at = std::find(names.begin(), names.end(), download);
      if (at != names.end())
        found.push_back({download, listing.fileLengths[static_cast<size_t>(at - names.begin())]});
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.length > b.length; });
  return found;
}

std::string UnfinishedSummary(const std::vector<UnfinishedDownload>& found, char decimalSeparator) {
  if (found.empty()) return "";
  std::string text = found[0].name + " (" + SizeText(found[0].length, decimalSeparator) + ")";
  if (found.size() > 1) text += " and " + std::to_string(found.size() - 1) + " more";
  return text;
}

}  // namespace velnook
