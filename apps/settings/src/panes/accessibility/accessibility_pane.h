#pragma once
// The Accessibility pane: the "accessibility" section of the preferences file and the three vision
// settings it shares with the Appearance pane (high contrast, reduced motion, text size), kept as
// the "a11y." settings of the application's settings document.
//
// The first pass publishes each saved value only where the document has none, so a value already
// there (set on another device, or by an action before the pane opened) is kept and taken. Every
// pass then reconciles each setting with its control (panes/setting_sync.h) and saves when a value
// changed. A shared vision setting the pane takes is also written under its "appearance." twin so
// the two pages never disagree. Labels and stored values convert through the setting-key table
// (preferences/setting_fields.h).
//
// Whether a screen reader engine and the on-screen keyboard are installed is asked at every
// layout; a missing one is said plainly instead of offering a setting that would do nothing.
//
// Interface thread only.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"
#include "preferences/records.h"
#include "preferences/setting_fields.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::accessibility {

// The engine that would speak for the screen reader, by its name; none when none is installed.
std::optional<std::string> screen_reader_engine();
bool screen_reader_available();
// Whether the on-screen keyboard is installed.
bool osk_installed();

class AccessibilityPane final : public PaneGlue {
 public:
  // The pane of these saved values (only the appearance section's vision settings are read).
  AccessibilityPane(const preferences::AppearancePrefs& appearance, preferences::AccessibilityPrefs accessibility);
  // The pane of the saved preferences.
  static std::unique_ptr<AccessibilityPane> load();
  AccessibilityPane(AccessibilityPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::accessibility::AccessibilityPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // The pane's source record once the user changed something in it since the last call; else none.
  std::optional<orvo_actions::ActionContext> commit_context();

  const preferences::AppearancePrefs& appearance() const { return prefs_.appearance; }
  const preferences::AccessibilityPrefs& accessibility_prefs() const { return prefs_.accessibility; }
  // How many times a pass saved.
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  void publish_missing(orvo_doc::Document& document, const EmitSetting& emit);
  // Takes a value a reconciliation gave; answers whether the pane's values changed.
  bool take(std::string_view key, const preferences::SettingFieldValue& value);
  void save();

  // The appearance and accessibility sections live in a whole record so the setting-key table's
  // rows read and write them.
  preferences::Preferences prefs_;
  orvo_ui::ActionHost host_;
  bool initial_publication_pending_ = true;
  SeenTexts seen_;
  std::size_t saves_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::accessibility
