// Display transactions of the Displays pane against the stand-in compositor, started and stopped
// here: Apply, Keep and Revert as operations that end, a configuration the compositor rejects, and
// each outcome handled once.
#include <gtest/gtest.h>

#include "display_fixture.h"
#include "display_stand_in.h"

namespace settings::panes::display::testing {
namespace {

using actions::DisplayOperation;
using State = hw::DisplayTransactionState;

bool reached(Mounted& mounted, State state) {
  return mounted.pass_until([&] {
    const auto& seen = mounted.pane->last_transaction();
    return seen && seen->second == state;
  });
}

TEST(DisplayTransactions, ApplyThenKeepEndAsTwoOperationsAndTheOutcomeIsHandledOnce) {
  StandIn stand_in;
  Mounted mounted("", true, [&](Mounted& m, DisplayServices&) { stand_in.start(m.harness.home()); });
  ASSERT_EQ(mounted.pane->outputs().size(), 2u);
  const hw::OutputMode hd{1280, 720, 60000};
  for (DisplayOperation edit : {DisplayOperation(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"}),
                                 DisplayOperation(DisplayOperation::SetMode{"HDMI-A-1", hd})}) {
    const std::string key = mounted.run(edit);
    EXPECT_EQ(mounted.harness.status(), ended(true, key, std::string(kStagedSentence)));
  }

  std::string key = mounted.run(DisplayOperation::Apply{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, std::string(kTestingSentence)));
  ASSERT_TRUE(reached(mounted, State::AwaitingConfirmation));
  key = mounted.run(DisplayOperation::Confirm{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Display changes kept."));
  ASSERT_TRUE(reached(mounted, State::Kept));

  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
  const auto& hdmi = mounted.pane->live_configuration()->outputs.at("HDMI-A-1");
  EXPECT_EQ(hdmi.scale, 1.5) << "both edits were applied";
  EXPECT_EQ(hdmi.mode, hd);
  EXPECT_EQ(hw::DisplayConfig::load().value(), *mounted.pane->live_configuration());

  // A later change is not swept away by the outcome seen before.
  mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "200%"});
  for (int i = 0; i < 5; ++i) mounted.pass();
  ASSERT_TRUE(mounted.pane->staged_configuration().has_value());
  EXPECT_EQ(mounted.pane->staged_configuration()->outputs.at("HDMI-A-1").scale, 2.0);
}

TEST(DisplayTransactions, RevertRestoresTheConfigurationInForce) {
  StandIn stand_in;
  Mounted mounted("", true, [&](Mounted& m, DisplayServices&) { stand_in.start(m.harness.home()); });
  mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"});
  mounted.run(DisplayOperation::Apply{});
  ASSERT_TRUE(reached(mounted, State::AwaitingConfirmation));
  const std::string key = mounted.run(DisplayOperation::Revert{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Display changes reverted."));
  ASSERT_TRUE(reached(mounted, State::Reverted));
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
  EXPECT_EQ(mounted.text("display.output.HDMI-A-1.scale"), "100%");
}

TEST(DisplayTransactions, AConfigurationTheCompositorRejectsIsDropped) {
  StandIn stand_in;
  Mounted mounted("", true, [&](Mounted& m, DisplayServices& services) {
    stand_in.start(m.harness.home());
    // The pane believes the monitor offers a mode the compositor does not.
    services.load_snapshot = [] {
      auto snapshot = settings_store::DisplayHardwareSnapshot::load();
      if (snapshot) {
        for (auto& output : snapshot->outputs) {
          if (output.connector == "HDMI-A-1") output.modes.push_back({1024, 768, 60000});
        }
      }
      return snapshot;
    };
  });
  mounted.run(DisplayOperation::SetMode{"HDMI-A-1", {1024, 768, 60000}});
  ASSERT_TRUE(mounted.pane->staged_configuration().has_value());
  const std::string key = mounted.run(DisplayOperation::Apply{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, std::string(kTestingSentence)));
  ASSERT_TRUE(reached(mounted, State::Rejected)) << "seen on quiet passes too";
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
  ASSERT_TRUE(mounted.pane->transaction().has_value());
  EXPECT_NE(mounted.pane->transaction()->message.value_or("").find("UnsupportedMode"), std::string::npos);
  EXPECT_EQ(mounted.harness.status(), ended(true, key, std::string(kTestingSentence))) << "Apply ended once";
}

}  // namespace
}  // namespace settings::panes::display::testing
