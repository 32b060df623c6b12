#include "panes/mouse_keyboard/mouse_keyboard_pane.h"

#include <algorithm>
#include <array>
#include <utility>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "actions/control_bindings.h"
#include "catalogues/input_actions.h"
#include "catalogues/input_bindings.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/section_shell.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/slider.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/control_binding.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"
#include "settings_store/settings_file.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::mouse_keyboard {

namespace ws = settings::widget_support;
using orvo_ui::PublishedCell;

namespace {

constexpr std::string_view kSection = "text_assistance";
constexpr std::string_view kCheckSpellingMember = "check_spelling";
constexpr std::string_view kAutoCorrectMember = "auto_correct";

constexpr std::array<std::string_view, 6> kComposeChoices{"Disabled",  "Right Alt",   "Menu",
                                                          "Caps Lock", "Right Super", "Left Super"};

// A flag of the saved section: on when absent or not a flag.
bool section_flag(const std::optional<nlohmann::ordered_json>& section, std::string_view member) {
  if (!section || !section->is_object()) return true;
  const auto it = section->find(member);
  return it == section->end() || !it->is_boolean() ? true : it->get<bool>();
}

std::vector<std::string> strings(std::span<const std::string_view> texts) {
  return {texts.begin(), texts.end()};
}

std::unique_ptr<orvo_ui::Toggle> action_toggle(std::string_view id, bool on, std::string_view action) {
  return std::make_unique<orvo_ui::Toggle>(bind_or_warn(orvo_ui::Toggle::from_state(PublishedCell<bool>(on)).with_id(id),
                                                        actions::input_toggle_binding(action), kMissingBinding));
}

std::unique_ptr<orvo_ui::Slider> action_slider(std::string_view id, double level, std::string_view action) {
  return std::make_unique<orvo_ui::Slider>(bind_or_warn(
      orvo_ui::Slider::from_state(PublishedCell<double>(level)).with_id(id), actions::input_level_binding(action),
      kMissingBinding));
}

std::unique_ptr<orvo_ui::Dropdown> action_dropdown(std::string_view id, std::string current,
                                                   std::vector<std::string> choices, std::string_view placeholder,
                                                   std::string_view action) {
  return std::make_unique<orvo_ui::Dropdown>(
      bind_or_warn(orvo_ui::Dropdown::from_state(PublishedCell<std::string>(std::move(current)), std::move(choices))
                       .with_placeholder(placeholder)
                       .with_id(id),
                   actions::input_choice_binding(action), kMissingBinding));
}

// A spell-checker toggle sends the flip built from the value it shows, so a click always sets the
// value the toggle then shows; the page is built again when that value changes.
std::unique_ptr<orvo_ui::Toggle> text_assistance_toggle(std::string_view id, bool on,
                                                        orvo_actions::ActionSpec flip) {
  const std::string action = flip.name;
  const auto section = actions::section_shell(settings_app::SettingsSection::MouseKeyboard).with_action(std::move(flip));
  return std::make_unique<orvo_ui::Toggle>(bind_or_warn(
      orvo_ui::Toggle::from_state(PublishedCell<bool>(on)).with_id(id), actions::toggle_binding(section, action),
      kMissingBinding));
}

}  // namespace

KeyRepeatDisplay key_repeat_display(const preferences::InputPrefs& input) {
  if (input.key_repeat_delay_ms && input.key_repeat_rate_hz) {
    const std::uint32_t rate = *input.key_repeat_rate_hz;
    const double above = rate > 10 ? static_cast<double>(rate - 10) : 0.0;
    KeyRepeatDisplay display{std::min(above / 40.0, 1.0), {}};
    display.description = rate == 0 ? std::string("Repeat is off — move the slider to turn it on")
                                     : fmt::format("{} keys per second · starts after {} ms", rate,
                                                   *input.key_repeat_delay_ms);
    return display;
  }
  return {input.key_repeat, "Faster repeat starts sooner"};
}

void save_text_assistance(std::string_view key, bool value) {
  const std::string member(key);
  auto saved = settings_store::update_section(kSection, [&](nlohmann::ordered_json& section) {
    const auto it = section.find(member);
    if (it != section.end() && it->is_boolean() && it->get<bool>() == value) return false;
    section[member] = value;
    return true;
  });
  if (!saved) {
    orvo_log::warn("failed to persist text-assistance prefs", {{"op", "text_assistance_save"}, {"error", saved.error()}});
  }
}

MouseKeyboardPane::MouseKeyboardPane(preferences::InputPrefs input, Catalogue catalogue, bool check_spelling,
                                     bool auto_correct)
    : PaneGlue("MouseKeyboardPane", DirtyRule::OwnFlagFirst),
      input_(std::move(input)),
      catalogue_(std::move(catalogue)),
      check_spelling_(check_spelling),
      auto_correct_(auto_correct),
      status_(settings_app::OperationStatus{}) {
  input_.normalise_sources();
  use_frame_document();
  mark_structure_dirty();
}

MouseKeyboardPane MouseKeyboardPane::load() {
  const auto section = settings_store::load_section(kSection);
  const auto layouts = actions::system_input_queries().keyboard_layouts();
  return MouseKeyboardPane(preferences::load_preferences().input, Catalogue(layouts.begin(), layouts.end()),
                           section_flag(section, kCheckSpellingMember), section_flag(section, kAutoCorrectMember));
}

MouseKeyboardPane MouseKeyboardPane::with_operation_status(StatusCell cell) && {
  status_ = std::move(cell);
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> MouseKeyboardPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"input", "Mouse & keyboard", "Change input preferences"};
}

std::string MouseKeyboardPane::source_label(std::string_view id) const {
  const auto hit = std::ranges::find(catalogue_, id, &settings_store::hardware::KeyboardLayout::id);
  return hit == catalogue_.end() ? std::string(id) : hit->name;
}

std::vector<std::string> MouseKeyboardPane::input_source_labels(const std::vector<std::string>& ids) const {
  std::vector<std::string> labels;
  labels.reserve(ids.size());
  for (const auto& id : ids) labels.push_back(source_label(id));
  return labels;
}

bool MouseKeyboardPane::take_text_assistance(const orvo_doc::Document& document, std::string_view key,
                                             std::string_view member, bool& value) {
  const auto held = lib::read_bool(document, object_, key);
  if (!held || *held == value) return false;
  // Taken before the save: a save that fails is not tried again until the value changes again.
  value = *held;
  save_text_assistance(member, value);
  return true;
}

void MouseKeyboardPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  if (publish_pending_) {
    for (const auto& [key, value] : {std::pair{actions::kCheckSpellingKey, check_spelling_},
                                     std::pair{actions::kAutoCorrectKey, auto_correct_}}) {
      if (auto put = lib::put_if_changed(*document, object_, key, orvo_doc::ScalarValue::boolean(value)); !put) {
        orvo_log::warn("could not publish a text-assistance setting", {{"key", std::string(key)}});
      }
    }
    publish_pending_ = false;
  }
  bool changed = take_text_assistance(*document, actions::kCheckSpellingKey, kCheckSpellingMember, check_spelling_);
  changed |= take_text_assistance(*document, actions::kAutoCorrectKey, kAutoCorrectMember, auto_correct_);
  if (changed) mark_structure_dirty();
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::keyboard_card() const {
  std::vector<ws::WidgetBox> rows;
  const std::string active = source_label(input_.keyboard_layout);
  rows.push_back(ws::setting_row_fixed("Active input source",
                                       action_dropdown("input.layout", active, input_source_labels(input_.keyboard_layouts),
                                                       active, "active-source")));
  const KeyRepeatDisplay repeat = key_repeat_display(input_);
  rows.push_back(ws::described_setting_row("Key repeat speed", repeat.description,
                                           action_slider("input.key_repeat", repeat.level, "key-repeat")));
  rows.push_back(ws::caption_text("Changes apply to this user session through the compositor. With multiple sources, "
                                  "Alt+Shift switches temporarily; Super+Space remains global search."));
  const std::string compose = actions::compose_key_label(input_);
  rows.push_back(ws::setting_row_fixed(
      "Compose key", action_dropdown("input.compose_key", compose, strings(kComposeChoices), compose, "compose-key")));
  return ws::titled_card("Keyboard", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::spell_checker_card() const {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::described_setting_row(
      "Check spelling while typing", "Underline possible misspellings in natural-language fields",
      text_assistance_toggle(actions::kCheckSpellingKey, check_spelling_, actions::spell_checking_action(check_spelling_))));
  rows.push_back(ws::described_setting_row(
      "Auto-correct obvious misspellings", "Apply only high-confidence corrections after Space, punctuation, or Enter",
      text_assistance_toggle(actions::kAutoCorrectKey, auto_correct_, actions::auto_correct_action(auto_correct_))));
  rows.push_back(ws::caption_text("Press Backspace immediately to restore the original word. Passwords are always "
                                  "excluded; other structured fields require an app to opt in."));
  return ws::titled_card("Spell checker", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::sources_card() const {
  const std::vector<std::string>& sources = input_.keyboard_layouts;
  std::vector<ws::WidgetBox> rows;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const std::string& id = sources[i];
    // A button the list's shape leaves without an action (the first one's "↑", the last one's
    // "↓", a single source's "Remove") is shown disabled and warns of nothing.
    const auto button = [&](std::string_view suffix, std::string label, std::string_view action, bool bound,
                            std::optional<std::string_view> accessible) {
      orvo_ui::Button made(fmt::format("input.source.{}.{}", i, suffix), std::move(label));
      if (accessible) made = std::move(made).with_accessible_name(*accessible);
      if (!bound) return std::make_unique<orvo_ui::Button>(std::move(made).enabled(false));
      return std::make_unique<orvo_ui::Button>(
          bind_or_warn(std::move(made), actions::keyboard_source_binding(id, action), kMissingSourceBinding));
    };
    orvo_ui::Row row = orvo_ui::Row()
                           .with_gap(8)
                           .with_align(orvo_ui::Align::Center)
                           .with_child(std::make_unique<orvo_ui::Text>(orvo_ui::Text(source_label(id)).with_size(13)))
                           .with_child(std::make_unique<orvo_ui::Spacer>(orvo_ui::Spacer::flexible()));
    if (id == input_.keyboard_layout) {
      row = std::move(row).with_child(std::make_unique<orvo_ui::Text>(orvo_ui::Text("Active").with_size(12)));
    }
    rows.push_back(std::make_unique<orvo_ui::Row>(
        std::move(row)
            .with_child(button("up", "↑", "move-up", i > 0, "Move input source up"))
            .with_child(button("down", "↓", "move-down", i + 1 < sources.size(), "Move input source down"))
            .with_child(button("remove", "Remove", "remove", sources.size() > 1, std::nullopt))));
  }
  std::vector<std::string> candidates;
  for (const auto& layout : catalogue_) {
    if (std::ranges::find(sources, layout.id) == sources.end()) candidates.push_back(layout.name);
  }
  if (sources.size() < kMaxActiveSources && !candidates.empty()) {
    std::string first = candidates.front();
    rows.push_back(ws::setting_row_fixed("Add a language or layout",
                                         action_dropdown("input.source.add_picker", std::move(first),
                                                         std::move(candidates), "Choose a source", "add-source")));
  } else {
    rows.push_back(ws::caption_text(
        "Up to four input sources can be active at once, matching the interoperable XKB group limit."));
  }
  return ws::titled_card("Input sources", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::pointer_card() const {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::setting_row(
      "Touchpad speed", action_slider("input.touchpad_pointer_speed",
                                      input_.touchpad_pointer_speed.value_or(input_.pointer_speed), "touchpad-speed")));
  rows.push_back(ws::setting_row("Mouse speed", action_slider("input.mouse_pointer_speed",
                                                              input_.mouse_pointer_speed.value_or(input_.pointer_speed),
                                                              "mouse-speed")));
  struct Switch {
    std::string_view label, help, id, action;
    bool on;
  };
  const Switch switches[] = {
      {"Touchpad natural scrolling", "Content tracks finger movement", "input.touchpad_natural_scroll",
       "touchpad-natural-scroll", input_.touchpad_natural_scroll.value_or(input_.natural_scroll)},
      {"Mouse natural scrolling", "Content moves in the wheel direction", "input.mouse_natural_scroll",
       "mouse-natural-scroll", input_.mouse_natural_scroll.value_or(input_.natural_scroll)},
      {"Tap to click", "Tap the touchpad to register a click", "input.tap_click", "tap-to-click", input_.tap_to_click},
      {"Tap-and-drag", "Hold after a tap, then move to drag", "input.tap_drag", "tap-drag", input_.tap_drag},
      {"Disable while typing", "Prevents accidental palm input", "input.disable_while_typing", "disable-while-typing",
       input_.disable_while_typing},
      {"Touchpad gestures", "Three-finger navigation; app gestures still receive other gestures",
       "input.touchpad_gestures", "touchpad-gestures", input_.touchpad_gestures},
  };
  for (const auto& s : switches) {
    rows.push_back(ws::described_setting_row(s.label, s.help, action_toggle(s.id, s.on, s.action)));
  }
  return ws::titled_card("Pointer", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::buttons_card() const {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::described_setting_row("Left-handed", "Swap primary and secondary buttons",
                                           action_toggle("input.left_handed", input_.left_handed, "left-handed")));
  rows.push_back(ws::described_setting_row(
      "Middle-button emulation", "Press left and right together for middle-click",
      action_toggle("input.middle_emulation", input_.middle_emulation, "middle-emulation")));
  const std::string profile = actions::acceleration_profile_label(input_);
  rows.push_back(ws::setting_row_fixed("Acceleration", action_dropdown("input.accel_profile", profile,
                                                                        {"Adaptive", "Flat"}, profile,
                                                                        "acceleration-profile")));
  return ws::titled_card("Buttons & acceleration", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> MouseKeyboardPane::build_view() {
  std::vector<ws::WidgetBox> cards;
  cards.push_back(keyboard_card());
  cards.push_back(spell_checker_card());
  cards.push_back(sources_card());
  cards.push_back(pointer_card());
  cards.push_back(buttons_card());
  cards.push_back(ws::titled_card(
      "Pen & tablet",
      ws::caption_text("Absolute pen and tablet mapping follows the selected display connector. Controls appear only "
                       "when a tablet is attached; pressure curves and button mappings are stored per device.")));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<MouseKeyboardPane>(
      MouseKeyboardPane::load().with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::mouse_keyboard
