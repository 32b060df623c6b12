#include "catalogues/appearance_labels.h"

#include "preferences/setting_fields.h"

namespace settings::panes::appearance {

// Both read the setting-key table, so the catalogue, the pane and the preferences file agree.
std::string text_size_label(double scale) {
  preferences::Preferences prefs;
  prefs.appearance.text_scale = scale;
  return preferences::stored_label(prefs, "appearance.text_size").value_or("Default");
}

std::string ui_scale_label(double scale) {
  preferences::Preferences prefs;
  prefs.appearance.ui_scale = scale;
  return preferences::stored_label(prefs, "appearance.ui_scale").value_or("100%");
}

}  // namespace settings::panes::appearance
