#pragma once
// A sound system for pane tests: a graph the test edits, every call recorded as one line
// ("set_volume 40", "route_stream 7 1050"), failures chosen per call name, and speaker and
// microphone tests whose progress the test drives.
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "panes/sound/audio_services.h"

namespace settings::panes::sound::testing {

// A running test as the fake runtime hands it out.
struct FakeTestState {
  std::string node;
  bool left = false;
  bool running = true;
  float level = 0;
  bool dropped = false;
};

struct FakeAudio {
  media::audio::AudioGraph graph;
  std::expected<os_actions::audio::VolumeState, std::string> volume_state = os_actions::audio::VolumeState{0.5F, false};
  std::optional<std::string> input_answer = "Volume: 0.60";
  std::optional<std::string> status_answer;
  media::audio_runtime::RuntimeCapabilities capabilities{true, true, true, true};
  std::vector<std::string> calls;
  // Call name → the error it answers.
  std::map<std::string, std::string> failures;
  std::vector<std::shared_ptr<FakeTestState>> speaker_tests;
  std::vector<std::shared_ptr<FakeTestState>> meters;

  // While valid, every change and every `wpctl` reading waits for it (they run on the pane's workers).
  std::shared_future<void> gate;
  std::atomic<int> answered{0};

  media::audio::ControlResult call(std::string name, std::string line) {
    if (gate.valid()) gate.wait();
    calls.push_back(std::move(line));
    media::audio::ControlResult result;
    if (auto failing = failures.find(name); failing != failures.end()) result = std::unexpected(failing->second);
    ++answered;
    return result;
  }
};

class FakeDispatcher final : public os_actions::Dispatcher {
 public:
  explicit FakeDispatcher(std::shared_ptr<FakeAudio> audio) : audio_(std::move(audio)) {}
  os_actions::DispatchResult set_volume(float percent) const override {
    return audio_->call("set_volume", fmt::format("set_volume {:.0f}", percent));
  }
  os_actions::DispatchResult set_mute(bool muted) const override {
    return audio_->call("set_mute", fmt::format("set_mute {}", muted));
  }

 private:
  std::shared_ptr<FakeAudio> audio_;
};

class FakeEnumerator final : public media::audio::AudioEnumerator {
 public:
  explicit FakeEnumerator(std::shared_ptr<FakeAudio> audio) : audio_(std::move(audio)) {}
  std::expected<media::audio::AudioGraph, std::string> enumerate() override { return audio_->graph; }

 private:
  std::shared_ptr<FakeAudio> audio_;
};

class FakeGraphControl final : public media::audio::GraphControl {
 public:
  explicit FakeGraphControl(std::shared_ptr<FakeAudio> audio) : audio_(std::move(audio)) {}
  media::audio::ControlResult set_default_sink(std::uint32_t id) override {
    return audio_->call("set_default_sink", fmt::format("set_default_sink {}", id));
  }
  media::audio::ControlResult set_default_source(std::uint32_t id) override {
    return audio_->call("set_default_source", fmt::format("set_default_source {}", id));
  }
  media::audio::ControlResult route_stream(std::uint32_t stream, std::uint32_t routing) override {
    return audio_->call("route_stream", fmt::format("route_stream {} {}", stream, routing));
  }
  media::audio::ControlResult unroute_stream(std::uint32_t stream) override {
    return audio_->call("unroute_stream", fmt::format("unroute_stream {}", stream));
  }
  media::audio::ControlResult set_node_volume(std::uint32_t node, float volume) override {
    return audio_->call("set_node_volume", fmt::format("set_node_volume {} {:.2f}", node, volume));
  }
  media::audio::ControlResult set_node_mute(std::uint32_t node, bool muted) override {
    return audio_->call("set_node_mute", fmt::format("set_node_mute {} {}", node, muted));
  }
  media::audio::ControlResult set_device_profile(std::uint32_t device, std::uint32_t index) override {
    return audio_->call("set_device_profile", fmt::format("set_device_profile {} {}", device, index));
  }

 private:
  std::shared_ptr<FakeAudio> audio_;
};

class FakeRuntime final : public media::audio_runtime::AudioRuntime {
 public:
  explicit FakeRuntime(std::shared_ptr<FakeAudio> audio) : audio_(std::move(audio)) {}
  media::audio_runtime::RuntimeCapabilities capabilities() override { return audio_->capabilities; }
  std::expected<std::unique_ptr<media::audio_runtime::SpeakerTest>, std::string> start_channel_test(std::string_view node,
                                                                                                  bool left) override {
    if (auto done = audio_->call("channel_test", fmt::format("channel_test {} {}", node, left ? "left" : "right")); !done) {
      return std::unexpected(done.error());
    }
    auto state = std::make_shared<FakeTestState>(FakeTestState{std::string(node), left});
    audio_->speaker_tests.push_back(state);
    return std::make_unique<Handle>(state);
  }
  std::expected<std::unique_ptr<media::audio_runtime::MicrophoneMeter>, std::string> start_microphone_meter(
      std::string_view node, std::chrono::milliseconds duration) override {
    if (auto done = audio_->call("meter", fmt::format("meter {} {}", node, duration.count())); !done) {
      return std::unexpected(done.error());
    }
    auto state = std::make_shared<FakeTestState>(FakeTestState{std::string(node)});
    audio_->meters.push_back(state);
    return std::make_unique<Handle>(state);
  }

 private:
  struct Handle final : media::audio_runtime::SpeakerTest, media::audio_runtime::MicrophoneMeter {
    explicit Handle(std::shared_ptr<FakeTestState> state) : state(std::move(state)) {}
    ~Handle() override { state->dropped = true; }
    bool still_running() override { return state->running; }
    float level() override { return state->level; }
    std::shared_ptr<FakeTestState> state;
  };
  std::shared_ptr<FakeAudio> audio_;
};

inline AudioServices fake_services(const std::shared_ptr<FakeAudio>& audio) {
  AudioServices services;
  services.dispatcher = std::make_shared<FakeDispatcher>(audio);
  services.enumerator = std::make_shared<FakeEnumerator>(audio);
  services.graph_control = std::make_shared<FakeGraphControl>(audio);
  services.runtime = std::make_shared<FakeRuntime>(audio);
  services.set_input_level = [audio](float percent) {
    return audio->call("input_level", fmt::format("input_level {:.0f}", percent));
  };
  services.set_default_device = [audio](std::uint32_t id) {
    return audio->call("set_default", fmt::format("set_default {}", id));
  };
  services.get_volume_state = [audio] { return audio->volume_state; };
  services.wpctl_output = [audio](const std::vector<std::string>& arguments) -> std::optional<std::string> {
    if (audio->gate.valid()) audio->gate.wait();
    return arguments.front() == "status" ? audio->status_answer : audio->input_answer;
  };
  return services;
}

// Two stereo outputs (the first the default), one microphone, a sound card with three profiles of
// which two are available, two playback streams (one on the second output) and one recording.
inline media::audio::AudioGraph sample_graph() {
  media::audio::AudioGraph graph;
  graph.sinks = {{"alsa_output.speakers", "Built-in Speakers", 2, 40, 1040, true},
                 {"bluez_output.headphones", "Wireless Headphones", 2, 41, 1041, false}};
  graph.sources = {{"alsa_input.mic", "Built-in Microphone", 1, 50, 1050, true}};
  graph.playback_streams = {{"Music", std::string("Night Drive"), 41, 0.8F, 70, true, false},
                            {"Browser", std::nullopt, std::nullopt, std::nullopt, 71, true, false}};
  graph.recording_streams = {{"Recorder", std::nullopt, 50, 0.5F, 72, false, false}};
  graph.devices = {{30, "Built-in Audio", 1, {{"Analog Stereo Output", 1, true}, {"Pro Audio", 2, true}, {"Off", 3, false}}, std::nullopt},
                   {31, "Wireless Headphones", 5, {{"High Fidelity Playback", 5, true}}, std::string("AAC")}};
  return graph;
}

}  // namespace settings::panes::sound::testing
