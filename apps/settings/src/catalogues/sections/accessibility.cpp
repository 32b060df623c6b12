// The Accessibility section: every accessibility setting as a setting action on its "a11y." key.
// On/off settings are toggles; the others are choices among the labels the Accessibility pane
// shows and stores, so that whatever a client picks is a value the pane understands. The on-screen
// keyboard and the screen-reader actions exist only when those programs are installed.
#include <array>
#include <cmath>
#include <cstdint>
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
using preferences::AccessibilityPrefs;
using preferences::ColorFilter;
using preferences::ScreenReaderVoice;
using preferences::SwitchKeyPair;

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

// The text scales and cursor sizes the labels stand for; a saved value shows as the nearest one.
struct Threshold {
  std::string_view label;
  double value;
};
constexpr std::array<Threshold, 4> kTextSizes{{{"Small", 0.85}, {"Default", 1.0}, {"Large", 1.15}, {"Larger", 1.3}}};
constexpr std::array<Threshold, 4> kCursorSizes{{{"Default", 24}, {"Large", 36}, {"Larger", 48}, {"Largest", 64}}};

// The entry nearest to `value`; on equal distance the earlier one.
template <std::size_t N>
std::string_view nearest_label(const std::array<Threshold, N>& entries, double value) {
  const Threshold* best = &entries.front();
  for (const auto& entry : entries) {
    if (std::abs(entry.value - value) < std::abs(best->value - value)) best = &entry;
  }
  return best->label;
}

std::string_view colour_filter_label(ColorFilter filter) {
  switch (filter) {
    case ColorFilter::None: return "Off";
    case ColorFilter::Grayscale: return "Grayscale";
    case ColorFilter::Inverted: return "Inverted";
    case ColorFilter::GrayscaleInverted: break;
  }
  return "Grayscale + inverted";
}

std::string_view magnifier_label(std::uint8_t zoom) {
  if (zoom == 3) return "3×";
  if (zoom == 2) return "2×";
  return "Off";
}

std::string_view switch_keys_label(SwitchKeyPair pair) {
  switch (pair) {
    case SwitchKeyPair::F6F7: return "F6 / F7";
    case SwitchKeyPair::F9F10: return "F9 / F10";
    case SwitchKeyPair::Digits12: break;
  }
  return "1 / 2";
}

std::string_view switch_scan_label(std::uint16_t interval_ms) {
  switch (interval_ms) {
    case 1000: return "1 second";
    case 2000: return "2 seconds";
    case 3000: return "3 seconds";
    default: return "Manual";
  }
}

std::string_view speech_rate_label(std::uint16_t rate) {
  if (rate < 76) return "Slow";
  if (rate < 116) return "Default";
  if (rate < 161) return "Fast";
  return "Very fast";
}

std::string_view voice_label(ScreenReaderVoice voice) {
  switch (voice) {
    case ScreenReaderVoice::System: return "System voice";
    case ScreenReaderVoice::EnglishUs: return "English (US)";
    case ScreenReaderVoice::EnglishGb: return "English (UK)";
    case ScreenReaderVoice::German: return "German";
    case ScreenReaderVoice::French: return "French";
    case ScreenReaderVoice::Spanish: break;
  }
  return "Spanish";
}

void add_toggle(Resource& section, const ToggleEntry& entry) {
  section.actions.push_back(setting_toggle_action(std::string(entry.id), std::string(entry.title),
                                                  std::string(entry.key)));
}

// A choice among `labels`, summarised as their list; its current value is the text the document
// holds under the key, else the label of the saved preference.
void add_choice(Resource& section, const orvo_doc::Document& document, const ChoiceEntry& entry,
                std::string_view fallback) {
  std::vector<std::string> choices(entry.labels.begin(), entry.labels.end());
  std::string summary;
  for (const auto label : entry.labels) {
    if (!summary.empty()) summary += ", ";
    summary += label;
  }
  section.actions.push_back(setting_choice_spec(std::string(entry.id), std::string(entry.title),
                                                std::string(entry.key), std::move(summary), std::move(choices),
                                                current_text(document, entry.key, fallback)));
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
  const AccessibilityPrefs& prefs = inputs.preferences.accessibility;
  const InputQueries& programs = inputs.queries.input;
  Resource section = section_shell(settings_app::SettingsSection::Accessibility);

  for (const auto& entry : kToggles) add_toggle(section, entry);
  if (programs.on_screen_keyboard_installed()) add_toggle(section, kOnScreenKeyboard);
  if (programs.screen_reader_available()) add_toggle(section, kScreenReader);

  const auto& document = inputs.document;
  add_choice(section, document, kTextSize, nearest_label(kTextSizes, inputs.preferences.appearance.text_scale));
  add_choice(section, document, kCursorSize, nearest_label(kCursorSizes, prefs.cursor_size));
  add_choice(section, document, kColourFilter, colour_filter_label(prefs.color_filter));
  add_choice(section, document, kMagnifier, magnifier_label(prefs.magnifier_zoom));
  add_choice(section, document, kSwitchKeys, switch_keys_label(prefs.switch_key_pair));
  add_choice(section, document, kSwitchScan, switch_scan_label(prefs.switch_scan_ms));

  // The speech choices ask for the engine on their own, as the toggle did above.
  if (programs.screen_reader_available()) {
    add_choice(section, document, kSpeechRate, speech_rate_label(prefs.screen_reader_rate));
    add_choice(section, document, kSpeechVoice, voice_label(prefs.screen_reader_voice));
  }
  return section;
}

}  // namespace settings::actions
