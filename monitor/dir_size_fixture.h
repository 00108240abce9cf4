#pragma once
// A download folder in a fresh working directory, measured by the full scan
// (parameter false) and by the system's tree tracker (true) alike.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/shared_state.h"
#include "monitor/dir_size.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

namespace fs = std::filesystem;

class DirSizeTest : public ::testing::TestWithParam<bool> {
 protected:
  DirSizeTest() { fs::create_directories(dir.Path() + "/dl"); }
  void Grow(const std::string& rel, size_t bytes) {
    std::ofstream(dir.Path() + "/dl/" + rel, std::ios::binary | std::ios::app)
        << std::string(bytes, 'x');
  }
  std::string Rate() {
    EXPECT_TRUE(GetDirRate(dl, state, S()));
    return state.RateText;
  }
  Services& S() { return GetParam() ? hs.services : plain; }
  TempWorkDir dir;
  HeadlessServices hs;
  FullScanTracker fullScan;
  Services plain = hs.With(fullScan);
  SharedState state;
  std::string dl = "dl\\";  // a stored path with the Windows separator
};

}  // namespace velnook
