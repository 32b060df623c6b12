#pragma once
// The Notifications pane: Do Not Disturb, banners, previews, sounds, lock screen, badges and the
// quiet-hours schedule, kept in the "notifications" section of the preferences file and mirrored
// as the "notifications." settings of the application's settings document, which the compositor's
// notification layer reads.
//
// The first pass publishes the saved values; every pass then reconciles each setting with its
// control (panes/setting_sync.h) and saves the section when something changed. Labels and stored
// values convert through the setting-key table (preferences/setting_fields.h).
//
// Every listed application gets a card of its own rules (panes/notifications/app_rules.h), whose
// controls are bound to the rule's setting keys themselves. A rule field follows the global choice
// until the user sets it here; a temporary mute is stored as its expiry and shown as the time left.
//
// Interface thread only.
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_ui/action_host.h"
#include "panes/pane_glue.h"
#include "panes/setting_sync.h"
#include "services/installed_apps.h"
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
  // The applications listed are `apps` (see `notification_apps`).
  explicit NotificationsPane(preferences::NotificationPrefs prefs, std::vector<NotificationApp> apps = {});
  // The pane of the saved preferences.
  static std::unique_ptr<NotificationsPane> load();
  NotificationsPane(NotificationsPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::notifications::NotificationsPane"; }
  // A text kept for the toolkit, handed over once; the pane itself never sets one.
  std::optional<std::string> descendant_query() override;

  const preferences::NotificationPrefs& prefs() const { return prefs_.notifications; }
  const std::vector<NotificationApp>& apps() const { return apps_; }
  // How many times a pass saved the section.
  std::size_t saves() const { return saves_; }
  const orvo_ui::ActionHost& action_host() const { return host_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  // A rule's effective delivery choices: its own where it has them, else the global ones.
  struct Effective {
    bool banners, previews, sounds, badges;
  };
  settings_store::notification_policy::AppNotificationRule rule_of(std::string_view app_id) const;
  Effective effective(std::string_view app_id) const;
  void publish(const EmitSetting& emit);
  // Reconciles one setting of the table and takes what it gives; answers whether it reported a
  // change.
  bool sync_setting(orvo_doc::Document& document, std::string_view key, const EmitSetting& emit);
  // Per-application rules: publication, reconciliation (answers whether a rule changed) and cards.
  void publish_app_rules(const EmitSetting& emit);
  bool sync_app_rules(orvo_doc::Document& document);
  void add_app_cards(std::vector<std::unique_ptr<orvo_ui::Widget>>& cards);
  void save();

  // The section lives in a whole record so the setting-key table's rows read and write it.
  preferences::Preferences prefs_;
  orvo_ui::ActionHost host_;
  std::optional<std::string> handed_text_;
  bool initial_publication_pending_ = true;
  SeenTexts seen_;
  std::size_t saves_ = 0;
  // The applications offered rules, in list order; fixed for the pane's life.
  std::vector<NotificationApp> apps_;
  // Per application, in list order: the setting keys of its rule, made once (the pass runs every
  // frame), and what the pass last saw of them.
  struct AppRuleState {
    std::array<std::string, 4> flag_keys;  // banners, previews, sounds, badges
    std::string priority_key, priority_contacts_key, mute_key;
    // Per rule flag, the value last seen under its key or written there.
    std::array<std::optional<bool>, 4> seen;
    // The mute label last applied.
    std::string mute_applied;
  };
  std::vector<AppRuleState> app_states_;
};

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::notifications
