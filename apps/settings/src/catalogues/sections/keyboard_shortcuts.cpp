#include <algorithm>
#include <string>
#include <vector>

#include "actions/contracts.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "catalogues/shortcut_titles.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"
#include "lib/settings_document.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

constexpr std::string_view kShortcutPrefix = "shortcuts.";

// "shortcuts.focus_previous_window" is published as "focus-previous-window".
std::string shortcut_action_id(std::string_view setting_id) {
  if (setting_id.starts_with(kShortcutPrefix)) setting_id.remove_prefix(kShortcutPrefix.size());
  std::string id(setting_id);
  std::replace(id.begin(), id.end(), '_', '-');
  return id;
}

orvo_actions::ActionSpec shortcut_action(const std::string& setting_id, const std::string& title) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("choice", "Shortcut"));
  auto spec = orvo_actions::typed_setting_spec(shortcut_action_id(setting_id), "Set " + title + " shortcut",
                                               "e.g. Super+K", std::move(params), setting_text_handler(setting_id));
  // The settings contract is well formed, so attaching it cannot be refused.
  auto attached = orvo_actions::ActionSpec(spec).with_contract(settings_contract());
  return attached ? std::move(*attached) : std::move(spec);
}

constexpr std::string_view kVimModeKey = "shortcuts.vim_mode";

// The document's flag; while it has none, the one the desktop controls keep.
bool vim_mode(const orvo_doc::Document& document) {
  if (auto value = lib::read_bool(document, orvo_doc::kRoot, kVimModeKey)) return *value;
  return preferences::stored_section_flag(kVimModeKey).value_or(false);
}

}  // namespace

orvo_actions::Resource keyboard_shortcuts_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::KeyboardShortcuts);
  resource.actions.push_back(setting_flip_action("vim-mode", kVimModeKey, vim_mode(inputs.document),
                                                 "Vim-style desktop navigation"));
  for (const auto& [setting_id, title] : panes::keyboard_shortcuts::shortcut_titles()) {
    resource.actions.push_back(shortcut_action(setting_id, title));
  }
  return resource;
}

}  // namespace settings::actions
