// The Displays pane's outcomes say what really happened: a request the outputs cannot take is
// refused with the reason, "already has" only when the layout has it, and Apply, Keep and Revert
// end with the compositor's verdict (or a failure when it never answers).
#include <gtest/gtest.h>

#include "display_fixture.h"
#include "display_stand_in.h"

namespace settings::panes::display::testing {
namespace {

using actions::DisplayOperation;
using State = hw::DisplayTransactionState;

// A monitor that could show HDR and variable refresh, but not through this compositor now, and a
// monitor that is plugged out.
constexpr std::string_view kLimitedOutputs = R"({"outputs": [
  {"connector": "DP-1", "display_name": "Wide", "connected": true,
   "hdr_capable": true, "vrr_capable": true, "hdr_note": "HDR needs a newer compositor.",
   "modes": [{"width": 2560, "height": 1440, "refresh_mhz": 60000}],
   "current_mode": {"width": 2560, "height": 1440, "refresh_mhz": 60000}},
  {"connector": "HDMI-A-1", "display_name": "Studio", "connected": false,
   "modes": [{"width": 1920, "height": 1080, "refresh_mhz": 60000}]}]})";

TEST(DisplayOutcomes, OutputRequestsThatStageNothingSayWhy) {
  Mounted mounted(kLimitedOutputs);
  const std::string unchanged(kUnchangedLayoutSentence);
  struct Case {
    DisplayOperation operation;
    bool succeeded;
    std::string message;
  };
  const std::vector<Case> cases = {
      {DisplayOperation::SetHdr{"DP-1", true}, false, "HDR cannot be changed on Wide: HDR needs a newer compositor."},
      {DisplayOperation::SetVrr{"DP-1", true}, false,
       "Variable refresh rate cannot be changed on Wide: Display support detected; compositor output support unavailable."},
      {DisplayOperation::SetHdr{"DP-1", false}, true, unchanged},
      {DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"}, false, "Studio is not connected."},
      {DisplayOperation::SetEnabled{"DVI-1", false}, false, "The display DVI-1 is not connected."},
      {DisplayOperation::SetModeLabel{"DP-1", "640 × 480"}, false, "Wide does not offer the mode 640 × 480."},
      {DisplayOperation::SetMode{"DP-1", {1024, 768, 60000}}, false,
       fmt::format("Wide does not offer the mode {}.", hw::OutputMode{1024, 768, 60000}.label())},
      {DisplayOperation::SetOutputScale{"DP-1", "110%"}, false, "\"110%\" is not a display scale."},
      {DisplayOperation::SetTransformLabel{"DP-1", "Sideways"}, false, "\"Sideways\" is not a display orientation."},
      {DisplayOperation::SetPosition{"DP-1", "Left of Studio"}, false,
       "\"Left of Studio\" does not place Wide beside another connected display."},
      {DisplayOperation::SetPrimary{"DP-1", false}, false,
       "Wide stays the primary display until another display is made primary."},
      {DisplayOperation::SetOutputScale{"DP-1", "100%"}, true, unchanged},
      {DisplayOperation::SetPrimary{"DP-1", true}, true, unchanged},
  };
  for (const auto& test : cases) {
    const std::string key = mounted.run(test.operation);
    EXPECT_EQ(mounted.harness.status(), ended(test.succeeded, key, test.message)) << key;
  }
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
}

// A compositor whose transaction the test scripts: the state it reports and what it accepts.
struct ScriptedCompositor {
  std::optional<hw::DisplayTransaction> transaction;
  int decisions = 0;
};

Mounted scripted(const std::shared_ptr<ScriptedCompositor>& compositor) {
  return Mounted(kTwoOutputs, true, [compositor](Mounted&, DisplayServices& services) {
    services.request_transaction = [compositor](const hw::DisplayConfig&) {
      compositor->transaction = hw::DisplayTransaction{7, State::Requested, std::nullopt, std::nullopt};
      return *compositor->transaction;
    };
    services.load_transaction = [compositor] {
      return std::expected<std::optional<hw::DisplayTransaction>, std::string>(compositor->transaction);
    };
    const auto decide = [compositor](const hw::DisplayTransaction&) {
      ++compositor->decisions;
      return std::expected<void, std::string>();
    };
    services.request_confirmation = decide;
    services.request_revert = decide;
  });
}

TEST(DisplayOutcomes, ApplyKeepAndRevertEndWithTheCompositorsVerdict) {
  using Step = std::function<void(ScriptedCompositor&)>;
  const auto becomes = [](State state, std::optional<std::string> message = std::nullopt) -> Step {
    return [state, message](ScriptedCompositor& c) {
      c.transaction->state = state;
      c.transaction->message = message;
    };
  };
  struct Case {
    std::string name;
    DisplayOperation operation;
    Step answer;  // none: the compositor never answers
    bool succeeded;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"apply tried", DisplayOperation::Apply{}, becomes(State::AwaitingConfirmation), true, std::string(kTestingSentence)},
      {"apply rejected", DisplayOperation::Apply{}, becomes(State::Rejected, "UnsupportedMode on HDMI-A-1"), false,
       "UnsupportedMode on HDMI-A-1"},
      {"apply unanswered", DisplayOperation::Apply{}, {}, false, "The compositor did not take up the display change in time."},
      {"keep kept", DisplayOperation::Confirm{}, becomes(State::Kept), true, "Display changes kept."},
      {"keep too late", DisplayOperation::Confirm{}, becomes(State::Reverted), false,
       "Display configuration could not be kept: the trial ended and the previous layout was restored."},
      {"keep unanswered", DisplayOperation::Confirm{}, {}, false,
       "The compositor did not confirm the decision in time; the display layout is not known."},
      {"revert reverted", DisplayOperation::Revert{}, becomes(State::Reverted), true, "Display changes reverted."},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    auto compositor = std::make_shared<ScriptedCompositor>();
    Mounted mounted = scripted(compositor);
    if (!std::holds_alternative<DisplayOperation::Apply>(test.operation)) {
      compositor->transaction = hw::DisplayTransaction{7, State::AwaitingConfirmation, std::nullopt, hw::unix_ms() + 10'000};
      mounted.pass();
    } else {
      mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"});
    }
    const std::string key = mounted.run(test.operation);
    for (int i = 0; i < 3; ++i) mounted.pass();
    ASSERT_TRUE(mounted.harness.status().is_running(key)) << "nothing is said before the compositor answers";
    if (test.answer) {
      test.answer(*compositor);
    } else {
      mounted.machine->now += std::chrono::seconds(20);
    }
    mounted.pass();
    EXPECT_EQ(mounted.harness.status(), ended(test.succeeded, key, test.message));
  }
}

TEST(DisplayOutcomes, TheStandInCompositorsRejectionEndsApplyFailed) {
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
  const std::string key = mounted.run(DisplayOperation::Apply{});
  ASSERT_TRUE(mounted.pass_until([&] { return !mounted.harness.status().is_running(key); }));
  const auto status = mounted.harness.status();
  const auto* failed = std::get_if<settings_app::OperationStatus::Failed>(&status);
  ASSERT_NE(failed, nullptr);
  EXPECT_NE(failed->message.find("UnsupportedMode"), std::string::npos) << failed->message;
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
}

}  // namespace
}  // namespace settings::panes::display::testing
