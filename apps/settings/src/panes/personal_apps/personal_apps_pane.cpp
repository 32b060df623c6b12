#include "panes/personal_apps/personal_apps_pane.h"

#include <algorithm>
#include <utility>

#include "actions/control_bindings.h"
#include "actions/settings_dispatch.h"
#include "services/installed_apps.h"
#include "desktop_entry/desktop_entry.h"
#include "launcher/registry.h"
#include "orvo_log/log.h"
#include "os_actions/tool_intent.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::personal_apps {
namespace ws = settings::widget_support;
using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::DefaultAppResolver;
using desktop_policy::defaults::PersonalDefaults;
using desktop_policy::defaults::ResourceKind;

namespace {

constexpr std::string_view kPaneId = "personal-apps";
constexpr std::string_view kPaneTitle = "Personal app defaults";
constexpr std::string_view kPaneDescription = "Change default apps";
// The workspace settings' page of application rules.
constexpr std::uint8_t kAppRulesPage = 3;

std::optional<std::string> text_at(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  auto found = document.lookup(object, key);
  if (!found || !*found) return std::nullopt;
  const auto* value = std::get_if<orvo_doc::ScalarValue>(*found);
  if (!value || !value->as_str()) return std::nullopt;
  return *value->as_str();
}

const AppCandidate* with_id(const std::vector<AppCandidate>& choices, std::string_view id) {
  const auto it = std::find_if(choices.begin(), choices.end(), [&](const AppCandidate& c) { return c.id == id; });
  return it == choices.end() ? nullptr : &*it;
}

}  // namespace

std::string edit_control_id(std::string_view key) { return edit_key(key); }

PersonalAppsPane::PersonalAppsPane(std::vector<AppCandidate> candidates, PersonalDefaults personal_defaults,
                                   std::optional<desktop_policy::defaults::DefaultsPaths> paths)
    : PaneGlue("PersonalAppsPane", DirtyRule::OwnFlagFirst),
      candidates_(std::move(candidates)),
      personal_defaults_(std::move(personal_defaults)),
      paths_(std::move(paths)),
      kinds_(default_app_kinds(candidates_)) {
  use_frame_document();
  for (const auto& kind : kinds_) {
    by_kind_.push_back(Kind{kind, default_app_setting_key(kind), candidates_for_kind(candidates_, kind)});
  }
}

std::unique_ptr<PersonalAppsPane> PersonalAppsPane::load() {
  return std::make_unique<PersonalAppsPane>(
      installed_gui_apps(launcher::registry::list_installed(), desktop_entry::cached_scan()), PersonalDefaults::load());
}

std::optional<orvo_ui::PaneDescriptor> PersonalAppsPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{std::string(kPaneId), std::string(kPaneTitle), std::string(kPaneDescription)};
}

std::optional<orvo_actions::ActionContext> PersonalAppsPane::commit_context() {
  const bool pending = take_commit_pending() || (view() && view()->needs_commit());
  return actions::preference_pane_source(pending, kPaneId, kPaneTitle, kPaneDescription);
}

const AppCandidate* PersonalAppsPane::personal_choice(const Kind& kind) const {
  const auto id = personal_defaults_.get(kind.kind);
  return id ? with_id(kind.choices, *id) : nullptr;
}

void PersonalAppsPane::publish(const EmitSetting& emit) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const Kind& kind : by_kind_) {
    const auto resolved = DefaultAppResolver::resolve(kind.kind, candidates_, personal_defaults_);
    if (!resolved) continue;
    if (const AppCandidate* candidate = with_id(candidates_, *resolved)) {
      pairs.emplace_back(kind.setting_key, app_choice_label(*candidate));
    }
  }
  for (auto& [key, label] : pairs) {
    write_text_setting(emit, key, label);
    published_.insert_or_assign(std::move(key), std::move(label));
  }
}

bool PersonalAppsPane::sync_kind(orvo_doc::Document& document, const Kind& kind, const EmitSetting& emit) {
  const std::string& key = kind.setting_key;
  const std::string edit = edit_key(key);
  const auto value = text_at(document, object_, key);
  const auto edited = text_at(document, object_, edit);
  if (!value) {
    // Nothing published yet (no stored choice): only the user writes the dropdown's key then, and
    // the choice is emitted rather than dropped.
    if (edited && chosen_candidate(kind.choices, *edited)) write_text_setting(emit, key, *edited);
    return false;
  }
  // Values are compared by the application they name, so a label and a bare id of the same
  // application are the same choice.
  const AppCandidate* named = chosen_candidate(kind.choices, *value);
  const AppCandidate* personal = personal_choice(kind);
  const AppCandidate* picked = edited ? chosen_candidate(kind.choices, *edited) : nullptr;
  const bool picked_differs = edited && (picked && named ? picked != named : *edited != *value);

  if (named && named == personal && picked_differs) {
    write_text_setting(emit, key, *edited);
    return false;
  }
  const std::string shown = named ? app_choice_label(*named) : *value;
  if (edited != shown) {
    if (!document.put(object_, edit, orvo_doc::ScalarValue::str(shown))) {
      orvo_log::warn("could not write a setting's control", {{"key", edit}});
    }
  }
  const auto last = published_.find(key);
  if (last != published_.end() && last->second == *value) return false;
  published_.insert_or_assign(key, *value);
  if (!named || named == personal) return false;
  return personal_defaults_.set(kind.kind, named->id, candidates_).has_value();
}

void PersonalAppsPane::save() {
  ++saves_;
  auto saved = paths_ ? personal_defaults_.save_at(*paths_) : personal_defaults_.save();
  // The store keeps what changed, so the next change saves it again.
  if (!saved) orvo_log::warn("failed to persist personal app defaults", {{"error", saved.error()}});
}

void PersonalAppsPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  const EmitSetting emit = [&, dispatch = setting_emitter(host_, *document)](const actions::SettingsAction& action) {
    ++emitted_;
    dispatch(action);
  };
  if (initial_publication_pending_) {
    publish(emit);
    initial_publication_pending_ = false;
  }
  bool dirty = false;
  for (const Kind& kind : by_kind_) dirty |= sync_kind(*document, kind, emit);
  if (dirty) {
    save();
    mark_structure_dirty();
  }
}

std::unique_ptr<orvo_ui::Widget> PersonalAppsPane::build_view() {
  std::vector<ws::WidgetBox> rows;
  for (const Kind& kind : by_kind_) {
    if (kind.choices.empty()) continue;
    std::vector<std::string> labels;
    for (const auto& choice : kind.choices) labels.push_back(app_choice_label(choice));
    const AppCandidate* personal = personal_choice(kind);
    const std::string placeholder = personal ? app_choice_label(*personal) : labels.front();
    auto dropdown = std::make_unique<orvo_ui::Dropdown>(controls_.dropdown(edit_key(kind.setting_key), std::move(labels))
                                                            .with_id("personal-default." + kind.kind)
                                                            .with_placeholder(placeholder));
    rows.push_back(ws::described_setting_row_fixed(ResourceKind::display_label(kind.kind),
                                                   "Your choice follows you unless this workspace chooses another app.",
                                                   std::move(dropdown)));
  }
  if (rows.empty()) {
    rows.push_back(ws::caption_text("No installed application currently declares a supported file or link type. "
                                    "Defaults appear here as apps are installed."));
  }
  std::vector<ws::WidgetBox> cards;
  cards.push_back(ws::titled_card("Open files and links with", ws::section_stack(std::move(rows))));

  std::vector<ws::WidgetBox> personal;
  personal.push_back(ws::value_row("Applies to", "Your identity on every device"));
  personal.push_back(ws::caption_text("A workspace may set a shared choice. In Workspace Settings you can follow it, "
                                      "return to this personal choice, or select a different app for that workspace."));
  personal.push_back(std::make_unique<orvo_ui::Button>(actions::bind_control_invoke(
      orvo_ui::Button("open-workspace-app-defaults", "Open current workspace app rules"),
      orvo_actions::OperationClass::Effect, [] {
        // What the tool does, or whether it opens at all, is its own affair.
        (void)os_actions::tool_intent::open_tool(os_actions::tool_intent::workspace_page(kAppRulesPage));
      })));
  cards.push_back(ws::titled_card("Personal", ws::section_stack(std::move(personal))));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return PersonalAppsPane::load(); }

}  // namespace settings::panes::personal_apps
