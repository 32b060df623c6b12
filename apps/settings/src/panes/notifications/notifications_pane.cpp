#include "panes/notifications/notifications_pane.h"

#include <array>
#include <utility>
#include <vector>

#include "actions/settings_dispatch.h"
#include "media/notification_sound.h"
#include "orvo_log/log.h"
#include "orvo_ui/theme.h"
#include "preferences/preferences_file.h"
#include "preferences/setting_fields.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::notifications {
namespace ws = settings::widget_support;
using preferences::SettingFieldValue;

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

NotificationsPane::NotificationsPane(preferences::NotificationPrefs prefs)
    : PaneGlue("NotificationsPane", DirtyRule::OwnFlagFirst) {
  prefs_.notifications = std::move(prefs);
  use_frame_document();
}

std::unique_ptr<NotificationsPane> NotificationsPane::load() {
  return std::make_unique<NotificationsPane>(preferences::load_preferences().notifications);
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
    initial_publication_pending_ = false;
  }
  bool changed = sync_setting(*document, kDoNotDisturb, emit);
  changed |= sync_setting(*document, kFocusDays, emit);
  changed |= sync_app_rules(*document, emit);
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

  // The per-application cards join here.

  cards.push_back(ws::titled_card(
      "How this applies",
      ws::caption_text("These choices are read by the compositor's notification layer, so every verified app follows "
                       "the same delivery policy. Do Not Disturb overrides the individual banner and sound toggles.")));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return NotificationsPane::load(); }

}  // namespace settings::panes::notifications
