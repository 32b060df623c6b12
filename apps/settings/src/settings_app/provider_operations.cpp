// Model-provider configuration changes: each one loads the configuration file, changes it and
// saves it whole; an operation that fails saves nothing.
#include <expected>
#include <string>
#include <utility>

#include "account_probe/account_check.h"
#include "actions/operation_payload.h"
#include "agent_provider_config/provider_config.h"
#include "orvo_model_gateway/api_keys.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
namespace {

using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderProfile;
using Applied = std::expected<void, std::string>;

namespace op = actions::agent_provider_operation;

constexpr std::string_view kProviderGone = "provider is no longer available";

bool blank(std::string_view text) { return account_probe::trim_unicode_whitespace(text).empty(); }

std::expected<ProviderProfile*, std::string> find_profile(ProviderConfig& config, std::string_view id) {
  if (ProviderProfile* profile = config.find(id)) return profile;
  return std::unexpected(std::string(kProviderGone));
}

struct ApplyToConfig {
  ProviderConfig& config;

  Applied operator()(const op::Add& add) const {
    auto protocol = agent_provider_config::parse_provider_protocol(add.protocol);
    if (!protocol) return std::unexpected(protocol.error());
    config.upsert(ProviderProfile::hosted(*protocol));
    return {};
  }

  Applied operator()(const op::SetProtocol& set) const {
    auto profile = find_profile(config, set.id);
    if (!profile) return std::unexpected(profile.error());
    auto protocol = agent_provider_config::parse_provider_protocol(set.protocol);
    if (!protocol) return std::unexpected(protocol.error());
    (*profile)->protocol = *protocol;
    return {};
  }

  Applied operator()(const op::SetEnabled& set) const {
    auto profile = find_profile(config, set.id);
    if (!profile) return std::unexpected(profile.error());
    (*profile)->enabled = set.enabled;
    return {};
  }

  // The key goes first: a profile whose key could not be deleted stays, so the user can retry.
  Applied operator()(const op::Remove& remove) const {
    if (auto profile = find_profile(config, remove.id); !profile) return std::unexpected(profile.error());
    if (auto removed = orvo_model_gateway::remove_api_key(remove.id); !removed) {
      return std::unexpected("provider vault key was not removed: " + removed.error());
    }
    config.remove(remove.id);
    return {};
  }

  Applied operator()(const op::SetDefault& set) const {
    for (const ProviderProfile& profile : config.profiles) {
      if (profile.id == set.id && profile.enabled && profile.model) {
        config.default_provider = profile.id;
        return {};
      }
    }
    return std::unexpected(std::string("provider cannot currently be selected as default"));
  }

  Applied operator()(const op::SetDetails& set) const {
    if (blank(set.label) || blank(set.endpoint)) {
      return std::unexpected(std::string("provider name and endpoint are required"));
    }
    if (auto refused = agent_provider_config::check_details(set.label, set.endpoint)) {
      return std::unexpected(std::move(*refused));
    }
    auto found = find_profile(config, set.id);
    if (!found) return std::unexpected(found.error());
    ProviderProfile& profile = **found;
    profile.label = set.label;
    profile.endpoint = set.endpoint;
    if (set.model && !blank(*set.model)) {
      if (!profile.has_model(*set.model)) {
        profile.models.push_back(agent_provider_config::ModelDescriptor::named(*set.model));
      }
      profile.model = *set.model;
    }
    return {};
  }
};

}  // namespace

orvo_ui::InvokeAnswer SettingsApp::invoke_provider_operation(orvo_ui::OperationClass cls, std::string_view payload) {
  if (cls != orvo_ui::OperationClass::Effect) {
    return orvo_ui::InvokeError{"provider configuration requires an effect operation"};
  }
  auto operation = actions::decode_payload<actions::AgentProviderOperation>(payload);
  if (!operation) return orvo_ui::InvokeError{operation.error().text()};

  // A file that cannot be read stops the change: starting from an empty list would save over it.
  auto config = ProviderConfig::try_load();
  if (!config) return orvo_ui::InvokeError{config.error()};
  const Applied applied =
      std::visit(ApplyToConfig{*config}, static_cast<const actions::AgentProviderOperation::variant&>(*operation));
  if (!applied) return orvo_ui::InvokeError{applied.error()};
  if (auto saved = config->save(); !saved) return orvo_ui::InvokeError{"provider settings were not saved: " + saved.error()};

  select_section(SettingsSection::AgentModels);
  return orvo_ui::Handled{true};
}

}  // namespace settings::settings_app
