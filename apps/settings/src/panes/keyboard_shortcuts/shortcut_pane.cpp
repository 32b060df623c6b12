#include "panes/keyboard_shortcuts/shortcut_pane.h"

#include <fmt/format.h>

#include <utility>
#include <vector>

#include "actions/settings_action.h"
#include "actions/settings_dispatch.h"
#include "catalogues/shortcut_titles.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/setting_sync.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::keyboard_shortcuts {
namespace hw = settings_store::hardware;
namespace ws = settings::widget_support;
using actions::SettingsAction;

namespace {

// Codes up to this one belong to the system card; the rest move around the desktop.
constexpr std::uint8_t kLastSystemAction = 4;

}  // namespace

std::unordered_map<std::uint8_t, std::string> shortcut_chord_texts(const std::map<std::uint8_t, hw::KeyChord>& bindings) {
  std::unordered_map<std::uint8_t, std::string> texts;
  for (const auto& [action, chord] : bindings) texts.emplace(action, chord.display());
  return texts;
}

std::string error_key(std::string_view id) { return std::string(id) + ".error"; }

ShortcutPane::ShortcutPane(hw::ShortcutConfig shortcuts, hw::DesktopControlsConfig controls)
    : PaneGlue("ShortcutPane", DirtyRule::OwnFlagFirst),
      shortcuts_(std::move(shortcuts)),
      controls_config_(std::move(controls)),
      published_vim_(controls_config_.vim_mode) {
  for (auto& [action, text] : shortcut_chord_texts(shortcuts_.bindings)) shown_.emplace(action, std::move(text));
  use_frame_document();
}

std::unique_ptr<ShortcutPane> ShortcutPane::load() {
  return std::make_unique<ShortcutPane>(hw::ShortcutConfig::load(), hw::DesktopControlsConfig::load());
}

std::optional<orvo_ui::PaneDescriptor> ShortcutPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"keyboard-shortcuts", "Keyboard shortcuts", "Change keyboard shortcuts"};
}

std::string ShortcutPane::shown(std::uint8_t action) const {
  const auto it = shown_.find(action);
  return it == shown_.end() ? std::string() : it->second;
}

std::optional<std::string> ShortcutPane::refusal(std::string_view id) const {
  const auto it = refusals_.find(id);
  if (it == refusals_.end()) return std::nullopt;
  return it->second;
}

std::string ShortcutPane::refusal_sentence(std::uint8_t action, std::string_view text, std::string_view error) const {
  const auto chord = hw::KeyChord::parse(text);
  if (!chord) return fmt::format("Could not use {}: {}", text, chord.error());
  for (const auto& [code, bound] : shortcuts_.bindings) {
    if (code == action || bound != *chord) continue;
    for (const auto& definition : shortcut_definitions()) {
      if (definition.action == code) {
        return fmt::format("Could not use {}: it is already the shortcut for \u201c{}\u201d.", chord->display(),
                           definition.title);
      }
    }
    return fmt::format("Could not use {}: another desktop action already uses it.", chord->display());
  }
  return fmt::format("Could not save the shortcut {}: {}", chord->display(), error);
}

void ShortcutPane::set_refusal(std::string_view id, std::optional<std::string> sentence) {
  const auto it = refusals_.find(id);
  const bool changed = sentence ? (it == refusals_.end() || it->second != *sentence) : it != refusals_.end();
  if (!changed) return;
  if (sentence) {
    refusals_.insert_or_assign(std::string(id), std::move(*sentence));
  } else {
    refusals_.erase(it);
  }
  mark_structure_dirty();
}

void ShortcutPane::put_text(orvo_doc::Document& document, std::string_view key, std::string_view text) {
  auto written = lib::put_if_changed(document, object_, std::string(key), orvo_doc::ScalarValue::str(std::string(text)));
  if (!written) orvo_log::warn("could not write a shortcut", {{"key", std::string(key)}});
}

void ShortcutPane::put_flag(orvo_doc::Document& document, std::string_view key, bool value) {
  auto written = lib::put_if_changed(document, object_, std::string(key), orvo_doc::ScalarValue::boolean(value));
  if (!written) orvo_log::warn("could not write a shortcut setting", {{"key", std::string(key)}});
}

void ShortcutPane::dispatch(orvo_doc::Document& document, const SettingsAction& action) {
  ++dispatches_;
  actions::dispatch_with_context(
      host_, document, SettingsAction::kNamespace, action,
      actions::context_for_typed_action(actions::kSettingsAppId, actions::kSettingsAppName, action));
}

void ShortcutPane::publish(orvo_doc::Document& document) {
  for (const auto& definition : shortcut_definitions()) {
    const std::string chord = shown(definition.action);
    put_text(document, definition.id, chord);
    put_text(document, edit_key(definition.id), chord);
  }
  put_flag(document, kVimModeKey, published_vim_);
  put_flag(document, edit_key(kVimModeKey), published_vim_);
}

std::expected<std::string, std::string> ShortcutPane::apply(std::uint8_t action, std::string_view text) {
  auto chord = hw::KeyChord::parse(text);
  if (!chord) return std::unexpected(std::move(chord.error()));
  hw::ShortcutConfig changed = shortcuts_;
  if (auto set = changed.set(action, *chord); !set) return std::unexpected(std::move(set.error()));
  ++saves_;
  if (auto saved = changed.save(); !saved) {
    orvo_log::warn("could not save the shortcuts", {{"error", saved.error()}});
    return std::unexpected(std::move(saved.error()));
  }
  shortcuts_ = std::move(changed);
  std::string canonical = chord->display();
  shown_[action] = canonical;
  return canonical;
}

void ShortcutPane::sync_vim_mode(orvo_doc::Document& document) {
  const bool main = lib::read_bool(document, object_, kVimModeKey).value_or(published_vim_);
  const std::string edit_name = edit_key(kVimModeKey);
  const bool edit = lib::read_bool(document, object_, edit_name).value_or(main);
  const bool previous = published_vim_;
  if (main != previous) {
    // Through the action system: the toggle follows, and a failed save undoes the change.
    put_flag(document, edit_name, main);
    controls_config_.vim_mode = main;
    ++saves_;
    if (auto saved = controls_config_.save(); saved) {
      published_vim_ = main;
      return;
    }
    orvo_log::warn("could not save the desktop controls", {{"key", std::string(kVimModeKey)}});
    controls_config_.vim_mode = previous;
    put_flag(document, edit_name, previous);
    dispatch(document, SettingsAction::set_setting(kVimModeKey, previous));
    return;
  }
  if (edit == main) return;
  controls_config_.vim_mode = edit;
  ++saves_;
  if (auto saved = controls_config_.save(); saved) {
    published_vim_ = edit;
    dispatch(document, SettingsAction::set_setting(kVimModeKey, edit));
    return;
  }
  orvo_log::warn("could not save the desktop controls", {{"key", std::string(kVimModeKey)}});
  controls_config_.vim_mode = previous;
  put_flag(document, edit_name, main);
}

void ShortcutPane::sync_shortcut(orvo_doc::Document& document, std::string_view id, std::uint8_t action) {
  const auto text = lib::read_string(document, object_, id);
  if (!text) return;
  const std::string current = shown(action);
  const std::string edit_name = edit_key(id);
  if (*text == current) refused_.erase(std::string(id));
  const auto refused = refused_.find(id);
  // A text refused before is not tried again until it changes; the recorder stays usable meanwhile.
  const bool from_outside = *text != current && (refused == refused_.end() || refused->second != *text);
  if (from_outside) {
    auto applied = apply(action, *text);
    if (applied) {
      refused_.erase(std::string(id));
      put_text(document, id, *applied);
      put_text(document, edit_name, *applied);
      put_flag(document, error_key(id), false);
      return;
    }
    refused_.insert_or_assign(std::string(id), *text);
    if (current.empty()) return;
    dispatch(document, SettingsAction::set_setting(id, current));
    put_text(document, edit_name, current);
    put_flag(document, error_key(id), true);
    return;
  }
  const std::string edit = lib::read_string(document, object_, edit_name).value_or(current);
  if (edit == current) return;
  // The user's recording.
  auto applied = apply(action, edit);
  if (!applied) {
    set_refusal(id, refusal_sentence(action, edit, applied.error()));
    put_text(document, edit_name, current);
    put_flag(document, error_key(id), true);
    return;
  }
  set_refusal(id, std::nullopt);
  refused_.erase(std::string(id));
  put_text(document, id, *applied);
  put_text(document, edit_name, *applied);
  put_flag(document, error_key(id), false);
  dispatch(document, SettingsAction::set_setting(id, *applied));
}

void ShortcutPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  if (std::exchange(publish_pending_, false)) publish(*document);
  sync_vim_mode(*document);
  for (const auto& definition : shortcut_definitions()) sync_shortcut(*document, definition.id, definition.action);
}

std::unique_ptr<orvo_ui::Widget> ShortcutPane::build_view() {
  const auto add_row = [&](const ShortcutDefinition& definition, std::vector<ws::WidgetBox>& rows) {
    const auto fallback = hw::ShortcutConfig::default_for(definition.action);
    auto recorder = controls_.shortcut_recorder(std::string(definition.id), edit_key(definition.id))
                        .with_default(fallback ? fallback->display() : std::string());
    rows.push_back(ws::described_setting_row(definition.title, definition.description,
                                             std::make_unique<orvo_ui::ShortcutRecorder>(std::move(recorder))));
    if (auto why = refusal(definition.id)) rows.push_back(ws::caption_text(*why));
  };
  std::vector<ws::WidgetBox> system_rows;
  std::vector<ws::WidgetBox> navigation_rows;
  auto vim = controls_.toggle(edit_key(kVimModeKey)).with_id(kVimModeKey);
  navigation_rows.push_back(
      ws::setting_row("Vim navigation (H J K L)", std::make_unique<orvo_ui::Toggle>(std::move(vim))));
  for (const auto& definition : shortcut_definitions()) {
    add_row(definition, definition.action <= kLastSystemAction ? system_rows : navigation_rows);
  }
  std::vector<ws::WidgetBox> cards;
  cards.push_back(ws::titled_card("System", ws::section_stack(std::move(system_rows))));
  cards.push_back(ws::titled_card("Desktop navigation", ws::section_stack(std::move(navigation_rows))));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) { return ShortcutPane::load(); }

}  // namespace settings::panes::keyboard_shortcuts
