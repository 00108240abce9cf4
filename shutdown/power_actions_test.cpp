#include "shutdown/power_actions.h"

#include <gtest/gtest.h>

#include "platform/headless/recording_power.h"
#include "shutdown/shut_types.h"

namespace velnook {
namespace {

TEST(RequestPowerAction, EachShutTypeAsksForItsActionAndNamesItsFailure) {
  const std::tuple<std::int16_t, PowerAction, const char*> cases[] = {
      {1, PowerAction::PowerOff, "ShutdownSystem"},
      {2, PowerAction::Reboot, "ShutdownSystem"},
      {3, PowerAction::Halt, "ShutdownSystem"},
      {5, PowerAction::Hibernate, "HibernateSystem"},
      {6, PowerAction::Suspend, "StandbySystem"}};
  for (const auto& [shutType, action, call] : cases) {
    RecordingPower power;
    ASSERT_EQ(PowerActionOf(shutType), action);
    EXPECT_FALSE(RequestPowerAction(action, power));
    EXPECT_EQ(power.requests, std::vector<PowerAction>{action});
    EXPECT_EQ(power.privilegeChecks, power.requests);
    power.requestFailure = PowerFailure{PowerStep::Request, "busy"};
    const PowerError e = RequestPowerAction(action, power).value_or(PowerError{});
    EXPECT_EQ(e.number, kErrShutdownFailed);
    EXPECT_EQ(e.description, std::string(call) + " failed: busy");
  }
  EXPECT_FALSE(PowerActionOf(4));  // Monitor only closes the program
  EXPECT_FALSE(ShutTypeNameOf(0) || ShutTypeNameOf(7));
  EXPECT_EQ(CountdownTextOf(7), "");
}

TEST(RequestPowerAction, EachFailingPrivilegeStepHasItsNumberAndTextAndNoRequestFollows) {
  RecordingPower power;
  const std::string no = "You do not have the privileges to shutdown this system.";
  const std::tuple<PowerStep, std::int32_t, std::string> steps[] = {
      {PowerStep::FindAuthority, -2147219924, "Can't find the SE_SHUTDOWN_NAME privilege value."},
      {PowerStep::IdentifyProcess, -2147219923, "Can't determine the current process."},
      {PowerStep::Authorise, -2147219922, no},
      {PowerStep::Request, -2147219922, no}};  // a privilege step's failure is a refusal
  for (const auto& [step, number, text] : steps) {
    power.privilegeFailure = PowerFailure{step, "gone"};
    const PowerError e = RequestPowerAction(PowerAction::PowerOff, power).value_or(PowerError{});
    EXPECT_EQ(e.number, number);
    EXPECT_EQ(e.description, "Can't enable shutdown: " + text + " [gone]");
  }
  EXPECT_TRUE(power.requests.empty());
}

}  // namespace
}  // namespace velnook
