#include "panes/agent_models/providers_view.h"

#include <fmt/format.h>

#include <utility>
#include <vector>

#include "actions/control_bindings.h"
#include "agent_provider_config/provider_config.h"
#include "catalogues/agent_models_actions.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_inputs.h"
#include "orvo_doc/document.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/agent_models/agent_models_pane.h"
#include "preferences/records.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::agent_models {
namespace {

using namespace settings::widget_support;
using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderKind;
using agent_provider_config::ProviderProfile;
using agent_provider_config::ProviderProtocol;
using orvo_ui::Button;
using orvo_ui::TextInput;

constexpr float kButtonGap = 8;
constexpr auto kEffect = orvo_actions::OperationClass::Effect;

std::string_view kind_text(ProviderKind kind) {
  return kind == ProviderKind::PrivateNetwork ? "Private network" : "Hosted provider";
}

ProviderProtocol other_protocol(ProviderProtocol protocol) {
  return protocol == ProviderProtocol::Anthropic ? ProviderProtocol::OpenAiCompatible : ProviderProtocol::Anthropic;
}

WidgetBox boxed(Button button) { return std::make_unique<Button>(std::move(button)); }
WidgetBox boxed(TextInput input) { return std::make_unique<TextInput>(std::move(input)); }

// The widgets side by side, a gap of 8 between them, then a flexible spacer.
WidgetBox spaced_row(std::vector<WidgetBox> widgets) {
  auto row = std::make_unique<orvo_ui::Row>();
  bool first = true;
  for (auto& widget : widgets) {
    if (!std::exchange(first, false)) row->push(fixed_box(kButtonGap));
    row->push(std::move(widget));
  }
  row->push(std::make_unique<orvo_ui::Spacer>(orvo_ui::Spacer::flexible()));
  return row;
}

WidgetBox text_field(orvo_ui::PublishedCell<std::string> cell, std::string id, std::string_view label,
                     std::string_view placeholder) {
  return boxed(TextInput::from_state(std::move(cell)).with_id(id).with_label(label).with_placeholder(placeholder));
}

// The stored provider profiles, and no model snapshot: the card's buttons are the provider actions,
// which do not depend on the local models, so building it never runs the model manager.
class ProviderProfilesOnly final : public actions::MeshModelQueries {
 public:
  std::vector<actions::ProviderEntry> provider_profiles() const override {
    return actions::system_mesh_model_queries().provider_profiles();
  }
};

orvo_actions::Resource agent_models_resource() {
  static const ProviderProfilesOnly profiles;
  const actions::CatalogueQueries& offline = actions::offline_queries();
  const actions::CatalogueQueries queries{offline.devices, offline.media, offline.input, offline.lists, profiles};
  const orvo_doc::Document document;
  const preferences::Preferences preferences;
  return actions::agent_models_resource(actions::SectionInputs{document, preferences, {}, queries});
}

class ProvidersCard {
 public:
  explicit ProvidersCard(AgentModelsPane& pane)
      : pane_(pane), config_(ProviderConfig::load()), resource_(agent_models_resource()) {}

  WidgetBox card() {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text("Hosted and compatible endpoints are personal to this device. Credentials remain "
                                "references in the system vault."));
    std::vector<WidgetBox> add;
    add.push_back(boxed(provider_action_button(resource_, "agent-models-add-anthropic", "Add Anthropic", std::nullopt,
                                               "add-anthropic")));
    add.push_back(boxed(provider_action_button(resource_, "agent-models-add-openai", "Add compatible API",
                                               std::nullopt, "add-openai-compatible")));
    rows.push_back(spaced_row(std::move(add)));
    std::vector<std::string> ids;
    for (const ProviderProfile& profile : config_.profiles) {
      if (profile.kind != ProviderKind::ThisDevice) ids.push_back(profile.id);
    }
    stored_keys_ = pane_.stored_keys(std::move(ids));
    for (const ProviderProfile& profile : config_.profiles) {
      if (profile.kind == ProviderKind::ThisDevice) continue;
      form(profile, rows);
    }
    for (const auto& [provider, error] : config_.validation_errors()) {
      rows.push_back(caption_text(fmt::format("Provider configuration: {}", error)));
    }
    return titled_card("Hosted and compatible providers", section_stack(std::move(rows)));
  }

 private:
  void form(const ProviderProfile& profile, std::vector<WidgetBox>& rows) {
    const std::string& id = profile.id;
    const NoticeCell& notice = pane_.notice_cell();
    rows.push_back(value_row(profile.display_label(), kind_text(profile.kind)));

    const auto inputs = pane_.form_inputs(id, profile.label, profile.endpoint, profile.model.value_or(""));
    rows.push_back(text_field(inputs->label, fmt::format("agent-models-label-{}", id), "Provider name", "Provider name"));
    rows.push_back(text_field(inputs->endpoint, fmt::format("agent-models-url-{}", id), "API endpoint",
                              "https://api.example.com/v1"));
    rows.push_back(text_field(inputs->model, fmt::format("agent-models-model-{}", id), "Model ID", "Model ID"));

    // "Save details" under the fields it saves, then the provider's own buttons: the four side by
    // side would not fit a narrow window.
    std::vector<WidgetBox> save;
    save.push_back(boxed(actions::bind_control_invoke(
        Button(fmt::format("agent-models-save-provider-{}", id), "Save details"), kEffect,
        [id, inputs, notice] { save_provider_details(id, *inputs, notice); })));
    rows.push_back(spaced_row(std::move(save)));
    std::vector<WidgetBox> manage;
    manage.push_back(boxed(provider_action_button(
        resource_, fmt::format("agent-models-protocol-{}", id),
        fmt::format("Use {}", agent_provider_config::display_name(other_protocol(profile.protocol))), id,
        "set-protocol")));
    manage.push_back(boxed(provider_action_button(resource_, fmt::format("agent-models-enabled-{}", id),
                                                  profile.enabled ? "Disable" : "Enable", id,
                                                  profile.enabled ? "disable" : "enable")));
    manage.push_back(boxed(provider_action_button(resource_, fmt::format("agent-models-remove-provider-{}", id),
                                                  "Remove provider", id, "remove")));
    rows.push_back(spaced_row(std::move(manage)));

    rows.push_back(value_row("Protocol", agent_provider_config::display_name(profile.protocol)));

    // Unknown until the vault has answered.
    const auto answer = stored_keys_.find(id);
    const std::optional<bool> known =
        answer == stored_keys_.end() ? std::nullopt : std::optional<bool>(answer->second);
    const bool stored = known.value_or(false);
    const auto key = pane_.key_input(id);
    std::vector<WidgetBox> key_row;
    key_row.push_back(boxed(TextInput::from_secret(key)
                                .with_id(fmt::format("agent-models-api-key-{}", id))
                                .with_label("API key")
                                .with_placeholder("API key (stored in Orvo vault)")));
    key_row.push_back(boxed(actions::bind_control_invoke(
        Button(fmt::format("agent-models-set-api-key-{}", id), stored ? "Replace key" : "Save key"), kEffect,
        [jobs = pane_.vault_jobs(), id, key] { jobs.save_key(id, *key); })));
    key_row.push_back(boxed(actions::bind_control_invoke(Button(fmt::format("agent-models-remove-api-key-{}", id),
                                                                "Remove key"),
                                                         kEffect, [jobs = pane_.vault_jobs(), id] { jobs.remove_key(id); })));
    rows.push_back(spaced_row(std::move(key_row)));
    rows.push_back(caption_text(!known   ? "Checking for a stored API key…"
                                : stored ? "API key is stored in the Orvo vault."
                                         : "No API key stored."));

    if (profile.model) {
      const bool is_default = config_.default_provider == id;
      rows.push_back(spaced_row([&] {
        std::vector<WidgetBox> one;
        one.push_back(boxed(provider_action_button(resource_, fmt::format("agent-models-default-{}", id),
                                                   is_default ? "Default for new tasks" : "Use by default", id,
                                                   "set-default")));
        return one;
      }()));
    }
  }

  AgentModelsPane& pane_;
  ProviderConfig config_;
  orvo_actions::Resource resource_;
  StoredKeys stored_keys_;
};

}  // namespace

Button provider_action_button(const orvo_actions::Resource& agent_models, std::string control_id, std::string label,
                              std::optional<std::string_view> provider_id, std::string_view action) {
  Button button(std::move(control_id), std::move(label));
  auto binding = actions::agent_provider_unit_binding(agent_models, provider_id, action);
  if (!binding) return std::move(button).enabled(false);
  return std::move(button).on_action(std::move(*binding));
}

std::unique_ptr<orvo_ui::Widget> providers_view(AgentModelsPane& pane) { return ProvidersCard(pane).card(); }

}  // namespace settings::panes::agent_models
