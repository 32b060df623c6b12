#include "panes/notifications/notifications_pane.h"

#include <array>
#include <utility>
#include <vector>

#include "actions/settings_dispatch.h"
#include "desktop_entry/desktop_entry.h"
#include "launcher/registry.h"
#include "lib/settings_document.h"
#include "media/notification_sound.h"
#include "orvo_log/log.h"
#include "orvo_ui/theme.h"
#include "panes/device_mesh/clock.h"
#include "panes/notifications/app_rules.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::notifications {
namespace ws = settings::widget_support;
using preferences::SettingFieldValue;
using settings_store::notification_policy::AppNotificationRule;

namespace {

constexpr std::string_view kDoNotDisturb = "notifications.do_not_disturb";
constexpr std::string_view kBanners = "notifications.show_banners";
constexpr std::string_view kPreviews = "notifications.show_previews";
constexpr std::string_view kSounds = "notifications.play_sounds";
constexpr std::string_view kLockScreen = "notifications.show_on_lock_screen";
constexpr std::string_view kBadges = "notifications.show_badges";
constexpr std::string_view kFocusEnabled = "notifications.focus.enabled";
constexpr std::string_view kFocusStart = "notifications.focus.start";
constexpr std::string_view kFocusEnd = "notifications.focus.end";
constexpr std::string_view kFocusDays = "notifications.focus.days";

// A toggle row: the setting, its control's id, its label and help text.
struct ToggleRow {
  std::string_view key;
  std::string_view id;
  std::string_view label;
  std::string_view help;
};

constexpr ToggleRow kDoNotDisturbRow{kDoNotDisturb, "notifications.dnd", "Do Not Disturb",
                                     "Silence all banners and sounds until you turn it off"};
constexpr ToggleRow kBannersRow{kBanners, "notifications.banners", "Show banners",
                                "Pop up a banner when a notification arrives"};
constexpr ToggleRow kPreviewsRow{kPreviews, "notifications.previews", "Show message previews",
                                 "Reveal the message body in the banner, not just the app"};
constexpr ToggleRow kLockScreenRow{kLockScreen, "notifications.lock_screen", "Show on lock screen",
                                   "Show only a redacted count while the session is locked"};
constexpr ToggleRow kSoundsRow{kSounds, "notifications.sounds", "Play sounds",
                               "Use the current desktop sound theme and audio route"};
constexpr ToggleRow kBadgesRow{kBadges, "notifications.badges", "Show notification badges",
                               "Show verified application counts in shell surfaces that support badges"};
constexpr ToggleRow kFocusRow{kFocusEnabled, "notifications.focus.enabled", "Scheduled quiet hours",
                              "Hold banners and sounds automatically"};

// Publication order of the flags, then of the texts.
constexpr std::array<std::string_view, 7> kPublishedFlags{kDoNotDisturb, kBanners,   kPreviews,    kSounds,
                                                          kLockScreen,   kBadges,    kFocusEnabled};
constexpr std::array<std::string_view, 3> kPublishedTexts{kFocusStart, kFocusEnd, kFocusDays};
// The flags reconciled after the per-application rules, in order.
constexpr std::array<std::string_view, 6> kLaterFlags{kBanners, kPreviews, kSounds, kLockScreen, kBadges, kFocusEnabled};

std::string label_of(const preferences::Preferences& prefs, std::string_view key) {
  return preferences::stored_label(prefs, key).value_or(std::string());
}

std::string_view sound_backend_text(std::uint8_t backend) {
  switch (backend) {
    case 0: return "Available through the session sound theme";
    case 1: return "Available through the PipeWire session route";
    default: return "Unavailable: install libcanberra or PipeWire sound tools";
  }
}

}  // namespace

std::string focus_time_label(std::uint16_t minute) {
  preferences::Preferences prefs;
  prefs.notifications.focus.start_minute = minute;
  return label_of(prefs, kFocusStart);
}

std::optional<std::uint16_t> parse_focus_time(std::string_view label) {
  preferences::Preferences prefs;
  if (!preferences::find_setting_field(kFocusStart)->write(prefs, std::string(label))) return std::nullopt;
  return prefs.notifications.focus.start_minute;
}

std::string focus_days_label(std::uint8_t weekdays) {
  preferences::Preferences prefs;
  prefs.notifications.focus.weekdays = weekdays;
  return label_of(prefs, kFocusDays);
}

std::string_view delivery_state(const preferences::NotificationPrefs& prefs) {
  if (prefs.do_not_disturb) return "Silenced";
  if (prefs.show_banners) return "Active";
  return "Banners off";
}

NotificationsPane::NotificationsPane(preferences::NotificationPrefs prefs, std::vector<NotificationApp> apps)
    : PaneGlue("NotificationsPane", DirtyRule::OwnFlagFirst), apps_(std::move(apps)) {
  prefs_.notifications = std::move(prefs);
  const std::int64_t now = device_mesh::now_unix_secs();
  app_states_.reserve(apps_.size());
  for (const NotificationApp& app : apps_) {
    app_states_.push_back({{app_setting_key(app.id, "banners"), app_setting_key(app.id, "previews"),
                            app_setting_key(app.id, "sounds"), app_setting_key(app.id, "badges")},
                           app_setting_key(app.id, "priority"),
                           app_setting_key(app.id, "priority_contacts"),
                           app_setting_key(app.id, "mute"),
                           {},
                           std::string(mute_label(rule_of(app.id).muted_until, now))});
  }
  use_frame_document();
}

std::unique_ptr<NotificationsPane> NotificationsPane::load() {
  preferences::NotificationPrefs prefs = preferences::load_preferences().notifications;
  auto apps = notification_apps(prefs.per_app, launcher::registry::list_installed(), desktop_entry::cached_scan());
  return std::make_unique<NotificationsPane>(std::move(prefs), std::move(apps));
}

AppNotificationRule NotificationsPane::rule_of(std::string_view app_id) const {
  const auto& per_app = prefs_.notifications.per_app;
  const auto found = per_app.find(std::string(app_id));
  return found == per_app.end() ? AppNotificationRule{} : found->second;
}

NotificationsPane::Effective NotificationsPane::effective(std::string_view app_id) const {
  const preferences::NotificationPrefs& global = prefs_.notifications;
  const AppNotificationRule rule = rule_of(app_id);
  return {rule.banners.value_or(global.show_banners), rule.previews.value_or(global.show_previews),
          rule.sounds.value_or(global.play_sounds), rule.badges.value_or(global.show_badges)};
}

void NotificationsPane::publish_app_rules(const EmitSetting& emit) {
  const std::int64_t now = device_mesh::now_unix_secs();
  for (std::size_t index = 0; index < apps_.size(); ++index) {
    AppRuleState& state = app_states_[index];
    const Effective values = effective(apps_[index].id);
    const std::array<bool, 4> flags{values.banners, values.previews, values.sounds, values.badges};
    for (std::size_t i = 0; i < flags.size(); ++i) {
      write_bool_setting(emit, state.flag_keys[i], flags[i]);
      state.seen[i] = flags[i];
    }
    const AppNotificationRule rule = rule_of(apps_[index].id);
    write_bool_setting(emit, state.priority_key, rule.priority);
    write_bool_setting(emit, state.priority_contacts_key, rule.priority_contacts);
    write_text_setting(emit, state.mute_key, mute_label(rule.muted_until, now));
  }
}

bool NotificationsPane::sync_app_rules(orvo_doc::Document& document) {
  // The pass runs every frame over every application: values are read in place, not copied.
  const auto scalar_at = [&](std::string_view key) -> const orvo_doc::ScalarValue* {
    auto found = document.lookup(object_, key);
    if (!found || !*found) return nullptr;
    return std::get_if<orvo_doc::ScalarValue>(*found);
  };
  const auto flag_at = [&](std::string_view key) -> std::optional<bool> {
    const auto* scalar = scalar_at(key);
    return scalar ? scalar->as_bool() : std::nullopt;
  };
  using RuleFlag = std::optional<bool> AppNotificationRule::*;
  static constexpr std::array<RuleFlag, 4> kFlags{&AppNotificationRule::banners, &AppNotificationRule::previews,
                                                  &AppNotificationRule::sounds, &AppNotificationRule::badges};
  bool changed = false;
  std::int64_t now = -1;
  for (std::size_t index = 0; index < apps_.size(); ++index) {
    const NotificationApp& app = apps_[index];
    AppRuleState& state = app_states_[index];
    // The rule flags that changed in the document since last seen; untouched ones keep following
    // the global choices.
    std::array<std::optional<bool>, 4> taken{};
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
      const std::optional<bool> value = flag_at(state.flag_keys[i]);
      if (!value || state.seen[i] == value) continue;
      state.seen[i] = value;
      taken[i] = value;
    }
    const std::optional<bool> priority = flag_at(state.priority_key);
    const std::optional<bool> contacts = flag_at(state.priority_contacts_key);
    const orvo_doc::ScalarValue* mute_value = scalar_at(state.mute_key);
    const std::string* mute = mute_value ? mute_value->as_str() : nullptr;

    const bool mute_changed = mute && *mute != state.mute_applied;
    auto& per_app = prefs_.notifications.per_app;
    const auto existing = per_app.find(app.id);
    AppNotificationRule rule = existing == per_app.end() ? AppNotificationRule{} : existing->second;
    bool rule_changed = false;
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
      if (!taken[i] || rule.*(kFlags[i]) == taken[i]) continue;
      rule.*(kFlags[i]) = taken[i];
      rule_changed = true;
    }
    if (priority && *priority != rule.priority) {
      rule.priority = *priority;
      rule_changed = true;
    }
    if (contacts && *contacts != rule.priority_contacts) {
      rule.priority_contacts = *contacts;
      rule_changed = true;
    }
    if (mute_changed) {
      if (now < 0) now = device_mesh::now_unix_secs();
      // A text that names no mute choice is ignored.
      if (auto expiry = mute_expiry(*mute, now)) {
        rule.muted_until = *expiry;
        state.mute_applied = *mute;
        rule_changed = true;
      }
    }
    if (!rule_changed) continue;
    per_app.insert_or_assign(app.id, std::move(rule));
    changed = true;
  }
  if (changed) mark_structure_dirty();
  return changed;
}

std::optional<std::string> NotificationsPane::descendant_query() { return std::exchange(handed_text_, std::nullopt); }

void NotificationsPane::publish(const EmitSetting& emit) {
  for (std::string_view key : kPublishedFlags) {
    write_bool_setting(emit, key, preferences::stored_flag(prefs_, key).value_or(false));
  }
  for (std::string_view key : kPublishedTexts) write_text_setting(emit, key, label_of(prefs_, key));
  publish_app_rules(emit);
}

bool NotificationsPane::sync_setting(orvo_doc::Document& document, std::string_view key, const EmitSetting& emit) {
  const preferences::SettingField* field = preferences::find_setting_field(key);
  if (!field) return false;
  SettingFieldValue value;
  bool changed = false;
  if (auto flag = preferences::stored_flag(prefs_, key)) {
    auto result = sync_bool_setting(document, object_, key, *flag, emit);
    value = result.value;
    changed = result.changed;
  } else {
    auto result = sync_text_setting(document, object_, key, label_of(prefs_, key), seen_, emit);
    value = std::move(result.value);
    changed = result.changed;
  }
  // A label outside its list is refused by the row and leaves the field as it is.
  if (changed && field->read(prefs_) != value && field->write(prefs_, value)) mark_structure_dirty();
  return changed;
}

void NotificationsPane::save() {
  ++saves_;
  const preferences::NotificationPrefs notifications = prefs_.notifications;
  auto saved = preferences::update_preferences_section("notifications", [&](preferences::Preferences& prefs) {
    prefs.notifications = notifications;
    return std::expected<void, std::string>{};
  });
  if (!saved) orvo_log::warn("failed to persist notification prefs", {{"error", saved.error()}});
}

void NotificationsPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  const EmitSetting emit = setting_emitter(host_, *document);
  if (initial_publication_pending_) {
    publish(emit);
    // The controls show what is stored, not what they showed when the page was last open.
    for (std::string_view key : kPublishedFlags) show_stored_setting(*document, object_, key);
    for (std::string_view key : kPublishedTexts) show_stored_setting(*document, object_, key);
    initial_publication_pending_ = false;
  }
  bool changed = sync_setting(*document, kDoNotDisturb, emit);
  changed |= sync_setting(*document, kFocusDays, emit);
  changed |= sync_app_rules(*document);
  for (std::string_view key : kLaterFlags) changed |= sync_setting(*document, key, emit);
  changed |= sync_setting(*document, kFocusStart, emit);
  changed |= sync_setting(*document, kFocusEnd, emit);
  if (changed) save();
}

std::unique_ptr<orvo_ui::Widget> NotificationsPane::build_view() {
  const preferences::NotificationPrefs& prefs = prefs_.notifications;
  const auto toggle_row = [&](const ToggleRow& row) -> ws::WidgetBox {
    auto toggle = std::make_unique<orvo_ui::Toggle>(controls_.toggle(edit_key(row.key)).with_id(row.id));
    return ws::described_setting_row(row.label, row.help, std::move(toggle));
  };
  const auto choice_row = [&](std::string_view label, std::string_view key) -> ws::WidgetBox {
    auto dropdown = std::make_unique<orvo_ui::Dropdown>(
        controls_.dropdown(edit_key(key), preferences::setting_choice_labels(key)).with_placeholder(label_of(prefs_, key)));
    return ws::setting_row_fixed(label, std::move(dropdown));
  };
  const auto card = [](std::string_view title, std::vector<ws::WidgetBox> rows) {
    return ws::titled_card(title, ws::section_stack(std::move(rows)));
  };
  std::vector<ws::WidgetBox> cards;

  // Each delivery state in its own colour of the dark theme.
  const orvo_ui::Theme dark = orvo_ui::Theme::dark();
  const std::string_view state = delivery_state(prefs);
  const orvo_ui::Color tone =
      prefs.do_not_disturb ? dark.warning : (prefs.show_banners ? dark.success : dark.secondary_text);
  std::vector<ws::WidgetBox> dnd;
  dnd.push_back(ws::setting_row("Delivery", ws::colored_badge(state, tone)));
  dnd.push_back(toggle_row(kDoNotDisturbRow));
  cards.push_back(card("Do Not Disturb", std::move(dnd)));

  std::vector<ws::WidgetBox> focus;
  focus.push_back(toggle_row(kFocusRow));
  focus.push_back(choice_row("From", kFocusStart));
  focus.push_back(choice_row("Days", kFocusDays));
  focus.push_back(choice_row("Until", kFocusEnd));
  focus.push_back(ws::caption_text("The schedule follows local time. User-approved priority apps may still notify; an "
                                   "app cannot mark itself as priority."));
  cards.push_back(card("Focus schedule", std::move(focus)));

  std::vector<ws::WidgetBox> banners;
  banners.push_back(toggle_row(kBannersRow));
  banners.push_back(toggle_row(kPreviewsRow));
  cards.push_back(card("Banners", std::move(banners)));

  std::vector<ws::WidgetBox> shell;
  shell.push_back(toggle_row(kLockScreenRow));
  shell.push_back(ws::value_row("Notification sounds", sound_backend_text(media::notification_sound::sound_backend())));
  shell.push_back(toggle_row(kSoundsRow));
  shell.push_back(toggle_row(kBadgesRow));
  cards.push_back(card("Lock screen & shell integration", std::move(shell)));

  cards.push_back(card("Applications", [&] {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(ws::caption_text(
        apps_.empty() ? "Per-application controls appear after a packaged application is installed."
                      : "Rules use verified Orvo, system, or Flatpak identities — never the name an application writes "
                        "into a notification."));
    return rows;
  }()));
  cards.push_back(ws::titled_card(
      "How this applies",
      ws::caption_text("These choices are read by the compositor's notification layer, so every verified app follows "
                       "the same delivery policy. Do Not Disturb overrides the individual banner and sound toggles.")));
  add_app_cards(cards);
  cards.push_back(card("Priority contacts", [] {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(ws::value_row("Source", "Favourites in Contacts"));
    rows.push_back(ws::caption_text(
        "Contacts publishes a redacted, salted priority registry to the shell. Raw addresses are not stored there. "
        "Only communication apps you authorize above may assert a sender; the shell verifies the sender against that "
        "registry."));
    return rows;
  }()));
  return ws::page_stack(std::move(cards));
}

void NotificationsPane::add_app_cards(std::vector<std::unique_ptr<orvo_ui::Widget>>& cards) {
  struct RuleRow {
    std::string_view field;
    std::string_view label;
    std::string_view help;
  };
  static constexpr std::array<RuleRow, 6> kRows{{
      {"banners", "Allow banners", "Override the global banner choice for this application"},
      {"previews", "Show previews", "Allow message contents from this application"},
      {"sounds", "Play sounds", "Override the global sound choice for this application"},
      {"badges", "Show badges", "Allow verified unread counts in supported shell surfaces"},
      {"priority", "Priority during focus", "Let this verified application pierce scheduled focus"},
      {"priority_contacts", "Priority contacts",
       "Allow this verified communications app to identify senders; only Contacts favourites can pierce focus"},
  }};
  const std::int64_t now = device_mesh::now_unix_secs();
  for (const NotificationApp& app : apps_) {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(ws::value_row("Verified application", app.id));
    for (const RuleRow& row : kRows) {
      const std::string key = app_setting_key(app.id, row.field);
      auto toggle = std::make_unique<orvo_ui::Toggle>(controls_.toggle(key).with_id(key));
      rows.push_back(ws::described_setting_row(row.label, row.help, std::move(toggle)));
    }
    const std::string mute_key = app_setting_key(app.id, "mute");
    auto mute = std::make_unique<orvo_ui::Dropdown>(controls_.dropdown(mute_key, mute_labels())
                                                        .with_id(mute_key)
                                                        .with_placeholder(mute_label(rule_of(app.id).muted_until, now)));
    rows.push_back(ws::setting_row_fixed("Mute temporarily", std::move(mute)));
    const Effective values = effective(app.id);
    rows.push_back(ws::caption_text(!values.banners    ? "Notifications go to history without a banner."
                                    : values.previews ? "Banners and their contents are currently allowed."
                                                      : "Banners are allowed with their contents hidden."));
    cards.push_back(ws::titled_card(app.name, ws::section_stack(std::move(rows))));
  }
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return NotificationsPane::load(); }

}  // namespace settings::panes::notifications
