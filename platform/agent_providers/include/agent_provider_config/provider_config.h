#pragma once
// The desktop's list of model providers, shared by every program that reaches a language model:
// "agent-providers.json" in the Orvo configuration directory. Settings changes it by load, change,
// save; nothing is cached between changes.
//
// Reading: a missing file is the empty configuration. A file that exists but cannot be read or
// decoded is an error for `try_load`, so that a change never starts from an empty list and
// overwrites every provider; `load` is for display and gives the empty configuration instead.
// Writing is atomic: a failed save leaves the file as it was.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "agent_provider_config/provider_protocol.h"
#include "orvo_json/json.h"

namespace agent_provider_config {

// Where a provider runs.
enum class ProviderKind : std::uint8_t { Hosted = 0, ThisDevice = 1, PrivateNetwork = 2 };

constexpr auto describe_json(orvo_json::Tag<ProviderKind>) {
  return orvo_json::unit_enum<ProviderKind>("ProviderKind", {{"hosted", ProviderKind::Hosted},
                                                             {"this-device", ProviderKind::ThisDevice},
                                                             {"private-network", ProviderKind::PrivateNetwork}});
}

// One model a provider offers.
struct ModelDescriptor {
  std::string id;
  std::string display_name;
  std::optional<std::string> revision;
  std::uint32_t context_window = 0;  // tokens; 0 when unknown
  bool vision = false;
  bool face_recognition = false;
  bool available = true;

  // A model known only by its id: the id is also its display name.
  static ModelDescriptor named(std::string id);

  bool operator==(const ModelDescriptor&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<ModelDescriptor>) {
  using orvo_json::defaulted_field;
  return orvo_json::record<ModelDescriptor>(
      "ModelDescriptor", orvo_json::field("id", &ModelDescriptor::id),
      defaulted_field("display_name", &ModelDescriptor::display_name),
      defaulted_field("revision", &ModelDescriptor::revision),
      defaulted_field("context_window", &ModelDescriptor::context_window),
      defaulted_field("vision", &ModelDescriptor::vision),
      defaulted_field("face_recognition", &ModelDescriptor::face_recognition),
      defaulted_field("available", &ModelDescriptor::available));
}

struct ProviderProfile {
  std::string id;        // unique in the configuration
  std::string label;     // the provider's name as shown
  std::string endpoint;  // the API base URL
  std::vector<ModelDescriptor> models;
  std::optional<std::string> model;  // the default model's id
  ProviderProtocol protocol = ProviderProtocol::OpenAiCompatible;
  bool enabled = true;
  ProviderKind kind = ProviderKind::Hosted;

  // A new hosted provider of the protocol with the protocol's public endpoint, no models and a
  // fresh id of its own, so that adding a second provider of one protocol never replaces the first.
  static ProviderProfile hosted(ProviderProtocol protocol);

  bool has_model(std::string_view model_id) const;

  bool operator==(const ProviderProfile&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<ProviderProfile>) {
  using orvo_json::defaulted_field;
  return orvo_json::record<ProviderProfile>(
      "ProviderProfile", orvo_json::field("id", &ProviderProfile::id),
      defaulted_field("label", &ProviderProfile::label), defaulted_field("endpoint", &ProviderProfile::endpoint),
      defaulted_field("models", &ProviderProfile::models), defaulted_field("model", &ProviderProfile::model),
      defaulted_field("protocol", &ProviderProfile::protocol), defaulted_field("enabled", &ProviderProfile::enabled),
      defaulted_field("kind", &ProviderProfile::kind));
}

struct ProviderConfig {
  std::optional<std::string> default_provider;
  std::vector<ProviderProfile> profiles;

  // The configuration file's path; none without a configuration directory.
  static std::optional<std::filesystem::path> path();

  // The stored configuration, or the error that stops a change: "no config dir", or
  // "could not read provider settings: " and the reason.
  static std::expected<ProviderConfig, std::string> try_load();
  // The stored configuration; empty when there is none or it cannot be read (logged).
  static ProviderConfig load();
  // Writes the whole configuration atomically; "no config dir" or the write's error.
  std::expected<void, std::string> save() const;

  // The first profile with the id.
  ProviderProfile* find(std::string_view id);
  const ProviderProfile* find(std::string_view id) const;
  // Replaces the profile with the same id, or appends it.
  void upsert(ProviderProfile profile);
  // Removes every profile with the id (and the default when it named it); tells whether one was there.
  bool remove(std::string_view id);

  bool operator==(const ProviderConfig&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<ProviderConfig>) {
  return orvo_json::record<ProviderConfig>("ProviderConfig",
                                           orvo_json::defaulted_field("default_provider", &ProviderConfig::default_provider),
                                           orvo_json::defaulted_field("profiles", &ProviderConfig::profiles));
}

inline constexpr std::string_view kProviderConfigFileName = "agent-providers.json";

}  // namespace agent_provider_config
