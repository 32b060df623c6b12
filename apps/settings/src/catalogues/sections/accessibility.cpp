// The Accessibility section: every accessibility setting as a setting action on its "a11y." key.
// On/off settings are toggles; the others are choices among the labels the Accessibility pane
// shows and stores, so that whatever a client picks is a value the pane understands. The on-screen
// keyboard and the screen-reader actions exist only when those programs are installed.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/action_builders.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

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
  std::span<const std::string_view> labels;
};

void add_toggle(Resource& section, const ToggleEntry& entry) {
  section.actions.push_back(setting_toggle_action(std::string(entry.id), std::string(entry.title),
                                                  std::string(entry.key)));
}

// A choice among `labels`, summarised as their list; its current value is the text the document
// holds under the key, else the label of the saved preference.
void add_choice(Resource& section, const SectionInputs& inputs, const ChoiceEntry& entry) {
  std::vector<std::string> choices(entry.labels.begin(), entry.labels.end());
  std::string summary;
  for (const auto label : entry.labels) {
    if (!summary.empty()) summary += ", ";
    summary += label;
  }
  section.actions.push_back(setting_choice_spec(std::string(entry.id), std::string(entry.title),
                                                std::string(entry.key), std::move(summary), std::move(choices),
                                                current_setting_label(inputs.document, inputs.preferences,
                                                                      entry.key)));
}

constexpr std::array<std::string_view, 4> kTextSizeLabels{"Small", "Default", "Large", "Larger"};
constexpr std::array<std::string_view, 4> kCursorSizeLabels{"Default", "Large", "Larger", "Largest"};
constexpr std::array<std::string_view, 4> kColourFilterLabels{"Off", "Grayscale", "Inverted", "Grayscale + inverted"};
constexpr std::array<std::string_view, 3> kMagnifierLabels{"Off", "2×", "3×"};
constexpr std::array<std::string_view, 3> kSwitchKeyLabels{"F6 / F7", "F9 / F10", "1 / 2"};
constexpr std::array<std::string_view, 4> kSwitchScanLabels{"Manual", "1 second", "2 seconds", "3 seconds"};
constexpr std::array<std::string_view, 4> kSpeechRateLabels{"Slow", "Default", "Fast", "Very fast"};
constexpr std::array<std::string_view, 6> kVoiceLabels{"System voice", "English (US)", "English (UK)",
                                                       "German",       "French",       "Spanish"};

constexpr ChoiceEntry kTextSize{"text-size", "Set text size", "a11y.text_size", kTextSizeLabels};
constexpr ChoiceEntry kCursorSize{"cursor-size", "Set cursor size", "a11y.cursor_size", kCursorSizeLabels};
constexpr ChoiceEntry kColourFilter{"colour-filter", "Set colour filter", "a11y.color_filter", kColourFilterLabels};
constexpr ChoiceEntry kMagnifier{"magnifier", "Set magnifier lens", "a11y.magnifier", kMagnifierLabels};
constexpr ChoiceEntry kSwitchKeys{"switch-keys", "Set switch keys", "a11y.switch_keys", kSwitchKeyLabels};
constexpr ChoiceEntry kSwitchScan{"switch-scan", "Set automatic switch scan", "a11y.switch_scan", kSwitchScanLabels};
constexpr ChoiceEntry kSpeechRate{"speech-rate", "Set screen-reader speech rate", "a11y.reader_rate",
                                  kSpeechRateLabels};
constexpr ChoiceEntry kSpeechVoice{"speech-voice", "Set screen-reader voice", "a11y.reader_voice", kVoiceLabels};

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
