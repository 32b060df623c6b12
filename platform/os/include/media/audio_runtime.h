#pragma once
// The speaker and microphone tests: a short tone on one channel of an output, and a level meter
// on an input that keeps nothing of what it hears. Both run `pw-cat` through the bounded command
// runner; a test's handle answers whether it still runs, and dropping it ends the test.
#include <chrono>
#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <string_view>

namespace media::audio_runtime {

struct RuntimeCapabilities {
  bool balance = false;
  bool mono_output = false;
  bool channel_test = false;
  bool microphone_meter = false;
};

class SpeakerTest {
 public:
  virtual ~SpeakerTest() = default;
  virtual bool still_running() = 0;
};

class MicrophoneMeter {
 public:
  virtual ~MicrophoneMeter() = default;
  virtual bool still_running() = 0;
  // The loudness of the last 50 ms heard, 0..1.
  virtual float level() = 0;
};

class AudioRuntime {
 public:
  virtual ~AudioRuntime() = default;
  virtual RuntimeCapabilities capabilities() = 0;
  // `node` is the output's system name (`AudioNode::name`).
  virtual std::expected<std::unique_ptr<SpeakerTest>, std::string> start_channel_test(std::string_view node,
                                                                                      bool left) = 0;
  virtual std::expected<std::unique_ptr<MicrophoneMeter>, std::string> start_microphone_meter(
      std::string_view node, std::chrono::milliseconds duration) = 0;
};

class RealAudioRuntime final : public AudioRuntime {
 public:
  // Nothing on this system applies a balance or a mono preference, so those two are never offered.
  RuntimeCapabilities capabilities() override;
  std::expected<std::unique_ptr<SpeakerTest>, std::string> start_channel_test(std::string_view node,
                                                                              bool left) override;
  std::expected<std::unique_ptr<MicrophoneMeter>, std::string> start_microphone_meter(
      std::string_view node, std::chrono::milliseconds duration) override;
};

// About one second of a quiet 440 Hz tone, 48 kHz 16-bit little-endian stereo, with the other
// channel silent.
std::string channel_test_tone(bool left);

}  // namespace media::audio_runtime
