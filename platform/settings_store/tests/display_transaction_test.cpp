// Settings' side of display transactions, with the test playing the compositor through its files.
#include "settings_store/display_transaction.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "orvo_runtime/system_paths.h"

namespace settings_store::hardware {
namespace {

namespace fs = std::filesystem;
using State = DisplayTransactionState;

DisplayTransaction tx(std::uint64_t id, State state, std::optional<std::string> message = std::nullopt,
                      std::optional<std::uint64_t> deadline = std::nullopt) {
  return DisplayTransaction{id, state, std::move(message), deadline};
}

class DisplayTransactions : public ::testing::Test {
 protected:
  DisplayTransactions() {
    char pattern[] = "/tmp/orvo-display-tx-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace(root_, root_ / "config", root_ / "run");
    config_.outputs["eDP-1"].scale = 1.5;
  }
  ~DisplayTransactions() override {
    paths_.reset();
    fs::remove_all(root_);
  }

  static void announce(pid_t pid) {
    fs::create_directories(DisplayTransaction::announcement_path().parent_path());
    std::ofstream(DisplayTransaction::announcement_path()) << pid << "\n";
  }
  static void compositor_says(std::uint64_t id, State state, std::optional<std::string> message = std::nullopt,
                              std::optional<std::uint64_t> deadline = std::nullopt) {
    ASSERT_TRUE(tx(id, state, std::move(message), deadline).publish_state().has_value());
  }
  static DisplayTransaction present() {
    auto loaded = DisplayTransaction::load();
    EXPECT_TRUE(loaded.has_value()) << loaded.error();
    EXPECT_TRUE(loaded.has_value() && loaded->has_value());
    return loaded.has_value() && loaded->has_value() ? **loaded : tx(0, State::Requested);
  }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
  DisplayConfig config_;
};

TEST_F(DisplayTransactions, WithoutACompositorARequestFailsAtOnceAndLeavesNothing) {
  EXPECT_EQ(DisplayTransaction::load().value(), std::nullopt);
  EXPECT_EQ(DisplayTransaction::request(config_).error(), "display configuration service is unavailable");

  // A compositor that announced itself and then died.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  announce(child);
  EXPECT_EQ(DisplayTransaction::request(config_).error(), "display configuration service is unavailable");
  EXPECT_FALSE(fs::exists(DisplayTransaction::request_path()));
  EXPECT_EQ(DisplayTransaction::request_revert(tx(1, State::Requested)).error(),
            "display configuration service is unavailable");
}

TEST_F(DisplayTransactions, KeptChangeGoesThroughEveryStateAndIdsOnlyGrow) {
  announce(::getpid());
  const auto requested = DisplayTransaction::request(config_);
  ASSERT_TRUE(requested.has_value()) << requested.error();
  EXPECT_EQ(*requested, tx(1, State::Requested));
  EXPECT_EQ(present(), *requested);
  EXPECT_EQ(DisplayTransaction::load_request().value()->config, config_);

  const std::uint64_t deadline = unix_ms() + kDisplayTrialMs;
  compositor_says(1, State::AwaitingConfirmation, std::nullopt, deadline);
  EXPECT_EQ(present(), tx(1, State::AwaitingConfirmation, std::nullopt, deadline));

  ASSERT_TRUE(DisplayTransaction::request_confirmation(*requested).has_value());
  EXPECT_EQ(present(), tx(1, State::ConfirmRequested, std::nullopt, deadline));
  const auto asked = DisplayTransaction::load_request().value();
  EXPECT_EQ(asked->decision, DisplayDecision::Keep);
  EXPECT_EQ(asked->config, config_);  // the decision does not lose the configuration
  EXPECT_EQ(DisplayTransaction::request_revert(*requested).error(), "display transaction 1 is already asked to be kept");

  compositor_says(1, State::Kept);
  EXPECT_EQ(present().state, State::Kept);
  EXPECT_EQ(DisplayTransaction::request_confirmation(*requested).error(), "display transaction 1 is already kept");

  // Ids keep growing even when the request file is gone.
  fs::remove(DisplayTransaction::request_path());
  EXPECT_EQ(DisplayTransaction::request(config_).value().id, 2u);
  EXPECT_EQ(DisplayTransaction::request_revert(*requested).error(), "display transaction 1 is no longer the present one");
}

TEST_F(DisplayTransactions, RevertBeforeTheCompositorAnswersAndRejectionWithItsMessage) {
  announce(::getpid());
  const auto first = DisplayTransaction::request(config_).value();
  ASSERT_TRUE(DisplayTransaction::request_revert(first).has_value());
  EXPECT_EQ(present().state, State::RevertRequested);
  compositor_says(first.id, State::Reverted);
  EXPECT_EQ(present().state, State::Reverted);

  const auto second = DisplayTransaction::request(config_).value();
  EXPECT_EQ(second.id, 2u);
  compositor_says(second.id, State::Rejected, "UnsupportedMode { output: \"eDP-1\" }");
  EXPECT_EQ(present(), tx(2, State::Rejected, "UnsupportedMode { output: \"eDP-1\" }"));
  EXPECT_EQ(DisplayTransaction::request_confirmation(second).error(), "display transaction 2 is already rejected");
}

TEST_F(DisplayTransactions, DamagedFilesAreErrorsNotCrashes) {
  announce(::getpid());
  std::ofstream(DisplayTransaction::state_path()) << R"({"id": 3, "state": 9, "message": null, "deadline_unix_ms": null})";
  EXPECT_TRUE(DisplayTransaction::load().error().starts_with("the display transaction state is damaged"))
      << DisplayTransaction::load().error();
  std::ofstream(DisplayTransaction::state_path()) << "{";
  EXPECT_TRUE(DisplayTransaction::request(config_).error().starts_with("the display transaction state is damaged"));
  EXPECT_FALSE(fs::exists(DisplayTransaction::request_path()));
}

TEST(UnixMs, IsTheSystemClockInMilliseconds) {
  const auto before = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  const auto now = unix_ms();
  EXPECT_GE(now, static_cast<std::uint64_t>(before));
  EXPECT_LT(now, static_cast<std::uint64_t>(before) + 1000);
}

}  // namespace
}  // namespace settings_store::hardware
