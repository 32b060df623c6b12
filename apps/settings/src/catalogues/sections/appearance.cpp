#include <string>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/appearance_labels.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {

orvo_actions::Resource appearance_resource(const SectionInputs& inputs) {
  const auto& document = inputs.document;
  const auto& prefs = inputs.preferences.appearance;
  auto resource = section_shell(settings_app::SettingsSection::Appearance);

  // The description names six of the themes; it is what clients have always been shown.
  resource.actions.push_back(setting_choice_spec(
      "theme", "Set theme", "appearance.theme", "Dark, Light, Dracula, Nord, Gruvbox, Solarized",
      {"Dark", "Light", "Orvo Blue", "Catppuccin Mocha", "Catppuccin Latte", "Dracula", "Nord", "Gruvbox",
       "Gruvbox Light", "Solarized", "OLED", "Beige"},
      current_text(document, "appearance.theme", prefs.theme)));
  resource.actions.push_back(setting_flip_action("high_contrast", "appearance.high_contrast",
                                                 current_bool(document, "appearance.high_contrast", prefs.high_contrast),
                                                 "high contrast"));
  resource.actions.push_back(setting_flip_action("reduce_motion", "appearance.reduce_motion",
                                                 current_bool(document, "appearance.reduce_motion", prefs.reduce_motion),
                                                 "reduced motion"));
  resource.actions.push_back(setting_choice_spec(
      "text_size", "Set text size", "appearance.text_size", "Small, Default, Large, Larger",
      {"Small", "Default", "Large", "Larger"},
      current_text(document, "appearance.text_size", panes::appearance::text_size_label(prefs.text_scale))));
  // The UI scale's fallback is fixed: the preference's number is not turned into a label here.
  resource.actions.push_back(setting_choice_spec("ui_scale", "Set UI scale", "appearance.ui_scale",
                                                 "90%, 100%, 110%, 125%, 150%",
                                                 {"90%", "100%", "110%", "125%", "150%"},
                                                 current_text(document, "appearance.ui_scale", "100%")));
  return resource;
}

}  // namespace settings::actions
