#include "shutdown/power_actions.h"

#include <gtest/gtest.h>

#include "platform/headless/recording_power.h"
#include "shutdown/shut_types.h"

namespace velnook {
namespace {

TEST(RequestPowerAction, EachShutTypeAsksForItsActionAndNamesItsFailure) {
  struct Case {
    std::int16_t shutType;
    PowerAction action;
    const char* failed;
  };
  const Case cases[] = {{1, PowerAction::PowerOff, "ShutdownSystem failed: busy"},
                        {2, PowerAction::Reboot, "ShutdownSystem failed: busy"},
                        {3, PowerAction::Halt, "ShutdownSystem failed: busy"},
                        {5, PowerAction::Hibernate, "HibernateSystem failed: busy"},
                        {6, PowerAction::Suspend, "StandbySystem failed: busy"}};
  for (const Case& c : cases) {
    RecordingPower power;
    ASSERT_EQ(PowerActionOf(c.shutType), c.action);
    EXPECT_FALSE(RequestPowerAction(c.action, power));
    EXPECT_EQ(power.requests, std::vector<PowerAction>{c.action});
    EXPECT_EQ(power.privilegeChecks, power.requests);
    power.requestFailure = PowerFailure{PowerStep::Request, "busy"};
    const auto e = RequestPowerAction(c.action, power);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, kErrShutdownFailed);
    EXPECT_EQ(e->source, "Velnook.mShutDown");
    EXPECT_EQ(e->description, c.failed);
  }
  EXPECT_FALSE(PowerActionOf(4));  // Monitor only closes the program
}

TEST(RequestPowerAction, EachFailingPrivilegeStepHasItsNumberAndTextAndNoRequestFollows) {
  RecordingPower power;
  const std::tuple<PowerStep, std::int32_t, std::string> steps[] = {
      {PowerStep::FindAuthority, -2147219924,
       "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [gone]"},
      {PowerStep::IdentifyProcess, -2147219923,
       "Can't enable shutdown: Can't determine the current process. [gone]"},
      {PowerStep::Authorise, -2147219922,
       "Can't enable shutdown: You do not have the privileges to shutdown this system. [gone]"},
      // A privilege step cannot fail as a request; it is a refusal.
      {PowerStep::Request, -2147219922,
       "Can't enable shutdown: You do not have the privileges to shutdown this system. [gone]"},
  };
  for (const auto& [step, number, text] : steps) {
    power.privilegeFailure = PowerFailure{step, "gone"};
    auto e = RequestPowerAction(PowerAction::PowerOff, power);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, number);
    EXPECT_EQ(e->description, text);
  }
  EXPECT_TRUE(power.requests.empty());
}

TEST(ShutTypes, NamesAndCountdownTexts) {
  EXPECT_EQ(ShutTypeNameOf(1), "Power Off");
  EXPECT_EQ(ShutTypeNameOf(6), "Standby");
  EXPECT_FALSE(ShutTypeNameOf(0));
  EXPECT_FALSE(ShutTypeNameOf(7));
  EXPECT_EQ(ShutTypeCodeOf("Monitor"), 4);
  EXPECT_FALSE(ShutTypeCodeOf("monitor"));
  EXPECT_EQ(CountdownTextOf(4), "Velnook Will Close In ");
  EXPECT_EQ(CountdownTextOf(5), "The Computer Will Hibernate In ");
  EXPECT_EQ(CountdownTextOf(7), "");
}

}  // namespace
}  // namespace velnook
