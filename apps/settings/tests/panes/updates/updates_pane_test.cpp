#include "panes/updates/updates_pane.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "fake_update_system.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"

namespace settings::panes::updates {
namespace {

using namespace std::chrono_literals;
using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using testing::Answer;
using testing::FakeUpdateSystem;
using Op = actions::UpdateOperation;
namespace firmware = os_actions::firmware;

constexpr std::string_view kStatusWithRollback =
    R"({"status":{"rollback":{"image":{"image":{"image":"quay.io/orvo/os:42"}}}}})";

OperationStatus succeeded(const std::string& key, std::string message) {
  return OperationStatus::Succeeded{key, std::move(message)};
}
OperationStatus failed(const std::string& key, std::string message) {
  return OperationStatus::Failed{key, std::move(message)};
}

class UpdatesPaneTest : public ::testing::Test {
 public:
  ~UpdatesPaneTest() override {
    fake->open_gate();
    EXPECT_TRUE(fake->wait_for_workers()) << "a worker outlived the test";
  }

  std::unique_ptr<UpdatesPane> make_pane() {
    return std::make_unique<UpdatesPane>(UpdatesPane(fake->services())
                                             .with_pane_operation(harness.operation_cell())
                                             .with_operation_status(harness.status_cell()));
  }
  // The pane, once its first reading has arrived (at most 10 s of passes).
  void open_pane() {
    pane = make_pane();
    for (int i = 0; i < 1000 && !pane->state().loaded; ++i) {
      pass();
      if (!pane->state().loaded) std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(pane->state().loaded);
  }
  void pass() { PaneHarness::pass(*pane); }
  // Hands the operation over and passes until it is no longer running (at most 10 s).
  std::string run(Op operation) {
    std::string key = harness.hand_over(operation);
    pass_while_running(key);
    return key;
  }
  void pass_while_running(const std::string& key) {
    for (int i = 0; i < 1000; ++i) {
      pass();
      if (!harness.status().is_running(key)) return;
      std::this_thread::sleep_for(10ms);
    }
  }
  std::optional<bool> document_bool(std::string_view key) const {
    return lib::read_bool(*pane->own_document(), orvo_doc::kRoot, key);
  }

  PaneHarness harness;
  std::shared_ptr<FakeUpdateSystem> fake = std::make_shared<FakeUpdateSystem>();
  std::unique_ptr<UpdatesPane> pane;
};

TEST_F(UpdatesPaneTest, ACheckRunsOnItsWorkerEndsOnceAndSavesWhenItChecked) {
  harness.home().write("config/orvo/settings.json",
                       R"({"input": {"tap_to_click": false}, "other": {"kept": 1}, "updates": {"auto": true,
                          "channel": "Stable", "last_checked": "Never"}})");
  open_pane();
  pass();
  fake->close_gate();
  const std::string key = harness.hand_over(Op::Check{});
  pass();
  ASSERT_TRUE(fake->wait_for_check());
  EXPECT_EQ(fake->check_thread(), "orvo-update-che");  // the kernel keeps 15 bytes
  EXPECT_TRUE(pane->state().checking);
  EXPECT_TRUE(pane->needs_redraw());
  pass();
  EXPECT_TRUE(harness.status().is_running(key)) << "still running while the check waits";

  fake->open_gate();
  pass_while_running(key);
  EXPECT_EQ(harness.status(), succeeded(key, "update check finished"));
  EXPECT_FALSE(pane->state().checking);
  EXPECT_EQ(pane->state().prefs.last_checked, "2026-12-10 14:05");
  const auto saved = nlohmann::json::parse(*harness.home().read("config/orvo/settings.json"));
  EXPECT_EQ(saved["updates"]["last_checked"], "2026-12-10 14:05");
  EXPECT_EQ(saved["input"]["tap_to_click"], false);
  EXPECT_EQ(saved["other"]["kept"], 1);
  EXPECT_EQ(fake->count(FakeUpdateSystem::kUpdateLine), 1);

  // Nothing more is reported under that key.
  harness.mark_running(key);
  pass();
  pass();
  EXPECT_TRUE(harness.status().is_running(key));
}

TEST_F(UpdatesPaneTest, ASecondCheckWhileOneRunsIsRefusedAndStartsNoWorker) {
  open_pane();
  const int workers_before = fake->workers_started;
  fake->close_gate();
  const std::string key = harness.hand_over(Op::Check{});
  pass();
  ASSERT_TRUE(fake->wait_for_check());
  // The caller gave up on the first; the check itself goes on.
  (void)harness.status_cell().publish(OperationStatus::Idle{});
  pass();
  harness.hand_over(Op::Check{});
  pass();
  EXPECT_EQ(harness.status(), failed(key, "an update check is already running"));
  EXPECT_EQ(fake->workers_started, workers_before + 1);
  EXPECT_TRUE(pane->state().checking);
}

TEST_F(UpdatesPaneTest, ACheckThatCannotRunEndsWithItsReason) {
  struct Case {
    const char* name;
    FakeUpdateSystem::Workers workers;
    Answer update;
    std::string status_message;
    std::string pane_message;
  };
  const Case cases[] = {
      {"worker refused", FakeUpdateSystem::Workers::Refuse, {}, "update check worker could not start",
       "Updates could not be checked: worker could not start"},
      {"worker ends silently", FakeUpdateSystem::Workers::Swallow, {}, "update check worker stopped",
       "Updates could not be checked: worker stopped"},
      {"check failed", FakeUpdateSystem::Workers::Run, {1, "", "network unreachable\n"},
       "Updates could not be checked: network unreachable", "Updates could not be checked: network unreachable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(harness.home().config() / "orvo/settings.json");
    fake = std::make_shared<FakeUpdateSystem>();
    fake->workers = c.workers;
    fake->answer(std::string(FakeUpdateSystem::kUpdateLine), c.update);
    open_pane();
    const std::string key = run(Op::Check{});
    EXPECT_EQ(harness.status(), failed(key, c.status_message));
    EXPECT_EQ(pane->state().message, c.pane_message);
    EXPECT_FALSE(pane->state().checking);
    EXPECT_EQ(pane->state().prefs.last_checked, "Never");
    EXPECT_FALSE(harness.home().read("config/orvo/settings.json")) << "nothing saved";
  }
}

TEST_F(UpdatesPaneTest, HandlerOutcomes) {
  const std::string kEnable = "systemctl enable --now bootc-fetch-apply-updates.timer";
  const std::string kDisable = "systemctl disable --now bootc-fetch-apply-updates.timer";
  const std::string kIsEnabled = "systemctl is-enabled bootc-fetch-apply-updates.timer";
  const std::string kRollback = "systemctl start --wait orvo-deployment-rollback.service";
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, Answer>> answers;
    std::vector<Op> before;  // operations carried out first
    Op operation;
    bool ok;
    std::string status_message;
    std::optional<std::string> pane_message;
    std::optional<std::string> command;  // a command that must (or, with "!", must not) have run
  };
  const Case cases[] = {
      {"automatic accepted but still off",
       {{kIsEnabled, {0, "disabled\n", ""}}},
       {},
       Op::SetAutomatic{true},
       false, "the system did not accept the automatic-update timer change",
       "Automatic updates are still off. The system did not accept the change.",
       kEnable},
      {"automatic already so", {}, {}, Op::SetAutomatic{true},
       true, "automatic-update timer was already selected", std::nullopt, "!" + kEnable},
      {"automatic refused", {{kDisable, {1, "", "Access denied\n"}}}, {}, Op::SetAutomatic{false},
       false, "Automatic updates could not be changed: Access denied",
       "Automatic updates could not be changed: Access denied", kDisable},
      {"automatic changed", {}, {}, Op::SetAutomatic{false},
       true, "automatic-update timer changed", std::nullopt, kDisable},
      {"schedule already so", {}, {}, Op::SetSchedule{"System schedule"},
       true, "update schedule was already selected", std::nullopt,
       "!systemctl start --wait orvo-update-policy@schedule-system.service"},
      {"schedule unsupported", {}, {}, Op::SetSchedule{"Monthly"},
       false, "unsupported update schedule", std::nullopt, std::nullopt},
      {"schedule changed", {}, {}, Op::SetSchedule{"Weekly"}, true, "update schedule changed",
       std::nullopt, "systemctl start --wait orvo-update-policy@schedule-weekly.service"},
      {"schedule refused",
       {{"systemctl start --wait orvo-update-policy@schedule-daily.service", {1, "", "unit failed\n"}}},
       {},
       Op::SetSchedule{"Daily"},
       false, "Download schedule could not be changed: unit failed",
       "Download schedule could not be changed: unit failed",
       std::nullopt},
      {"metered allowed", {}, {}, Op::SetMetered{true}, true, "metered-network policy changed",
       std::nullopt, "systemctl start --wait orvo-update-policy@metered-allow.service"},
      {"metered already avoided", {}, {}, Op::SetMetered{false},
       true, "metered-network policy was already selected", std::nullopt,
       "!systemctl start --wait orvo-update-policy@metered-avoid.service"},
      {"metered refused",
       {{"systemctl start --wait orvo-update-policy@metered-allow.service", {1, "", "denied\n"}}},
       {},
       Op::SetMetered{true},
       false, "Metered-network policy could not be changed: denied",
       "Metered-network policy could not be changed: denied",
       std::nullopt},
      {"rollback", {}, {Op::ReviewRollback{}}, Op::Rollback{},
       true, "previous system image selected for next boot",
       "Done. The previous image is what this machine will boot next. Restart when you are ready — nothing has been "
       "removed, so this is reversible.",
       kRollback},
      {"rollback failed", {{kRollback, {1, "", "no previous deployment\n"}}}, {Op::ReviewRollback{}}, Op::Rollback{},
       false, "Rolling back failed: no previous deployment",
       "Rolling back failed: no previous deployment", kRollback},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(harness.home().config() / "orvo/settings.json");
    fake = std::make_shared<FakeUpdateSystem>();
    fake->answer("bootc status --format json", {0, std::string(kStatusWithRollback), ""});
    fake->timer_obeys = std::string_view(c.name) != "automatic accepted but still off";
    for (const auto& [line, answer] : c.answers) fake->answer(line, answer);
    open_pane();
    pass();
    for (const auto& before : c.before) run(before);
    const bool was_automatic = pane->state().prefs.automatic;
    const std::string key = run(c.operation);
    EXPECT_EQ(harness.status(), c.ok ? succeeded(key, c.status_message) : failed(key, c.status_message));
    EXPECT_EQ(pane->state().message, c.pane_message);
    if (c.command && c.command->starts_with("!")) {
      EXPECT_EQ(fake->count(c.command->substr(1)), 0);
    } else if (c.command) {
      EXPECT_EQ(fake->count(*c.command), 1);
    }
    if (std::string_view(c.name) == "automatic refused") {
      EXPECT_EQ(document_bool(kAutoKey), was_automatic) << "the switch shows what the system has";
      EXPECT_FALSE(harness.home().read("config/orvo/settings.json")) << "nothing saved";
    }
    if (std::string_view(c.name) == "automatic accepted but still off") {
      const auto saved = nlohmann::json::parse(*harness.home().read("config/orvo/settings.json"));
      EXPECT_EQ(saved["updates"]["auto"], false);
      // The next operation does not ask for the refused change again.
      run(Op::Check{});
      EXPECT_EQ(fake->count(kEnable), 1);
    }
    if (std::string_view(c.name).starts_with("rollback")) {
      EXPECT_EQ(pane->state().review_open, std::string_view(c.name) == "rollback failed");
    }
  }
}

TEST_F(UpdatesPaneTest, ReviewThenRollbackInOneStream) {
  fake->answer("bootc status --format json", {0, std::string(kStatusWithRollback), ""});
  open_pane();
  const std::string review = run(Op::ReviewRollback{});
  EXPECT_EQ(harness.status(), succeeded(review, "rollback details opened"));
  EXPECT_TRUE(pane->state().review_open);
  const std::string rollback = run(Op::Rollback{});
  EXPECT_EQ(harness.status(), succeeded(rollback, "previous system image selected for next boot"));
  EXPECT_FALSE(pane->state().review_open);
}

TEST_F(UpdatesPaneTest, RestartIsAskedForOnceAndEveryRequestIsAnswered) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "refused" : "accepted");
    fake = std::make_shared<FakeUpdateSystem>();
    if (refused) fake->answer("systemctl reboot", {1, "", "Interactive authentication required.\n"});
    open_pane();
    const std::string expected_message =
        refused ? "Restarting into the staged update failed: Interactive authentication required."
                : "restart command accepted by the system";
    for (int i = 0; i < 2; ++i) {
      const std::string key = run(Op::Restart{});
      const OperationStatus expected =
          refused ? failed(key, expected_message) : succeeded(key, expected_message);
      EXPECT_EQ(harness.status(), expected) << "request " << i;
    }
    EXPECT_EQ(fake->count("systemctl reboot"), 1);
  }
}

TEST_F(UpdatesPaneTest, FirmwareInstallationReportsProgressAndEndsWhenFinished) {
  fake->upgrades = std::vector<firmware::FirmwareUpgrade>{{"dev1", "Dock", "1.0", "1.1", std::nullopt, {}}};
  open_pane();
  const int listed = fake->listings;
  const std::string key = harness.hand_over(Op::InstallFirmware{});
  pass();
  EXPECT_EQ(fake->installs, 1);
  ASSERT_TRUE(std::holds_alternative<FirmwareInstalling>(pane->state().install));
  EXPECT_EQ(std::get<FirmwareInstalling>(pane->state().install).status, "Preparing firmware transaction…");
  EXPECT_TRUE(pane->needs_redraw());

  (void)fake->install_events->send(firmware::InstallProgress{"Installing Dock", 40});
  pass();
  (void)fake->install_events->send(firmware::InstallProgress{"Installing Dock", 25});
  pass();
  EXPECT_EQ(std::get<FirmwareInstalling>(pane->state().install).percent, 40);
  EXPECT_TRUE(harness.status().is_running(key));

  fake->upgrades = std::vector<firmware::FirmwareUpgrade>{};
  (void)fake->install_events->send(firmware::InstallFinished{true});
  pass();
  EXPECT_EQ(harness.status(), succeeded(key, "firmware installation finished"));
  // The lists are read again on a worker.
  for (int i = 0; i < 1000 && !pane->state().upgrades->empty(); ++i) {
    std::this_thread::sleep_for(10ms);
    pass();
  }
  EXPECT_EQ(fake->listings, listed + 1) << "the lists are read again";
  EXPECT_TRUE(pane->state().upgrades->empty());
  EXPECT_EQ(pane->state().message, "Firmware installation finished. Restart to activate the update.");
  EXPECT_FALSE(pane->needs_redraw());
}

TEST_F(UpdatesPaneTest, FirmwareWorkIsRefusedWhileOtherFirmwareWorkRunsOrTheListingFailed) {
  fake->upgrades = std::unexpected("fwupd is not running");
  open_pane();
  const int workers_before = fake->workers_started;
  std::string key = run(Op::InstallFirmware{});
  EXPECT_EQ(harness.status(), failed(key, "Firmware upgrades could not be installed: fwupd is not running"));
  EXPECT_EQ(fake->installs, 0);

  // A refresh that lists one upgrade, then an installation left running.
  fake->refreshed = FirmwareInventory{{{"dev1", "Dock", "1.0", "1.1", std::nullopt, {}}}, {}};
  key = run(Op::RefreshFirmware{});
  EXPECT_EQ(harness.status(), succeeded(key, "firmware metadata refreshed"));
  key = harness.hand_over(Op::InstallFirmware{});
  pass();
  ASSERT_EQ(fake->installs, 1);
  (void)harness.status_cell().publish(OperationStatus::Idle{});  // the caller gave up
  pass();
  for (const Op& operation : {Op{Op::RefreshFirmware{}}, Op{Op::InstallFirmware{}}}) {
    key = run(operation);
    EXPECT_EQ(harness.status(), failed(key, "firmware work is already in progress"));
  }
  EXPECT_EQ(fake->installs, 1);
  EXPECT_EQ(fake->workers_started, workers_before + 1);

  // An installer that goes away without its last event ends the work.
  fake->install_events.reset();
  pass();
  EXPECT_EQ(pane->state().message, "Firmware installation failed: firmware installation stopped");
  EXPECT_FALSE(pane->needs_redraw());
}

TEST_F(UpdatesPaneTest, NoCommandRunsOnTheInterfaceThreadAndOperationsWaitForTheFirstReading) {
  fake->answer("bootc status --format json", {0, std::string(kStatusWithRollback), ""});
  fake->gate_every_command();
  fake->close_gate();
  fake->watch_interface_thread();
  pane = make_pane();  // returns although every command waits at the gate
  pass();
  const std::string key = harness.hand_over(Op::SetMetered{true});
  pass();
  pass();
  EXPECT_FALSE(pane->state().loaded);
  EXPECT_TRUE(harness.status().is_running(key)) << "the operation waits for the reading";
  EXPECT_EQ(fake->count("systemctl start --wait orvo-update-policy@metered-allow.service"), 0);

  fake->open_gate();
  pass_while_running(key);
  EXPECT_TRUE(pane->state().loaded);
  EXPECT_EQ(pane->state().previous_image, "quay.io/orvo/os:42");
  EXPECT_EQ(harness.status(), succeeded(key, "metered-network policy changed"));
  EXPECT_EQ(fake->count("systemctl start --wait orvo-update-policy@metered-allow.service"), 1);

  // Every kind of change and the restart run on their workers, never on this thread.
  for (const Op& operation : {Op{Op::SetAutomatic{false}}, Op{Op::SetSchedule{"Weekly"}}, Op{Op::ReviewRollback{}},
                              Op{Op::Rollback{}}, Op{Op::RefreshFirmware{}}, Op{Op::Restart{}}}) {
    run(operation);
  }
  EXPECT_EQ(fake->count("systemctl reboot"), 1);
  EXPECT_EQ(fake->count("systemctl start --wait orvo-deployment-rollback.service"), 1);
  EXPECT_EQ(fake->interface_commands(), 0);
}

TEST_F(UpdatesPaneTest, AChangeStaysPendingUntilItsWorkerReportsAndRefusesAnother) {
  fake->answer("systemctl start --wait orvo-update-policy@metered-allow.service", {1, "", "denied\n"});
  open_pane();
  fake->gate_every_command();
  fake->close_gate();
  const std::string key = harness.hand_over(Op::SetMetered{true});
  pass();
  pass();
  EXPECT_TRUE(harness.status().is_running(key)) << "settle sees the change pending";
  // The caller gave up on it; the change itself goes on, and a second one is refused.
  (void)harness.status_cell().publish(OperationStatus::Idle{});
  pass();
  const std::string second = harness.hand_over(Op::SetSchedule{"Daily"});
  pass();
  EXPECT_EQ(harness.status(), failed(second, "another update change is still in progress"));
  EXPECT_EQ(fake->count("systemctl start --wait orvo-update-policy@schedule-daily.service"), 0);

  fake->open_gate();
  const std::string refused = "Metered-network policy could not be changed: denied";
  for (int i = 0; i < 1000 && pane->state().message != refused; ++i) {
    std::this_thread::sleep_for(10ms);
    pass();
  }
  EXPECT_EQ(pane->state().message, refused);
  EXPECT_EQ(harness.status(), failed(second, "another update change is still in progress"))
      << "nothing is written over the later operation's outcome";
}

TEST_F(UpdatesPaneTest, APaneDroppedDuringACheckEndsItOnceAsInterrupted) {
  open_pane();
  fake->close_gate();
  const std::string key = harness.hand_over(Op::Check{});
  pass();
  ASSERT_TRUE(fake->wait_for_check());
  pane.reset();
  const OperationStatus interrupted = failed(key, std::string(kInterruptedSentence));
  EXPECT_EQ(harness.status(), interrupted);
  fake->open_gate();
  std::this_thread::sleep_for(200ms);  // the worker finishes and sends to nobody
  EXPECT_EQ(harness.status(), interrupted);
}

}  // namespace
}  // namespace settings::panes::updates
