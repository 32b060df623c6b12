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
  using media::audio::ControlResult;
  const std::uint32_t id = stream.id;
  const std::string sink_key = stream_sink_key(id);
  // A value written back is the applied one as the answer finds it (the stream may have left).
  const auto route_back = [id, sink_key](AudioPane& pane, Document& document) {
    if (auto applied = pane.applied_routes_.find(id); applied != pane.applied_routes_.end()) put_text(document, sink_key, applied->second);
  };
  if (auto route = read_text(document, sink_key)) {
    const auto applied = applied_routes_.find(id);
    if (applied == applied_routes_.end() || applied->second != *route) {
      const auto& nodes = stream.playback ? graph_.sinks : graph_.sources;
      std::optional<std::uint32_t> target;
      if (*route != actions::kDefaultRoute) {
        const auto found = std::find_if(nodes.begin(), nodes.end(), [&](const AudioNode& n) { return n.description == *route; });
        if (found != nodes.end()) target = found->id;
      }
      if (!operation_is_current(sink_key)) {
        route_back(*this, document);
      } else {
        std::function<ControlResult()> call;
        const AudioNode* node = target ? (stream.playback ? graph_.sink_by_id(*target) : graph_.source_by_id(*target)) : nullptr;
        if (!target) {
          call = [control = services_.graph_control, id] { return control->unroute_stream(id); };
        } else if (node) {
          call = [control = services_.graph_control, id, routing = node->routing_id] { return control->route_stream(id, routing); };
        } else {
          call = [] { return ControlResult(std::unexpected(std::string("audio route is no longer available"))); };
        }
        start_change(document, std::move(call), [id, route = *route, route_back](AudioPane& pane, Document& document, const ControlResult& done) {
          if (done) {
            pane.applied_routes_[id] = route;
            pane.finish_operation(PaneOutcome::success("Audio stream route changed."));
            return;
          }
          route_back(pane, document);
          warn_stream("audio pane stream route failed", "route_stream", id, done.error());
          pane.finish_operation(PaneOutcome::failure(fmt::format("Audio stream route could not be changed: {}", done.error())));
        });
      }
    }
  }

  const std::string volume_key = stream_volume_key(id);
  const auto volume_back = [id, volume_key](AudioPane& pane, Document& document) {
    if (auto applied = pane.applied_stream_volumes_.find(id); applied != pane.applied_stream_volumes_.end()) {
      put_number(document, volume_key, applied->second);
    }
  };
  if (auto read = read_number(document, volume_key)) {
    const auto value = static_cast<float>(*read);
    const auto applied = applied_stream_volumes_.find(id);
    if (applied != applied_stream_volumes_.end() && levels_differ(value, applied->second)) {
      if (!operation_is_current(volume_key)) {
        volume_back(*this, document);
      } else {
        start_change(
            document,
            [control = services_.graph_control, id, level = std::clamp(value, 0.0F, 1.0F)] { return control->set_node_volume(id, level); },
            [id, value, volume_back](AudioPane& pane, Document& document, const ControlResult& done) {
              if (done) {
                pane.applied_stream_volumes_[id] = value;
                pane.finish_operation(PaneOutcome::success("Audio stream volume changed."));
                return;
              }
              volume_back(pane, document);
              warn_stream("audio pane stream volume failed", "stream_volume", id, done.error());
              pane.finish_operation(PaneOutcome::failure(fmt::format("Audio stream volume could not be changed: {}", done.error())));
            });
      }
    }
  }

  const std::string muted_key = stream_muted_key(id);
  const auto mute_back = [id, muted_key](AudioPane& pane, Document& document) {
    if (auto applied = pane.applied_stream_mutes_.find(id); applied != pane.applied_stream_mutes_.end()) {
      put_flag(document, muted_key, applied->second);
    }
  };
  if (auto muted = read_flag(document, muted_key)) {
    const auto applied = applied_stream_mutes_.find(id);
    if (applied == applied_stream_mutes_.end() || applied->second != *muted) {
      if (!operation_is_current(muted_key)) {
        mute_back(*this, document);
      } else {
        start_change(
            document, [control = services_.graph_control, id, flag = *muted] { return control->set_node_mute(id, flag); },
            [id, flag = *muted, mute_back](AudioPane& pane, Document& document, const ControlResult& done) {
              if (done) {
                pane.applied_stream_mutes_[id] = flag;
                pane.finish_operation(PaneOutcome::success("Audio stream mute changed."));
                return;
              }
              mute_back(pane, document);
              warn_stream("audio pane stream mute failed", "stream_mute", id, done.error());
              pane.finish_operation(PaneOutcome::failure(fmt::format("Audio stream mute could not be changed: {}", done.error())));
            });
      }
    }
  }
}

void AudioPane::apply_device_profile(Document& document, const media::audio::AudioDevice& device) {
  const std::uint32_t id = device.id;
  const std::string key = device_profile_key(id);
  auto wanted = read_text(document, key);
  if (!wanted) return;
  const auto applied = applied_profiles_.find(id);
  if (applied != applied_profiles_.end() && applied->second == *wanted) return;
  const auto profile = std::find_if(device.profiles.begin(), device.profiles.end(),
                                    [&](const auto& p) { return p.available && p.description == *wanted; });
  if (profile == device.profiles.end()) return;
  const auto profile_back = [id, key](AudioPane& pane, Document& document) {
    if (auto applied = pane.applied_profiles_.find(id); applied != pane.applied_profiles_.end()) put_text(document, key, applied->second);
  };
  if (!operation_is_current(key)) {
    profile_back(*this, document);
    return;
  }
  start_change(
      document, [control = services_.graph_control, id, index = profile->index] { return control->set_device_profile(id, index); },
      [id, wanted = *wanted, profile_back](AudioPane& pane, Document& document, const media::audio::ControlResult& done) {
        if (done) {
          pane.applied_profiles_[id] = wanted;
          pane.finish_operation(PaneOutcome::success("Audio device profile changed."));
          return;
        }
        profile_back(pane, document);
        pane.set_message(fmt::format("Device profile could not be changed: {}", done.error()));
        orvo_log::warn("audio profile change failed",
                       {{"op", "set_device_profile"}, {"device", std::to_string(id)}, {"error", done.error()}});
        pane.finish_operation(PaneOutcome::failure(fmt::format("Audio device profile could not be changed: {}", done.error())));
      });
}

}  // namespace settings::panes::sound
