#pragma once
// The program on the headless backend in a temporary working folder, with
// fake time and a power service that only records; for the link, its socket
// on the loopback network and a plain socket playing the master.

#include <gtest/gtest.h>

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

  void Start(ConfigValues v = {}, const std::string& args = "") {
    ASSERT_TRUE(PrepareWorkFolder(hs.files, v));
    program = std::make_unique<Program>(services ? *services : hs.services, args);
    program->ProcessEntry();
  }
  // 2 s start delay, 5 s below 2 KB/s, 2 s countdown.
  static ConfigValues Quick(ConfigValues v = {}) {
    const ConfigValues d;
    if (v.DownDelay == d.DownDelay) v.DownDelay = 5;
    if (v.ShutTime == d.ShutTime) v.ShutTime = 2;
    v.AvTime = 1;
    v.StartMin = 1;
    return v;
  }
  void Seconds(int n) { hs.loop.Advance(1000 * n); }
  void Grow(int bytes) {
    std::ofstream(dir.Path() + "/dls/file", std::ios::app) << std::string(bytes, 'x');
  }
  SharedState& State() { return program->state; }
  VelnookMain& Main() { return program->main; }
  std::string Counter() { return Main().Get("Counter").caption; }
  // How often text stands in the log.
  int LogCount(const std::string& text) {
    const std::string log = dir.Read("Log/Velnook.log");
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  TempWorkDir dir;
  HeadlessServices hs;
  std::unique_ptr<Services> services;  // when the test puts some of its own in
  std::unique_ptr<Program> program;
};

class LinkJobTest : public MainJobTest {
 protected:
  // downDelay: seconds of silence before the countdown.
  void StartLink(ConfigValues v, int downDelay = 5) {
    v.Port1 = port;
    v.DownDelay = downDelay;
    if (v.IPAdd.empty()) v.IPAdd = "127.0.0.1";
    Start(Quick(v));
  }
  // The partner written with leading zeros is the same computer.
  void StartSlave() { StartLink({.CMain = 2, .ShutType = 2, .IPAdd = "127.000.000.001"}); }
  // Half a second (or ms) in which the master (or from) sends msg.
  void Tick(const std::string& msg = "<VNA100>", NativeUdpSocket* from = nullptr, int ms = 500) {
    ASSERT_TRUE((from ? *from : master).SendTo("127.0.0.1", port, msg));
    link->WaitReadable(2000);  // loopback delivery is not instantaneous everywhere
    hs.loop.Advance(ms);
  }
  void Ticks(int n, NativeUdpSocket* from = nullptr) {
    for (int i = 0; i < n; ++i) Tick("<VNA100>", from);
  }
  void Silent(int halfSeconds = 1) { hs.loop.Advance(500 * halfSeconds); }

  int port = FreeLoopbackPort();
  NativeUdpSocket master{"127.0.0.1"}, *link = &hs.udp;
};

}  // namespace velnook
