#pragma once
// The program on the headless backend as one side of the link, over real
// UDP sockets on the loopback network, and a plain socket as the other.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

class LinkJobTest : public ::testing::Test {
 protected:
  LinkJobTest() : hs(dir.Path()), port(FreeLoopbackPort()) {}

  // downDelay: seconds of quiet (or silence) before the countdown.
  void Start(ConfigValues v, int downDelay = 5) {
    dir.Write("dls/.keep", "");
    dir.Write("Log/.keep", "");
    hs.files.CreateFolder("Data");
    v.DPath = "dls\\";
    v.Port1 = port;
    v.StartMin = 1;
    v.AvTime = 1;
    v.DownDelay = downDelay;
    v.ShutTime = 2;
    if (v.IPAdd.empty()) v.IPAdd = "127.0.0.1";
    ASSERT_TRUE(WriteTestSettings(hs.files, v));
    services = std::make_unique<Services>(udp ? WithUdp(hs.services, *udp) : hs.services);
    program = std::make_unique<Program>(*services, "");
    program->ProcessEntry();
  }
  void StartSlave() { Start({.CMain = 2, .ShutType = 2}); }
  // Half a second in which the master sends msg.
  void Tick(const std::string& msg = "<VNA100>", NativeUdpSocket* from = nullptr) {
    ASSERT_TRUE((from ? *from : master).SendTo("127.0.0.1", port, msg));
    WaitForDelivery();
    hs.loop.Advance(500);
  }
  // Half a second in which nothing arrives.
  void Silent() { hs.loop.Advance(500); }
  // Loopback delivery is not instantaneous everywhere: wait until the
  // datagram has landed on the receiving socket.
  void WaitForDelivery() { hs.udp.WaitReadable(2000); }
  std::string Counter() { return program->main.Get("Counter").caption; }
  SharedState& State() { return program->state; }

  TempWorkDir dir;
  HeadlessServices hs;
  UdpSocket* udp = nullptr;  // the program's link socket when not hs.udp
  int port;
  NativeUdpSocket master{"127.0.0.1"};
  std::unique_ptr<Services> services;
  std::unique_ptr<Program> program;
};

}  // namespace velnook
