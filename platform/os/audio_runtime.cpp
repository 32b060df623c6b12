#include "media/audio_runtime.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

#include "orvo_runtime/bounded_command.h"

namespace media::audio_runtime {
namespace {

using namespace std::chrono_literals;

constexpr int kToneRate = 48000;
constexpr int kToneFrequency = 440;
constexpr double kToneAmplitude = 0.2;  // quiet: a fifth of full scale
constexpr int kFadeFrames = kToneRate / 100;  // 10 ms in and out, so the tone does not click
// pw-cat ends when the tone has been played; this only stops one that hangs.
constexpr auto kToneTimeLimit = 5s;
constexpr int kMeterRate = 16000;
constexpr std::size_t kMeterWindow = kMeterRate / 20;  // 50 ms of samples

void append_sample(std::string& out, std::int16_t sample) {
  const auto bits = static_cast<std::uint16_t>(sample);
  out.push_back(static_cast<char>(bits & 0xFF));
  out.push_back(static_cast<char>(bits >> 8));
}

class PlayingTone final : public SpeakerTest {
 public:
  explicit PlayingTone(bounded_command::AsyncCommand command) : command_(std::move(command)) {}
  bool still_running() override {
    auto poll = command_.try_wait();
    return poll && std::holds_alternative<bounded_command::AsyncCommand::Running>(*poll);
  }

 private:
  bounded_command::AsyncCommand command_;
};

// Turns the recorder's byte stream into a level per 50 ms window; nothing is kept beyond one window.
struct LevelFollower {
  std::atomic<float> level{0.0f};
  std::mutex mutex;  // the reader thread is the only writer; guards the partial window
  double sum_of_squares = 0.0;
  std::size_t samples = 0;
  std::optional<unsigned char> odd_byte;

  void feed(std::string_view bytes) {
    std::lock_guard lock(mutex);
    for (char c : bytes) {
      const auto byte = static_cast<unsigned char>(c);
      if (!odd_byte) {
        odd_byte = byte;
        continue;
      }
      const auto sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(*odd_byte | (byte << 8)));
      odd_byte.reset();
      sum_of_squares += static_cast<double>(sample) * sample;
      if (++samples == kMeterWindow) {
        level.store(static_cast<float>(std::min(1.0, std::sqrt(sum_of_squares / samples) / 32768.0)));
        sum_of_squares = 0.0;
        samples = 0;
      }
    }
  }
};

class RunningMeter final : public MicrophoneMeter {
 public:
  RunningMeter(bounded_command::AsyncCommand command, std::shared_ptr<LevelFollower> follower)
      : command_(std::move(command)), follower_(std::move(follower)) {}
  bool still_running() override {
    auto poll = command_.try_wait();
    return poll && std::holds_alternative<bounded_command::AsyncCommand::Running>(*poll);
  }
  float level() override { return follower_->level.load(); }

 private:
  bounded_command::AsyncCommand command_;
  std::shared_ptr<LevelFollower> follower_;
};

}  // namespace

std::string channel_test_tone(bool left) {
  std::string pcm;
  pcm.reserve(static_cast<std::size_t>(kToneRate) * 4);
  for (int frame = 0; frame < kToneRate; ++frame) {
    const double fade = std::min({1.0, static_cast<double>(frame) / kFadeFrames,
                                  static_cast<double>(kToneRate - 1 - frame) / kFadeFrames});
    const double value = std::sin(2.0 * std::numbers::pi * kToneFrequency * frame / kToneRate);
    const auto sample = static_cast<std::int16_t>(std::lround(value * kToneAmplitude * fade * 32767.0));
    append_sample(pcm, left ? sample : 0);
    append_sample(pcm, left ? 0 : sample);
  }
  return pcm;
}

RuntimeCapabilities RealAudioRuntime::capabilities() {
  const bool player = bounded_command::find_program("pw-cat").has_value();
  return RuntimeCapabilities{.balance = false, .mono_output = false, .channel_test = player, .microphone_meter = player};
}

std::expected<std::unique_ptr<SpeakerTest>, std::string> RealAudioRuntime::start_channel_test(std::string_view node,
                                                                                              bool left) {
  bounded_command::PreparedCommand command{
      "pw-cat", {"--playback", "--target", std::string(node), "--rate", "48000", "--channels", "2", "--format", "s16", "-"}};
  auto started = bounded_command::spawn_prepared(command, channel_test_tone(left), bounded_command::kDefaultOutputLimit,
                                                 kToneTimeLimit);
  if (!started) return std::unexpected(started.error().display());
  return std::make_unique<PlayingTone>(std::move(*started));
}

std::expected<std::unique_ptr<MicrophoneMeter>, std::string> RealAudioRuntime::start_microphone_meter(
    std::string_view node, std::chrono::milliseconds duration) {
  bounded_command::PreparedCommand command{
      "pw-cat", {"--record", "--target", std::string(node), "--rate", "16000", "--channels", "1", "--format", "s16", "-"}};
  auto follower = std::make_shared<LevelFollower>();
  // The meter ends when its time is up: the runner's limit stops the recorder then.
  auto started = bounded_command::spawn_streaming(command, duration,
                                                  [follower](std::string_view bytes) { follower->feed(bytes); });
  if (!started) return std::unexpected(started.error().display());
  return std::make_unique<RunningMeter>(std::move(*started), std::move(follower));
}

}  // namespace media::audio_runtime
