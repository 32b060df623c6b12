#pragma once
// What the Agent Models pane does to the provider list and the gateway's API keys itself: the three
// handlers behind a provider form's buttons, and keeping the profile of this device's model server
// in step with the model manager's snapshot. Adding, enabling, removing and choosing providers are
// typed operations the shell carries out.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "orvo_secret/secret_buffer.h"
#include "orvo_ui/published_cell.h"
#include "panes/agent_models/local_models.h"

namespace settings::panes::agent_models {

// The pane's status sentence, shown on its next sync.
using NoticeCell = orvo_ui::PublishedCell<std::optional<std::string>>;

// The text fields of one provider form, shared with the view.
struct ProviderFormInputs {
  orvo_ui::PublishedCell<std::string> label;
  orvo_ui::PublishedCell<std::string> endpoint;
  orvo_ui::PublishedCell<std::string> model;
};

// "Save details": the label and endpoint as typed, and the model (added to the profile's models
// once) unless the field is blank.
void save_provider_details(std::string_view provider_id, const ProviderFormInputs& inputs, const NoticeCell& notice);

// "Save key" / "Replace key": the key leaves the input (which is wiped, whatever the gateway answers)
// for the gateway's vault.
void save_provider_key(std::string_view provider_id, orvo_secret::SecretBuffer& key_input, const NoticeCell& notice);

// "Remove key".
void remove_provider_key(std::string_view provider_id, const NoticeCell& notice);

// Points the local model server's profile at the model this device serves (or disables it), and
// lists the ready models. Writes only on a change; a configuration that cannot be read is left alone.
void sync_local_model_provider(std::span<const InstalledLocalModel> models);

}  // namespace settings::panes::agent_models
