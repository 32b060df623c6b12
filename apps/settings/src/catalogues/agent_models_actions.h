#pragma once
// The Agent Models catalogue's resource ids and the binding of the provider rows' buttons.
#include <optional>
#include <string_view>

#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

inline constexpr std::string_view kAgentProviderPrefix = "settings.agent-provider:";
inline constexpr std::string_view kAgentModelPrefix = "settings.agent-model:";
inline constexpr std::string_view kAgentModelRecommendationPrefix = "settings.agent-model-recommendation:";
inline constexpr std::string_view kAgentModelsKind = "settings.agent-models";

// At most this many provider children and this many installed-model children.
inline constexpr std::size_t kAgentModelsChildCap = 256;

// A button on the named action of the section itself (no provider id) or of the provider's child;
// none when the child or the action is missing.
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> agent_provider_unit_binding(
    const orvo_actions::Resource& agent_models, std::optional<std::string_view> provider_id, std::string_view action);

}  // namespace settings::actions
