// The Updates page as the widget tree shows it, built by the offscreen frame loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "catalogues/power_update_bindings.h"
#include "catalogues/section_bindings.h"
#include "fake_update_system.h"
#include "harness/pane_harness.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "panes/updates/updates_pane.h"

namespace settings::panes::updates {
namespace {

using panes::testing::find_widget;
using panes::testing::PaneHarness;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using testing::Answer;
using testing::FakeUpdateSystem;
using Op = actions::UpdateOperation;
namespace firmware = os_actions::firmware;

bool shows(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class UpdatesView : public ::testing::Test {
 public:
  // The page, once the machine's state has been read (at most 10 s).
  void build() {
    start();
    for (int i = 0; i < 1000 && !pane->state().loaded; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      loop->frame();
    }
    ASSERT_TRUE(pane->state().loaded);
  }
  void start() {
    loop.reset();
    pane = std::make_unique<UpdatesPane>(UpdatesPane(fake->services())
                                             .with_pane_operation(harness.operation_cell())
                                             .with_operation_status(harness.status_cell()));
    loop = std::make_unique<PaneInALoop>(*pane, 1280, 800);
  }
  // Frames until the operation handed over under `key` ends (at most 10 s).
  void frame_while_running(const std::string& key) {
    for (int i = 0; i < 1000 && harness.status().is_running(key); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      loop->frame();
    }
  }
  std::vector<std::string> texts() { return texts_of(*pane); }

  std::string button_label(std::string_view id) {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, id));
    return button ? button->label() : "(no button " + std::string(id) + ")";
  }

  PaneHarness harness;
  std::shared_ptr<FakeUpdateSystem> fake = std::make_shared<FakeUpdateSystem>();
  std::unique_ptr<UpdatesPane> pane;
  std::unique_ptr<PaneInALoop> loop;
};

TEST_F(UpdatesView, NothingStagedAndNoFirmwareToInstall) {
  build();
  const auto shown = texts();
  EXPECT_TRUE(shows(shown, "No staged update"));
  EXPECT_TRUE(shows(shown, "Up to date"));
  EXPECT_TRUE(shows(shown, "Updates have not been checked yet.")) << "never up to date before a check";
  EXPECT_FALSE(shows(shown, "Your system is up to date."));
  EXPECT_TRUE(shows(shown, "There is no previous image on this machine yet."));
  EXPECT_FALSE(shows(shown, "That did not work"));
  EXPECT_FALSE(shows(shown, "Firmware history"));
  EXPECT_EQ(button_label("settings.updates.firmware.refresh"), "Check firmware");
  EXPECT_EQ(button_label("settings.updates.check"), "Check for updates");
  EXPECT_FALSE(find_widget(*pane, "settings.updates.restart"));
  EXPECT_FALSE(find_widget(*pane, "settings.updates.rollback"));
  EXPECT_TRUE(find_widget(*pane, "settings.updates.auto"));
  EXPECT_TRUE(find_widget(*pane, "settings.updates.metered"));
  EXPECT_TRUE(find_widget(*pane, "updates.schedule"));
}

TEST_F(UpdatesView, WhileTheStateIsReadThePageSaysSo) {
  fake->gate_every_command();
  fake->close_gate();
  start();
  loop->frame();
  EXPECT_TRUE(shows(texts(), "Reading the update status…"));
  EXPECT_FALSE(find_widget(*pane, "settings.updates.check"));
  fake->open_gate();
  build();
  EXPECT_TRUE(shows(texts(), "No staged update"));
  EXPECT_FALSE(shows(texts(), "Reading the update status…"));
}

TEST_F(UpdatesView, TheFirmwareButtonSaysARefreshRuns) {
  for (const bool listing_failed : {false, true}) {
    SCOPED_TRACE(listing_failed ? "listing failed" : "empty list");
    fake->workers = FakeUpdateSystem::Workers::Run;
    if (listing_failed) fake->upgrades = std::unexpected("fwupd is not running");
    build();
    fake->workers = FakeUpdateSystem::Workers::Swallow;  // the refresh never reports within the frame
    harness.hand_over(Op::RefreshFirmware{});
    loop->frame();
    EXPECT_EQ(button_label("settings.updates.firmware.refresh"), listing_failed ? "Refreshing…" : "Checking firmware…");
    if (listing_failed) {
      const auto shown = texts();
      EXPECT_TRUE(shows(shown, "Firmware inventory could not be queried"));
      EXPECT_TRUE(shows(shown, "fwupd reported: fwupd is not running"));
      EXPECT_FALSE(shows(shown, "Up to date")) << "no overview row without a listing";
    }
    loop->frame();  // the swallowed worker is seen to have stopped
  }
}

TEST_F(UpdatesView, UpgradesHistoryAndAnInstallation) {
  fake->answer("bootc status --format json",
               {0, R"({"status":{"staged":{"version":"43.1"},"rollback":{"image":{"image":{"image":"os:42"}}}}})", ""});
  fake->upgrades = std::vector<firmware::FirmwareUpgrade>{
      {"a", "Dock", "1.0", "1.1", "Fixes charging", {"requires AC power", "battery above 30%"}},
      {"b", "Keyboard", std::nullopt, "2.0", std::nullopt, {}},
      {"c", "Webcam", "0.9", std::nullopt, std::nullopt, {}},
  };
  std::vector<firmware::FirmwareHistoryEntry> history;
  for (int i = 0; i < 10; ++i) history.push_back({"Device " + std::to_string(i), "Succeeded", "1", "2", std::nullopt});
  history[1] = {"Device 1", "Failed", "1", std::nullopt, "flash write failed"};
  history[2] = {"Device 2", "Pending", std::nullopt, "3", std::nullopt};
  fake->history = history;
  build();

  auto shown = texts();
  EXPECT_TRUE(shows(shown, "Update staged · restart required"));
  EXPECT_TRUE(shows(shown, "Update ready: 43.1"));
  EXPECT_TRUE(shows(shown, "Updates available"));
  EXPECT_TRUE(shows(shown, "1.0 → 1.1"));
  EXPECT_TRUE(shows(shown, "Update to 2.0"));
  EXPECT_TRUE(shows(shown, "Update available"));
  EXPECT_TRUE(shows(shown, "Fixes charging"));
  EXPECT_TRUE(shows(shown, "Before installing: requires AC power, battery above 30%"));
  EXPECT_TRUE(shows(shown, "1 → 2 · Succeeded"));
  EXPECT_TRUE(shows(shown, "Failed")) << "only an old version: the state alone";
  EXPECT_TRUE(shows(shown, "fwupd error: flash write failed"));
  EXPECT_TRUE(shows(shown, "3 · Pending"));
  EXPECT_TRUE(shows(shown, "Device 7"));
  EXPECT_FALSE(shows(shown, "Device 8")) << "eight entries at most";
  EXPECT_FALSE(shows(shown, "Device 9"));
  EXPECT_TRUE(shows(shown, "Previous image: os:42"));
  EXPECT_EQ(button_label("settings.updates.restart"), "Restart & update");
  EXPECT_EQ(button_label("settings.updates.firmware.install"), "Install firmware upgrades");

  harness.hand_over(Op::InstallFirmware{});
  loop->frame();
  (void)fake->install_events->send(firmware::InstallProgress{"Installing Dock", 40});
  loop->frame();
  auto* bar = [&]() -> orvo_ui::ProgressBar* {
    std::function<orvo_ui::ProgressBar*(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) -> orvo_ui::ProgressBar* {
      if (auto* found = dynamic_cast<orvo_ui::ProgressBar*>(&widget)) return found;
      for (auto* child : widget.children_mut()) {
        if (auto* found = walk(*child)) return found;
      }
      return nullptr;
    };
    return walk(*pane);
  }();
  ASSERT_TRUE(bar);
  EXPECT_DOUBLE_EQ(bar->fraction(), 0.4);
  EXPECT_TRUE(shows(texts(), "Installing Dock"));
  EXPECT_FALSE(find_widget(*pane, "settings.updates.firmware.install"));

  (void)fake->install_events->send(firmware::InstallFinished{true});
  loop->frame();
  shown = texts();
  EXPECT_TRUE(shows(shown, "Installed · restart required"));
  EXPECT_EQ(button_label("settings.updates.firmware.restart"), "Restart now");
}

TEST_F(UpdatesView, AFailedChangeIsShownFirst) {
  fake->answer("systemctl disable --now bootc-fetch-apply-updates.timer", {1, "", "Access denied\n"});
  build();
  frame_while_running(harness.hand_over(Op::SetAutomatic{false}));
  const auto shown = texts();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[0], "That did not work");
  EXPECT_EQ(shown[1], "Automatic updates could not be changed: Access denied");
}

TEST_F(UpdatesView, UnreportedAutomaticUpdatesShowNoSwitch) {
  fake->answer("systemctl is-enabled bootc-fetch-apply-updates.timer", {0, "masked\n", ""});
  build();
  EXPECT_TRUE(shows(texts(), "unavailable on this machine"));
  EXPECT_FALSE(find_widget(*pane, "settings.updates.auto"));
}

TEST_F(UpdatesView, ClickingRollBackOpensTheReview) {
  fake->answer("bootc status --format json",
               {0, R"({"status":{"rollback":{"image":{"image":{"image":"quay.io/orvo/os:42"}}}}})", ""});
  build();
  orvo_ui::Widget* button = find_widget(*pane, "settings.updates.rollback");
  ASSERT_TRUE(button);
  loop->click(*button);
  const auto deadline = pane->next_wake_deadline();
  ASSERT_TRUE(deadline) << "the loop comes back at once";
  EXPECT_LE(*deadline, orvo_ui::Deadline::after_millis(1));
  loop->frame();
  EXPECT_TRUE(pane->state().review_open);
  EXPECT_TRUE(shows(texts(), "Roll back to quay.io/orvo/os:42?"));
  EXPECT_EQ(button_label("settings.updates.rollback.confirm"), "Roll back and restart later");
  EXPECT_TRUE(harness.status() == settings_app::OperationStatus{}) << "nothing was handed over, nothing reported";
}

TEST(UpdatesBindings, EveryBindingThePageAsksForIsPublished) {
  for (const char* action : {"check", "restart", "review-rollback", "rollback", "refresh-firmware", "install-firmware"}) {
    EXPECT_TRUE(actions::updates_unit_binding(action)) << action;
  }
  EXPECT_TRUE(actions::updates_toggle_binding("automatic"));
  EXPECT_TRUE(actions::updates_toggle_binding("metered"));
  EXPECT_TRUE(actions::update_schedule_binding());
}

}  // namespace
}  // namespace settings::panes::updates
