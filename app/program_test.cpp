#include "app/program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() : hs(dir.Path()) {}
  void Prepare(const ConfigValues& v = {}) { ASSERT_TRUE(PrepareWorkFolder(hs.files, v)); }
  TempWorkDir dir;
  HeadlessServices hs;
};

TEST_F(ProgramTest, FirstStartReadsTheSettingsAndShowsTheMainWindow) {
  Prepare({.StartMin = 1});
  Program p(hs.services, "-InhibitShutdown");
  p.ProcessEntry();
  EXPECT_TRUE(hs.windows.IsShown(p.main));
  EXPECT_FALSE(hs.windows.IsShown(p.multiInst));
  EXPECT_EQ(p.main.caption, "Velnook");
  EXPECT_EQ(p.state.StartSwitch, 1);
  EXPECT_EQ(p.state.settings.DownDelay, 6);  // -InhibitShutdown shortens the delays
  EXPECT_EQ(hs.process.priorityRaises, 1);
  EXPECT_TRUE(hs.messages.shown.empty());
}

TEST_F(ProgramTest, StartMinimisedShowsOnlyTheTrayIcon) {
  Prepare({.StartMin = 2});
  Program p(hs.services, "");
  p.ProcessEntry();
  EXPECT_FALSE(hs.windows.IsShown(p.main));
  EXPECT_TRUE(hs.windows.trayIconShown);
  EXPECT_EQ(hs.windows.trayTip, "Velnook");
}

TEST_F(ProgramTest, SecondInstanceShowsTheStartUpErrorWindowOnly) {
  Prepare();
  NativeInstanceLock firstLock(dir.Path() + "/run");  // made closed to others
  ASSERT_FALSE(firstLock.IsAnotherInstance("Velnook"));
  // A lock object of its own, as a second process would have.
  HeadlessServices second(dir.Path() + "/run");
  std::filesystem::remove(dir.Path() + "/Data/Velnook.ini");  // nothing is read
  Program p(second.services, "");
  p.ProcessEntry();
  EXPECT_TRUE(second.windows.IsShown(p.multiInst));
  EXPECT_FALSE(second.windows.IsShown(p.main));
  EXPECT_TRUE(second.messages.shown.empty());
  EXPECT_EQ(p.multiInst.caption, "Velnook Start Up Error");
  EXPECT_EQ(p.multiInst.Get("ErrorMess").caption,
            "Velnook is already running. Only one instance can be running at a time.");
  EXPECT_TRUE(p.multiInst.topmost);
  EXPECT_THROW(p.multiInst.OnClick("Exit"), ProgramEnded);
  EXPECT_THROW(p.multiInst.OnCloseRequest(), ProgramEnded);

  p.multiInst.OnClick("Logo");
  ASSERT_EQ(second.launcher.webPages.size(), 1u);
  second.launcher.succeed = false;
  p.multiInst.OnClick("Logo");
  ASSERT_EQ(second.messages.shown.size(), 1u);
  EXPECT_EQ(second.messages.shown[0].title, "Velnook Error");
  EXPECT_EQ(second.messages.shown[0].text, "Unable to launch Browser.");
  EXPECT_EQ(second.messages.shown[0].icon, MsgIcon::None);
}

TEST_F(ProgramTest, AllowMultiAtTheEndLetsASecondInstanceStart) {
  Prepare({.StartMin = 1});
  NativeInstanceLock firstLock(dir.Path() + "/run");
  ASSERT_FALSE(firstLock.IsAnotherInstance("Velnook"));
  Program p(hs.services, "-AddErrorMessage -AllowMulti");
  p.ProcessEntry();
  EXPECT_TRUE(hs.windows.IsShown(p.main));
  EXPECT_EQ(p.state.StartSwitch, 2);

  HeadlessServices third(dir.Path() + "/run");
  Program refused(third.services, "-AllowMulti ");
  refused.ProcessEntry();
  EXPECT_TRUE(third.windows.IsShown(refused.multiInst));
}

TEST_F(ProgramTest, MissingDataFolderEndsBeforeAnythingIsRead) {
  Program p(hs.services, "");
  EXPECT_THROW(p.ProcessEntry(), ProgramEnded);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Critical, MsgButtons::Ok, "Velnook Data Directory Error",
                               "The data directory does not exist.\r\nTo restore the data "
                               "directory\r\nreinstall the program.\r\nThe program will now "
                               "terminate."}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log"));
}

TEST_F(ProgramTest, ASlaveIsNamedAndABadFileEndsTheStart) {
  Prepare({.CMain = 2, .StartMin = 1});
  Program p(hs.services, "");
  p.ProcessEntry();
  EXPECT_EQ(p.state.ProgramTitle, "Velnook Slave");
  EXPECT_TRUE(p.state.PartnerMissing);

  HeadlessServices other(dir.Path() + "/x");
  dir.Write("Data/Velnook.ini", "garbage");
  Program bad(other.services, "-AllowMulti");
  EXPECT_THROW(bad.ProcessEntry(), ProgramEnded);
  EXPECT_EQ(other.messages.shown.back().title, "Velnook Configuration File Error");
}

// A disk that fills up while the program runs.
class FillingDisk : public NativeFileSystem {
 public:
  bool AppendToFile(const std::string& path, const std::string& text) override {
    return !full && NativeFileSystem::AppendToFile(path, text);
  }
  bool full = false;
};

TEST_F(ProgramTest, TheSystemEndsTheProgramUnderTheLogErrorBox) {
  Prepare({.LogLevel = 2, .StartMin = 1});
  FillingDisk disk;
  Services s = WithFiles(hs.services, disk);
  Program p(s, "");
  p.ProcessEntry();
  disk.full = true;
  hs.messages.whileOpen = [&] {
    hs.messages.whileOpen = nullptr;
    p.EndBySystem();  // SIGTERM, with the box up
  };
  EXPECT_THROW(p.main.OnClick("Reset"), ProgramEnded);
  ASSERT_EQ(hs.messages.shown.size(), 1u) << "no second box waits for a user";
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Log File Write Error");
}

}  // namespace
}  // namespace velnook
