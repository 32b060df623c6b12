// The Accessibility section: every accessibility setting as a setting action on its "a11y." key.
// On/off settings are toggles; the others are choices among the labels the Accessibility pane
// shows and stores, so that whatever a client picks is a value the pane understands. The on-screen
// keyboard and the screen-reader actions exist only when those programs are installed.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

using orvo_actions::Resource;

struct ToggleEntry {
  std::string_view id;
  std::string_view title;
  std::string_view key;
};

constexpr std::array<ToggleEntry, 9> kToggles{{
    {"high-contrast", "Set high contrast", "a11y.high_contrast"},
    {"reduce-motion", "Set reduced motion", "a11y.reduce_motion"},
    {"large-cursor", "Set large cursor", "a11y.large_cursor"},
    {"sticky-keys", "Set sticky keys", "a11y.sticky_keys"},
    {"slow-keys", "Set slow keys", "a11y.slow_keys"},
    {"visual-alerts", "Set visual alerts", "a11y.visual_alerts"},
    {"pointer-crosshair", "Set pointer crosshair", "a11y.cursor_crosshair"},
    {"thick-text-caret", "Set thicker text cursor", "a11y.thick_text_caret"},
    {"switch-control", "Set switch control", "a11y.switch_control"},
}};
constexpr ToggleEntry kOnScreenKeyboard{"on-screen-keyboard", "Set on-screen keyboard", "a11y.on_screen_keyboard"};
constexpr ToggleEntry kScreenReader{"screen-reader", "Set screen reader", "a11y.screen_reader"};

struct ChoiceEntry {
  std::string_view id;
  std::string_view title;
  std::string_view key;
};

void add_toggle(Resource& section, const ToggleEntry& entry) {
  section.actions.push_back(setting_toggle_action(std::string(entry.id), std::string(entry.title),
                                                  std::string(entry.key)));
}

// A choice among the labels the Accessibility pane offers and stores for the key (the setting-key
// table's), summarised as their list; its current value is the text the document holds under the
// key, else the label of the saved preference.
void add_choice(Resource& section, const SectionInputs& inputs, const ChoiceEntry& entry) {
  std::vector<std::string> choices = preferences::setting_choice_labels(entry.key);
  std::string summary;
  for (const auto& label : choices) {
    if (!summary.empty()) summary += ", ";
    summary += label;
  }
  section.actions.push_back(setting_choice_spec(std::string(entry.id), std::string(entry.title),
                                                std::string(entry.key), std::move(summary), std::move(choices),
                                                current_setting_label(inputs.document, inputs.preferences,
                                                                      entry.key)));
}

constexpr ChoiceEntry kTextSize{"text-size", "Set text size", "a11y.text_size"};
constexpr ChoiceEntry kCursorSize{"cursor-size", "Set cursor size", "a11y.cursor_size"};
constexpr ChoiceEntry kColourFilter{"colour-filter", "Set colour filter", "a11y.color_filter"};
constexpr ChoiceEntry kMagnifier{"magnifier", "Set magnifier lens", "a11y.magnifier"};
constexpr ChoiceEntry kSwitchKeys{"switch-keys", "Set switch keys", "a11y.switch_keys"};
constexpr ChoiceEntry kSwitchScan{"switch-scan", "Set automatic switch scan", "a11y.switch_scan"};
constexpr ChoiceEntry kSpeechRate{"speech-rate", "Set screen-reader speech rate", "a11y.reader_rate"};
constexpr ChoiceEntry kSpeechVoice{"speech-voice", "Set screen-reader voice", "a11y.reader_voice"};

}  // namespace

Resource accessibility_resource(const SectionInputs& inputs) {
  const InputQueries& programs = inputs.queries.input;
  Resource section = section_shell(settings_app::SettingsSection::Accessibility);

  for (const auto& entry : kToggles) add_toggle(section, entry);
  if (programs.on_screen_keyboard_installed()) add_toggle(section, kOnScreenKeyboard);
  if (programs.screen_reader_available()) add_toggle(section, kScreenReader);

  for (const auto* entry : {&kTextSize, &kCursorSize, &kColourFilter, &kMagnifier, &kSwitchKeys, &kSwitchScan}) {
    add_choice(section, inputs, *entry);
  }
  // The speech choices ask for the engine on their own, as the toggle did above.
  if (programs.screen_reader_available()) {
    add_choice(section, inputs, kSpeechRate);
    add_choice(section, inputs, kSpeechVoice);
  }
  return section;
}

}  // namespace settings::actions
