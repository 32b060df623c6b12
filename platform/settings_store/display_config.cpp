#include "settings_store/display_config.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <fmt/format.h>

#include "orvo_json/json.h"
#include "orvo_runtime/atomic_file.h"
#include "settings_store/settings_path.h"

namespace settings_store::hardware {
namespace {

constexpr mode_t kConfigMode = 0600;

struct DebugForm {
  std::string operator()(const display_error::NoEnabledOutput&) const { return "NoEnabledOutput"; }
  std::string operator()(const display_error::MultiplePrimary&) const { return "MultiplePrimary"; }
  std::string operator()(const display_error::UnknownMirrorTarget& e) const {
    return pair("UnknownMirrorTarget", e.output, e.target);
  }
  std::string operator()(const display_error::MirrorCycle& e) const { return single("MirrorCycle", e.output); }
  std::string operator()(const display_error::IncompatibleMirrorModes& e) const {
    return pair("IncompatibleMirrorModes", e.output, e.target);
  }
  std::string operator()(const display_error::UnsupportedMode& e) const { return single("UnsupportedMode", e.output); }
  std::string operator()(const display_error::InvalidScale& e) const { return single("InvalidScale", e.output); }
  std::string operator()(const display_error::UnsupportedHdr& e) const { return single("UnsupportedHdr", e.output); }
  std::string operator()(const display_error::UnsupportedVrr& e) const { return single("UnsupportedVrr", e.output); }
  std::string operator()(const display_error::UnsupportedColorProfile& e) const {
    return single("UnsupportedColorProfile", e.output);
  }

  static std::string quoted(const std::string& text) { return orvo_json::encode(text); }
  static std::string single(std::string_view name, const std::string& output) {
    return fmt::format("{} {{ output: {} }}", name, quoted(output));
  }
  static std::string pair(std::string_view name, const std::string& output, const std::string& target) {
    return fmt::format("{} {{ output: {}, target: {} }}", name, quoted(output), quoted(target));
  }
};

bool same_size(const OutputMode& a, const OutputMode& b) { return a.width == b.width && a.height == b.height; }

}  // namespace

std::string debug_string(const DisplayValidationError& error) { return std::visit(DebugForm{}, error); }

std::optional<std::filesystem::path> DisplayConfig::path() { return config_path("display/config.json"); }

std::expected<DisplayConfig, std::string> DisplayConfig::load() {
  const auto file = path();
  if (!file) return DisplayConfig{};
  const auto text = atomic_file::read_existing(*file);
  if (!text) return std::unexpected(fmt::format("could not read the display configuration: {}", text.error()));
  if (!*text) return DisplayConfig{};
  return parse(**text);
}

std::expected<DisplayConfig, std::string> DisplayConfig::parse(std::string_view json) {
  auto outputs = orvo_json::decode<std::map<std::string, OutputSettings>>(json);
  if (!outputs) return std::unexpected(fmt::format("the display configuration is damaged: {}", outputs.error().text()));
  return DisplayConfig{std::move(*outputs)};
}

std::string DisplayConfig::to_json() const { return orvo_json::encode(outputs); }

std::expected<void, std::string> DisplayConfig::save() const {
  const auto file = path();
  if (!file) return std::unexpected("no configuration directory is known for the display configuration");
  return atomic_file::write_creating_parent_with_mode(*file, to_json(), kConfigMode);
}

std::expected<void, DisplayValidationError> DisplayConfig::validate_for(
    const std::vector<OutputCapabilities>& connected) const {
  const auto settings_of = [this](const std::string& connector) {
    const auto it = outputs.find(connector);
    return it == outputs.end() ? OutputSettings{} : it->second;
  };
  const auto capabilities_of = [&connected](const std::string& connector) -> const OutputCapabilities* {
    const auto it = std::find_if(connected.begin(), connected.end(),
                                 [&connector](const OutputCapabilities& c) { return c.connector == connector; });
    return it == connected.end() ? nullptr : &*it;
  };

  // Connector order, whatever order the outputs were listed in.
  std::vector<const OutputCapabilities*> ordered;
  for (const auto& output : connected) ordered.push_back(&output);
  std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->connector < b->connector; });

  if (std::none_of(ordered.begin(), ordered.end(), [&](auto* c) { return settings_of(c->connector).enabled; })) {
    return std::unexpected(display_error::NoEnabledOutput{});
  }
  if (std::count_if(ordered.begin(), ordered.end(), [&](auto* c) { return settings_of(c->connector).primary; }) > 1) {
    return std::unexpected(display_error::MultiplePrimary{});
  }

  for (const auto* output : ordered) {
    const auto& name = output->connector;
    const auto settings = settings_of(name);
    if (settings.mirror) {
      if (*settings.mirror != name && !capabilities_of(*settings.mirror)) {
        return std::unexpected(display_error::UnknownMirrorTarget{name, *settings.mirror});
      }
      // Follow the chain of mirrors; coming back to an output already seen is a cycle.
      std::set<std::string> seen{name};
      for (auto next = settings.mirror; next; next = settings_of(*next).mirror) {
        if (!seen.insert(*next).second) return std::unexpected(display_error::MirrorCycle{name});
        if (!capabilities_of(*next)) break;
      }
      const auto target_mode = settings_of(*settings.mirror).mode;
      if (settings.mode && target_mode && !same_size(*settings.mode, *target_mode)) {
        return std::unexpected(display_error::IncompatibleMirrorModes{name, *settings.mirror});
      }
    }
    if (settings.mode && std::find(output->modes.begin(), output->modes.end(), *settings.mode) == output->modes.end()) {
      return std::unexpected(display_error::UnsupportedMode{name});
    }
    if (!std::isfinite(settings.scale) || settings.scale < kMinScale || settings.scale > kMaxScale) {
      return std::unexpected(display_error::InvalidScale{name});
    }
    if (settings.hdr && !output->hdr_capable) return std::unexpected(display_error::UnsupportedHdr{name});
    if (settings.vrr && !output->vrr_capable) return std::unexpected(display_error::UnsupportedVrr{name});
    if (settings.color_profile &&
        std::find(output->color_profiles.begin(), output->color_profiles.end(), *settings.color_profile) ==
            output->color_profiles.end()) {
      return std::unexpected(display_error::UnsupportedColorProfile{name});
    }
  }
  return {};
}

}  // namespace settings_store::hardware
