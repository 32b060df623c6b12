#pragma once
// The Appearance pane: theme, UI scale, text size, high contrast and reduced motion, kept in the
// "appearance" section of the preferences file and mirrored as the "appearance." settings of the
// application's settings document, which the compositor and every application read.
//
// The pane works on the frame's document. Its first pass publishes the saved values; every pass
// then reconciles each setting with its control (panes/setting_sync.h): a value set from outside is
// taken and saved without being published again, a user's choice is committed as a `SetSetting`
// and saved. Labels and stored values convert through the setting-key table
// (preferences/setting_fields.h), so the pane, the catalogue and the write-through agree.
//
// Interface thread only.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "orvo_ui/action_host.h"
#include "orvo_ui/theme.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"
#include "preferences/records.h"
#include "preferences/setting_fields.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::appearance {

// The pane's settings, in publication order.
inline constexpr std::string_view kThemeKey = "appearance.theme";
inline constexpr std::string_view kTextSizeKey = "appearance.text_size";
inline constexpr std::string_view kUiScaleKey = "appearance.ui_scale";
inline constexpr std::string_view kHighContrastKey = "appearance.high_contrast";
inline constexpr std::string_view kReduceMotionKey = "appearance.reduce_motion";

// The toolkit theme of a theme name: the user's configured theme for a "custom:" name, a listed
// theme by its name, and the dark theme (named "Dark") for any other name.
orvo_ui::Theme theme_by_name(std::string_view name);
// The theme the section's values give the whole interface: the high-contrast theme while high
// contrast is on (the chosen theme stays and returns when it is turned off), else the chosen
// theme; with the section's scales and reduce-motion flag.
orvo_ui::Theme theme_from_prefs(const preferences::AppearancePrefs& appearance);
// The name of that theme.
std::string applied_theme_name(const preferences::AppearancePrefs& appearance);
// A scale as a percentage: 1.25 → "125%".
std::string scale_percent(double scale);

class AppearancePane final : public PaneGlue {
 public:
  explicit AppearancePane(preferences::AppearancePrefs appearance);
  // The pane of the saved preferences.
  static std::unique_ptr<AppearancePane> load();
  AppearancePane(AppearancePane&&) = default;

  std::string_view type_name() const override { return "settings::panes::appearance::AppearancePane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // The pane's source record once the user changed something in it since the last call; else none.
  std::optional<orvo_actions::ActionContext> commit_context();
  // The theme the pane's values give, so the window follows a choice at once.
  std::optional<orvo_ui::Theme> theme_override() const override { return theme_; }

  const preferences::AppearancePrefs& appearance() const { return prefs_.appearance; }
  // How many times a pass saved the section.
  std::size_t saves() const { return saves_; }
  // The host the pane's setting actions go through, with the record of the latest.
  const orvo_ui::ActionHost& action_host() const { return host_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  void publish(const EmitSetting& emit);
  // Takes a value a reconciliation gave; answers whether the pane's values changed.
  bool take(std::string_view key, const preferences::SettingFieldValue& value);
  void save();

  orvo_ui::Theme theme_;
  // The section lives in a whole record so the setting-key table's rows read and write it.
  preferences::Preferences prefs_;
  orvo_ui::ActionHost host_;
  bool initial_publication_pending_ = true;
  SeenTexts seen_;
  std::size_t saves_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::appearance
