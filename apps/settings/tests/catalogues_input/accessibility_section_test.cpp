#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "catalogues/accessibility_bindings.h"
#include "catalogues/section_catalogues.h"

namespace settings::actions {
namespace {

using orvo_actions::Resource;
using preferences::ColorFilter;
using preferences::Preferences;
using preferences::ScreenReaderVoice;
using preferences::SwitchKeyPair;
using settings::testing::action;
using settings::testing::action_names;
using settings::testing::FakeInputQueries;
using settings::testing::invoke;
using settings::testing::queries_with;
using Strings = std::vector<std::string>;

Resource build(const Preferences& prefs, const orvo_doc::Document& document, const FakeInputQueries& input) {
  return accessibility_resource(SectionInputs{document, prefs, {}, queries_with(input)});
}

Resource build(const Preferences& prefs, const FakeInputQueries& input = {}) {
  const orvo_doc::Document document;
  return build(prefs, document, input);
}

// What the choice sends when invoked without a choice: the value the section saw as current.
std::string current_value(const Resource& section, std::string_view name) {
  const auto encoded = invoke(action(section, name), "{}");
  constexpr std::string_view kMarker = R"("value":{"Text":")";
  constexpr std::string_view kEnd = R"("}}})";
  const auto value = encoded.payload.find(kMarker);
  if (encoded.kind != "settings.action" || value == std::string::npos || !encoded.payload.ends_with(kEnd)) {
    return "<" + encoded.payload + ">";
  }
  const auto start = value + kMarker.size();
  return encoded.payload.substr(start, encoded.payload.size() - kEnd.size() - start);
}

const Strings kToggles{"high-contrast", "reduce-motion", "large-cursor", "sticky-keys", "slow-keys",
                       "visual-alerts", "pointer-crosshair", "thick-text-caret", "switch-control"};
const Strings kChoices{"text-size", "cursor-size", "colour-filter", "magnifier", "switch-keys", "switch-scan"};

TEST(AccessibilitySection, TheInstalledAssistiveProgramsDecideTheActions) {
  struct Case {
    bool osk;
    bool reader;
    Strings extra_toggles;
    Strings extra_choices;
  };
  const Case cases[] = {
      {false, false, {}, {}},
      {true, false, {"on-screen-keyboard"}, {}},
      {false, true, {"screen-reader"}, {"speech-rate", "speech-voice"}},
      {true, true, {"on-screen-keyboard", "screen-reader"}, {"speech-rate", "speech-voice"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "osk " << c.osk << ", reader " << c.reader);
    FakeInputQueries input;
    input.osk = c.osk;
    if (c.reader) input.engine = "eSpeak NG";
    Strings expected = kToggles;
    expected.insert(expected.end(), c.extra_toggles.begin(), c.extra_toggles.end());
    expected.insert(expected.end(), kChoices.begin(), kChoices.end());
    expected.insert(expected.end(), c.extra_choices.begin(), c.extra_choices.end());
    const Resource section = build(Preferences{}, input);
    EXPECT_EQ(section.id, "settings.section:accessibility");
    EXPECT_EQ(action_names(section), expected);
    EXPECT_EQ(section.actions.size(), (c.osk ? 1U : 0U) + (c.reader ? 3U : 0U) + 15U);
  }
}

TEST(AccessibilitySection, TogglesAndChoicesSetTheirA11yKeys) {
  FakeInputQueries input;
  input.engine = "Speech Dispatcher";
  const Resource section = build(Preferences{}, input);
  for (const auto& spec : section.actions) {
    SCOPED_TRACE(spec.name);
    EXPECT_FALSE(spec.operation_kind.has_value());
    EXPECT_EQ(spec.contract.tags, (Strings{"configuration", "system-setting"}));
  }
  EXPECT_EQ(invoke(action(section, "pointer-crosshair"), R"({"value":true})").payload,
            R"({"SetSetting":{"key":"a11y.cursor_crosshair","value":{"Bool":true}}})");
  EXPECT_EQ(invoke(action(section, "speech-rate"), R"({"choice":"Fast"})").payload,
            R"({"SetSetting":{"key":"a11y.reader_rate","value":{"Text":"Fast"}}})");
  EXPECT_EQ(action(section, "magnifier").description(), "Off, 2×, 3×");
}

TEST(AccessibilitySection, CurrentValuesFallBackToTheLabelsOfTheSavedPreferences) {
  struct Case {
    const char* what;
    std::function<void(Preferences&)> set;
    const char* action;
    const char* current;
  };
  const auto a11y = [](auto apply) { return [apply](Preferences& p) { apply(p.accessibility); }; };
  const Case cases[] = {
      {"speech rate 75", a11y([](auto& a) { a.screen_reader_rate = 75; }), "speech-rate", "Slow"},
      {"speech rate 76", a11y([](auto& a) { a.screen_reader_rate = 76; }), "speech-rate", "Default"},
      {"speech rate 115", a11y([](auto& a) { a.screen_reader_rate = 115; }), "speech-rate", "Default"},
      {"speech rate 116", a11y([](auto& a) { a.screen_reader_rate = 116; }), "speech-rate", "Fast"},
      {"speech rate 160", a11y([](auto& a) { a.screen_reader_rate = 160; }), "speech-rate", "Fast"},
      {"speech rate 161", a11y([](auto& a) { a.screen_reader_rate = 161; }), "speech-rate", "Very fast"},
      {"scan 1500 ms", a11y([](auto& a) { a.switch_scan_ms = 1500; }), "switch-scan", "Manual"},
      {"scan 2000 ms", a11y([](auto& a) { a.switch_scan_ms = 2000; }), "switch-scan", "2 seconds"},
      {"cursor 30, a tie", a11y([](auto& a) { a.cursor_size = 30; }), "cursor-size", "Default"},
      {"cursor 42", a11y([](auto& a) { a.cursor_size = 42; }), "cursor-size", "Large"},
      {"cursor 100", a11y([](auto& a) { a.cursor_size = 100; }), "cursor-size", "Largest"},
      {"zoom 3", a11y([](auto& a) { a.magnifier_zoom = 3; }), "magnifier", "3×"},
      {"zoom 5", a11y([](auto& a) { a.magnifier_zoom = 5; }), "magnifier", "Off"},
      {"text scale 1.2", [](Preferences& p) { p.appearance.text_scale = 1.2; }, "text-size", "Large"},
      {"text scale 0.5", [](Preferences& p) { p.appearance.text_scale = 0.5; }, "text-size", "Small"},
      {"grayscale", a11y([](auto& a) { a.color_filter = ColorFilter::Grayscale; }), "colour-filter", "Grayscale"},
      {"F9 / F10", a11y([](auto& a) { a.switch_key_pair = SwitchKeyPair::F9F10; }), "switch-keys", "F9 / F10"},
      {"English (UK)", a11y([](auto& a) { a.screen_reader_voice = ScreenReaderVoice::EnglishGb; }), "speech-voice",
       "English (UK)"},
  };
  FakeInputQueries input;
  input.engine = "Speech Dispatcher";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Preferences prefs;
    c.set(prefs);
    EXPECT_EQ(current_value(build(prefs, input), c.action), c.current);
  }
}

TEST(AccessibilitySection, TheDocumentsTextWinsOverThePreferences) {
  Preferences prefs;
  prefs.appearance.text_scale = 0.85;
  prefs.accessibility.magnifier_zoom = 2;
  orvo_doc::Document document;
  ASSERT_TRUE(document.put(orvo_doc::kRoot, "a11y.text_size", orvo_doc::ScalarValue::str("Large")));
  ASSERT_TRUE(document.put(orvo_doc::kRoot, "a11y.magnifier", orvo_doc::ScalarValue::int64(3)));
  const Resource section = build(prefs, document, FakeInputQueries{});
  EXPECT_EQ(current_value(section, "text-size"), "Large");
  EXPECT_EQ(current_value(section, "magnifier"), "2×");  // a number is not a choice
}

// The colour filter, switch keys and voice choices offer the labels the Accessibility pane stores,
// so every value a client picks is one the pane understands, and every saved preference shows as
// one of the offered values.
TEST(AccessibilitySection, ChoicesOfferExactlyTheLabelsThePaneStores) {
  FakeInputQueries input;
  input.engine = "Speech Dispatcher";
  const Resource section = build(Preferences{}, input);
  struct Case {
    const char* action;
    Strings labels;
    const char* refused;  // a label the pane would not understand
  };
  const Case cases[] = {
      {"colour-filter", {"Off", "Grayscale", "Inverted", "Grayscale + inverted"}, "Protanopia"},
      {"switch-keys", {"F6 / F7", "F9 / F10", "1 / 2"}, "Tab / Enter"},
      {"speech-voice", {"System voice", "English (US)", "English (UK)", "German", "French", "Spanish"}, "Female"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    const auto& spec = action(section, c.action);
    EXPECT_EQ(spec.params.at(0).allowed_values, c.labels);
    for (const auto& label : c.labels) {
      EXPECT_TRUE(spec.build_json(R"({"choice":")" + label + R"("})").has_value()) << label;
    }
    EXPECT_FALSE(spec.build_json(std::string(R"({"choice":")") + c.refused + R"("})").has_value());
  }

  const auto offered = [&section](std::string_view name, const std::string& value) {
    const auto& allowed = action(section, name).params.at(0).allowed_values;
    return std::ranges::find(allowed, value) != allowed.end();
  };
  for (const auto filter : {ColorFilter::None, ColorFilter::Grayscale, ColorFilter::Inverted,
                            ColorFilter::GrayscaleInverted}) {
    Preferences prefs;
    prefs.accessibility.color_filter = filter;
    EXPECT_TRUE(offered("colour-filter", current_value(build(prefs, input), "colour-filter")));
  }
  for (const auto pair : {SwitchKeyPair::F6F7, SwitchKeyPair::F9F10, SwitchKeyPair::Digits12}) {
    Preferences prefs;
    prefs.accessibility.switch_key_pair = pair;
    EXPECT_TRUE(offered("switch-keys", current_value(build(prefs, input), "switch-keys")));
  }
  for (const auto voice : {ScreenReaderVoice::System, ScreenReaderVoice::EnglishUs, ScreenReaderVoice::EnglishGb,
                           ScreenReaderVoice::German, ScreenReaderVoice::French, ScreenReaderVoice::Spanish}) {
    Preferences prefs;
    prefs.accessibility.screen_reader_voice = voice;
    EXPECT_TRUE(offered("speech-voice", current_value(build(prefs, input), "speech-voice")));
  }
}

TEST(AccessibilityBindings, BindOnlyWhatTheSectionPublishes) {
  FakeInputQueries without_reader;
  EXPECT_TRUE(accessibility_toggle_binding("sticky-keys", without_reader).has_value());
  EXPECT_FALSE(accessibility_toggle_binding("screen-reader", without_reader).has_value());
  EXPECT_FALSE(accessibility_choice_binding("speech-voice", without_reader).has_value());

  FakeInputQueries with_reader;
  with_reader.engine = "eSpeak NG";
  const auto voice = accessibility_choice_binding("speech-voice", with_reader);
  ASSERT_TRUE(voice.has_value());
  EXPECT_EQ(voice->resource, "settings.section:accessibility");
  EXPECT_EQ(voice->arguments("German").to_json_text(), R"({"choice":"German"})");
  EXPECT_TRUE(orvo_actions::build_control_invocation(*voice, std::string("German")).has_value());
  EXPECT_TRUE(accessibility_toggle_binding("screen-reader", with_reader).has_value());
}

}  // namespace
}  // namespace settings::actions
