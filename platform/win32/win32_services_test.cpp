// The process, administrator and power services that tests may call: none
// of them asks the system for a power action.
#include <gtest/gtest.h>

#include "platform/win32/win32_administrator.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

TEST(Win32Power, SystemTextsAreTheSystemsOwnOrEmpty) {
  const std::string denied = SystemErrorText(5);  // ERROR_ACCESS_DENIED
  EXPECT_FALSE(denied.empty());
  EXPECT_EQ(denied.substr(denied.size() - 2), "\r\n");  // kept as the system wrote it
  EXPECT_EQ(SystemErrorText(0x2000FFFFu), "");          // no message for this code
}

TEST(Win32Process, EnvironmentIsReadAndMissingNamesAreNothing) {
  Win32Process process;
  ASSERT_TRUE(::testing::internal::posix::GetEnv("PATH") != nullptr);
  EXPECT_EQ(process.GetEnvironment("PATH"),
            std::string(::testing::internal::posix::GetEnv("PATH")));
  EXPECT_FALSE(process.GetEnvironment("VELNOOK_SURELY_UNSET_42").has_value());
  process.RaisePriority();
  EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
}

TEST(Win32AdministratorTest, FindsTheAdministratorsGroupByName) {
  // The tests run as Wine's user, who belongs to the Administrators group.
  EXPECT_TRUE(Win32AdministratorTest().IsAdministrator());
}

}  // namespace
}  // namespace velnook
