// Device Privacy & Security and About end to end: the application running offscreen with stub
// base-system programs first on PATH and the two tools they open installed in a temporary data
// directory, driven by orvo-settings-actions.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../../door/offscreen_app.h"
#include "harness/stub_programs.h"
#include "orvo_testing/scoped_env.h"
#include "orvo_testing/temp_dir.h"

namespace settings::door_tests {
namespace {

using namespace std::chrono_literals;
using orvo_testing::ScopedEnv;
using panes::testing::StubPrograms;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

// A tool's desktop entry whose program writes its arguments to `marker`.
void install_tool(const std::filesystem::path& data, std::string_view desktop_id, const std::filesystem::path& marker) {
  const auto program = data / "bin" / desktop_id;
  std::filesystem::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\necho \"opened $*\" > '" << marker.string() << ".part'\n/bin/mv '" << marker.string()
                         << ".part' '" << marker.string() << "'\n";
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  const auto entry = data / "applications" / (std::string(desktop_id) + ".desktop");
  std::filesystem::create_directories(entry.parent_path());
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=" << desktop_id << "\nExec=" << program.string()
                       << "\n";
}

// The file's text once it exists, waiting at most 20 s; empty when it never appears.
std::string when_written(const std::filesystem::path& path) {
  for (int i = 0; i < 400 && !std::filesystem::exists(path); ++i) std::this_thread::sleep_for(50ms);
  return read_file(path);
}

// The stub log's lines of the device checks, once all four have run (at most 30 s).
std::vector<std::string> device_checks(const StubPrograms& stubs) {
  std::vector<std::string> checks;
  for (int i = 0; i < 600; ++i) {
    checks.clear();
    for (const auto& line : stubs.log()) {
      for (const char* program : {"findmnt ", "lsblk ", "firewall-cmd ", "nft "}) {
        if (line.starts_with(program)) checks.push_back(line);
      }
    }
    if (checks.size() >= 4) break;
    std::this_thread::sleep_for(50ms);
  }
  return checks;
}

TEST(PrivacyAboutEndToEnd, OpeningThePagesRunsTheChecksAndTheirButtonsOpenTheTools) {
  OffscreenApp app;
  StubPrograms stubs(app.home() / "stubs");
  stubs.answer("findmnt", "/dev/mapper/luks-root\n");
  stubs.answer("lsblk", "crypt\ndisk\n");
  stubs.answer("firewall-cmd", "not running\n", 252);
  stubs.answer("nft", "table inet filter {\n}\n");
  stubs.answer("wpctl", "Volume: 1.00\n");
  stubs.answer("pw-dump", fixture("pw-dump-capture.json"));
  const auto data = app.home() / "data";
  install_tool(data, "so.orvo.WorkspaceSettings", app.home() / "workspace-settings-opened");
  install_tool(data, "so.orvo.IdentityBackup", app.home() / "identity-backup-opened");
  ScopedEnv data_home("XDG_DATA_HOME", data.string());
  ScopedEnv data_dirs("XDG_DATA_DIRS", (app.home() / "no-system-data").string());
  ASSERT_TRUE(app.start()) << app.process().err();

  ToolRun open = app.tool({"invoke", "settings.section:permissions", "open"});
  ASSERT_EQ(open.status, 0) << open.err;
  const std::vector<std::string> expected{"findmnt -no SOURCE /", "lsblk -s -n -o TYPE /dev/mapper/luks-root",
                                          "firewall-cmd --state", "nft list ruleset"};
  EXPECT_EQ(device_checks(stubs), expected);

  ToolRun workspace = app.tool({"invoke", "orvo.control:open-workspace-privacy", "invoke"});
  EXPECT_EQ(workspace.status, 0) << workspace.out << workspace.err;
  EXPECT_EQ(when_written(app.home() / "workspace-settings-opened"), "opened --page=2\n");

  ToolRun about = app.tool({"invoke", "settings.section:about", "open"});
  ASSERT_EQ(about.status, 0) << about.err;
  ToolRun backup = app.tool({"invoke", "orvo.control:about.identity-backup.button", "invoke"});
  EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
  EXPECT_EQ(when_written(app.home() / "identity-backup-opened"), "opened \n");

  EXPECT_EQ(app.stop(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::door_tests
