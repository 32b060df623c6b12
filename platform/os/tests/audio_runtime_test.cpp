#include "media/audio_runtime.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <thread>

#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using media::audio_runtime::RealAudioRuntime;
using os_actions_testing::PathPrefix;
using os_actions_testing::TempTree;
using orvo_testing::read_file;

std::vector<std::int16_t> samples_of(const std::string& pcm) {
  std::vector<std::int16_t> samples;
  for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
    samples.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(
        static_cast<unsigned char>(pcm[i]) | (static_cast<unsigned char>(pcm[i + 1]) << 8))));
  }
  return samples;
}

// `samples` 16-bit samples of a square wave of height `height`, as little-endian bytes.
std::string square_wave(std::size_t samples, std::int16_t height) {
  std::string pcm;
  for (std::size_t i = 0; i < samples; ++i) {
    const auto bits = static_cast<std::uint16_t>(i % 2 == 0 ? height : static_cast<std::int16_t>(-height));
    pcm.push_back(static_cast<char>(bits & 0xFF));
    pcm.push_back(static_cast<char>(bits >> 8));
  }
  return pcm;
}

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// Whether the stub whose pid it recorded is still alive or unreaped. The stubs end in `exec`, so
// the recorded process is the one left running.
bool stub_alive(const std::filesystem::path& pid_file) {
  const pid_t pid = std::stoi(read_file(pid_file));
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

TEST(ChannelTest, PlaysTheToneOnOneChannelIntoPwCat) {
  for (const bool left : {true, false}) {
    SCOPED_TRACE(left ? "left" : "right");
    TempTree tree;
    const auto heard = tree.root() / "heard.pcm";
    tree.script("bin/pw-cat", "echo \"$*\" > '" + (tree.root() / "args").string() + "'; exec /bin/cat > '" +
                                  heard.string() + "'");
    PathPrefix path(tree.root() / "bin", /*only=*/true);
    RealAudioRuntime runtime;
    auto test = runtime.start_channel_test("alsa_output.analog-stereo", left);
    ASSERT_TRUE(test.has_value()) << test.error();
    ASSERT_TRUE(wait_until([&] { return !(*test)->still_running(); }));

    EXPECT_EQ(read_file(tree.root() / "args"),
              "--playback --target alsa_output.analog-stereo --rate 48000 --channels 2 --format s16 -\n");
    const auto samples = samples_of(read_file(heard));
    ASSERT_EQ(samples.size(), 48000u * 2);  // one second of stereo frames
    int loudest_played = 0, loudest_silent = 0;
    for (std::size_t i = 0; i < samples.size(); i += 2) {
      const int played = std::abs(samples[i + (left ? 0 : 1)]);
      const int silent = std::abs(samples[i + (left ? 1 : 0)]);
      loudest_played = std::max(loudest_played, played);
      loudest_silent = std::max(loudest_silent, silent);
    }
    EXPECT_EQ(loudest_silent, 0);
    EXPECT_GT(loudest_played, 3000);  // audible but quiet
    EXPECT_LT(loudest_played, 16384);
  }
}

TEST(MicrophoneMeter, FollowsTheLevelAndEndsAfterItsDurationLeavingNothingBehind) {
  TempTree tree;
  tree.write("quiet.pcm", square_wave(1600, 3277));   // 0.1 of full scale, 100 ms
  tree.write("loud.pcm", square_wave(1600, 19661));   // 0.6 of full scale
  tree.script("bin/pw-cat", "echo \"$*\" > '" + (tree.root() / "args").string() + "'; echo $$ > '" +
                                (tree.root() / "pid").string() + "'; /bin/cat '" + (tree.root() / "quiet.pcm").string() +
                                "'; /bin/sleep 0.5; /bin/cat '" + (tree.root() / "loud.pcm").string() +
                                "'; exec /bin/sleep 30");
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  const auto files_before = std::distance(std::filesystem::directory_iterator(tree.root()), {});
  RealAudioRuntime runtime;
  const auto started = Clock::now();
  auto meter = runtime.start_microphone_meter("alsa_input.analog-stereo", 1500ms);
  ASSERT_TRUE(meter.has_value()) << meter.error();

  EXPECT_TRUE(wait_until([&] { return std::abs((*meter)->level() - 0.1f) < 0.01f; }));
  EXPECT_TRUE((*meter)->still_running());
  EXPECT_TRUE(wait_until([&] { return std::abs((*meter)->level() - 0.6f) < 0.01f; }));
  EXPECT_TRUE(wait_until([&] { return !(*meter)->still_running(); }));
  EXPECT_GE(Clock::now() - started, 1400ms);

  EXPECT_EQ(read_file(tree.root() / "args"),
            "--record --target alsa_input.analog-stereo --rate 16000 --channels 1 --format s16 -\n");
  EXPECT_FALSE(stub_alive(tree.root() / "pid"));
  // The stub's own two notes are the only new files: the meter writes nothing.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root()), {}), files_before + 2);
}

TEST(AudioRuntime, DroppingAHandleEndsItsChild) {
  TempTree tree;
  const auto pid = tree.root() / "pid";
  // Written aside and moved into place, so the file never shows without its number.
  tree.script("bin/pw-cat", "echo $$ > '" + pid.string() + ".new'; /bin/mv '" + pid.string() + ".new' '" + pid.string() +
                                "'; exec /bin/sleep 30");
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  RealAudioRuntime runtime;
  {
    auto test = runtime.start_channel_test("sink", true);
    ASSERT_TRUE(test.has_value());
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(pid); }));
  }
  EXPECT_FALSE(stub_alive(pid));
  std::filesystem::remove(pid);
  {
    auto meter = runtime.start_microphone_meter("source", 8s);
    ASSERT_TRUE(meter.has_value());
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(pid); }));
    EXPECT_TRUE((*meter)->still_running());
  }
  EXPECT_FALSE(stub_alive(pid));
}

TEST(AudioRuntime, TheTestsAreOfferedOnlyWithPwCat) {
  TempTree tree;
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  RealAudioRuntime runtime;
  auto none = runtime.capabilities();
  EXPECT_FALSE(none.channel_test || none.microphone_meter || none.balance || none.mono_output);
  auto test = runtime.start_channel_test("sink", true);
  ASSERT_FALSE(test.has_value());
  EXPECT_EQ(test.error(), "program \"pw-cat\" was not found");

  tree.script("bin/pw-cat", "exit 0");
  auto some = runtime.capabilities();
  EXPECT_TRUE(some.channel_test && some.microphone_meter);
  EXPECT_FALSE(some.balance || some.mono_output);
}

}  // namespace
