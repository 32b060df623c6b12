#include "panes/accessibility/accessibility_pane.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "actions/settings_dispatch.h"
#include "catalogues/accessibility_bindings.h"
#include "catalogues/queries/assistive_programs.h"
#include "orvo_log/log.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::accessibility {
namespace ws = settings::widget_support;
using preferences::SettingFieldValue;

namespace {

// An on/off setting: its key (also its control's id), its action, its row.
struct FlagSetting {
  std::string_view key;
  std::string_view action;
  std::string_view label;
  std::string_view help;
};

// A choice: its key, its action, its row label, and the label an unknown text stands for (empty:
// an unknown text changes nothing).
struct ChoiceSetting {
  std::string_view key;
  std::string_view action;
  std::string_view label;
  std::string_view fallback;
};

// In publication order.
constexpr std::array<FlagSetting, 11> kFlags{{
    {"a11y.high_contrast", "high-contrast", "High contrast", "Maximise contrast for low-vision comfort"},
    {"a11y.reduce_motion", "reduce-motion", "Reduce motion", "Skip animations and transitions"},
    {"a11y.large_cursor", "large-cursor", "Large cursor", "Enlarge the mouse pointer so it is easy to find"},
    {"a11y.sticky_keys", "sticky-keys", "Sticky keys", "Type shortcuts one key at a time instead of holding a chord"},
    {"a11y.slow_keys", "slow-keys", "Slow keys", "Ignore brief, accidental key presses"},
    {"a11y.on_screen_keyboard", "on-screen-keyboard", "On-screen keyboard",
     "Show the keyboard automatically for focused text fields"},
    {"a11y.visual_alerts", "visual-alerts", "Visual alerts", "Flash a clear screen-edge alert when a notification arrives"},
    {"a11y.screen_reader", "screen-reader", "Screen reader", "Read focused controls and live announcements aloud"},
    {"a11y.cursor_crosshair", "pointer-crosshair", "Pointer crosshair", "Draw high-contrast guide lines through the pointer"},
    {"a11y.thick_text_caret", "thick-text-caret", "Thicker text cursor", "Use a wider insertion caret in Orvo applications"},
    {"a11y.switch_control", "switch-control", "Switch control",
     "Translate a hardware switch pair into standard Tab and Enter actions"},
}};

constexpr std::array<ChoiceSetting, 8> kChoices{{
    {"a11y.text_size", "text-size", "Text size", ""},
    {"a11y.cursor_size", "cursor-size", "Cursor size", ""},
    {"a11y.color_filter", "colour-filter", "Colour filter", ""},
    {"a11y.magnifier", "magnifier", "Magnifier lens", "Off"},
    {"a11y.switch_keys", "switch-keys", "Switch keys (next / activate)", ""},
    {"a11y.switch_scan", "switch-scan", "Automatic scan", "Manual"},
    {"a11y.reader_rate", "speech-rate", "Speech rate", "Default"},
    {"a11y.reader_voice", "speech-voice", "Voice", ""},
}};

const FlagSetting& flag(std::string_view key) {
  return *std::ranges::find(kFlags, key, &FlagSetting::key);
}

const ChoiceSetting& choice(std::string_view key) {
  return *std::ranges::find(kChoices, key, &ChoiceSetting::key);
}

std::string label_of(const preferences::Preferences& prefs, std::string_view key) {
  return preferences::stored_label(prefs, key).value_or(std::string());
}

bool flag_of(const preferences::Preferences& prefs, std::string_view key) {
  return preferences::stored_flag(prefs, key).value_or(false);
}

bool has_value(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  auto found = document.get(object, key);
  return found && *found;
}

// The label a text stands for: itself when listed, else the setting's fallback (none when it has
// none).
std::optional<std::string> understood_label(std::string_view key, const std::string& text) {
  const auto labels = preferences::setting_choice_labels(key);
  if (std::ranges::find(labels, text) != labels.end()) return text;
  const std::string_view fallback = choice(key).fallback;
  if (fallback.empty()) return std::nullopt;
  return std::string(fallback);
}

// The assistive programs as one layout found them, so the rows shown and the actions bound agree
// and each is looked for once.
class FoundPrograms final : public actions::InputQueries {
 public:
  FoundPrograms() : osk_(accessibility::osk_installed()), engine_(accessibility::screen_reader_engine()) {}
  bool on_screen_keyboard_installed() const override { return osk_; }
  std::optional<std::string> screen_reader_engine() const override { return engine_; }

 private:
  bool osk_;
  std::optional<std::string> engine_;
};

}  // namespace

std::optional<std::string> screen_reader_engine() { return actions::assistive::screen_reader_engine(); }
bool screen_reader_available() { return screen_reader_engine().has_value(); }
bool osk_installed() { return actions::assistive::on_screen_keyboard_installed(); }

AccessibilityPane::AccessibilityPane(const preferences::AppearancePrefs& appearance,
                                     preferences::AccessibilityPrefs accessibility)
    : PaneGlue("AccessibilityPane", DirtyRule::OwnFlagFirst) {
  prefs_.appearance.high_contrast = appearance.high_contrast;
  prefs_.appearance.reduce_motion = appearance.reduce_motion;
  prefs_.appearance.text_scale = appearance.text_scale;
  prefs_.accessibility = std::move(accessibility);
  use_frame_document();
}

std::unique_ptr<AccessibilityPane> AccessibilityPane::load() {
  preferences::Preferences prefs = preferences::load_preferences();
  return std::make_unique<AccessibilityPane>(prefs.appearance, std::move(prefs.accessibility));
}

std::optional<orvo_ui::PaneDescriptor> AccessibilityPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Accessibility);
}

std::optional<orvo_actions::ActionContext> AccessibilityPane::commit_context() {
  if (take_commit_pending()) {
    return actions::preference_pane_source(true, "accessibility", "Accessibility", "Change accessibility preferences");
  }
  return std::nullopt;
}

void AccessibilityPane::publish_missing(orvo_doc::Document& document, const EmitSetting& emit) {
  for (const FlagSetting& setting : kFlags) {
    if (!has_value(document, object_, setting.key)) write_bool_setting(emit, setting.key, flag_of(prefs_, setting.key));
  }
  for (const ChoiceSetting& setting : kChoices) {
    if (!has_value(document, object_, setting.key)) write_text_setting(emit, setting.key, label_of(prefs_, setting.key));
  }
}

bool AccessibilityPane::take(std::string_view key, const SettingFieldValue& value) {
  const preferences::SettingField* field = preferences::find_setting_field(key);
  if (!field) return false;
  SettingFieldValue taken = value;
  if (const auto* text = std::get_if<std::string>(&value)) {
    auto label = understood_label(key, *text);
    if (!label) return false;
    taken = std::move(*label);
  }
  if (field->read(prefs_) == taken) return false;
  return field->write(prefs_, taken).has_value();
}

void AccessibilityPane::save() {
  ++saves_;
  const preferences::AppearancePrefs vision = prefs_.appearance;
  const preferences::AccessibilityPrefs accessibility = prefs_.accessibility;
  auto saved = preferences::update_preferences_section("appearance", [&](preferences::Preferences& prefs) {
    prefs.appearance.high_contrast = vision.high_contrast;
    prefs.appearance.reduce_motion = vision.reduce_motion;
    prefs.appearance.text_scale = vision.text_scale;
    return std::expected<void, std::string>{};
  });
  if (saved) {
    saved = preferences::update_preferences_section("accessibility", [&](preferences::Preferences& prefs) {
      prefs.accessibility = accessibility;
      return std::expected<void, std::string>{};
    });
  }
  if (!saved) orvo_log::warn("failed to persist accessibility prefs", {{"error", saved.error()}});
}

void AccessibilityPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  const EmitSetting emit = setting_emitter(host_, *document);
  if (initial_publication_pending_) {
    publish_missing(*document, emit);
    for (const FlagSetting& setting : kFlags) show_stored_setting(*document, object_, setting.key);
    for (const ChoiceSetting& setting : kChoices) show_stored_setting(*document, object_, setting.key);
    initial_publication_pending_ = false;
  }

  bool changed = false;
  bool taken = false;
  // A shared vision setting taken is also written under its twin key, so the Appearance page reads
  // the same value.
  const auto mirror = [&](std::string_view key) {
    mirror_shared_setting(*document, object_, key, preferences::find_setting_field(key)->read(prefs_));
  };
  for (const FlagSetting& setting : kFlags) {
    auto result = sync_bool_setting(*document, object_, setting.key, flag_of(prefs_, setting.key), emit);
    if (!result.changed) continue;
    changed = true;
    if (take(setting.key, result.value)) {
      taken = true;
      mirror(setting.key);
    }
  }
  for (const ChoiceSetting& setting : kChoices) {
    auto result = sync_text_setting(*document, object_, setting.key, label_of(prefs_, setting.key), seen_, emit);
    if (!result.changed) continue;
    changed = true;
    if (take(setting.key, result.value)) {
      taken = true;
      mirror(setting.key);
    }
  }
  if (!changed) return;
  save();
  if (taken) mark_structure_dirty();
}

std::unique_ptr<orvo_ui::Widget> AccessibilityPane::build_view() {
  const FoundPrograms programs;
  const actions::AccessibilityBindings bindings(programs);
  const auto toggle_row = [&](std::string_view key) -> ws::WidgetBox {
    const FlagSetting& setting = flag(key);
    auto toggle = controls_.toggle(edit_key(key)).with_id(key);
    if (auto binding = bindings.toggle(setting.action)) {
      toggle = std::move(toggle).on_action(std::move(*binding));
    }
    return ws::described_setting_row(setting.label, setting.help, std::make_unique<orvo_ui::Toggle>(std::move(toggle)));
  };
  const auto dropdown_row = [&](std::string_view key) -> ws::WidgetBox {
    const ChoiceSetting& setting = choice(key);
    auto dropdown = controls_.dropdown(edit_key(key), preferences::setting_choice_labels(key))
                        .with_id(key)
                        .with_placeholder(label_of(prefs_, key));
    if (auto binding = bindings.choice(setting.action)) {
      dropdown = std::move(dropdown).on_action(std::move(*binding));
    }
    return ws::setting_row_fixed(setting.label, std::make_unique<orvo_ui::Dropdown>(std::move(dropdown)));
  };
  const auto card = [](std::string_view title, std::vector<ws::WidgetBox> rows) -> ws::WidgetBox {
    return ws::titled_card(title, ws::section_stack(std::move(rows)));
  };

  std::vector<ws::WidgetBox> cards;
  {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(toggle_row("a11y.high_contrast"));
    rows.push_back(toggle_row("a11y.reduce_motion"));
    rows.push_back(dropdown_row("a11y.text_size"));
    rows.push_back(dropdown_row("a11y.color_filter"));
    rows.push_back(dropdown_row("a11y.magnifier"));
    cards.push_back(card("Vision", std::move(rows)));
  }
  {
    std::vector<ws::WidgetBox> rows;
    rows.push_back(toggle_row("a11y.large_cursor"));
    rows.push_back(dropdown_row("a11y.cursor_size"));
    rows.push_back(toggle_row("a11y.cursor_crosshair"));
    rows.push_back(toggle_row("a11y.thick_text_caret"));
    cards.push_back(card("Pointer", std::move(rows)));
  }
  {
    std::vector<ws::WidgetBox> rows;
    if (programs.on_screen_keyboard_installed()) {
      rows.push_back(toggle_row("a11y.on_screen_keyboard"));
    } else {
      rows.push_back(ws::value_row("On-screen keyboard", "Not installed — add the signed so.orvo.osk system package"));
    }
    rows.push_back(toggle_row("a11y.sticky_keys"));
    rows.push_back(toggle_row("a11y.slow_keys"));
    rows.push_back(toggle_row("a11y.switch_control"));
    rows.push_back(dropdown_row("a11y.switch_keys"));
    rows.push_back(dropdown_row("a11y.switch_scan"));
    cards.push_back(card("Typing", std::move(rows)));
  }
  {
    std::vector<ws::WidgetBox> rows;
    if (auto engine = programs.screen_reader_engine()) {
      rows.push_back(toggle_row("a11y.screen_reader"));
      rows.push_back(ws::value_row("Speech engine", *engine));
      rows.push_back(dropdown_row("a11y.reader_rate"));
      rows.push_back(dropdown_row("a11y.reader_voice"));
    } else {
      rows.push_back(ws::value_row("Screen reader", "Unavailable — install Speech Dispatcher or eSpeak NG"));
    }
    rows.push_back(toggle_row("a11y.visual_alerts"));
    rows.push_back(ws::value_row("Application focus highlight", "Not yet available for non-Orvo applications"));
    rows.push_back(ws::value_row("Live captions", "Unavailable — no local speech-to-text engine is installed"));
    cards.push_back(card("More assistive technology", std::move(rows)));
  }
  cards.push_back(ws::titled_card(
      "Shared with your apps",
      ws::caption_text(
          "Vision comforts are the same settings the Appearance pane offers — changing them here or there updates one "
          "shared value. Pointer sizing, sticky keys and slow keys are applied by the compositor's input layer. Colour "
          "filters, the magnifier and pointer guides are final-scene compositor effects. Text-caret width is owned by "
          "the shared toolkit. The screen reader reloads in every Orvo app and visual alerts are rendered by shell "
          "chrome. The on-screen keyboard is a sandboxed system service: the compositor starts it on a private "
          "input-method socket and keeps its surface out of workspace tiles. Unsupported capabilities are identified "
          "explicitly instead of being stored as inert toggles.")));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return AccessibilityPane::load(); }

}  // namespace settings::panes::accessibility
