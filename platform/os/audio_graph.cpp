#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "media/audio.h"

namespace media::audio {
namespace {

using nlohmann::json;

const json* member(const json& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::optional<std::string> text(const json& object, std::string_view key) {
  const json* value = member(object, key);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

// Numbers in properties come as JSON numbers or as decimal strings, depending on who set them.
std::optional<std::uint32_t> number(const json& object, std::string_view key) {
  const json* value = member(object, key);
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto n = value->get<std::uint64_t>();
    if (n <= UINT32_MAX) return static_cast<std::uint32_t>(n);
    return std::nullopt;
  }
  if (value->is_number_integer()) {
    const auto n = value->get<std::int64_t>();
    if (n >= 0 && n <= UINT32_MAX) return static_cast<std::uint32_t>(n);
    return std::nullopt;
  }
  if (value->is_string()) {
    const auto& s = value->get_ref<const std::string&>();
    std::uint32_t n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec == std::errc{} && end == s.data() + s.size()) return n;
  }
  return std::nullopt;
}

std::optional<bool> flag(const json& object, std::string_view key) {
  const json* value = member(object, key);
  if (value == nullptr || !value->is_boolean()) return std::nullopt;
  return value->get<bool>();
}

// The first entry of a parameter list such as info.params.Props.
const json* first_param(const json& info, std::string_view name) {
  const json* params = member(info, "params");
  const json* list = params ? member(*params, name) : nullptr;
  if (list == nullptr || !list->is_array() || list->empty()) return nullptr;
  return &list->front();
}

std::optional<float> user_volume(const json& props) {
  const json* volumes = member(props, "channelVolumes");
  if (volumes == nullptr || !volumes->is_array() || volumes->empty()) return std::nullopt;
  double sum = 0;
  std::size_t count = 0;
  for (const auto& v : *volumes) {
    if (!v.is_number()) continue;
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < 0) continue;
    sum += d;
    ++count;
  }
  if (count == 0) return std::nullopt;
  // The server keeps linear gains; people hear (and sliders show) their cube root.
  return static_cast<float>(std::clamp(std::cbrt(sum / static_cast<double>(count)), 0.0, 1.0));
}

// The node name a "default" metadata entry points at; its value is a JSON object or its text.
std::optional<std::string> default_name(const json& entry) {
  const json* value = member(entry, "value");
  if (value == nullptr) return std::nullopt;
  if (value->is_string()) {
    const json parsed = json::parse(value->get_ref<const std::string&>(), nullptr, false);
    return text(parsed, "name");
  }
  return text(*value, "name");
}

struct Link {
  std::uint32_t from = 0;
  std::uint32_t to = 0;
};

}  // namespace

std::string AudioStream::label() const {
  if (media && !media->empty() && *media != application) return application + " · " + *media;
  return application;
}

const AudioNode* AudioGraph::sink_by_id(std::uint32_t id) const {
  const auto it = std::find_if(sinks.begin(), sinks.end(), [id](const AudioNode& n) { return n.id == id; });
  return it == sinks.end() ? nullptr : &*it;
}

const AudioNode* AudioGraph::source_by_id(std::uint32_t id) const {
  const auto it = std::find_if(sources.begin(), sources.end(), [id](const AudioNode& n) { return n.id == id; });
  return it == sources.end() ? nullptr : &*it;
}

const AudioDevice* AudioGraph::device_by_id(std::uint32_t id) const {
  const auto it = std::find_if(devices.begin(), devices.end(), [id](const AudioDevice& d) { return d.id == id; });
  return it == devices.end() ? nullptr : &*it;
}

const AudioNode* AudioGraph::default_sink() const {
  const auto it = std::find_if(sinks.begin(), sinks.end(), [](const AudioNode& n) { return n.is_default; });
  return it == sinks.end() ? nullptr : &*it;
}

const AudioNode* AudioGraph::default_source() const {
  const auto it = std::find_if(sources.begin(), sources.end(), [](const AudioNode& n) { return n.is_default; });
  return it == sources.end() ? nullptr : &*it;
}

std::string AudioGraph::topology_signature() const {
  std::string signature;
  for (const auto& n : sinks) signature += fmt::format("k{}:{}{};", n.id, n.description, n.is_default ? "*" : "");
  for (const auto& n : sources) signature += fmt::format("s{}:{}{};", n.id, n.description, n.is_default ? "*" : "");
  for (const auto& s : playback_streams) signature += fmt::format("p{}>{};", s.id, s.target_node.value_or(0));
  for (const auto& s : recording_streams) signature += fmt::format("r{}<{};", s.id, s.target_node.value_or(0));
  for (const auto& d : devices) {
    signature += fmt::format("d{}@{}/{}:", d.id, d.active_profile ? fmt::format("{}", *d.active_profile) : "-",
                             d.codec.value_or(""));
    for (const auto& p : d.profiles) signature += fmt::format("{}{},", p.index, p.available ? "+" : "-");
    signature += ';';
  }
  return signature;
}

std::expected<AudioGraph, std::string> parse_pw_dump(std::string_view text_in) {
  const json root = json::parse(text_in.begin(), text_in.end(), nullptr, false);
  if (root.is_discarded() || !root.is_array()) return std::unexpected("the audio graph listing is not a JSON array");

  AudioGraph graph;
  std::vector<Link> links;
  // Stream id to the target the user chose for it: a node's serial or its name.
  std::map<std::uint32_t, std::string> chosen_targets;
  // Device id to the codec its nodes play with.
  std::map<std::uint32_t, std::string> codecs;
  std::optional<std::string> default_sink_name;
  std::optional<std::string> default_source_name;

  for (const auto& object : root) {
    const auto type = text(object, "type");
    const auto id = number(object, "id");
    if (!type || !id) continue;
    if (*type == "PipeWire:Interface:Metadata") {
      const json* props = member(object, "props");
      if (props == nullptr || text(*props, "metadata.name") != "default") continue;
      const json* entries = member(object, "metadata");
      if (entries == nullptr || !entries->is_array()) continue;
      for (const auto& entry : *entries) {
        const auto key = text(entry, "key");
        if (key == "default.audio.sink") default_sink_name = default_name(entry);
        if (key == "default.audio.source") default_source_name = default_name(entry);
        if (key == "target.object") {
          const auto subject = number(entry, "subject");
          const json* value = member(entry, "value");
          if (!subject || value == nullptr) continue;
          if (value->is_string()) chosen_targets[*subject] = value->get<std::string>();
          if (value->is_number_unsigned()) chosen_targets[*subject] = std::to_string(value->get<std::uint64_t>());
        }
      }
      continue;
    }
    const json* info = member(object, "info");
    if (info == nullptr || !info->is_object()) continue;  // removed objects carry no info
    if (*type == "PipeWire:Interface:Link") {
      const auto from = number(*info, "output-node-id");
      const auto to = number(*info, "input-node-id");
      if (from && to) links.push_back({*from, *to});
      continue;
    }
    const json* props = member(*info, "props");
    if (props == nullptr || !props->is_object()) continue;

    if (*type == "PipeWire:Interface:Device") {
      if (text(*props, "media.class") != "Audio/Device") continue;
      AudioDevice device;
      device.id = *id;
      device.name = text(*props, "device.description").value_or(text(*props, "device.name").value_or(""));
      if (const json* active = first_param(*info, "Profile")) device.active_profile = number(*active, "index");
      if (const json* params = member(*info, "params")) {
        if (const json* profiles = member(*params, "EnumProfile"); profiles && profiles->is_array()) {
          for (const auto& p : *profiles) {
            const auto index = number(p, "index");
            if (!index) continue;
            DeviceProfile profile;
            profile.index = *index;
            profile.description = text(p, "description").value_or(text(p, "name").value_or(""));
            // "unknown" counts as usable: many cards cannot tell whether a jack is plugged in.
            profile.available = text(p, "available").value_or("unknown") != "no";
            device.profiles.push_back(std::move(profile));
          }
        }
      }
      graph.devices.push_back(std::move(device));
      continue;
    }
    if (*type != "PipeWire:Interface:Node") continue;

    const auto media_class = text(*props, "media.class").value_or("");
    if (media_class == "Audio/Sink" || media_class == "Audio/Source") {
      AudioNode node;
      node.id = *id;
      node.name = text(*props, "node.name").value_or("");
      node.description = text(*props, "node.description").value_or(text(*props, "node.nick").value_or(node.name));
      node.channels = number(*props, "audio.channels").value_or(0);
      node.routing_id = number(*props, "object.serial").value_or(*id);
      const auto device = number(*props, "device.id");
      const auto codec = text(*props, "api.bluez5.codec");
      if (device && codec && !codec->empty()) codecs[*device] = *codec;
      (media_class == "Audio/Sink" ? graph.sinks : graph.sources).push_back(std::move(node));
      continue;
    }
    const bool video_capture = media_class == "Stream/Input/Video";
    if (media_class == "Stream/Output/Audio" || media_class == "Stream/Input/Audio" || video_capture) {
      AudioStream stream;
      stream.id = *id;
      stream.playback = media_class == "Stream/Output/Audio";
      stream.application =
          text(*props, "application.name").value_or(text(*props, "node.name").value_or(fmt::format("Stream {}", *id)));
      stream.media = text(*props, "media.name");
      stream.running = text(*info, "state") == "running";
      if (const json* controls = first_param(*info, "Props")) {
        stream.volume = user_volume(*controls);
        stream.muted = flag(*controls, "mute").value_or(false);
      }
      if (video_capture) {
        graph.video_capture_streams.push_back(std::move(stream));
      } else {
        (stream.playback ? graph.playback_streams : graph.recording_streams).push_back(std::move(stream));
      }
    }
  }

  for (auto& stream : graph.playback_streams) {
    for (const auto& link : links) {
      if (link.from == stream.id) stream.target_node = link.to;
    }
  }
  for (auto& stream : graph.recording_streams) {
    for (const auto& link : links) {
      if (link.to == stream.id) stream.target_node = link.from;
    }
  }
  // A target the user chose names where the stream belongs even while the server has not (yet)
  // linked it there; a choice naming no node of the stream's direction is ignored.
  auto apply_choice = [&](std::vector<AudioStream>& streams, const std::vector<AudioNode>& nodes) {
    for (auto& stream : streams) {
      const auto chosen = chosen_targets.find(stream.id);
      if (chosen == chosen_targets.end()) continue;
      const auto node = std::find_if(nodes.begin(), nodes.end(), [&](const AudioNode& n) {
        return n.name == chosen->second || std::to_string(n.routing_id) == chosen->second;
      });
      if (node != nodes.end()) stream.target_node = node->id;
    }
  };
  apply_choice(graph.playback_streams, graph.sinks);
  apply_choice(graph.recording_streams, graph.sources);
  for (auto& device : graph.devices) {
    if (auto codec = codecs.find(device.id); codec != codecs.end()) device.codec = codec->second;
  }
  for (auto& node : graph.sinks) node.is_default = default_sink_name && node.name == *default_sink_name;
  for (auto& node : graph.sources) node.is_default = default_source_name && node.name == *default_source_name;
  return graph;
}

}  // namespace media::audio
