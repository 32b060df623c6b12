#include "panes/updates/update_service.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <functional>
#include <memory>

#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "panes/updates/update_policy.h"

namespace {

using namespace std::chrono_literals;
using settings::panes::testing::PaneHome;
using settings::panes::testing::StubPrograms;
namespace updates = settings::panes::updates;
using updates::AutomaticUpdateState;

struct Call {
  std::string line;  // program and arguments joined by blanks
  std::chrono::seconds limit;
  bool operator==(const Call&) const = default;
};

void PrintTo(const Call& call, std::ostream* out) { *out << call.line << " (" << call.limit.count() << " s)"; }

class UpdateService : public ::testing::Test {
 public:
  UpdateService() : stubs_(home_.root()) {
    for (const char* program : {"systemctl", "bootc", "journalctl"}) stubs_.answer(program, "");
  }

  // Commands that run for real (against the stubs) and are recorded with their limits.
  updates::ServiceCommands commands(updates::CommandLimits limits = {}) {
    return {limits, [calls = calls_](std::string_view program, std::span<const std::string> arguments,
                                     std::chrono::seconds limit) {
              std::string line(program);
              for (const auto& argument : arguments) line += " " + argument;
              calls->push_back({line, limit});
              return updates::run_command(program, arguments, limit);
            }};
  }
  updates::UpdateServiceBackend backend(updates::CommandLimits limits = {}) {
    return updates::UpdateServiceBackend(commands(limits));
  }

  PaneHome home_;
  StubPrograms stubs_;
  std::shared_ptr<std::vector<Call>> calls_ = std::make_shared<std::vector<Call>>();
};

TEST_F(UpdateService, EveryCommandLineWithItsTimeLimit) {
  struct Case {
    const char* name;
    std::function<void(UpdateService&)> act;
    std::vector<Call> calls;
  };
  const std::vector<Case> cases = {
      {"automatic_updates_enabled", [](UpdateService& t) { t.backend().automatic_updates_enabled(); },
       {{"systemctl is-enabled bootc-fetch-apply-updates.timer", 10s}}},
      {"enable", [](UpdateService& t) { (void)t.backend().set_automatic_updates(true); },
       {{"systemctl enable --now bootc-fetch-apply-updates.timer", 30s}}},
      {"disable", [](UpdateService& t) { (void)t.backend().set_automatic_updates(false); },
       {{"systemctl disable --now bootc-fetch-apply-updates.timer", 30s}}},
      {"rollback_image", [](UpdateService& t) { t.backend().rollback_image(); },
       {{"bootc status --format json", 10s}}},
      {"start_rollback", [](UpdateService& t) { (void)t.backend().start_rollback(); },
       {{"systemctl start --wait orvo-deployment-rollback.service", 300s}}},
      {"set_schedule", [](UpdateService& t) { (void)t.backend().set_schedule("Weekly"); },
       {{"systemctl start --wait orvo-update-policy@schedule-weekly.service", 30s}}},
      {"set_schedule system", [](UpdateService& t) { (void)t.backend().set_schedule("System schedule"); },
       {{"systemctl start --wait orvo-update-policy@schedule-system.service", 30s}}},
      {"metered allow", [](UpdateService& t) { (void)t.backend().set_metered_downloads(true); },
       {{"systemctl start --wait orvo-update-policy@metered-allow.service", 30s}}},
      {"metered avoid", [](UpdateService& t) { (void)t.backend().set_metered_downloads(false); },
       {{"systemctl start --wait orvo-update-policy@metered-avoid.service", 30s}}},
      {"start_update_service", [](UpdateService& t) { (void)t.backend().start_update_service(); },
       {{"systemctl start --wait orvo-deployment-update.service", 1800s}}},
      {"reboot", [](UpdateService& t) { (void)updates::RebootBackend(t.commands()).reboot(); },
       {{"systemctl reboot", 30s}}},
      {"summary", [](UpdateService& t) { updates::make_system_image_summary(t.commands())(); },
       {{"bootc status --format json", 10s}}},
      {"protection", [](UpdateService& t) { updates::make_rollback_protection(t.commands())(std::nullopt); },
       {{"bootc status --format json", 10s},
        {"journalctl -u bootc-fetch-apply-updates.service -n 6 --output=short-iso --no-pager", 10s},
        {"systemctl is-enabled orvo-rollback-confirm.timer", 10s}}},
      {"schedule and metered read only the file",
       [](UpdateService& t) {
         t.backend().schedule_label();
         t.backend().metered_downloads_allowed();
       },
       {}},
  };
  for (const auto& c : cases) {
    calls_->clear();
    stubs_.clear_log();
    c.act(*this);
    EXPECT_EQ(*calls_, c.calls) << c.name;
    std::vector<std::string> lines;
    for (const auto& call : c.calls) lines.push_back(call.line);
    EXPECT_EQ(stubs_.log(), lines) << c.name;  // what the programs themselves received
  }
}

TEST_F(UpdateService, PolicyFileGivesTheScheduleAndMeteredState) {
  struct Case {
    std::optional<std::string> file;
    const char* schedule;
    bool metered;
  };
  const Case cases[] = {
      {std::nullopt, "System schedule", false},
      {"schedule = weekly\nschedule=daily\n", "Daily", false},
      {"schedule=weekly", "Weekly", false},  // a last line without a line feed counts
      {"schedule=Daily\n", "System schedule", false},
      {"metered\nschedule=monthly\n", "System schedule", false},
      {"metered = allow\r\n", "System schedule", true},
      {"metered=allow\nmetered=avoid\n", "System schedule", false},
      {"metered=allow=yes\n", "System schedule", false},  // split at the first "="
      {"schedule=daily\n\xFF\n", "System schedule", false},  // not UTF-8: unreadable
  };
  for (const auto& c : cases) {
    const auto path = home_.root() / "var/lib/orvo/update-policy";
    std::filesystem::remove(path);
    if (c.file) home_.write("var/lib/orvo/update-policy", *c.file);
    EXPECT_EQ(backend().schedule_label(), c.schedule) << c.file.value_or("(missing)");
    EXPECT_EQ(backend().metered_downloads_allowed(), c.metered) << c.file.value_or("(missing)");
  }
  EXPECT_EQ(updates::parse_update_policy("=empty key\n")[""], "empty key");
}

TEST_F(UpdateService, UnknownPolicyActionAndScheduleRunNothing) {
  auto action = backend().apply_policy_action("schedule-monthly");
  ASSERT_FALSE(action.has_value());
  EXPECT_EQ(action.error(), "invalid update policy action");
  for (const char* label : {"Monthly", "daily", ""}) {
    auto schedule = backend().set_schedule(label);
    ASSERT_FALSE(schedule.has_value());
    EXPECT_EQ(schedule.error(), "unknown update schedule");
  }
  EXPECT_TRUE(stubs_.log().empty());
  EXPECT_TRUE(backend().apply_policy_action("metered-avoid").has_value());
}

TEST_F(UpdateService, SilentFailuresHaveTheirOwnTexts) {
  stubs_.answer("systemctl", "", 1, " \n");
  struct Case {
    const char* name;
    std::function<std::expected<void, std::string>(UpdateService&)> act;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"policy", [](UpdateService& t) { return t.backend().set_schedule("Daily"); },
       "orvo-update-policy@schedule-daily.service failed"},
      {"update", [](UpdateService& t) { return t.backend().start_update_service(); },
       "update service failed; see its system journal"},
      {"rollback", [](UpdateService& t) { return t.backend().start_rollback(); },
       "orvo-deployment-rollback.service failed; see journalctl -u orvo-deployment-rollback.service"},
      {"enable", [](UpdateService& t) { return t.backend().set_automatic_updates(true); },
       "systemctl enable bootc-fetch-apply-updates.timer failed"},
      {"disable", [](UpdateService& t) { return t.backend().set_automatic_updates(false); },
       "systemctl disable bootc-fetch-apply-updates.timer failed"},
      {"reboot", [](UpdateService& t) { return updates::RebootBackend(t.commands()).reboot(); }, ""},
  };
  for (const auto& c : cases) {
    auto result = c.act(*this);
    ASSERT_FALSE(result.has_value()) << c.name;
    EXPECT_EQ(result.error(), c.text) << c.name;
  }
  stubs_.answer("systemctl", "", 0, "Warning: something\n");
  EXPECT_TRUE(backend().start_update_service().has_value());  // exit status zero is success
}

TEST_F(UpdateService, StandardErrorIsCleanedAndCut) {
  std::string stderr_text = "\n\x1b[1m";
  for (int i = 0; i < 600; ++i) stderr_text += (i % 50 == 0) ? "\xC3\xA9\x07" : "\xC3\xA9";
  stubs_.answer("systemctl", "", 1, stderr_text);
  auto result = backend().start_update_service();
  ASSERT_FALSE(result.has_value());
  // 512 characters are "\n[1m" and 508 accents; the line feed is then trimmed. The escape
  // character goes, the rest of its sequence is text.
  std::string expected = "[1m";
  for (int i = 0; i < 508; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(result.error(), expected);

  stubs_.answer("systemctl", "", 1, "Job failed.\n\tSee 'systemctl status'.\r\n");
  EXPECT_EQ(updates::RebootBackend(commands()).reboot().error(), "Job failed.\n\tSee 'systemctl status'.");
}

TEST_F(UpdateService, IsEnabledReadsWordsNotTheExitStatus) {
  struct Case {
    const char* output;
    int status;
    AutomaticUpdateState state;
  };
  const Case cases[] = {
      {"enabled\n", 0, AutomaticUpdateState::On},
      {"enabled-runtime\n", 0, AutomaticUpdateState::On},
      {"disabled\n", 1, AutomaticUpdateState::Off},
      {"static\n", 0, AutomaticUpdateState::Unreported},
      {"masked\n", 1, AutomaticUpdateState::Unreported},
      {"  enabled  ", 3, AutomaticUpdateState::On},
      {"", 1, AutomaticUpdateState::Unreported},
  };
  for (const auto& c : cases) {
    stubs_.answer("systemctl", c.output, c.status);
    EXPECT_EQ(backend().automatic_updates_enabled(), c.state) << c.output;
  }
  stubs_.remove("systemctl");
  EXPECT_EQ(backend().automatic_updates_enabled(), AutomaticUpdateState::Unreported);
  auto missing = backend().start_update_service();
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error(), "systemctl command failed: program \"systemctl\" was not found");
}

TEST_F(UpdateService, ACommandPastItsLimitFailsWithTheRunnersText) {
  stubs_.answer("systemctl", "", 0, "", /*sleep_seconds=*/30);
  updates::CommandLimits short_limits{1s, 1s, 1s, 1s};
  const auto started = std::chrono::steady_clock::now();
  auto result = backend(short_limits).start_update_service();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  ASSERT_FALSE(result.has_value());
  EXPECT_TRUE(result.error().starts_with("systemctl command failed: ")) << result.error();
  EXPECT_EQ(calls_->back().limit, 1s);
}

TEST_F(UpdateService, SummaryReadsOsReleaseAndTheStagedImage) {
  stubs_.answer("bootc", R"({"status": {"staged": {"image": {"image": {"image": "quay.io/orvo/os:43"}}}}})");
  auto summary = updates::make_system_image_summary(commands())();
  EXPECT_EQ(summary.pretty_name, "Orvo (Fedora bootc)");  // no os-release
  EXPECT_EQ(summary.staged, "quay.io/orvo/os:43");

  home_.write("etc/os-release", "PRETTY_NAME=\"\"\nPRETTY_NAME=\"Orvo 43 (Workstation)\"\n");
  stubs_.answer("bootc", R"({"status": {"staged": {"version": "43.1"}}})", 1);  // exit status 1: ignored
  summary = updates::make_system_image_summary(commands())();
  EXPECT_EQ(summary.pretty_name, "Orvo 43 (Workstation)");
  EXPECT_EQ(summary.staged, std::nullopt);

  stubs_.answer("bootc", "{\"status\": ");  // not JSON
  EXPECT_EQ(updates::make_system_image_summary(commands())().staged, std::nullopt);
  stubs_.remove("bootc");
  EXPECT_EQ(updates::make_system_image_summary(commands())().staged, std::nullopt);
}

TEST_F(UpdateService, RollbackImageAndProtectionReport) {
  stubs_.answer("bootc", R"({"status": {"rollback": {"image": {"image": {"image": "quay.io/orvo/os:42"}}}},
                             "labels": {"org.opencontainers.image.documentation": "https://orvo.example/notes"}})");
  stubs_.answer("journalctl",
                "2026-12-09T03:00:01+0000 host bootc[1]: Fetched update\n-- No entries --\n   \n"
                "2026-12-10T03:00:01+0000 host bootc[1]: \x1b[31mStaged\x1b[0m  image\n");
  stubs_.answer("systemctl", "enabled-runtime\n", 1);
  const auto previous = backend().rollback_image();
  EXPECT_EQ(previous, "quay.io/orvo/os:42");
  auto report = updates::make_rollback_protection(commands())(previous);
  EXPECT_EQ(report.documentation_url, "https://orvo.example/notes");
  EXPECT_EQ(report.journal, (std::vector<std::string>{"2026-12-09T03:00:01+0000 host bootc[1]: Fetched update",
                                                      "2026-12-10T03:00:01+0000 host bootc[1]: [31mStaged[0m  image"}));
  EXPECT_EQ(report.summary, "Protected · fallback available: quay.io/orvo/os:42");

  // Every command failing: nothing reported, and the sentence says so.
  for (const char* program : {"systemctl", "bootc", "journalctl"}) stubs_.remove(program);
  report = updates::make_rollback_protection(commands())(std::nullopt);
  EXPECT_TRUE(report.journal.empty());
  EXPECT_EQ(report.documentation_url, std::nullopt);
  EXPECT_EQ(report.summary, "Rollback protection state is not reported");
  EXPECT_EQ(backend().rollback_image(), std::nullopt);

  stubs_.answer("journalctl", "Dec 10 host bootc[1]: line\n", 1);  // a failed query shows nothing
  EXPECT_TRUE(updates::make_rollback_protection(commands())(std::nullopt).journal.empty());
}

TEST_F(UpdateService, FirmwareRefreshStopsAtTheFirstError) {
  stubs_.answer("fwupdmgr", "", 1, "Failed to refresh metadata: no network\n");
  auto failed = backend().refresh_firmware();
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error(), "Failed to refresh metadata: no network");
  EXPECT_EQ(stubs_.log(), std::vector<std::string>{"fwupdmgr refresh"});  // no list was asked for

  // One answer serves both listings: a device with an upgrade, and its history.
  stubs_.clear_log();
  stubs_.answer("fwupdmgr", R"({"Devices": [{"Name": "Dock", "DeviceId": "ab12", "Version": "1",
                                             "UpdateState": 2, "Releases": [{"Version": "2"}]}]})");
  auto inventory = backend().refresh_firmware();
  ASSERT_TRUE(inventory.has_value()) << inventory.error();
  ASSERT_EQ(inventory->upgrades.size(), 1u);
  EXPECT_EQ(inventory->upgrades[0].new_version, "2");
  ASSERT_EQ(inventory->history.size(), 1u);
  EXPECT_EQ(inventory->history[0].state, "Succeeded");
  EXPECT_EQ(stubs_.log(), (std::vector<std::string>{"fwupdmgr refresh", "fwupdmgr get-updates --json",
                                                    "fwupdmgr get-history --json"}));
}

TEST(RollbackProtection, FourSummarySentences) {
  EXPECT_EQ(updates::protection_summary(true, "img:2"), "Protected · fallback available: img:2");
  EXPECT_EQ(updates::protection_summary(true, std::nullopt), "Boot confirmation active · no previous image retained yet");
  EXPECT_EQ(updates::protection_summary(false, "img:2"),
            "Fallback available (img:2); automatic confirmation not reported");
  EXPECT_EQ(updates::protection_summary(false, std::nullopt), "Rollback protection state is not reported");
}

TEST(RollbackProtection, JournalLinesAreFilteredAndCut) {
  EXPECT_TRUE(updates::journal_lines("-- No entries --\n").empty());
  EXPECT_TRUE(updates::journal_lines("").empty());
  const std::string long_line(300, 'x');
  const std::string accented = std::string(219, 'a') + "\xC3\xA9\xC3\xA9";
  const auto lines = updates::journal_lines(long_line + "\n\x01\x02\n" + accented + "\r\n  keep  inner  space \n\xFF");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string(220, 'x'));
  EXPECT_EQ(lines[1], std::string(219, 'a') + "\xC3\xA9");  // 220 characters, not bytes
  EXPECT_EQ(lines[2], "  keep  inner  space ");
  EXPECT_EQ(lines[3], "\xEF\xBF\xBD");
}

}  // namespace
