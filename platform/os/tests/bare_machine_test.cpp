// On a machine without a bus, services, tools or devices (as on CI), every backend answers its
// error quickly; nothing hangs or crashes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "ipp_stand_in.h"
#include "media/audio.h"
#include "orvo_runtime/system_paths.h"
#include "os_actions/battery.h"
#include "os_actions/bluez.h"
#include "os_actions/network.h"
#include "os_actions/printing.h"
#include "os_actions/time.h"
#include "settings_store/display_hardware.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;

TEST(BareMachine, EveryBackendFailsQuicklyWithASentence) {
  os_actions_testing::TempTree tree;
  system_paths::ScopedOverride root(tree.root(), std::nullopt, tree.root() / "run-user");
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (tree.root() / "no-bus").string()).c_str(), 1);
  const std::string saved_path = std::getenv("PATH");
  ::setenv("PATH", (tree.root() / "bin").c_str(), 1);
  os_actions_testing::use_print_server((tree.root() / "no-cups.sock").string());

  struct Call {
    const char* name;
    std::function<std::string()> error;  // empty when the call unexpectedly succeeded
  };
  auto error_of = [](auto result) { return result.has_value() ? std::string() : result.error(); };
  const std::vector<Call> calls{
      {"wired", [&] { return error_of(os_actions::network::get_wired()); }},
      {"bluetooth", [&] { return error_of(os_actions::bluez::devices()); }},
      {"ntp", [&] { return error_of(os_actions::time::set_ntp(true)); }},
      {"timezone", [&] { return error_of(os_actions::time::set_timezone("UTC")); }},
      {"zones", [&] { return error_of(os_actions::time::list_timezones()); }},
      {"audio", [&] { return error_of(media::audio::read_graph()); }},
      {"queues", [&] { return error_of(os_actions::printing::queues()); }},
      {"jobs", [&] { return error_of(os_actions::printing::jobs()); }},
      {"display", [&] { return error_of(settings_store::DisplayHardwareSnapshot::load()); }},
  };
  for (const auto& call : calls) {
    const auto started = std::chrono::steady_clock::now();
    const std::string error = call.error();
    EXPECT_FALSE(error.empty()) << call.name;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << call.name;
  }
  EXPECT_EQ(calls[0].error(), "Could not read the wired connection: the system bus is not available "
                              "(no such file or directory)");
  EXPECT_EQ(calls[6].error(), "Could not read the printer queues: the printing service is not running");

  // No battery is not an error: the capability is simply absent.
  auto battery = os_actions::battery::charge_capability();
  ASSERT_TRUE(battery.has_value());
  EXPECT_FALSE(battery->has_value());
  // Without its service the time status is unreported rather than failed.
  EXPECT_EQ(os_actions::time::get_time_sync_status().zone, std::nullopt);

  ::setenv("PATH", saved_path.c_str(), 1);
  ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

}  // namespace
