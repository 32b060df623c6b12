#include <string>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/appearance_labels.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "preferences/setting_fields.h"

namespace settings::actions {

// The choices come from the setting-key table, which the pane and the write-through also use.
using preferences::setting_choice_labels;

orvo_actions::Resource appearance_resource(const SectionInputs& inputs) {
  const auto& document = inputs.document;
  const auto& prefs = inputs.preferences;
  auto resource = section_shell(settings_app::SettingsSection::Appearance);

  // The description names six of the themes; it is what clients have always been shown.
  resource.actions.push_back(setting_choice_spec(
      "theme", "Set theme", "appearance.theme", "Dark, Light, Dracula, Nord, Gruvbox, Solarized",
      setting_choice_labels("appearance.theme"),
      current_setting_label(document, prefs, "appearance.theme")));
  resource.actions.push_back(setting_flip_action("high_contrast", "appearance.high_contrast",
                                                 current_setting_flag(document, prefs, "appearance.high_contrast"),
                                                 "high contrast"));
  resource.actions.push_back(setting_flip_action("reduce_motion", "appearance.reduce_motion",
                                                 current_setting_flag(document, prefs, "appearance.reduce_motion"),
                                                 "reduced motion"));
  resource.actions.push_back(setting_choice_spec(
      "text_size", "Set text size", "appearance.text_size", "Small, Default, Large, Larger",
      setting_choice_labels("appearance.text_size"),
      current_setting_label(document, prefs, "appearance.text_size")));
  resource.actions.push_back(setting_choice_spec("ui_scale", "Set UI scale", "appearance.ui_scale",
                                                 "90%, 100%, 110%, 125%, 150%",
                                                 setting_choice_labels("appearance.ui_scale"),
                                                 current_setting_label(document, prefs, "appearance.ui_scale")));
  return resource;
}

}  // namespace settings::actions
