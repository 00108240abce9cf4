#include "shutdown/power_actions.h"

#include <gtest/gtest.h>

#include "platform/headless/recording_power.h"
#include "shutdown/shut_types.h"

namespace velnook {
namespace {

TEST(ShutdownSystem, FlagsChooseTheActionAndBadFlagsAreRefused) {
  RecordingPower power;
  EXPECT_FALSE(ShutdownSystem(12, power));
  EXPECT_FALSE(ShutdownSystem(6, power));
  EXPECT_FALSE(ShutdownSystem(5, power));
  EXPECT_FALSE(ShutdownSystem(31, power));  // power off wins over the others
  EXPECT_EQ(power.requests, (std::vector<PowerAction>{PowerAction::PowerOff, PowerAction::Reboot,
                                                      PowerAction::Halt, PowerAction::PowerOff}));
  for (int flags : {32, -1}) {
    auto e = ShutdownSystem(flags, power);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, -2147219921);
    EXPECT_EQ(e->description, "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
    EXPECT_EQ(e->source, "Velnook.mShutDown");
  }
  // Flags 0 are a log-off, which is never asked of the power service.
  auto logoff = ShutdownSystem(0, power);
  ASSERT_TRUE(logoff);
  EXPECT_EQ(logoff->number, -2147219925);
  EXPECT_EQ(power.requests.size(), 4u);
}

TEST(ShutdownSystem, EachFailingStepHasItsNumberAndText) {
  RecordingPower power;
  const std::tuple<PowerStep, std::int32_t, std::string> steps[] = {
      {PowerStep::FindAuthority, -2147219924,
       "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [gone]"},
      {PowerStep::IdentifyProcess, -2147219923,
       "Can't enable shutdown: Can't determine the current process. [gone]"},
      {PowerStep::Authorise, -2147219922,
       "Can't enable shutdown: You do not have the privileges to shutdown this system. [gone]"},
  };
  for (const auto& [step, number, text] : steps) {
    power.privilegeFailure = PowerFailure{step, "gone"};
    auto e = ShutdownSystem(12, power);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number, number);
    EXPECT_EQ(e->description, text);
  }
  EXPECT_TRUE(power.requests.empty());  // no request without the privilege

  power.privilegeFailure.reset();
  power.requestFailure = PowerFailure{PowerStep::Request, ""};
  auto e = ShutdownSystem(6, power);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number, -2147219925);
  EXPECT_EQ(e->description, "ShutdownSystem failed: ");
  power.privilegeFailure = PowerFailure{PowerStep::Authorise, ""};
  EXPECT_EQ(HibernateSystem(power)->description,
            "Can't enable shutdown: You do not have the privileges to shutdown this system. []");
  power.privilegeFailure.reset();
  EXPECT_EQ(StandbySystem(power)->description, "StandbySystem failed: ");
  EXPECT_EQ(power.requests.back(), PowerAction::Suspend);
}

TEST(ShutTypes, NamesAndCountdownTexts) {
  EXPECT_EQ(ShutTypeNameOf(1), "Power Off");
  EXPECT_EQ(ShutTypeNameOf(6), "Standby");
  EXPECT_FALSE(ShutTypeNameOf(0));
  EXPECT_FALSE(ShutTypeNameOf(7));
  EXPECT_EQ(CountdownTextOf(4), "Velnook Will Close In ");
  EXPECT_EQ(CountdownTextOf(5), "The Computer Will Hibernate In ");
}

}  // namespace
}  // namespace velnook
