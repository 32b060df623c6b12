#include "panes/mouse_keyboard/mouse_keyboard_pane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalogues/input_actions.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/slider.h"
#include "orvo_ui/widgets/text.h"

namespace settings::panes::mouse_keyboard {
namespace {

using testing::find_widget;
using testing::PaneHarness;
using testing::texts_of;

constexpr std::string_view kSettings = "config/orvo/settings.json";

// A saved file with these sources (the first active) and these text-assistance flags.
std::string settings_with(const std::vector<std::string>& sources, std::string_view text_assistance = "{}") {
  nlohmann::ordered_json input{{"keyboard_layout", sources.front()}, {"keyboard_layouts", sources}};
  return nlohmann::ordered_json{{"input", input},
                                {"text_assistance", nlohmann::ordered_json::parse(text_assistance)},
                                {"other-program", {{"kept", true}}}}
      .dump();
}

nlohmann::json saved_section(const PaneHarness& harness) {
  return nlohmann::json::parse(harness.home().read(kSettings).value_or("{}")).value("text_assistance",
                                                                                    nlohmann::json::object());
}

bool contains(const std::vector<std::string>& texts, std::string_view text) {
  return std::ranges::find(texts, text) != texts.end();
}

TEST(MouseKeyboardPane, PublishesTheTwoSwitchesOnceAndSavesWhatTheDocumentComesToHold) {
  PaneHarness harness;
  harness.home().write(kSettings, settings_with({"us"}, R"({"check_spelling": false, "x-foreign": 7})"));
  auto pane = MouseKeyboardPane::load();
  EXPECT_FALSE(pane.check_spelling());
  EXPECT_TRUE(pane.auto_correct()) << "an absent flag is on";

  orvo_doc::Document document;
  PaneHarness::pass(pane, &document);
  EXPECT_EQ(lib::read_bool(document, orvo_doc::kRoot, actions::kCheckSpellingKey), false);
  EXPECT_EQ(lib::read_bool(document, orvo_doc::kRoot, actions::kAutoCorrectKey), true);

  // Published once: a value set afterwards is not overwritten by the pane but taken and saved.
  ASSERT_TRUE(lib::put_if_changed(document, orvo_doc::kRoot, actions::kCheckSpellingKey,
                                  orvo_doc::ScalarValue::boolean(true)));
  ASSERT_TRUE(lib::put_if_changed(document, orvo_doc::kRoot, actions::kAutoCorrectKey,
                                  orvo_doc::ScalarValue::boolean(false)));
  PaneHarness::pass(pane, &document);
  EXPECT_TRUE(pane.check_spelling());
  EXPECT_FALSE(pane.auto_correct());
  const auto saved = saved_section(harness);
  EXPECT_EQ(saved["check_spelling"], true);
  EXPECT_EQ(saved["auto_correct"], false);
  EXPECT_EQ(saved["x-foreign"], 7) << "another program's key in the section stays";
  EXPECT_EQ(nlohmann::json::parse(*harness.home().read(kSettings))["other-program"]["kept"], true);

  // Further passes write nothing.
  const auto file = harness.home().root() / kSettings;
  const auto stamp = std::filesystem::last_write_time(file) - std::chrono::hours(1);
  std::filesystem::last_write_time(file, stamp);
  for (int i = 0; i < 3; ++i) PaneHarness::pass(pane, &document);
  EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
}

TEST(MouseKeyboardPane, AFailingSaveIsOnlyLoggedAndNotTriedAgain) {
  PaneHarness harness;
  auto pane = MouseKeyboardPane(preferences::InputPrefs{}, {{"us", "English (US)"}}, true, true);
  orvo_doc::Document document;
  PaneHarness::pass(pane, &document);
  // A directory where the file should be: the section cannot be written.
  std::filesystem::create_directories(harness.home().root() / kSettings);

  orvo_log::CaptureScope capture;
  ASSERT_TRUE(lib::put_if_changed(document, orvo_doc::kRoot, actions::kCheckSpellingKey,
                                  orvo_doc::ScalarValue::boolean(false)));
  for (int i = 0; i < 3; ++i) PaneHarness::pass(pane, &document);
  EXPECT_FALSE(pane.check_spelling());
  EXPECT_EQ(capture.count("failed to persist text-assistance prefs"), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(harness.home().root() / kSettings));
}

TEST(MouseKeyboardPane, KeyRepeatAndComposeLabels) {
  struct Repeat {
    std::optional<std::uint32_t> rate, delay;
    double level;
    std::string_view description;
  };
  const Repeat repeats[] = {
      {50, 300, 1.0, "50 keys per second · starts after 300 ms"},
      {90, 200, 1.0, "90 keys per second · starts after 200 ms"},
      {30, 250, 0.5, "30 keys per second · starts after 250 ms"},
      {5, 600, 0.0, "5 keys per second · starts after 600 ms"},
      {0, 600, 0.0, "Repeat is off — move the slider to turn it on"},
      {25, std::nullopt, 0.3, "Faster repeat starts sooner"},
  };
  for (const auto& r : repeats) {
    preferences::InputPrefs input;
    input.key_repeat = 0.3;
    input.key_repeat_rate_hz = r.rate;
    input.key_repeat_delay_ms = r.delay;
    const auto display = key_repeat_display(input);
    EXPECT_DOUBLE_EQ(display.level, r.level) << r.description;
    EXPECT_EQ(display.description, r.description);
  }

  const std::pair<std::optional<std::string>, std::string_view> composes[] = {
      {"ralt", "Right Alt"},  {"menu", "Menu"},      {"caps", "Caps Lock"}, {"rwin", "Right Super"},
      {"lwin", "Left Super"}, {"sclk", "Disabled"}, {std::nullopt, "Disabled"}};
  for (const auto& [value, label] : composes) {
    preferences::InputPrefs input;
    input.compose_key = value;
    EXPECT_EQ(actions::compose_key_label(input), label);
  }
}

TEST(MouseKeyboardPane, TheSourceListBindsOnlyWhatItsShapeAllows) {
  PaneHarness harness;
  harness.home().write(kSettings, settings_with({"de", "us", "zz-unlisted"}));
  orvo_log::CaptureScope capture;
  auto pane = MouseKeyboardPane::load();
  orvo_doc::Document document;
  PaneHarness::pass(pane, &document);
  testing::PaneInALoop ui(pane, 1280, 800);

  const auto texts = texts_of(pane);
  EXPECT_TRUE(contains(texts, "zz-unlisted")) << "a source the catalogue lacks shows its id";
  EXPECT_TRUE(contains(texts, "German"));
  EXPECT_TRUE(contains(texts, "Active"));
  const auto bound = [&](std::string_view id) {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(pane, id));
    EXPECT_NE(button, nullptr) << id;
    return button && button->emitter().has_value() && button->is_enabled();
  };
  EXPECT_FALSE(bound("input.source.0.up"));
  EXPECT_TRUE(bound("input.source.0.down"));
  EXPECT_TRUE(bound("input.source.1.up"));
  EXPECT_TRUE(bound("input.source.2.remove"));
  EXPECT_FALSE(bound("input.source.2.down"));
  auto up = find_widget(pane, "input.source.1.up")->accessibility();
  ASSERT_TRUE(up);
  EXPECT_EQ(up->label, "Move input source up");

  auto* picker = dynamic_cast<orvo_ui::Dropdown*>(find_widget(pane, "input.source.add_picker"));
  ASSERT_NE(picker, nullptr) << "three sources leave room for a fourth";
  EXPECT_TRUE(picker->emitter().has_value());
  auto* active = dynamic_cast<orvo_ui::Dropdown*>(find_widget(pane, "input.layout"));
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->choices(), (std::vector<std::string>{"German", "English (US)", "zz-unlisted"}));
  EXPECT_EQ(capture.count(kMissingBinding), 0u);
  EXPECT_EQ(capture.count(kMissingSourceBinding), 0u);
}

TEST(MouseKeyboardPane, FourSourcesShowTheLimitAndASingleSourceCannotBeRemoved) {
  {
    PaneHarness harness;
    harness.home().write(kSettings, settings_with({"us", "de", "fr", "gb"}));
    auto pane = MouseKeyboardPane::load();
    testing::PaneInALoop ui(pane, 1280, 800);
    EXPECT_EQ(find_widget(pane, "input.source.add_picker"), nullptr);
    EXPECT_TRUE(contains(texts_of(pane),
                         "Up to four input sources can be active at once, matching the interoperable XKB group limit."));
  }
  PaneHarness harness;
  harness.home().write(kSettings, settings_with({"us"}));
  orvo_log::CaptureScope capture;
  auto pane = MouseKeyboardPane::load();
  testing::PaneInALoop ui(pane, 1280, 800);
  auto* remove = dynamic_cast<orvo_ui::Button*>(find_widget(pane, "input.source.0.remove"));
  ASSERT_NE(remove, nullptr);
  EXPECT_FALSE(remove->emitter().has_value());
  EXPECT_TRUE(capture.events().empty()) << capture.events().front().message;
}

}  // namespace
}  // namespace settings::panes::mouse_keyboard
