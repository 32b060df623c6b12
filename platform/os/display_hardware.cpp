#include "settings_store/display_hardware.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <system_error>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"
#include "sysfs.h"

namespace settings_store {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

// Reads the fields of one JSON object; the first problem is kept as a sentence.
class FieldReader {
 public:
  FieldReader(const json& object, std::string where, std::string& error)
      : object_(object), where_(std::move(where)), error_(error) {}

  template <typename T>
  void read(std::string_view key, T& out) {
    const auto it = object_.find(key);
    if (it == object_.end() || it->is_null() || !error_.empty()) return;
    if (!convert(*it, out)) error_ = fmt::format("{}: `{}` has the wrong type", where_, key);
  }

 private:
  static bool convert(const json& v, std::string& out) {
    if (!v.is_string()) return false;
    out = v.get<std::string>();
    return true;
  }
  static bool convert(const json& v, std::optional<std::string>& out) {
    std::string s;
    if (!convert(v, s)) return false;
    out = std::move(s);
    return true;
  }
  static bool convert(const json& v, bool& out) {
    if (!v.is_boolean()) return false;
    out = v.get<bool>();
    return true;
  }
  static bool convert(const json& v, std::uint32_t& out) {
    if (!v.is_number_unsigned() || v.get<std::uint64_t>() > UINT32_MAX) return false;
    out = static_cast<std::uint32_t>(v.get<std::uint64_t>());
    return true;
  }
  static bool convert(const json& v, OutputMode& out) {
    if (!v.is_object()) return false;
    for (const auto* key : {"width", "height", "refresh_mhz"}) {
      if (!v.contains(key)) return false;
    }
    return convert(v["width"], out.width) && convert(v["height"], out.height) &&
           convert(v["refresh_mhz"], out.refresh_mhz);
  }
  static bool convert(const json& v, std::optional<OutputMode>& out) {
    OutputMode mode;
    if (!convert(v, mode)) return false;
    out = mode;
    return true;
  }
  static bool convert(const json& v, std::vector<OutputMode>& out) {
    if (!v.is_array()) return false;
    for (const auto& item : v) {
      OutputMode mode;
      if (!convert(item, mode)) return false;
      out.push_back(mode);
    }
    return true;
  }
  static bool convert(const json& v, std::vector<std::string>& out) {
    if (!v.is_array()) return false;
    for (const auto& item : v) {
      if (!item.is_string()) return false;
      out.push_back(item.get<std::string>());
    }
    return true;
  }
  // An ordered object keeps the compositor's order of the profile map.
  static bool convert(const json& v, std::vector<std::pair<std::string, std::string>>& out) {
    if (!v.is_object()) return false;
    for (const auto& [key, value] : v.items()) {
      if (!value.is_string()) return false;
      out.emplace_back(key, value.get<std::string>());
    }
    return true;
  }

  const json& object_;
  std::string where_;
  std::string& error_;
};

bool is_built_in_connector(std::string_view connector) {
  return connector.starts_with("eDP") || connector.starts_with("LVDS") || connector.starts_with("DSI");
}

std::optional<OutputMode> parse_drm_mode(std::string_view line) {
  const auto x = line.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  OutputMode mode;
  const auto w = std::from_chars(line.data(), line.data() + x, mode.width);
  const auto h = std::from_chars(line.data() + x + 1, line.data() + line.size(), mode.height);
  if (w.ec != std::errc{} || w.ptr != line.data() + x || h.ec != std::errc{} || mode.width == 0 || mode.height == 0) {
    return std::nullopt;
  }
  return mode;
}

}  // namespace

const OutputDescriptor* DisplayHardwareSnapshot::output_by_connector(std::string_view connector) const {
  const auto it = std::find_if(outputs.begin(), outputs.end(),
                               [connector](const OutputDescriptor& o) { return o.connector == connector; });
  return it == outputs.end() ? nullptr : &*it;
}

fs::path DisplayHardwareSnapshot::path() { return system_paths::user_runtime_dir() / "orvo" / "display-hardware.json"; }

std::expected<DisplayHardwareSnapshot, std::string> DisplayHardwareSnapshot::parse(std::string_view text) {
  const auto root = json::parse(text.begin(), text.end(), nullptr, false);
  if (root.is_discarded() || !root.is_object()) return std::unexpected("display snapshot is not a JSON object");
  const auto outputs = root.find("outputs");
  if (outputs == root.end() || !outputs->is_array()) return std::unexpected("display snapshot has no `outputs` list");

  DisplayHardwareSnapshot snapshot;
  std::set<std::string> seen;
  std::size_t index = 0;
  for (const auto& item : *outputs) {
    ++index;
    const std::string where = fmt::format("display snapshot output {}", index);
    if (!item.is_object()) return std::unexpected(where + " is not an object");
    std::string error;
    FieldReader reader(item, where, error);
    OutputDescriptor output;
    reader.read("connector", output.connector);
    reader.read("display_name", output.display_name);
    reader.read("card", output.card);
    reader.read("modes", output.modes);
    reader.read("current_mode", output.current_mode);
    reader.read("color_profiles", output.color_profiles);
    reader.read("color_profile_names", output.color_profile_names);
    reader.read("connected", output.connected);
    reader.read("built_in", output.built_in);
    reader.read("hdr_available", output.hdr_available);
    reader.read("hdr_capable", output.hdr_capable);
    reader.read("vrr_available", output.vrr_available);
    reader.read("vrr_capable", output.vrr_capable);
    reader.read("hdr_note", output.hdr_note);
    reader.read("vrr_note", output.vrr_note);
    if (!error.empty()) return std::unexpected(error);
    if (output.connector.empty()) return std::unexpected(where + " has no connector");
    if (!seen.insert(output.connector).second) {
      return std::unexpected(fmt::format("display snapshot lists connector {} twice", output.connector));
    }
    snapshot.outputs.push_back(std::move(output));
  }
  return snapshot;
}

std::expected<DisplayHardwareSnapshot, std::string> DisplayHardwareSnapshot::from_drm() {
  const auto drm = system_paths::sys() / "class" / "drm";
  std::error_code ec;
  std::vector<fs::path> connectors;
  for (const auto& entry : fs::directory_iterator(drm, ec)) {
    const auto name = entry.path().filename().string();
    // Connector entries are named "card<N>-<connector>"; "card0" itself and render nodes are not.
    if (name.starts_with("card") && name.find('-') != std::string::npos) connectors.push_back(entry.path());
  }
  if (ec) return std::unexpected("no display snapshot and no DRM devices to read outputs from");
  std::sort(connectors.begin(), connectors.end());

  DisplayHardwareSnapshot snapshot;
  std::set<std::string> cards;
  for (const auto& dir : connectors) {
    if (os_actions::sysfs::read_trimmed(dir / "status") != "connected") continue;
    const auto name = dir.filename().string();
    const auto dash = name.find('-');
    OutputDescriptor output;
    output.card = name.substr(0, dash);
    output.connector = name.substr(dash + 1);
    output.built_in = is_built_in_connector(output.connector);
    cards.insert(*output.card);
    if (const auto modes = os_actions::sysfs::read_trimmed(dir / "modes")) {
      std::string_view rest = *modes;
      while (!rest.empty()) {
        const auto newline = rest.find('\n');
        if (auto mode = parse_drm_mode(rest.substr(0, newline));
            mode && std::find(output.modes.begin(), output.modes.end(), *mode) == output.modes.end()) {
          output.modes.push_back(*mode);
        }
        if (newline == std::string_view::npos) break;
        rest.remove_prefix(newline + 1);
      }
    }
    snapshot.outputs.push_back(std::move(output));
  }
  if (cards.size() <= 1) {
    for (auto& output : snapshot.outputs) output.card.reset();
  }
  return snapshot;
}

std::expected<DisplayHardwareSnapshot, std::string> DisplayHardwareSnapshot::load() {
  auto text = atomic_file::read_existing(path());
  if (!text) return std::unexpected(text.error());
  if (!text->has_value()) return from_drm();
  return parse(**text);
}

}  // namespace settings_store
