// The sound pane's pass: the tests' progress, the graph refresh, seeding, stream adoption, the
// handed-over operation, the appliers and the end of the operation in hand.
#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <utility>

#include "actions/audio_handlers.h"
#include "device_local/device_checks.h"
#include "lib/settings_document.h"
#include "orvo_runtime/overloaded.h"
#include "panes/sound/audio_document.h"
#include "panes/sound/audio_pane.h"

namespace settings::panes::sound {

namespace {

using actions::AudioOperation;
using media::audio::AudioGraph;
using media::audio::AudioNode;
using media::audio::AudioStream;

using orvo_runtime::Overloaded;

const AudioStream* find_stream(const AudioGraph& graph, std::uint32_t stream_id, bool playback) {
  const auto& streams = playback ? graph.playback_streams : graph.recording_streams;
  const auto found = std::find_if(streams.begin(), streams.end(), [&](const AudioStream& s) { return s.id == stream_id; });
  return found == streams.end() ? nullptr : &*found;
}

const AudioNode* find_node(const AudioGraph& graph, std::uint32_t node_id, bool playback) {
  return playback ? graph.sink_by_id(node_id) : graph.source_by_id(node_id);
}

std::string on_off_sentence(bool muted) { return muted ? "Output muted." : "Output unmuted."; }

constexpr std::string_view kStreamGone = "audio stream is no longer available";
constexpr std::string_view kRouteGone = "audio route is no longer available";

}  // namespace

void AudioPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

void AudioPane::sync_pane(Document* document, orvo_ui::SyncContext&) {
  take_probe();
  take_operation();
  // An operation handed over meanwhile waits in hand for the first reading.
  if (probing()) return;
  poll_tests();
  refresh_graph();
  if (!document) return;
  take_change_replies(*document);
  if (needs_seeding_) seed(*document);
  adopt_streams(*document);
  hand_over(*document);
  if (!status_attached_ || audio_operation_running()) run_appliers(*document);
  operations_.settle(pending_change_.has_value(), settled_);
  if (!operations_.in_hand()) written_key_.reset();
}

void AudioPane::poll_tests() {
  if (speaker_test_ && !speaker_test_->still_running()) {
    speaker_test_.reset();
    set_message("Speaker test finished.");
  }
  if (!microphone_meter_) return;
  const float level = microphone_meter_->level();
  // The move in hundredths of a percent, so that float rounding does not hide a move of exactly 0.02.
  if (std::lround(std::fabs(static_cast<double>(level) - microphone_level_) * 10000.0) >= 200) {
    microphone_level_ = level;
    mark_structure_dirty();
  }
  if (!microphone_meter_->still_running()) {
    microphone_meter_.reset();
    set_message("Microphone test finished; no audio was saved.");
  }
}

void AudioPane::refresh_graph() {
  using Clock = std::chrono::steady_clock;
  const auto now = Clock::now();
  const bool due = refresh_interval_ == Clock::duration::zero() ||
                   (refresh_interval_ != Clock::duration::max() && (!last_refresh_ || now - *last_refresh_ >= refresh_interval_));
  if (!due) return;
  last_refresh_ = now;
  auto fresh = services_.enumerator->enumerate();
  if (!fresh) return;
  std::string signature = fresh->topology_signature();
  if (signature == graph_signature_) return;
  const auto present = [&](std::uint32_t id) {
    const auto has = [id](const std::vector<AudioStream>& streams) {
      return std::any_of(streams.begin(), streams.end(), [id](const AudioStream& s) { return s.id == id; });
    };
    return has(fresh->playback_streams) || has(fresh->recording_streams);
  };
  std::erase_if(known_streams_, [&](std::uint32_t id) { return !present(id); });
  std::erase_if(applied_routes_, [&](const auto& entry) { return !present(entry.first); });
  std::erase_if(applied_stream_volumes_, [&](const auto& entry) { return !present(entry.first); });
  std::erase_if(applied_stream_mutes_, [&](const auto& entry) { return !present(entry.first); });
  speaker_test_.reset();
  microphone_meter_.reset();
  graph_ = std::move(*fresh);
  graph_signature_ = std::move(signature);
  rebuild_device_lists();
  mark_structure_dirty();
}

void AudioPane::seed(Document& document) {
  put_number(document, kVolumeKey, initial_output_volume_);
  put_flag(document, kMutedKey, output_muted_);
  put_number(document, kBalanceKey, applied_balance_);
  put_flag(document, kMonoKey, applied_mono_);
  for (std::string_view trigger : {kAdvancedKey, kTestLeftKey, kTestRightKey, kMicTestKey}) put_flag(document, trigger, false);
  put_number(document, kInputVolumeKey, initial_input_volume_);
  if (default_output_name_) put_text(document, kOutputDeviceKey, *default_output_name_);
  if (default_input_name_) put_text(document, kInputDeviceKey, *default_input_name_);
  for (const auto& device : graph_.devices) {
    if (!device.active_profile) continue;
    for (const auto& profile : device.profiles) {
      if (profile.index != *device.active_profile) continue;
      put_text(document, device_profile_key(device.id), profile.description);
      applied_profiles_[device.id] = profile.description;
      break;
    }
  }
  needs_seeding_ = false;
}

// A stream enters the document once, from what the graph reports of it; later changes come only
// through operations. This runs on every pass, so that a stream's keys exist before an operation
// on it is written.
void AudioPane::adopt_streams(Document& document) {
  for (const auto* streams : {&graph_.playback_streams, &graph_.recording_streams}) {
    for (const AudioStream& stream : *streams) {
      if (known_streams_.contains(stream.id)) continue;
      std::string route = stream_route_label(stream);
      const float volume = stream.volume.value_or(1.0F);
      put_text(document, stream_sink_key(stream.id), route);
      put_number(document, stream_volume_key(stream.id), volume);
      put_flag(document, stream_muted_key(stream.id), stream.muted);
      applied_routes_[stream.id] = std::move(route);
      applied_stream_volumes_[stream.id] = volume;
      applied_stream_mutes_[stream.id] = stream.muted;
      known_streams_.insert(stream.id);
    }
  }
}

bool AudioPane::audio_operation_running() const {
  const settings_app::OperationStatus status = operations_.status_cell().snapshot();
  const auto* running = std::get_if<settings_app::OperationStatus::Running>(&status);
  return running && running->key.starts_with(AudioOperation::kKind);
}

void AudioPane::take_operation() {
  const auto* handed = operations_.take([](const settings_app::PaneOperation& operation) {
    return std::holds_alternative<AudioOperation>(operation);
  });
  if (handed) operation_unwritten_ = true;
}

void AudioPane::hand_over(Document& document) {
  take_operation();
  const auto* in_hand = operations_.in_hand();
  if (!operation_unwritten_ || !in_hand) return;
  operation_unwritten_ = false;
  const AudioOperation& operation = std::get<AudioOperation>(in_hand->operation());
  written_key_.reset();
  const auto write = [&](std::string key, orvo_doc::ScalarValue value) {
    (void)document.put(object_, key, std::move(value));
    written_key_ = std::move(key);
  };
  const auto number = [](double value) { return orvo_doc::ScalarValue::f64(value); };
  const auto flag = [](bool value) { return orvo_doc::ScalarValue::boolean(value); };
  const auto text = [](std::string value) { return orvo_doc::ScalarValue::str(std::move(value)); };
  const auto route = [&](std::uint32_t stream_id, bool playback, std::optional<std::uint32_t> device_id,
                         std::string_view failure) {
    if (!find_stream(graph_, stream_id, playback)) {
      settled_ = PaneOutcome::failure(fmt::format("{}{}", failure, kStreamGone));
      return;
    }
    if (!device_id) {
      write(stream_sink_key(stream_id), text(std::string(actions::kDefaultRoute)));
    } else if (const AudioNode* node = find_node(graph_, *device_id, playback)) {
      write(stream_sink_key(stream_id), text(node->description));
    } else {
      settled_ = PaneOutcome::failure(fmt::format("{}{}", failure, kRouteGone));
      return;
    }
    settled_ = PaneOutcome::success("Audio stream route changed.");
  };
  constexpr std::string_view kRouteFailure = "Audio stream route could not be changed: ";
  std::visit(
      Overloaded{
          [&](const AudioOperation::SetOutputVolume& op) {
            write(std::string(kVolumeKey), number(op.value));
            settled_ = PaneOutcome::success(fmt::format("Output volume set to {}%.", percent_of(static_cast<float>(op.value))));
          },
          [&](const AudioOperation::SetOutputMuted& op) {
            write(std::string(kMutedKey), flag(op.muted));
            settled_ = PaneOutcome::success(on_off_sentence(op.muted));
          },
          [&](const AudioOperation::SetInputVolume& op) {
            write(std::string(kInputVolumeKey), number(op.value));
            settled_ = PaneOutcome::success(fmt::format("Input level set to {}%.", percent_of(static_cast<float>(op.value))));
          },
          [&](const AudioOperation::SetBalance& op) {
            if (!capabilities_.balance) {
              settled_ = PaneOutcome::failure(std::string(device_local::kBalanceUnavailable));
              return;
            }
            write(std::string(kBalanceKey), number(op.value));
            const float clamped = std::clamp(static_cast<float>(op.value), 0.0F, 1.0F);
            settled_ = PaneOutcome::success(fmt::format("Output balance set to {}%.", percent_of(clamped)));
          },
          [&](const AudioOperation::SetMono& op) {
            if (!capabilities_.mono_output) {
              settled_ = PaneOutcome::failure(std::string(device_local::kMonoUnavailable));
              return;
            }
            write(std::string(kMonoKey), flag(op.enabled));
            settled_ = PaneOutcome::success(op.enabled ? "Mono output enabled." : "Mono output disabled.");
          },
          [&](const AudioOperation::SetDeviceProfile& op) {
            constexpr std::string_view kFailure = "Audio device profile could not be changed: ";
            const auto* device = graph_.device_by_id(op.device_id);
            if (!device) {
              settled_ = PaneOutcome::failure(fmt::format("{}audio hardware is no longer available", kFailure));
              return;
            }
            const auto profile = std::find_if(device->profiles.begin(), device->profiles.end(),
                                              [&](const auto& p) { return p.index == op.profile_index && p.available; });
            if (profile == device->profiles.end()) {
              settled_ = PaneOutcome::failure(fmt::format("{}audio profile is no longer available", kFailure));
              return;
            }
            write(device_profile_key(op.device_id), text(profile->description));
            settled_ = PaneOutcome::success("Audio device profile changed.");
          },
          [&](const AudioOperation::RouteStream& op) { route(op.stream_id, op.playback, op.device_id, kRouteFailure); },
          [&](const AudioOperation::RoutePlayback& op) { route(op.stream_id, true, op.device_id, kRouteFailure); },
          [&](const AudioOperation::RouteRecording& op) { route(op.stream_id, false, op.device_id, kRouteFailure); },
          [&](const AudioOperation::SetStreamVolume& op) {
            if (!find_stream(graph_, op.stream_id, true) && !find_stream(graph_, op.stream_id, false)) {
              settled_ = PaneOutcome::failure(fmt::format("Audio stream volume could not be changed: {}", kStreamGone));
              return;
            }
            write(stream_volume_key(op.stream_id), number(op.value));
            settled_ = PaneOutcome::success("Audio stream volume changed.");
          },
          [&](const AudioOperation::SetStreamMuted& op) {
            if (!find_stream(graph_, op.stream_id, true) && !find_stream(graph_, op.stream_id, false)) {
              settled_ = PaneOutcome::failure(fmt::format("Audio stream mute could not be changed: {}", kStreamGone));
              return;
            }
            write(stream_muted_key(op.stream_id), flag(op.muted));
            settled_ = PaneOutcome::success("Audio stream mute changed.");
          },
          [&](const AudioOperation::ToggleDiagnostics&) {
            write(std::string(kAdvancedKey), flag(true));
            settled_ = PaneOutcome::success(diagnostics_shown_ ? "Speaker diagnostics shown." : "Speaker diagnostics hidden.");
          },
          [&](const AudioOperation::TestChannel& op) {
            write(std::string(op.left ? kTestLeftKey : kTestRightKey), flag(true));
            settled_ = PaneOutcome::failure(fmt::format("Could not test the {} speaker: the test did not start", op.left ? "left" : "right"));
          },
          [&](const AudioOperation::ToggleMicrophoneMeter&) {
            write(std::string(kMicTestKey), flag(true));
            settled_ = PaneOutcome::failure("Could not test the microphone: the test did not start");
          },
          [&](const AudioOperation::SelectOutput& op) {
            if (const AudioNode* sink = graph_.sink_by_id(op.device_id)) {
              write(std::string(kOutputDeviceKey), text(sink->description));
              settled_ = PaneOutcome::success("Audio output device changed.");
            } else {
              settled_ = PaneOutcome::failure("Output device could not be changed: audio output device is no longer available");
            }
          },
          [&](const AudioOperation::SelectInput& op) {
            if (const AudioNode* source = graph_.source_by_id(op.device_id)) {
              write(std::string(kInputDeviceKey), text(source->description));
              settled_ = PaneOutcome::success("Audio input device changed.");
            } else {
              settled_ = PaneOutcome::failure("Input device could not be changed: audio input device is no longer available");
            }
          },
      },
      static_cast<const AudioOperation::variant&>(operation));
  run_appliers(document);
}

void AudioPane::run_appliers(Document& document) {
  apply_volume_and_mute(document);
  apply_balance_and_mono(document);
  apply_diagnostics_and_tests(document);
  apply_default_devices(document);
  apply_streams_and_profiles(document);
}

}  // namespace settings::panes::sound
