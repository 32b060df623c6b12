// The application started offscreen with a stand-in `pkexec` first on PATH, driven from outside
// through the developer tool: a Continuity switch and a relay service switch are saved on this
// device and handed to the home-peer control program as a compact policy document.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../../door/offscreen_app.h"
#include "device_mesh/mesh_env.h"
#include "harness/stub_programs.h"

namespace settings::panes::device_mesh {
namespace {

using door_tests::OffscreenApp;
using door_tests::read_file;
using door_tests::ToolRun;
using testing::ScopedEnv;

std::vector<std::string> lines_of(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DeviceMeshEndToEnd, SwitchesFromOutsideAreSavedAndAppliedThroughTheControlProgram) {
  OffscreenApp app;
  const std::filesystem::path identity_root = app.home() / "identity-root";
  ScopedEnv identity("ORVO_IDENTITY_ROOT", identity_root.string());
  panes::testing::StubPrograms stubs(app.home() / "stubs");
  // Records its arguments, one line per call, and each call's standard input as stdin.<n>.
  const auto dir = stubs.dir();
  stubs.script("pkexec", "echo \"$*\" >> '" + (dir / "calls").string() + "'\n" + "n=$(/usr/bin/wc -l < '" +
                             (dir / "calls").string() + "')\n" + "/bin/cat > '" + (dir / "stdin.").string() + "'$n\n");
  ASSERT_TRUE(app.start()) << app.process().err();

  const auto wait_for_calls = [&](std::size_t count) {
    for (int i = 0; i < 300 && lines_of(dir / "calls").size() < count; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The call line is written before standard input is read; give the copy a moment to finish.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return lines_of(dir / "calls");
  };
  const auto policy_of_call = [&](std::size_t n) {
    const std::string text = read_file(dir / ("stdin." + std::to_string(n)));
    const auto policy = nlohmann::ordered_json::parse(text, nullptr, false);
    EXPECT_FALSE(policy.is_discarded()) << text;
    EXPECT_EQ(text, policy.dump()) << "compact, on one line";
    return policy;
  };

  ToolRun clipboard = app.tool({"--timeout", "20", "invoke", "settings.section:devices_sync", "continuity-clipboard",
                                R"({"value":true})"});
  EXPECT_EQ(clipboard.status, 0) << clipboard.out << clipboard.err;
  EXPECT_EQ(clipboard.out, "Device & Sync settings saved on this device\n") << clipboard.err;
  const auto settings = nlohmann::json::parse(read_file(app.settings_file()));
  EXPECT_EQ(settings["continuity"]["clipboard"], true) << settings.dump();
  ASSERT_EQ(settings["continuity"]["audit"].size(), 1u) << settings.dump();
  EXPECT_EQ(settings["continuity"]["audit"][0]["capability"], "clipboard");
  EXPECT_EQ(settings["continuity"]["audit"][0]["enabled"], true);
  EXPECT_EQ(settings["input"]["tap_to_click"], false) << "the file's other sections stay";

  auto calls = wait_for_calls(1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "/usr/libexec/orvo-home-peer-control apply");
  const auto first = policy_of_call(1);
  EXPECT_EQ(first["identity_root"], identity_root.string());
  EXPECT_EQ(first["inbound_relay"], false);

  ToolRun relay = app.tool(
      {"--timeout", "20", "invoke", "settings.section:devices_sync", "inbound-relay", R"({"value":true})"});
  EXPECT_EQ(relay.status, 0) << relay.out << relay.err;
  EXPECT_EQ(relay.out, "Device & Sync settings saved on this device\n") << relay.err;
  calls = wait_for_calls(2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], "/usr/libexec/orvo-home-peer-control apply");
  EXPECT_EQ(policy_of_call(2)["inbound_relay"], true);

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::device_mesh
