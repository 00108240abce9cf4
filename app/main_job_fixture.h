#pragma once
// The program on the headless backend with a real download folder in a
// temporary directory, fake time, and a power service that only records.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

class MainJobTest : public ::testing::Test {
 protected:
  MainJobTest() : hs(dir.Path()) {}

  // Quick defaults: 2 s start delay, 5 s below 2 KB/s, 2 s countdown.
  void Start(ConfigValues v = {}, const std::string& args = "") {
    ASSERT_TRUE(PrepareWorkFolder(hs.files, v));
    program = std::make_unique<Program>(hs.services, args);
    program->ProcessEntry();
  }
  static ConfigValues Quick() {
    return {.AvTime = 1, .DownDelay = 5, .StartMin = 1, .ShutTime = 2};
  }
  void Seconds(int n) { hs.loop.Advance(1000 * n); }
  void Grow(int bytes) {
    std::ofstream(dir.Path() + "/dls/file", std::ios::app) << std::string(bytes, 'x');
  }
  SharedState& State() { return program->state; }
  VelnookMain& Main() { return program->main; }
  std::string Counter() { return Main().Get("Counter").caption; }
  // The log's entry lines from the time on, without the headers.
  std::vector<std::string> Entries() {
    std::vector<std::string> out;
    const std::string text = dir.Read("Log/Velnook.log");
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(at, end - at);
      if (line.size() > 20 && line[2] == '-' && line[18] == ',') out.push_back(line.substr(20));
      at = end + 2;
    }
    return out;
  }

  TempWorkDir dir;
  HeadlessServices hs;
  std::unique_ptr<Program> program;
};

}  // namespace velnook
