#pragma once
// The Notifications pane: Do Not Disturb, banners, previews, sounds, lock screen, badges and the
// quiet-hours schedule, kept in the "notifications" section of the preferences file and mirrored
// as the "notifications." settings of the application's settings document, which the compositor's
// notification layer reads.
//
// The first pass publishes the saved values; every pass then reconciles each setting with its
// control (panes/setting_sync.h) and saves the section when something changed. Labels and stored
// values convert through the setting-key table (preferences/setting_fields.h). The per-application
// rules run inside the same pass and view; their hooks are marked below.
//
// Interface thread only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"
#include "preferences/records.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::notifications {

// The time choice nearest to a minute of the day (minutes past the day's end count as 23:59; on a
// tie the earlier choice of the list): 1290 → "22:00", 1260 → "20:00".
std::string focus_time_label(std::uint16_t minute);
// The minute of a time choice's label; none for any other text.
std::optional<std::uint16_t> parse_focus_time(std::string_view label);
// "Weekdays" for Monday to Friday, "Weekends" for Saturday and Sunday, "Every day" otherwise.
std::string focus_days_label(std::uint8_t weekdays);

// The "Delivery" badge: "Silenced" under Do Not Disturb, else "Active" while banners show, else
// "Banners off".
std::string_view delivery_state(const preferences::NotificationPrefs& prefs);

class NotificationsPane final : public PaneGlue {
 public:
  explicit NotificationsPane(preferences::NotificationPrefs prefs);
  // The pane of the saved preferences.
  static std::unique_ptr<NotificationsPane> load();
  NotificationsPane(NotificationsPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::notifications::NotificationsPane"; }
  // A text kept for the toolkit, handed over once; the pane itself never sets one.
  std::optional<std::string> descendant_query() override;

  const preferences::NotificationPrefs& prefs() const { return prefs_.notifications; }
  // How many times a pass saved the section.
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  void publish(const EmitSetting& emit);
  // Reconciles one setting of the table and takes what it gives; answers whether it reported a
  // change.
  bool sync_setting(orvo_doc::Document& document, std::string_view key, const EmitSetting& emit);
  // Per-application rules: publication, reconciliation (answers whether a rule changed) and cards.
  void publish_app_rules(const EmitSetting&) {}
  bool sync_app_rules(orvo_doc::Document&, const EmitSetting&) { return false; }
  void save();

  // The section lives in a whole record so the setting-key table's rows read and write it.
  preferences::Preferences prefs_;
  orvo_ui::ActionHost host_;
  std::optional<std::string> handed_text_;
  bool initial_publication_pending_ = true;
  SeenTexts seen_;
  std::size_t saves_ = 0;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::notifications
