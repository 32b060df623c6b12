#pragma once
// The card of the hosted and compatible model providers. Adding, switching protocol, enabling,
// removing and choosing the default are actions of the Agent Models resource, carried out by the
// shell; the details and the API key are saved by the pane's own handlers. The form texts live in
// the pane, so typed but unsaved text survives a rebuild.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/resource.h"
#include "orvo_ui/widget.h"
#include "orvo_ui/widgets/button.h"

namespace settings::panes::agent_models {

class AgentModelsPane;

// A button on an action of the resource (no provider id) or of the provider's child; disabled and
// unbound when there is no such action.
orvo_ui::Button provider_action_button(const orvo_actions::Resource& agent_models, std::string control_id,
                                       std::string label, std::optional<std::string_view> provider_id,
                                       std::string_view action);

// Reads the stored provider configuration and the providers' part of the Agent Models resource; which
// providers have a stored key comes from the pane's last answers of the gateway's vault.
std::unique_ptr<orvo_ui::Widget> providers_view(AgentModelsPane& pane);

}  // namespace settings::panes::agent_models
