// The administrator and power services' own answers from the system; none
// of them asks the system for a power action.
#include <gtest/gtest.h>

#include "platform/win32/win32_administrator.h"
#include "platform/win32/win32_power.h"

namespace velnook {
namespace {

TEST(Win32Services, AnswerAsTheSystemDoes) {
  const std::string denied = SystemErrorText(5);  // ERROR_ACCESS_DENIED
  ASSERT_GT(denied.size(), 2u);
  EXPECT_EQ(denied.substr(denied.size() - 2), "\r\n");  // kept as the system wrote it
  EXPECT_EQ(SystemErrorText(0x2000FFFFu), "");          // no message for this code
  // Wine's user belongs to the Administrators group.
  EXPECT_TRUE(Win32AdministratorTest().IsAdministrator());
}

}  // namespace
}  // namespace velnook
