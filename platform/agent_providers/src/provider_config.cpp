#include "agent_provider_config/provider_config.h"

#include <uuid/uuid.h>

#include <algorithm>
#include <cctype>
#include <utility>

#include "orvo_json/unknown_members.h"
#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/text.h"
#include "settings_store/settings_path.h"

namespace agent_provider_config {
namespace {

constexpr mode_t kConfigFileMode = 0600;
constexpr std::string_view kNoConfigDir = "no config dir";

std::string fresh_id(ProviderProtocol protocol) {
  uuid_t raw;
  uuid_generate_random(raw);
  char text[37];
  uuid_unparse_lower(raw, text);
  return std::string(protocol_id(protocol)) + "-" + text;
}

std::string_view public_endpoint(ProviderProtocol protocol) {
  return protocol == ProviderProtocol::Anthropic ? "https://api.anthropic.com" : "https://api.openai.com/v1";
}

bool is_blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

}  // namespace

ModelDescriptor ModelDescriptor::named(std::string id) {
  ModelDescriptor model;
  model.display_name = id;
  model.id = std::move(id);
  return model;
}

ProviderProfile ProviderProfile::hosted(ProviderProtocol protocol) {
  ProviderProfile profile;
  profile.id = fresh_id(protocol);
  profile.label = std::string(display_name(protocol));
  profile.endpoint = std::string(public_endpoint(protocol));
  profile.protocol = protocol;
  profile.enabled = true;
  profile.kind = ProviderKind::Hosted;
  return profile;
}

std::optional<ProviderProfile> ProviderProfile::local_vllm() {
  ProviderProfile profile;
  profile.id = std::string(kLocalVllmProviderId);
  profile.label = "This device";
  profile.endpoint = "http://127.0.0.1:8000/v1";
  profile.protocol = ProviderProtocol::OpenAiCompatible;
  profile.enabled = false;
  profile.kind = ProviderKind::ThisDevice;
  return profile;
}

bool ProviderProfile::is_local_vllm_candidate() const {
  return kind == ProviderKind::ThisDevice && id == kLocalVllmProviderId;
}

std::string ProviderProfile::display_label() const {
  if (!is_blank(label)) return label;
  return std::string(display_name(protocol));
}

std::optional<std::string> check_details(std::string_view label, std::string_view endpoint) {
  namespace text = orvo_runtime::text;
  const auto has_control = [](std::string_view value) {
    return text::drop_control_characters(value, text::ControlFilter::DropAll).size() != value.size();
  };
  if (!text::is_valid_utf8(label) || has_control(label)) {
    return std::string("the provider name must not hold control characters");
  }
  if (text::first_characters(label, kMaxLabelCharacters).size() != label.size()) {
    return "the provider name is longer than " + std::to_string(kMaxLabelCharacters) + " characters";
  }
  if (!text::is_valid_utf8(endpoint) || has_control(endpoint)) {
    return std::string("the endpoint must not hold control characters");
  }
  if (text::first_characters(endpoint, kMaxEndpointCharacters).size() != endpoint.size()) {
    return "the endpoint is longer than " + std::to_string(kMaxEndpointCharacters) + " characters";
  }
  const auto trimmed = text::trim_unicode_whitespace(endpoint);
  const auto scheme_end = trimmed.find("://");
  std::string scheme(trimmed.substr(0, scheme_end == std::string_view::npos ? 0 : scheme_end));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto host = scheme_end == std::string_view::npos ? std::string_view() : trimmed.substr(scheme_end + 3);
  if ((scheme != "http" && scheme != "https") || host.empty() || host.front() == '/') {
    return std::string("the endpoint must be an http:// or https:// address");
  }
  return std::nullopt;
}

bool ProviderProfile::has_model(std::string_view model_id) const {
  return std::any_of(models.begin(), models.end(), [&](const ModelDescriptor& m) { return m.id == model_id; });
}

std::optional<std::filesystem::path> ProviderConfig::path() {
  return settings_store::config_path(kProviderConfigFileName);
}

std::expected<ProviderConfig, std::string> ProviderConfig::try_load() {
  const auto file = path();
  if (!file) return std::unexpected(std::string(kNoConfigDir));
  auto bytes = atomic_file::read_existing(*file);
  if (!bytes) return std::unexpected("could not read provider settings: " + bytes.error());
  if (!bytes->has_value()) return ProviderConfig{};
  auto config = orvo_json::decode<ProviderConfig>(**bytes);
  if (!config) return std::unexpected("could not read provider settings: " + config.error().text());
  return std::move(*config);
}

ProviderConfig ProviderConfig::load() {
  auto config = try_load();
  if (config) return std::move(*config);
  orvo_log::warn("provider settings unavailable", {{"error", config.error()}});
  return {};
}

std::expected<void, std::string> ProviderConfig::save() const {
  const auto file = path();
  if (!file) return std::unexpected(std::string(kNoConfigDir));
  // Keys a newer version may have written are kept. (A change loads the file strictly first, so
  // one that cannot be read has stopped it already.)
  auto stored = atomic_file::read_existing(*file);
  const std::string_view existing = stored && stored->has_value() ? std::string_view(**stored) : std::string_view();
  const std::string text = orvo_json::encode_keeping_unknown(*this, existing);
  return atomic_file::write_creating_parent_with_mode(*file, text, kConfigFileMode);
}

std::vector<std::pair<std::string, std::string>> ProviderConfig::validation_errors() const {
  std::vector<std::pair<std::string, std::string>> errors;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ProviderProfile& profile = profiles[i];
    if (is_blank(profile.label)) errors.emplace_back(profile.id, "provider " + profile.id + " has no name");
    if (is_blank(profile.endpoint)) errors.emplace_back(profile.id, "provider " + profile.id + " has no endpoint");
    const auto first = std::find_if(profiles.begin(), profiles.end(),
                                    [&](const ProviderProfile& other) { return other.id == profile.id; });
    if (static_cast<std::size_t>(first - profiles.begin()) != i) {
      errors.emplace_back(profile.id, "provider id " + profile.id + " is used more than once");
    }
  }
  if (default_provider && find(*default_provider) == nullptr) {
    errors.emplace_back("", "the default provider " + *default_provider + " is not configured");
  }
  return errors;
}

ProviderProfile* ProviderConfig::find(std::string_view id) {
  for (auto& profile : profiles) {
    if (profile.id == id) return &profile;
  }
  return nullptr;
}

const ProviderProfile* ProviderConfig::find(std::string_view id) const {
  return const_cast<ProviderConfig*>(this)->find(id);
}

void ProviderConfig::upsert(ProviderProfile profile) {
  if (ProviderProfile* stored = find(profile.id)) {
    *stored = std::move(profile);
    return;
  }
  profiles.push_back(std::move(profile));
}

bool ProviderConfig::remove(std::string_view id) {
  const auto removed = std::erase_if(profiles, [&](const ProviderProfile& p) { return p.id == id; });
  if (removed > 0 && default_provider == id) default_provider.reset();
  return removed > 0;
}

}  // namespace agent_provider_config
