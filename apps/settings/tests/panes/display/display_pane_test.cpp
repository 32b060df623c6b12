// The Displays pane's pass on stand-in services: brightness through its worker and the
// dispatcher, the saved preferences, publication and reset of the document, the snapshot watch,
// output staging, and the end of every handed-over operation.
#include <gtest/gtest.h>

#include <filesystem>

#include "display_fixture.h"
#include "preferences/preferences_file.h"
#include "settings_store/settings_path.h"

namespace settings::panes::display::testing {
namespace {

using actions::DisplayOperation;
using orvo_doc::ScalarValue;
using settings_app::OperationStatus;

constexpr std::string_view kHdmiScale = "display.output.HDMI-A-1.scale";

TEST(DisplayBrightness, DocumentChangesGoToTheWorkerClampedAndOneAtATime) {
  Mounted mounted(kTwoOutputs, /*reporting=*/false);
  FakeDispatcher& dispatcher = *mounted.machine->dispatcher;
  ASSERT_FLOAT_EQ(mounted.pane->shown_brightness(), 0.7f);

  mounted.put(kBrightnessKey, ScalarValue::f64(0.7005));
  mounted.pass();
  EXPECT_TRUE(dispatcher.calls().empty()) << "a change within 0.001 sends nothing";

  for (auto [asked, percent] : {std::pair{1.4, 100.0f}, std::pair{-0.2, 0.0f}}) {
    SCOPED_TRACE(asked);
    const std::size_t before = dispatcher.calls().size();
    mounted.put(kBrightnessKey, ScalarValue::f64(asked));
    mounted.pass();
    ASSERT_TRUE(dispatcher.wait_calls(before + 1));
    EXPECT_FLOAT_EQ(dispatcher.calls().back(), percent);
    ASSERT_TRUE(mounted.pass_until([&] { return !mounted.pane->brightness_request_pending(); }));
    EXPECT_FLOAT_EQ(mounted.pane->shown_brightness(), percent / 100.0f);
  }
  mounted.pass();
  EXPECT_EQ(dispatcher.calls().size(), 2u) << "a clamped level is not asked for again";

  // Two changes while a request is in flight: one more request follows, with the latest value.
  dispatcher.hold();
  mounted.put(kBrightnessKey, ScalarValue::f64(0.2));
  mounted.pass();
  ASSERT_TRUE(dispatcher.wait_calls(3));
  mounted.put(kBrightnessKey, ScalarValue::f64(0.3));
  mounted.pass();
  mounted.put(kBrightnessKey, ScalarValue::f64(0.4));
  mounted.pass();
  EXPECT_EQ(dispatcher.calls().size(), 3u);
  dispatcher.release();
  ASSERT_TRUE(mounted.pass_until([&] {
    return dispatcher.calls().size() == 4 && !mounted.pane->brightness_request_pending();
  }));
  for (int i = 0; i < 3; ++i) mounted.pass();
  ASSERT_EQ(dispatcher.calls().size(), 4u);
  EXPECT_FLOAT_EQ(dispatcher.calls()[3], 40.0f);
  EXPECT_FLOAT_EQ(mounted.pane->shown_brightness(), 0.4f);
}

TEST(DisplayBrightness, HandedOverChangesEndWithTheirSentence) {
  Mounted mounted;
  const std::string key = mounted.run(DisplayOperation::SetBrightness{0.404});
  EXPECT_EQ(mounted.harness.status(), OperationStatus(OperationStatus::Running{key})) << "waits for the worker";
  ASSERT_TRUE(mounted.pass_until([&] { return mounted.harness.status() != OperationStatus(OperationStatus::Running{key}); }));
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Brightness set to 40%."));

  const std::string same = mounted.run(DisplayOperation::SetBrightness{0.404});
  EXPECT_EQ(mounted.harness.status(), ended(true, same, "Brightness set to 40%.")) << "unchanged: ends at once";

  mounted.machine->dispatcher->refuse("no backlight");
  const std::string refused = mounted.run(DisplayOperation::SetBrightness{0.9});
  ASSERT_TRUE(mounted.pass_until([&] { return mounted.harness.status() != OperationStatus(OperationStatus::Running{refused}); }));
  EXPECT_EQ(mounted.harness.status(), ended(false, refused, "Brightness could not be changed: no backlight"));
  EXPECT_FLOAT_EQ(mounted.pane->shown_brightness(), 0.404f);
  EXPECT_NEAR(*mounted.number(kBrightnessKey), 0.404, 1e-6);
}

TEST(DisplayBrightness, AGoneWorkerLeavesTheDisplayAsItWas) {
  Mounted mounted(kTwoOutputs, true, [](Mounted&, DisplayServices& services) {
    auto start = services.start_worker;
    services.start_worker = [start](std::string name, std::function<void()> job) -> std::expected<void, std::string> {
      if (name == workers::kBrightnessThread) return {};  // the job is dropped: its ends close
      return start(std::move(name), std::move(job));
    };
  });
  const std::string key = mounted.run(DisplayOperation::SetBrightness{0.3});
  EXPECT_EQ(mounted.harness.status(), ended(false, key, "Brightness worker is unavailable; the display was not changed."));
  EXPECT_NEAR(*mounted.number(kBrightnessKey), 0.7, 1e-6);
  EXPECT_TRUE(mounted.machine->dispatcher->calls().empty());
}

TEST(DisplayBrightness, TheBuiltInPaneCallsTheDispatcherItself) {
  panes::testing::PaneHarness harness;
  auto machine = std::make_shared<FakeMachine>();
  DisplayPane pane = DisplayPane::with_builtin_display(machine->dispatcher, 0.6f, fake_services(machine))
                         .with_pane_operation(harness.operation_cell())
                         .with_operation_status(harness.status_cell());
  ASSERT_EQ(pane.outputs().size(), 1u);
  EXPECT_EQ(pane.outputs()[0].label, "Built-in display");
  EXPECT_TRUE(pane.ambient_light_sensor());

  std::string key = harness.hand_over(DisplayOperation::SetBrightness{0.5});
  panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(harness.status(), ended(true, key, "Brightness set to 50%."));
  EXPECT_EQ(machine->dispatcher->calls(), std::vector<float>{50.0f});
  EXPECT_EQ(machine->dispatcher->thread(), thread_name()) << "no worker";

  machine->dispatcher->refuse("no backlight");
  key = harness.hand_over(DisplayOperation::SetBrightness{0.9});
  panes::testing::PaneHarness::pass(pane);
  EXPECT_EQ(harness.status(), ended(false, key, "Brightness could not be changed: no backlight"));
  EXPECT_FLOAT_EQ(pane.shown_brightness(), 0.5f);
}

TEST(DisplayWorkers, RunUnderTheirNamesAndTheBrightnessWorkerEndsWithThePane) {
  auto mounted = std::make_unique<Mounted>();
  const auto cut = [](std::string_view name) { return std::string(name.substr(0, 15)); };
  EXPECT_EQ(mounted->machine->probe_thread, cut(kProbeThread));
  mounted->run(DisplayOperation::SetBrightness{0.2});
  ASSERT_TRUE(mounted->machine->dispatcher->wait_calls(1));
  EXPECT_EQ(mounted->machine->dispatcher->thread(), cut(workers::kBrightnessThread));
  ASSERT_TRUE(mounted->pass_until([&] { return !mounted->pane->brightness_request_pending(); }));

  std::weak_ptr<FakeDispatcher> dispatcher = mounted->machine->dispatcher;
  mounted->machine->dispatcher.reset();
  mounted.reset();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!dispatcher.expired() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(dispatcher.expired()) << "the worker let its dispatcher go";
}

TEST(DisplayProbe, AFailedReadShowsHalfAndTheSensorIsRecorded) {
  Mounted mounted(kTwoOutputs, true, [](Mounted& m, DisplayServices&) {
    m.machine->brightness = std::unexpected(std::string("no backlight"));
    m.machine->sensor = true;
  });
  EXPECT_FLOAT_EQ(mounted.pane->shown_brightness(), 0.5f);
  EXPECT_DOUBLE_EQ(*mounted.number(kBrightnessKey), 0.5);
  EXPECT_TRUE(mounted.pane->ambient_light_sensor());
}

TEST(DisplayPreferences, SavedReportedOrRefused) {
  Mounted mounted(kTwoOutputs, true, [](Mounted& m, DisplayServices&) { m.machine->sensor = false; });
  struct Case {
    DisplayOperation operation;
    bool succeeded;
    std::string_view message;
  };
  const std::vector<Case> cases = {
      {DisplayOperation::SetAutoBrightness{true}, false,
       "Automatic brightness is unavailable because this device has no ambient-light sensor."},
      {DisplayOperation::SetAutoBrightness{false}, true, "Automatic brightness disabled."},
      {DisplayOperation::SetScale{"125%"}, true, "Display scale set to 125%."},
      {DisplayOperation::SetScale{"125%"}, true, "Display scale set to 125%."},
      {DisplayOperation::SetNightLight{true}, true, "Night Light enabled."},
      {DisplayOperation::SetNightLightTemperature{"Subtle \u00b7 4500 K"}, true,
       "Night Light warmth set to Subtle \u00b7 4500 K."},
  };
  for (const auto& test : cases) {
    const std::string key = mounted.run(test.operation);
    EXPECT_EQ(mounted.harness.status(), ended(test.succeeded, key, std::string(test.message)));
  }
  EXPECT_EQ(mounted.flag(kAutoBrightnessKey), false);
  const auto saved = preferences::load_preferences().display;
  EXPECT_EQ(saved.scale, 1.25);
  EXPECT_TRUE(saved.night_light);
  EXPECT_EQ(saved.night_light_temperature, 4500u);
  EXPECT_FALSE(saved.auto_brightness);
  EXPECT_EQ(mounted.text(kScaleKey), "125%");
}

TEST(DisplayPreferences, DocumentTextsOutsideTheTablesChangeNothing) {
  Mounted mounted(kTwoOutputs, /*reporting=*/false);
  mounted.put(kScaleKey, ScalarValue::str("110%"));
  mounted.put(kNightLightTemperatureKey, ScalarValue::str("Scorching"));
  mounted.pass();
  EXPECT_EQ(mounted.pane->display_preferences(), preferences::DisplayPrefs{});
  EXPECT_EQ(preferences::load_preferences().display, preferences::DisplayPrefs{});
}

TEST(DisplayPreferences, AFailedSaveSaysSoAndPutsTheKeyBack) {
  Mounted mounted;
  std::filesystem::create_directories(*settings_store::settings_path());  // unreadable as a file
  const auto failed = [&](const std::string& key) {
    const OperationStatus now = mounted.harness.status();
    const auto* status = std::get_if<OperationStatus::Failed>(&now);
    return status && status->key == key && status->message.starts_with("Display preference could not be saved: ");
  };
  std::string key = mounted.run(DisplayOperation::SetScale{"150%"});
  EXPECT_TRUE(failed(key));
  EXPECT_EQ(mounted.text(kScaleKey), "100%");
  key = mounted.run(DisplayOperation::SetAutoBrightness{true});
  EXPECT_TRUE(failed(key));
  EXPECT_EQ(mounted.flag(kAutoBrightnessKey), false);
  key = mounted.run(DisplayOperation::SetNightLight{true});
  EXPECT_TRUE(failed(key));
  EXPECT_TRUE(mounted.pane->display_preferences().night_light) << "Night Light keeps the new value";
}

TEST(DisplaySync, UnconfiguredOutputsArePublishedWithTheDefaultEntry) {
  hw::DisplayConfig config;
  config.outputs["HDMI-A-1"].mirror = "DP-9";
  config.outputs["HDMI-A-1"].scale = 1.5;
  Mounted mounted(kTwoOutputs, true, [&](Mounted&, DisplayServices& services) {
    services.load_config = [config] { return config; };
  });
  ASSERT_EQ(mounted.pane->outputs().size(), 2u);
  EXPECT_EQ(mounted.pane->outputs()[0].label, "Built-in display");
  EXPECT_EQ(mounted.pane->outputs()[1].label, "Studio");
  const auto key = [](std::string_view connector, std::string_view field) { return display_output_key(connector, field); };
  EXPECT_EQ(mounted.flag(key("eDP-1", "enabled")), true);
  EXPECT_EQ(mounted.flag(key("eDP-1", "primary")), true);
  EXPECT_EQ(mounted.text(key("eDP-1", "scale")), "100%");
  EXPECT_EQ(mounted.text(key("eDP-1", "transform")), "Landscape");
  EXPECT_EQ(mounted.text(key("eDP-1", "position")), "Automatic");
  EXPECT_EQ(mounted.text(key("eDP-1", "mirror")), "Extend workspace");
  EXPECT_EQ(mounted.text(key("eDP-1", "color_profile")), "System default");
  EXPECT_EQ(mounted.text(key("eDP-1", "mode")), (hw::OutputMode{1920, 1080, 60000}.label()));
  EXPECT_EQ(mounted.flag(key("HDMI-A-1", "primary")), false);
  EXPECT_EQ(mounted.text(key("HDMI-A-1", "mirror")), "Extend workspace") << "a target not listed";
  EXPECT_EQ(mounted.text(key("HDMI-A-1", "scale")), "150%");
  EXPECT_EQ(mounted.text(kNightLightTemperatureKey), "Warm \u00b7 3700 K");
  EXPECT_EQ(mounted.flag(kApplyKey), false);
}

TEST(DisplaySync, WhileNothingRunsTheDocumentShowsThePane) {
  Mounted mounted;
  mounted.put(kScaleKey, ScalarValue::str("200%"));
  mounted.put(kHdmiScale, ScalarValue::str("150%"));
  mounted.put(kApplyKey, ScalarValue::boolean(true));
  mounted.pass();
  EXPECT_EQ(mounted.text(kScaleKey), "100%");
  EXPECT_EQ(mounted.text(kHdmiScale), "100%");
  EXPECT_EQ(mounted.flag(kApplyKey), false);
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
  EXPECT_EQ(mounted.pane->display_preferences().scale, 1.0);
}

TEST(DisplaySync, TheSnapshotIsExaminedAtMostOncePerSecond) {
  Mounted mounted;
  ASSERT_EQ(mounted.pane->outputs().size(), 2u);
  write_snapshot(R"({"outputs": [{"connector": "eDP-1", "built_in": true}]})");
  const auto path = settings_store::DisplayHardwareSnapshot::path();
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  mounted.machine->now += std::chrono::milliseconds(999);
  mounted.pass();
  EXPECT_EQ(mounted.pane->outputs().size(), 2u);
  mounted.machine->now += std::chrono::milliseconds(1);
  mounted.pass();
  EXPECT_EQ(mounted.pane->outputs().size(), 1u);
  mounted.machine->now += std::chrono::seconds(1);
  mounted.pass();
  EXPECT_EQ(mounted.pane->outputs().size(), 1u);
}

TEST(DisplaySync, AnOperationUnderAnotherKeyIsCarriedOutButNotReported) {
  Mounted mounted;
  mounted.harness.hand_over(DisplayOperation::SetScale{"175%"});
  const std::string other = R"(settings.audio-operation:{"SetMute":{"muted":true}})";
  mounted.harness.mark_running(other);
  mounted.pass();
  EXPECT_EQ(preferences::load_preferences().display.scale, 1.75);
  EXPECT_EQ(mounted.harness.status(), OperationStatus(OperationStatus::Running{other}));
}

TEST(DisplayStaging, EditsAddUpAndEveryOutcomeEnds) {
  Mounted mounted;
  const std::string staged(kStagedSentence);
  const auto mode = hw::OutputMode{1920, 1080, 60000};
  struct Case {
    DisplayOperation operation;
    bool succeeded;
    std::string message;
  };
  const std::vector<Case> cases = {
      {DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"}, true, staged},
      {DisplayOperation::SetMode{"HDMI-A-1", mode}, true, staged},
      {DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"}, true, std::string(kUnchangedLayoutSentence)},
      {DisplayOperation::SetHdr{"HDMI-A-1", true}, false, "HDR cannot be changed on Studio: Not supported by this display."},
      {DisplayOperation::SetEnabled{"eDP-1", false}, true, staged},
      {DisplayOperation::SetEnabled{"HDMI-A-1", false}, false,
       "This display layout cannot be used: at least one display must stay on"},
      {DisplayOperation::Apply{}, false,
       "Display configuration could not be staged: display configuration service is unavailable"},
  };
  for (const auto& test : cases) {
    const std::string key = mounted.run(test.operation);
    EXPECT_EQ(mounted.harness.status(), ended(test.succeeded, key, test.message));
  }
  ASSERT_TRUE(mounted.pane->staged_configuration().has_value());
  const auto& hdmi = mounted.pane->staged_configuration()->outputs.at("HDMI-A-1");
  EXPECT_EQ(hdmi.scale, 1.5);
  EXPECT_EQ(hdmi.mode, mode);
  EXPECT_TRUE(hdmi.primary) << "the primary moved off the panel that was switched off";
  EXPECT_EQ(mounted.text(kHdmiScale), "150%") << "the document shows the staged configuration";
  EXPECT_EQ(mounted.flag("display.output.eDP-1.enabled"), false);
}

TEST(DisplayStaging, ApplyWithoutStagedChangesAndDecisionsWithoutATransaction) {
  Mounted mounted;
  for (auto [operation, message] :
       {std::pair<DisplayOperation, std::string_view>{DisplayOperation::Apply{}, "There are no staged display changes to apply."},
        {DisplayOperation::Confirm{}, "There is no display transaction to keep."},
        {DisplayOperation::Revert{}, "There is no display transaction to revert."}}) {
    const std::string key = mounted.run(operation);
    EXPECT_EQ(mounted.harness.status(), ended(false, key, std::string(message)));
  }
}


TEST(DisplayStaging, AnUnreadableConfigurationIsNotReplacedByDefaults) {
  Mounted mounted(kTwoOutputs, true, [](Mounted&, DisplayServices& services) {
    services.load_config = [] { return std::expected<hw::DisplayConfig, std::string>(std::unexpected("damaged file")); };
  });
  const std::string key = mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"});
  EXPECT_EQ(mounted.harness.status(), ended(false, key, "Display configuration could not be read: damaged file"));
  EXPECT_FALSE(mounted.pane->staged_configuration().has_value());
}

}  // namespace
}  // namespace settings::panes::display::testing
