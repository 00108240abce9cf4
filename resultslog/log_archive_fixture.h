#pragma once
// The Archive button's work on real files in a fresh working directory, with
// copies and writes that can be made to go wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/log_archive.h"

namespace velnook {

// A program path as both systems' file libraries take it.
inline std::string Slashed(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// Real files whose copies and writes can be made to go wrong.
class FaultyFiles : public NativeFileSystem {
 public:
  bool CopyFile(const std::string& from, const std::string& to,
                const BetweenBlocks& betweenBlocks) override {
    if (failCopy) return false;
    if (!NativeFileSystem::CopyFile(from, to, betweenBlocks)) return false;
    if (shortCopy) std::filesystem::resize_file(Slashed(to), 3);
    return true;
  }
  bool ReplaceFile(const std::string& path, const std::string& content) override {
    return !failReplace && NativeFileSystem::ReplaceFile(path, content);
  }
  bool failCopy = false, shortCopy = false, failReplace = false;
};

inline const char* kNewLog =
    "Velnook Results Log\r\nVersion 2.5\r\nFile Created\r\n05/12/2026 14:03:27\r\n\r\n\r\n";

inline std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

// The Archive click with scripted answers, in a fresh working directory.
class ArchiveTest : public ::testing::Test {
 protected:
  ArchiveTest() : services(WithFiles(hs.services, files)) {
    hs.loop.SetNow({2026, 12, 5, 14, 3, 27});
  }
  ArchiveResult Click(std::initializer_list<MsgAnswer> answers) {
    hs.messages.answers = answers;
    hs.messages.shown.clear();
    return ArchiveLogClick(state, services);
  }
  std::string Log() const { return dir.Read("Log/Velnook.log"); }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(dir.Path() + "/" + relative);
  }
  TempWorkDir dir;
  HeadlessServices hs;
  FaultyFiles files;
  Services services;
  SharedState state;
};

}  // namespace velnook
