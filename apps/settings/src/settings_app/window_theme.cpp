// The theme the whole window follows.
#include "panes/appearance/appearance_pane.h"
#include "preferences/preferences_file.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
namespace {

// The first theme a widget of the subtree answers, depth first.
std::optional<orvo_ui::Theme> theme_in(const orvo_ui::Widget& widget) {
  if (auto theme = widget.theme_override()) return theme;
  for (const orvo_ui::Widget* child : widget.children()) {
    if (!child) continue;
    if (auto theme = theme_in(*child)) return theme;
  }
  return std::nullopt;
}

}  // namespace

std::optional<orvo_ui::Theme> SettingsApp::theme_override() const {
  if (section_ == SettingsSection::Appearance && shell_ && shell_->content()) {
    if (auto shown = theme_in(*shell_->content())) return shown;
  }
  const std::uint64_t writes = preferences::preferences_writes();
  if (!saved_theme_ || writes != saved_theme_writes_) {
    saved_theme_ = panes::appearance::theme_from_prefs(preferences::load_preferences().appearance);
    saved_theme_writes_ = writes;
  }
  return saved_theme_;
}

}  // namespace settings::settings_app
