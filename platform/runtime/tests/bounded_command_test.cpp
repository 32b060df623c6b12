#include "orvo_runtime/bounded_command.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "orvo_testing/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using bounded_command::ErrorKind;
using orvo_testing::TempDir;

std::vector<std::string> sh(std::string script) { return {"-c", std::move(script)}; }

// A process that is gone, or a zombie that is no longer ours to reap.
bool process_ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z';
}

std::vector<pid_t> read_pids(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<pid_t> pids;
  for (pid_t pid; in >> pid;) pids.push_back(pid);
  return pids;
}

TEST(BoundedCommand, ReturnsBothStreamsAndExitStatusWithLcAllC) {
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  auto result = bounded_command::run("sh", sh("printf 'locale=%s' \"$LC_ALL\"; echo oops >&2; exit 3"), std::nullopt,
                                     bounded_command::kDefaultOutputLimit, 5s);
  ::unsetenv("LC_ALL");
  ASSERT_TRUE(result.has_value()) << result.error().display();
  EXPECT_EQ(result->standard_output, "locale=C");
  EXPECT_EQ(result->standard_error, "oops\n");
  EXPECT_EQ(result->status.code, 3);
  EXPECT_FALSE(result->status.success());
  EXPECT_FALSE(result->standard_output_truncated);
}

TEST(BoundedCommand, ReportsTheSignalThatEndedTheChild) {
  auto result = bounded_command::run("sh", sh("kill -TERM $$"), std::nullopt, 1024, 5s);
  ASSERT_TRUE(result.has_value());
  EXPECT_FALSE(result->status.code.has_value());
  EXPECT_EQ(result->status.signal, SIGTERM);
}

TEST(BoundedCommand, InputReachesTheChildAndOutputOverTheCapIsCut) {
  // Three MiB through `cat` with a one MiB cap: both pipes must keep moving without a deadlock.
  std::string input(3 * 1024 * 1024, 'x');
  input.replace(0, 6, "first\n");
  auto result = bounded_command::run("cat", {}, input, 1024 * 1024, 10s);
  ASSERT_TRUE(result.has_value()) << result.error().display();
  EXPECT_TRUE(result->status.success());
  EXPECT_EQ(result->standard_output.size(), 1024u * 1024u);
  EXPECT_TRUE(result->standard_output.starts_with("first\nxxx"));
  EXPECT_TRUE(result->standard_output_truncated);
  EXPECT_FALSE(result->standard_error_truncated);
}

TEST(BoundedCommand, WithoutInputStandardInputIsEmpty) {
  auto result = bounded_command::run("cat", {}, std::nullopt, 1024, 5s);
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->status.success());
  EXPECT_EQ(result->standard_output, "");
}

TEST(BoundedCommand, ChildThatIgnoresItsInputDoesNotHurtTheCaller) {
  auto result = bounded_command::run("true", {}, std::string(8 * 1024 * 1024, 'y'), 1024, 5s);
  ASSERT_TRUE(result.has_value()) << result.error().display();
  EXPECT_TRUE(result->status.success());
}

TEST(BoundedCommand, TimeLimitKillsTheWholeProcessGroupAndReapsTheChild) {
  TempDir dir;
  const auto pid_file = dir.root() / "pids";
  const auto started = std::chrono::steady_clock::now();
  auto result = bounded_command::run(
      "sh", sh("echo $$ > " + pid_file.string() + "; sleep 30 & echo $! >> " + pid_file.string() + "; wait"),
      std::nullopt, 1024, 300ms);
  const auto elapsed = std::chrono::steady_clock::now() - started;
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, ErrorKind::TimedOut);
  EXPECT_EQ(result.error().display(), "\"sh\" did not finish within 300 ms and was stopped");
  EXPECT_LT(elapsed, 5s);

  const auto pids = read_pids(pid_file);
  ASSERT_EQ(pids.size(), 2u);
  // The shell was our child: reaped, so not even a zombie remains.
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pids[0])));
  // Its own child was killed with the group.
  for (int i = 0; i < 100 && !process_ended(pids[1]); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(process_ended(pids[1]));
}

TEST(BoundedCommand, ChildThatLeavesABackgroundProcessHoldingItsPipesStillFinishes) {
  auto result = bounded_command::run("sh", sh("echo done; sleep 3 &"), std::nullopt, 1024, 10s);
  ASSERT_TRUE(result.has_value()) << result.error().display();
  EXPECT_EQ(result->standard_output, "done\n");
}

TEST(BoundedCommand, MissingProgramGivesItsSentence) {
  for (const std::string program : {"orvo-no-such-program", "/nonexistent/tool", ""}) {
    auto result = bounded_command::run(program, {}, std::nullopt, 1024, 1s);
    ASSERT_FALSE(result.has_value()) << program;
    EXPECT_EQ(result.error().kind, ErrorKind::NotFound);
    EXPECT_EQ(result.error().display(), "program \"" + program + "\" was not found");
  }
}

TEST(BoundedCommand, ProgramIsFoundOnTheCallersPath) {
  TempDir dir;
  const auto stub = dir.root() / "orvo-stub";
  std::ofstream(stub) << "#!/bin/sh\necho \"stub $#: $1\"\n";
  std::filesystem::permissions(stub, std::filesystem::perms::owner_all);
  const std::string old_path = ::getenv("PATH");
  ::setenv("PATH", (dir.root().string() + ":" + old_path).c_str(), 1);
  auto result = bounded_command::run("orvo-stub", std::vector<std::string>{"two words"}, std::nullopt, 1024, 5s);
  ::setenv("PATH", old_path.c_str(), 1);
  ASSERT_TRUE(result.has_value()) << result.error().display();
  EXPECT_EQ(result->standard_output, "stub 1: two words\n");
}

TEST(BoundedCommandAsync, RunsInTheBackgroundAndReportsItsOutput) {
  auto command = bounded_command::spawn_prepared({"sh", sh("read line; sleep 0.2; echo \"got $line\"")},
                                                 std::string("policy\n"), 1024, 5s);
  ASSERT_TRUE(command.has_value()) << command.error().display();
  auto first = command->try_wait();
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(std::holds_alternative<bounded_command::AsyncCommand::Running>(*first));
  for (int i = 0; i < 500; ++i) {
    auto poll = command->try_wait();
    ASSERT_TRUE(poll.has_value());
    if (auto* output = std::get_if<bounded_command::Output>(&*poll)) {
      EXPECT_EQ(output->standard_output, "got policy\n");
      EXPECT_TRUE(output->status.success());
      return;
    }
    std::this_thread::sleep_for(10ms);
  }
  FAIL() << "the command never finished";
}

TEST(BoundedCommandAsync, TimeLimitAndMissingProgramAreErrors) {
  auto missing = bounded_command::spawn_prepared({"orvo-no-such-program", {}}, std::nullopt, 1024, 1s);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().kind, ErrorKind::NotFound);

  auto slow = bounded_command::spawn_prepared({"sleep", {"30"}}, std::nullopt, 1024, 100ms);
  ASSERT_TRUE(slow.has_value());
  for (int i = 0; i < 300; ++i) {
    auto poll = slow->try_wait();
    if (!poll.has_value()) {
      EXPECT_EQ(poll.error().kind, ErrorKind::TimedOut);
      return;
    }
    std::this_thread::sleep_for(10ms);
  }
  FAIL() << "the time limit was not enforced";
}

TEST(BoundedCommandAsync, DroppingARunningCommandKillsIt) {
  TempDir dir;
  const auto pid_file = dir.root() / "pid";
  {
    auto command = bounded_command::spawn_prepared({"sh", sh("echo $$ > " + pid_file.string() + "; exec sleep 30")},
                                                   std::nullopt, 1024, 60s);
    ASSERT_TRUE(command.has_value());
    for (int i = 0; i < 200 && read_pids(pid_file).empty(); ++i) std::this_thread::sleep_for(10ms);
  }
  const auto pids = read_pids(pid_file);
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pids[0])));
}

TEST(BoundedCommandAsync, DroppingAChildThatOutlivesItsSignalReturnsAtOnceAndLeavesNoZombie) {
  TempDir dir;
  const auto pid_file = dir.root() / "pid";
  bounded_command::testing::deliver_signals(false);
  std::chrono::steady_clock::duration drop_took{};
  {
    auto command = bounded_command::spawn_prepared({"sh", sh("echo $$ > " + pid_file.string() + "; exec sleep 1")},
                                                   std::nullopt, 1024, 60s);
    ASSERT_TRUE(command.has_value());
    for (int i = 0; i < 200 && read_pids(pid_file).empty(); ++i) std::this_thread::sleep_for(10ms);
    const auto start = std::chrono::steady_clock::now();
    { auto dropped = std::move(*command); }
    drop_took = std::chrono::steady_clock::now() - start;
  }
  bounded_command::testing::deliver_signals(true);
  EXPECT_LT(drop_took, 200ms);
  const auto pids = read_pids(pid_file);
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists("/proc/" + std::to_string(pids[0]))) << "the child was not signalled";
  // It ends by itself within its second and the background reaper leaves nothing behind.
  for (int i = 0; i < 300 && std::filesystem::exists("/proc/" + std::to_string(pids[0])); ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pids[0])));
}

TEST(BoundedCommandStreaming, OutputArrivesWhileTheCommandRunsAndIsNotKept) {
  std::mutex mutex;
  std::string heard;
  auto command = bounded_command::spawn_streaming({"sh", sh("echo first; sleep 0.3; echo second; echo oops >&2")}, 5s,
                                                  [&](std::string_view piece) {
                                                    std::lock_guard lock(mutex);
                                                    heard += piece;
                                                  });
  ASSERT_TRUE(command.has_value()) << command.error().display();
  auto heard_now = [&] {
    std::lock_guard lock(mutex);
    return heard;
  };
  for (int i = 0; i < 200 && heard_now().empty(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(heard_now(), "first\n");
  auto poll = command->try_wait();
  ASSERT_TRUE(poll.has_value());
  EXPECT_TRUE(std::holds_alternative<bounded_command::AsyncCommand::Running>(*poll));
  for (int i = 0; i < 500; ++i) {
    poll = command->try_wait();
    ASSERT_TRUE(poll.has_value());
    if (auto* output = std::get_if<bounded_command::Output>(&*poll)) {
      EXPECT_EQ(heard_now(), "first\nsecond\n");
      EXPECT_EQ(output->standard_output, "");
      EXPECT_EQ(output->standard_error, "oops\n");
      return;
    }
    std::this_thread::sleep_for(10ms);
  }
  FAIL() << "the command never finished";
}

}  // namespace
