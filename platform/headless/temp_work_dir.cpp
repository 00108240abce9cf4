#include "platform/headless/temp_work_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace velnook {

namespace fs = std::filesystem;

TempWorkDir::TempWorkDir() : previous_(fs::current_path().string()) {
  std::mt19937_64 random(std::random_device{}());
  // A name nobody holds yet: create_directory refuses one that exists.
  fs::path p;
  do p = fs::temp_directory_path() / ("velnook-test-" + std::to_string(random()));
  while (!fs::create_directory(p));
  path_ = p.string();
  fs::current_path(path_);
}

TempWorkDir::~TempWorkDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

void TempWorkDir::Write(const std::string& relative, const std::string& content) const {
  const fs::path p = fs::path(path_) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

std::string TempWorkDir::Read(const std::string& relative) const {
  std::ostringstream s;
  s << std::ifstream(fs::path(path_) / relative, std::ios::binary).rdbuf();
  return s.str();
}

}  // namespace velnook
