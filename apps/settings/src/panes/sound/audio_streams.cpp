// The appliers of the per-application streams (route, volume, mute) and of device profiles.
#include <algorithm>
#include <fmt/format.h>

#include "actions/audio_handlers.h"
#include "orvo_log/log.h"
#include "panes/sound/audio_document.h"
#include "panes/sound/audio_pane.h"

namespace settings::panes::sound {

namespace {

using media::audio::AudioNode;
using media::audio::AudioStream;

void warn_stream(std::string_view message, std::string_view op, std::uint32_t stream_id, const std::string& error) {
  orvo_log::warn(message, {{"op", std::string(op)}, {"stream", std::to_string(stream_id)}, {"error", error}});
}

}  // namespace

void AudioPane::apply_streams_and_profiles(Document& document) {
  std::vector<AudioStream> streams = graph_.playback_streams;
  streams.insert(streams.end(), graph_.recording_streams.begin(), graph_.recording_streams.end());
  // Streams the pass has not adopted yet (a pane without a document) are adopted here.
  adopt_streams(document);
  for (const AudioStream& stream : streams) apply_stream(document, stream);
  for (const auto& device : graph_.devices) apply_device_profile(document, device);
}

void AudioPane::apply_stream(Document& document, const AudioStream& stream) {
  const std::uint32_t id = stream.id;
  const std::string sink_key = stream_sink_key(id);
  if (auto route = read_text(document, sink_key)) {
    const auto applied = applied_routes_.find(id);
    if (applied == applied_routes_.end() || applied->second != *route) {
      const auto write_back = [&] {
        if (applied != applied_routes_.end()) put_text(document, sink_key, applied->second);
      };
      const auto& nodes = stream.playback ? graph_.sinks : graph_.sources;
      std::optional<std::uint32_t> target;
      if (*route != actions::kDefaultRoute) {
        const auto found = std::find_if(nodes.begin(), nodes.end(), [&](const AudioNode& n) { return n.description == *route; });
        if (found != nodes.end()) target = found->id;
      }
      if (!operation_is_current(sink_key)) {
        write_back();
      } else {
        media::audio::ControlResult done;
        if (!target) {
          done = services_.graph_control->unroute_stream(id);
        } else if (const AudioNode* node = stream.playback ? graph_.sink_by_id(*target) : graph_.source_by_id(*target)) {
          done = services_.graph_control->route_stream(id, node->routing_id);
        } else {
          done = std::unexpected(std::string("audio route is no longer available"));
        }
        if (done) {
          applied_routes_[id] = *route;
          finish_operation(PaneOutcome::success("Audio stream route changed."));
        } else {
          write_back();
          warn_stream("audio pane stream route failed", "route_stream", id, done.error());
          finish_operation(PaneOutcome::failure(fmt::format("Audio stream route could not be changed: {}", done.error())));
        }
      }
    }
  }

  const std::string volume_key = stream_volume_key(id);
  if (auto read = read_number(document, volume_key)) {
    const auto value = static_cast<float>(*read);
    const auto applied = applied_stream_volumes_.find(id);
    if (applied != applied_stream_volumes_.end() && levels_differ(value, applied->second)) {
      if (!operation_is_current(volume_key)) {
        put_number(document, volume_key, applied->second);
      } else if (auto done = services_.graph_control->set_node_volume(id, std::clamp(value, 0.0F, 1.0F))) {
        applied->second = value;
        finish_operation(PaneOutcome::success("Audio stream volume changed."));
      } else {
        put_number(document, volume_key, applied->second);
        warn_stream("audio pane stream volume failed", "stream_volume", id, done.error());
        finish_operation(PaneOutcome::failure(fmt::format("Audio stream volume could not be changed: {}", done.error())));
      }
    }
  }

  const std::string muted_key = stream_muted_key(id);
  if (auto muted = read_flag(document, muted_key)) {
    const auto applied = applied_stream_mutes_.find(id);
    if (applied == applied_stream_mutes_.end() || applied->second != *muted) {
      const auto write_back = [&] {
        if (applied != applied_stream_mutes_.end()) put_flag(document, muted_key, applied->second);
      };
      if (!operation_is_current(muted_key)) {
        write_back();
      } else if (auto done = services_.graph_control->set_node_mute(id, *muted)) {
        applied_stream_mutes_[id] = *muted;
        finish_operation(PaneOutcome::success("Audio stream mute changed."));
      } else {
        write_back();
        warn_stream("audio pane stream mute failed", "stream_mute", id, done.error());
        finish_operation(PaneOutcome::failure(fmt::format("Audio stream mute could not be changed: {}", done.error())));
      }
    }
  }
}

void AudioPane::apply_device_profile(Document& document, const media::audio::AudioDevice& device) {
  const std::string key = device_profile_key(device.id);
  auto wanted = read_text(document, key);
  if (!wanted) return;
  const auto applied = applied_profiles_.find(device.id);
  if (applied != applied_profiles_.end() && applied->second == *wanted) return;
  const auto profile = std::find_if(device.profiles.begin(), device.profiles.end(),
                                    [&](const auto& p) { return p.available && p.description == *wanted; });
  if (profile == device.profiles.end()) return;
  const auto write_back = [&] {
    if (applied != applied_profiles_.end()) put_text(document, key, applied->second);
  };
  if (!operation_is_current(key)) {
    write_back();
    return;
  }
  if (auto done = services_.graph_control->set_device_profile(device.id, profile->index); done) {
    applied_profiles_[device.id] = *wanted;
    finish_operation(PaneOutcome::success("Audio device profile changed."));
  } else {
    write_back();
    set_message(fmt::format("Device profile could not be changed: {}", done.error()));
    orvo_log::warn("audio profile change failed",
                   {{"op", "set_device_profile"}, {"device", std::to_string(device.id)}, {"error", done.error()}});
    finish_operation(PaneOutcome::failure(fmt::format("Audio device profile could not be changed: {}", done.error())));
  }
}

}  // namespace settings::panes::sound
