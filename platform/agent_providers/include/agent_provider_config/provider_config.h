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
#include <utility>
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

// Where another program keeps the provider's credential: a vault and the entry's name in it.
struct SecretReference {
  std::string vault;
  std::string name;
  bool operator==(const SecretReference&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<SecretReference>) {
  return orvo_json::record<SecretReference>("SecretReference", orvo_json::field("vault", &SecretReference::vault),
                                            orvo_json::field("name", &SecretReference::name));
}

// The longest name and endpoint a change keeps: a name is a few words, an endpoint one URL.
inline constexpr std::size_t kMaxLabelCharacters = 256;
inline constexpr std::size_t kMaxEndpointCharacters = 2048;

// Why a typed name and endpoint cannot be kept (a sentence), or none. They are kept as typed, but
// within the limits above, without control characters, and the endpoint only as an http or https
// URL with a host: the provider's key is sent there.
std::optional<std::string> check_details(std::string_view label, std::string_view endpoint);

// The id of the profile that stands for the model server of this device.
inline constexpr std::string_view kLocalVllmProviderId = "local-vllm";

struct ProviderProfile {
  std::string id;        // unique in the configuration
  std::string label;     // the provider's name as shown
  std::string endpoint;  // the API base URL
  std::vector<ModelDescriptor> models;
  std::optional<std::string> model;  // the default model's id
  ProviderProtocol protocol = ProviderProtocol::OpenAiCompatible;
  bool enabled = true;
  ProviderKind kind = ProviderKind::Hosted;
  std::optional<SecretReference> secret;  // kept as stored; written only when set

  // A new hosted provider of the protocol with the protocol's public endpoint, no models and a
  // fresh id of its own, so that adding a second provider of one protocol never replaces the first.
  static ProviderProfile hosted(ProviderProtocol protocol);

  // A profile for this device's model server, disabled, with no models: the local model
  // synchronisation fills it in. None is reserved for a build without a local model server.
  static std::optional<ProviderProfile> local_vllm();

  bool has_model(std::string_view model_id) const;
  // The profile that stands for this device's model server: kind this device and our fixed id.
  bool is_local_vllm_candidate() const;
  // The profile's own name, or the protocol's when it has none (or only white space).
  std::string display_label() const;

  bool operator==(const ProviderProfile&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<ProviderProfile>) {
  using orvo_json::defaulted_field;
  return orvo_json::record<ProviderProfile>(
      "ProviderProfile", orvo_json::field("id", &ProviderProfile::id),
      defaulted_field("label", &ProviderProfile::label), defaulted_field("endpoint", &ProviderProfile::endpoint),
      defaulted_field("models", &ProviderProfile::models), defaulted_field("model", &ProviderProfile::model),
      defaulted_field("protocol", &ProviderProfile::protocol), defaulted_field("enabled", &ProviderProfile::enabled),
      defaulted_field("kind", &ProviderProfile::kind),
      orvo_json::omitted_when_none_field("secret", &ProviderProfile::secret));
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

  // What a user should mend: pairs of the provider id (empty for the whole file) and a sentence.
  // A blank name or endpoint, an id used twice, a default that names no provider.
  std::vector<std::pair<std::string, std::string>> validation_errors() const;

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
