#pragma once
// The compositor's stand-in for display tests, started in the pane's home with a built-in panel
// and a 4K monitor, and stopped (SIGTERM) with the object.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../door/child_process.h"
#include "harness/pane_home.h"
#include "settings_store/display_transaction.h"

namespace settings::panes::display::testing {

class StandIn {
 public:
  // Starts the stand-in and waits up to 10 s for its service; fails the test when it never comes.
  void start(const panes::testing::PaneHome& home) {
    const auto env = door_tests::environment_with(
        {{"XDG_RUNTIME_DIR", home.runtime().native()}, {"XDG_CONFIG_HOME", home.config().native()}});
    std::filesystem::create_directories(home.root() / "standin");
    process_ = std::make_unique<door_tests::ChildProcess>(
        ORVO_DISPLAY_STANDIN,
        std::vector<std::string>{"--apply-delay-ms", "20", "eDP-1:1920x1080:builtin", "HDMI-A-1:3840x2160"}, env,
        home.root() / "standin");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!settings_store::hardware::DisplayTransaction::service_running() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(settings_store::hardware::DisplayTransaction::service_running()) << process_->err();
  }
  ~StandIn() {
    if (process_) process_->signal(SIGTERM);
  }

 private:
  std::unique_ptr<door_tests::ChildProcess> process_;
};

}  // namespace settings::panes::display::testing
