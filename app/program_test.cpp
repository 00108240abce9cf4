// Starting the program: the settings, a second instance, and the ends that
// come before the monitor runs.
#include "app/program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_job_fixture.h"

namespace velnook {
namespace {

using ProgramTest = MainJobTest;

TEST_F(ProgramTest, ASecondInstanceShowsTheStartUpErrorWindowUnlessAllowed) {
  ASSERT_TRUE(PrepareWorkFolder(hs.files, {.StartMin = 1}));
  NativeInstanceLock firstLock(dir.Path() + "/run");
  ASSERT_FALSE(firstLock.IsAnotherInstance("Velnook"));
  // Lock objects of their own, as other processes would have.
  HeadlessServices second(dir.Path() + "/run"), third(dir.Path() + "/run");
  Program allowed(third.services, "-AddErrorMessage -AllowMulti");
  allowed.ProcessEntry();
  EXPECT_TRUE(third.windows.IsShown(allowed.main));
  EXPECT_EQ(allowed.state.StartSwitch, 2);
  EXPECT_EQ(third.process.priorityRaises, 1);

  std::filesystem::remove(dir.Path() + "/Data/Velnook.ini");  // nothing is read
  Program p(second.services, "-AllowMulti ");                 // a switch only at the very end
  p.ProcessEntry();
  EXPECT_TRUE(second.windows.IsShown(p.multiInst));
  EXPECT_FALSE(second.windows.IsShown(p.main));
  EXPECT_EQ(p.multiInst.Get("ErrorMess").caption,
            "Velnook is already running. Only one instance can be running at a time.");
  EXPECT_TRUE(p.multiInst.topmost);
  second.launcher.succeed = false;
  p.multiInst.OnClick("Logo");
  EXPECT_EQ(second.messages.Only(),
            (MessageBoxRequest{.title = "Velnook Error", .text = "Unable to launch Browser."}));
  EXPECT_THROW(p.multiInst.OnClick("Exit"), ProgramEnded);
  EXPECT_THROW(p.multiInst.OnCloseRequest(), ProgramEnded);
}

TEST_F(ProgramTest, MissingDataFolderEndsBeforeAnythingIsRead) {
  Program p(hs.services, "");
  EXPECT_THROW(p.ProcessEntry(), ProgramEnded);
  EXPECT_EQ(hs.messages.Only().title, "Velnook Data Directory Error");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log"));
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
  FillingDisk disk;
  services = std::make_unique<Services>(WithFiles(hs.services, disk));
  Start({.LogLevel = 2, .StartMin = 1});
  disk.full = true;
  hs.messages.whileOpen = [&] {
    hs.messages.whileOpen = nullptr;
    program->EndBySystem();  // SIGTERM, with the box up
  };
  EXPECT_THROW(Main().OnClick("Reset"), ProgramEnded);
  EXPECT_EQ(hs.messages.Only().title, "Velnook Log File Write Error");  // no second box waits
  program.reset();
}

}  // namespace
}  // namespace velnook
