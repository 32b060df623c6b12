// Display transactions end to end against the stand-in compositor, started and stopped here.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"
#include "settings_store/display_config.h"
#include "settings_store/display_hardware.h"
#include "settings_store/display_transaction.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace hw = settings_store::hardware;
using hw::DisplayTransaction;
using State = hw::DisplayTransactionState;
using namespace std::chrono_literals;

class DisplayStandIn : public ::testing::Test {
 protected:
  DisplayStandIn() {
    char pattern[] = "/tmp/orvo-display-standin-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(root_ / "run");
    paths_.emplace(root_, root_ / "config", root_ / "run");
  }
  ~DisplayStandIn() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    paths_.reset();
    fs::remove_all(root_);
  }

  // Starts the stand-in with a laptop panel and a monitor; waits until it serves requests.
  void start(std::uint64_t trial_ms) {
    std::vector<std::string> args{ORVO_DISPLAY_STANDIN, "--trial-ms", std::to_string(trial_ms), "--apply-delay-ms",
                                  "50", "eDP-1:2560x1600:builtin", "DP-1:1920x1080"};
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + (root_ / "run").string(),
                                 "XDG_CONFIG_HOME=" + (root_ / "config").string()};
    for (char** e = environ; *e; ++e) {
      const std::string_view entry = *e;
      if (!entry.starts_with("XDG_RUNTIME_DIR=") && !entry.starts_with("XDG_CONFIG_HOME=")) env.emplace_back(entry);
    }
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    ASSERT_EQ(::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!DisplayTransaction::service_running() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(DisplayTransaction::service_running());
  }

  // Signals the stand-in and answers its exit status.
  int stop(int signal) {
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

  static std::optional<DisplayTransaction> wait_for(State state) {
    const auto until = std::chrono::steady_clock::now() + 10s;
    std::optional<DisplayTransaction> seen;
    while (std::chrono::steady_clock::now() < until) {
      auto loaded = DisplayTransaction::load();
      if (loaded && *loaded) seen = **loaded;
      if (seen && seen->state == state) return seen;
      std::this_thread::sleep_for(10ms);
    }
    ADD_FAILURE() << "state " << hw::to_string(state) << " never came; last "
                  << (seen ? hw::to_string(seen->state) : "none");
    return std::nullopt;
  }

  static hw::DisplayConfig smaller_panel() {
    hw::DisplayConfig config;
    config.outputs["eDP-1"].mode = hw::OutputMode{1280, 720, 60000};
    config.outputs["eDP-1"].primary = true;
    config.outputs["DP-1"].x = 1280;
    return config;
  }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
  pid_t pid_ = -1;
};

TEST_F(DisplayStandIn, PublishesItsOutputsAndEndsCleanlyOnTerm) {
  start(15000);
  const auto snapshot = settings_store::DisplayHardwareSnapshot::load();
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  ASSERT_EQ(snapshot->outputs.size(), 2u);
  const auto* panel = snapshot->output_by_connector("eDP-1");
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->built_in);
  EXPECT_EQ(panel->modes, (std::vector<hw::OutputMode>{{2560, 1600, 60000}, {1280, 720, 60000}}));
  EXPECT_EQ(panel->current_mode, (hw::OutputMode{2560, 1600, 60000}));
  EXPECT_FALSE(snapshot->output_by_connector("DP-1")->built_in);

  const int status = stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_FALSE(fs::exists(DisplayTransaction::announcement_path()));
  EXPECT_EQ(DisplayTransaction::request(smaller_panel()).error(), "display configuration service is unavailable");
}

TEST_F(DisplayStandIn, KeptChangeBecomesTheConfigurationInForce) {
  start(15000);
  const auto requested = DisplayTransaction::request(smaller_panel());
  ASSERT_TRUE(requested.has_value()) << requested.error();
  EXPECT_EQ(requested->state, State::Requested);
  const auto before = hw::unix_ms();
  const auto trial = wait_for(State::AwaitingConfirmation);
  ASSERT_TRUE(trial.has_value());
  ASSERT_TRUE(trial->deadline_unix_ms.has_value());
  EXPECT_GE(*trial->deadline_unix_ms, before + 14000);
  EXPECT_LE(*trial->deadline_unix_ms, hw::unix_ms() + 15000);
  EXPECT_EQ(hw::DisplayConfig::load().value(), hw::DisplayConfig{});  // on trial only

  ASSERT_TRUE(DisplayTransaction::request_confirmation(*requested).has_value());
  ASSERT_TRUE(wait_for(State::Kept).has_value());
  EXPECT_EQ(hw::DisplayConfig::load().value(), smaller_panel());
}

TEST_F(DisplayStandIn, RevertedOnRevertAndAtTheDeadline) {
  start(400);
  const auto first = DisplayTransaction::request(smaller_panel()).value();
  ASSERT_TRUE(wait_for(State::AwaitingConfirmation).has_value());
  ASSERT_TRUE(DisplayTransaction::request_revert(first).has_value());
  ASSERT_TRUE(wait_for(State::Reverted).has_value());

  const auto second = DisplayTransaction::request(smaller_panel()).value();
  EXPECT_EQ(second.id, first.id + 1);
  ASSERT_TRUE(wait_for(State::AwaitingConfirmation).has_value());
  const auto lapsed = wait_for(State::Reverted);  // nobody keeps it
  ASSERT_TRUE(lapsed.has_value());
  EXPECT_EQ(lapsed->id, second.id);
  EXPECT_FALSE(fs::exists(*hw::DisplayConfig::path()));
}

TEST_F(DisplayStandIn, InvalidConfigurationIsRejectedWithItsReason) {
  start(15000);
  auto config = smaller_panel();
  config.outputs["DP-1"].mode = hw::OutputMode{3840, 2160, 60000};
  ASSERT_TRUE(DisplayTransaction::request(config).has_value());
  const auto rejected = wait_for(State::Rejected);
  ASSERT_TRUE(rejected.has_value());
  EXPECT_EQ(rejected->message, R"(invalid display configuration: UnsupportedMode { output: "DP-1" })");
}

TEST_F(DisplayStandIn, KilledMidTrialLeavesTheLastStateAndRefusesNewRequests) {
  start(15000);
  ASSERT_TRUE(DisplayTransaction::request(smaller_panel()).has_value());
  const auto trial = wait_for(State::AwaitingConfirmation);
  ASSERT_TRUE(trial.has_value());
  stop(SIGKILL);
  EXPECT_EQ(DisplayTransaction::load().value(), trial);
  EXPECT_EQ(DisplayTransaction::request(smaller_panel()).error(), "display configuration service is unavailable");
}

}  // namespace
