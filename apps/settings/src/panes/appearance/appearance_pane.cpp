#include "panes/appearance/appearance_pane.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fmt/format.h>
#include <vector>

#include "actions/settings_dispatch.h"
#include "orvo_log/log.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::appearance {
namespace ws = settings::widget_support;
using preferences::SettingFieldValue;

namespace {

constexpr std::array<std::string_view, 3> kTextKeys{kThemeKey, kTextSizeKey, kUiScaleKey};
constexpr std::array<std::string_view, 2> kFlagKeys{kHighContrastKey, kReduceMotionKey};

bool is_listed(std::string_view key, std::string_view label) {
  const auto labels = preferences::setting_choice_labels(key);
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

std::string label_of(const preferences::Preferences& prefs, std::string_view key) {
  return preferences::stored_label(prefs, key).value_or(std::string());
}

}  // namespace

orvo_ui::Theme theme_by_name(std::string_view name) {
  if (name.starts_with("custom:")) return orvo_ui::Theme::configured(name);
  if (auto named = orvo_ui::Theme::named(name)) return *named;
  return *orvo_ui::Theme::named("Dark");
}

orvo_ui::Theme theme_from_prefs(const preferences::AppearancePrefs& appearance) {
  const orvo_ui::Theme base =
      appearance.high_contrast ? orvo_ui::Theme::high_contrast() : theme_by_name(appearance.theme);
  return base.with_ui_scale(static_cast<float>(appearance.ui_scale))
      .with_text_scale(static_cast<float>(appearance.text_scale))
      .with_reduce_motion(appearance.reduce_motion);
}

std::string applied_theme_name(const preferences::AppearancePrefs& appearance) {
  return theme_from_prefs(appearance).name;
}

std::string scale_percent(double scale) {
  return fmt::format("{}%", std::lround(static_cast<double>(static_cast<float>(scale)) * 100.0));
}

AppearancePane::AppearancePane(preferences::AppearancePrefs appearance)
    : PaneGlue("AppearancePane", DirtyRule::OwnFlagFirst) {
  prefs_.appearance = std::move(appearance);
  theme_ = theme_from_prefs(prefs_.appearance);
  use_frame_document();
}

std::unique_ptr<AppearancePane> AppearancePane::load() {
  return std::make_unique<AppearancePane>(preferences::load_preferences().appearance);
}

std::optional<orvo_ui::PaneDescriptor> AppearancePane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Appearance);
}

std::optional<orvo_actions::ActionContext> AppearancePane::commit_context() {
  if (take_commit_pending()) {
    return actions::preference_pane_source(true, "appearance", "Appearance", "Change appearance preferences");
  }
  return std::nullopt;
}

void AppearancePane::publish(const EmitSetting& emit) {
  for (std::string_view key : kTextKeys) write_text_setting(emit, key, label_of(prefs_, key));
  for (std::string_view key : kFlagKeys) {
    write_bool_setting(emit, key, preferences::stored_flag(prefs_, key).value_or(false));
  }
}

bool AppearancePane::take(std::string_view key, const SettingFieldValue& value) {
  const preferences::SettingField* field = preferences::find_setting_field(key);
  if (!field || field->read(prefs_) == value) return false;
  // Only the listed themes are taken from the document; a stored name outside the list stays
  // until a listed one is chosen.
  if (key == kThemeKey && !is_listed(key, std::get<std::string>(value))) return false;
  // A label outside its table is refused by the row and leaves the value as it is.
  return field->write(prefs_, value).has_value();
}

void AppearancePane::save() {
  ++saves_;
  const preferences::AppearancePrefs appearance = prefs_.appearance;
  auto saved = preferences::update_preferences_section("appearance", [&](preferences::Preferences& prefs) {
    prefs.appearance = appearance;
    return std::expected<void, std::string>{};
  });
  if (!saved) orvo_log::warn("failed to persist appearance prefs", {{"error", saved.error()}});
}

void AppearancePane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  const EmitSetting emit = setting_emitter(host_, *document);
  if (initial_publication_pending_) {
    publish(emit);
    for (std::string_view key : kTextKeys) show_stored_setting(*document, object_, key);
    for (std::string_view key : kFlagKeys) show_stored_setting(*document, object_, key);
    initial_publication_pending_ = false;
  }

  bool changed = false;
  bool taken = false;
  for (std::string_view key : kTextKeys) {
    auto result = sync_text_setting(*document, object_, key, label_of(prefs_, key), seen_, emit);
    changed |= result.changed;
    if (result.changed && take(key, result.value)) {
      taken = true;
      mirror_shared_setting(*document, object_, key, preferences::find_setting_field(key)->read(prefs_));
    }
  }
  for (std::string_view key : kFlagKeys) {
    auto result =
        sync_bool_setting(*document, object_, key, preferences::stored_flag(prefs_, key).value_or(false), emit);
    changed |= result.changed;
    if (result.changed && take(key, result.value)) {
      taken = true;
      mirror_shared_setting(*document, object_, key, result.value);
    }
  }
  if (!changed) return;
  save();
  if (!taken) return;
  theme_ = theme_from_prefs(prefs_.appearance);
  mark_structure_dirty();
}

std::unique_ptr<orvo_ui::Widget> AppearancePane::build_view() {
  const preferences::AppearancePrefs& appearance = prefs_.appearance;
  std::vector<ws::WidgetBox> cards;

  std::vector<ws::WidgetBox> theme_rows;
  const auto dropdown_row = [&](std::string_view label, std::string_view key) {
    auto dropdown = controls_.dropdown(edit_key(key), preferences::setting_choice_labels(key))
                        .with_id(key)
                        .with_placeholder(key == kThemeKey ? theme_by_name(appearance.theme).name
                                                           : label_of(prefs_, key));
    theme_rows.push_back(ws::setting_row_fixed(label, std::make_unique<orvo_ui::Dropdown>(std::move(dropdown))));
  };
  dropdown_row("Theme", kThemeKey);
  dropdown_row("UI scale", kUiScaleKey);
  dropdown_row("Text size", kTextSizeKey);
  cards.push_back(ws::titled_card("Theme", ws::section_stack(std::move(theme_rows))));

  std::vector<ws::WidgetBox> access_rows;
  const auto toggle_row = [&](std::string_view label, std::string_view help, std::string_view key) {
    auto toggle = controls_.toggle(edit_key(key)).with_id(key);
    access_rows.push_back(ws::described_setting_row(label, help, std::make_unique<orvo_ui::Toggle>(std::move(toggle))));
  };
  toggle_row("High contrast", "Maximise contrast for low-vision comfort", kHighContrastKey);
  toggle_row("Reduce motion", "Skip animations and transitions", kReduceMotionKey);
  cards.push_back(ws::titled_card("Accessibility", ws::section_stack(std::move(access_rows))));

  std::vector<ws::WidgetBox> applied_rows;
  applied_rows.push_back(ws::value_row("Active theme", theme_.name));
  applied_rows.push_back(ws::value_row("UI scale", scale_percent(theme_.ui_scale)));
  applied_rows.push_back(ws::value_row("Text scale", scale_percent(theme_.text_scale)));
  applied_rows.push_back(ws::value_row("Reduced motion", theme_.reduce_motion ? "On" : "Off"));
  cards.push_back(ws::titled_card("Applied theme", ws::section_stack(std::move(applied_rows))));

  cards.push_back(ws::titled_card(
      "Shared with your apps",
      ws::caption_text("Your theme, contrast, motion, UI-scale, and text-size choices are read by the compositor and "
                       "every Orvo app, so the whole system follows the look you pick here. UI scale grows the entire "
                       "interface and composes with each display's own fractional scale; text size adjusts type on "
                       "top.")));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return AppearancePane::load(); }

}  // namespace settings::panes::appearance
