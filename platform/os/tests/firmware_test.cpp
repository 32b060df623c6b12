#include "os_actions/firmware.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
namespace firmware = os_actions::firmware;
using os_actions_testing::TempTree;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

const std::string kFirmwareId = "a45df35ac0e948ee180fe216a5f703f32dda163f";
const std::string kDockId = "0b6b19df2bb1a3cbcbb3e7df8e1d0b8bd0c3f8e1";
const std::string kUnattended =
    "--assume-yes --no-reboot-check --no-unreported-check --no-metadata-check --no-remote-check --no-device-prompt "
    "--no-security-fix";

// A stand-in fwupdmgr on a PATH of its own: it logs its command line and answers per subcommand
// ("update-<device id>" for installs) with the output and status it was given; unset means exit 0.
class StubFwupdmgr {
 public:
  StubFwupdmgr() : saved_path_(::getenv("PATH")) {
    const auto log = tree_.root() / "log";
    const auto answers = tree_.root() / "answers";
    tree_.script("bin/fwupdmgr",
                 "{ printf 'fwupdmgr'; for a in \"$@\"; do printf ' %s' \"$a\"; done; echo; } >> '" + log.string() +
                     "'\n"
                     "key=$1\n"
                     "if [ \"$1\" = update ]; then for a; do last=$a; done; key=\"update-$last\"; fi\n"
                     "d='" + answers.string() + "'/$key\n"
                     "[ -f \"$d/stdout\" ] && /bin/cat \"$d/stdout\"\n"
                     "[ -f \"$d/stderr\" ] && /bin/cat \"$d/stderr\" >&2\n"
                     "[ -f \"$d/status\" ] && exit $(/bin/cat \"$d/status\")\n"
                     "exit 0");
    ::setenv("PATH", (tree_.root() / "bin").c_str(), 1);
  }
  ~StubFwupdmgr() { ::setenv("PATH", saved_path_.c_str(), 1); }

  void answer(const std::string& key, std::string_view standard_output, int status = 0,
              std::string_view standard_error = "") {
    tree_.write("answers/" + key + "/stdout", standard_output);
    tree_.write("answers/" + key + "/stderr", standard_error);
    tree_.write("answers/" + key + "/status", std::to_string(status));
  }
  void remove() { std::filesystem::remove(tree_.root() / "bin/fwupdmgr"); }

  std::vector<std::string> log() const {
    std::ifstream in(tree_.root() / "log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  TempTree tree_;
  std::string saved_path_;
};

std::vector<firmware::InstallEvent> drain(orvo_runtime::Receiver<firmware::InstallEvent>& events) {
  std::vector<firmware::InstallEvent> seen;
  while (auto event = events.recv()) seen.push_back(std::move(*event));
  return seen;
}

TEST(Firmware, ReadsTheUpgradeListFromFwupdmgr) {
  StubFwupdmgr stub;
  stub.answer("get-updates", fixture("fwupd-get-updates.json"));
  auto upgrades = firmware::get_firmware_updates();
  ASSERT_TRUE(upgrades.has_value()) << upgrades.error();
  EXPECT_EQ(stub.log(), std::vector<std::string>{"fwupdmgr get-updates --json"});
  ASSERT_EQ(upgrades->size(), 3u);  // the device without an id cannot be installed and is left out
  EXPECT_EQ((*upgrades)[0], (firmware::FirmwareUpgrade{kFirmwareId, "System Firmware", "2.90", "2.91",
                                                        "Firmware for the Example Laptop",
                                                        {"requires AC power", "requires the lid to be open"}}));
  EXPECT_EQ((*upgrades)[1].new_version, "1.0.7");
  EXPECT_EQ((*upgrades)[1].note, std::nullopt);
  EXPECT_EQ((*upgrades)[1].conditions, std::vector<std::string>{"battery on the moon"});  // unknown: readable id
  EXPECT_EQ((*upgrades)[2], (firmware::FirmwareUpgrade{"5d6a0f3e9d1c", "Unknown device", std::nullopt,
                                                        std::nullopt, std::nullopt, {}}));
}

TEST(Firmware, ReadsTheHistory) {
  StubFwupdmgr stub;
  stub.answer("get-history", fixture("fwupd-get-history.json"));
  auto history = firmware::get_firmware_history();
  ASSERT_TRUE(history.has_value()) << history.error();
  EXPECT_EQ(stub.log(), std::vector<std::string>{"fwupdmgr get-history --json"});
  ASSERT_EQ(history->size(), 3u);
  EXPECT_EQ((*history)[0], (firmware::FirmwareHistoryEntry{"System Firmware", "Succeeded", "2.89", "2.90", {}}));
  EXPECT_EQ((*history)[1], (firmware::FirmwareHistoryEntry{"USB Dock", "Failed", "1.0.3", "1.0.4",
                                                            "device was unplugged during the update"}));
  EXPECT_EQ((*history)[2], (firmware::FirmwareHistoryEntry{"Touchpad", "Needs restart", {}, {}, {}}));
}

TEST(Firmware, NothingToDoIsSuccessAndOtherFailuresAreTexts) {
  StubFwupdmgr stub;
  stub.answer("refresh", "Metadata is up to date\n", 2);
  stub.answer("get-updates", "", 2, "No updatable devices\n");
  stub.answer("get-history", "", 2);
  EXPECT_TRUE(firmware::refresh_firmware_metadata().has_value());
  EXPECT_EQ(firmware::get_firmware_updates(), std::vector<firmware::FirmwareUpgrade>{});
  EXPECT_EQ(firmware::get_firmware_history(), std::vector<firmware::FirmwareHistoryEntry>{});

  stub.answer("refresh", "", 1, "\x1b[31mFailed to download: \xFF network unreachable\n");
  EXPECT_EQ(firmware::refresh_firmware_metadata().error(), "[31mFailed to download: \xEF\xBF\xBD network unreachable");
  stub.answer("get-updates", "", 1);
  EXPECT_EQ(firmware::get_firmware_updates().error(), "fwupdmgr get-updates failed with exit status 1");
  stub.answer("get-history", "{\"Devices\": [", 0);
  EXPECT_EQ(firmware::get_firmware_history().error(), "fwupdmgr gave a device listing that is not JSON");

  stub.remove();
  auto missing = firmware::refresh_firmware_metadata();
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error(), "Could not run fwupdmgr: program \"fwupdmgr\" was not found");
  EXPECT_TRUE(firmware::get_firmware_updates().error().starts_with("Could not run fwupdmgr: "));
}

TEST(FirmwareInstall, InstallsEachDeviceAndReportsTheRestart) {
  StubFwupdmgr stub;
  stub.answer("get-devices", fixture("fwupd-get-devices.json"));
  auto list = firmware::parse_firmware_updates(fixture("fwupd-get-updates.json"));
  ASSERT_TRUE(list.has_value());
  list->resize(2);
  auto events = firmware::start_firmware_install(*list);
  ASSERT_TRUE(events.has_value()) << events.error();
  const auto seen = drain(*events);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(std::get<firmware::InstallStarted>(seen[0]).count, 2u);
  EXPECT_EQ(std::get<firmware::InstallProgress>(seen[1]).text, "Installing System Firmware…");
  EXPECT_EQ(std::get<firmware::InstallProgress>(seen[1]).percent, 0);
  EXPECT_EQ(std::get<firmware::InstallProgress>(seen[2]).text, "Installing USB Dock…");
  EXPECT_EQ(std::get<firmware::InstallProgress>(seen[2]).percent, 50);
  EXPECT_TRUE(std::get<firmware::InstallFinished>(seen[3]).restart_required);
  EXPECT_EQ(stub.log(), (std::vector<std::string>{"fwupdmgr update " + kUnattended + " " + kFirmwareId,
                                                  "fwupdmgr update " + kUnattended + " " + kDockId,
                                                  "fwupdmgr get-devices --json"}));

  stub.answer("get-devices", R"({"Devices": [{"Name": "USB Dock", "Flags": ["updatable"]}]})");
  events = firmware::start_firmware_install({(*list)[1]});
  ASSERT_TRUE(events.has_value());
  const auto again = drain(*events);
  ASSERT_EQ(again.size(), 3u);
  EXPECT_FALSE(std::get<firmware::InstallFinished>(again[2]).restart_required);
}

TEST(FirmwareInstall, StopsAtTheFirstFailedDevice) {
  StubFwupdmgr stub;
  const std::vector<firmware::FirmwareUpgrade> list = {
      {"aaaa1111", "Keyboard", "1", "2", {}, {}},
      {"bbbb2222", "Mouse", "1", "2", {}, {}},
      {"cccc3333", "Webcam", "1", "2", {}, {}},
  };
  stub.answer("update-bbbb2222", "", 1, "\nDevice is busy\x07\n");
  auto events = firmware::start_firmware_install(list);
  ASSERT_TRUE(events.has_value());
  const auto seen = drain(*events);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(std::get<firmware::InstallProgress>(seen[2]).percent, 33);
  EXPECT_EQ(std::get<firmware::InstallFailed>(seen[3]).error, "Device is busy");
  const auto log = stub.log();
  ASSERT_EQ(log.size(), 2u);  // the webcam was never touched, and no listing followed
  EXPECT_TRUE(log[1].ends_with("bbbb2222"));

  auto empty = firmware::start_firmware_install({});
  ASSERT_FALSE(empty.has_value());
  EXPECT_EQ(empty.error(), "there are no firmware upgrades to install");

  // A device id that could read as an option is refused before anything runs.
  events = firmware::start_firmware_install({{"--force", "Odd", {}, {}, {}, {}}});
  ASSERT_TRUE(events.has_value());
  const auto refused = drain(*events);
  ASSERT_EQ(refused.size(), 3u);
  EXPECT_EQ(std::get<firmware::InstallFailed>(refused[2]).error, "\"--force\" is not a firmware device id");
  EXPECT_EQ(stub.log().size(), 2u);
}

TEST(FirmwareInstall, AnUnanswerableRestartQuestionAsksForARestart) {
  StubFwupdmgr stub;
  stub.answer("get-devices", "", 1, "daemon not running");
  auto events = firmware::start_firmware_install({{"aaaa1111", "Keyboard", "1", "2", {}, {}}});
  ASSERT_TRUE(events.has_value());
  const auto seen = drain(*events);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(std::get<firmware::InstallFinished>(seen[2]).restart_required);
}

TEST(FirmwareJson, OddListingsAreErrorsOrEmptyNeverCrashes) {
  EXPECT_EQ(firmware::parse_firmware_updates("{}"), std::vector<firmware::FirmwareUpgrade>{});
  EXPECT_EQ(firmware::parse_firmware_updates("[]"), std::vector<firmware::FirmwareUpgrade>{});
  EXPECT_FALSE(firmware::parse_firmware_updates(R"({"Devices": 5})").has_value());
  EXPECT_FALSE(firmware::parse_firmware_history("\"text\"").has_value());
  EXPECT_FALSE(firmware::devices_need_restart("").has_value());
  EXPECT_EQ(firmware::devices_need_restart(R"([{"UpdateState": "needs-reboot"}])"), true);
  EXPECT_EQ(firmware::devices_need_restart(R"([{"UpdateState": 4}, 7])"), true);
  EXPECT_EQ(firmware::devices_need_restart(R"([{"Flags": "needs-reboot"}])"), false);
}

}  // namespace
