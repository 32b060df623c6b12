// Display transactions of the Displays pane against the stand-in compositor, started and stopped
// here: Apply, Keep and Revert as operations that end, and each outcome handled once.
#include <gtest/gtest.h>

#include "display_fixture.h"
#include "display_stand_in.h"

namespace settings::panes::display::testing {
namespace {

using actions::DisplayOperation;
using State = hw::DisplayTransactionState;

// Runs the operation and passes until it has ended; answers its key.
std::string run_to_end(Mounted& mounted, DisplayOperation operation) {
  const std::string key = mounted.run(std::move(operation));
  EXPECT_TRUE(mounted.pass_until([&] { return !mounted.harness.status().is_running(key); }));
  return key;
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

  std::string key = run_to_end(mounted, DisplayOperation::Apply{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, std::string(kTestingSentence)));
  EXPECT_EQ(mounted.pane->last_transaction()->second, State::AwaitingConfirmation) << "ended once the trial began";
  key = run_to_end(mounted, DisplayOperation::Confirm{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Display changes kept."));
  EXPECT_EQ(mounted.pane->last_transaction()->second, State::Kept) << "ended once the compositor kept it";

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
  run_to_end(mounted, DisplayOperation::Apply{});
  const std::string key = run_to_end(mounted, DisplayOperation::Revert{});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Display changes reverted."));
  EXPECT_EQ(mounted.pane->last_transaction()->second, State::Reverted);
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
  EXPECT_EQ(mounted.text("display.output.HDMI-A-1.scale"), "100%");
}

}  // namespace
}  // namespace settings::panes::display::testing
