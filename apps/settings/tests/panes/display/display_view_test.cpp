// The Displays page built from the pane's state: the list of displays, the output cards, the
// transaction card, the brightness card, the bindings of its controls, and the card following the
// display transaction in the frame loop without other input.
#include <gtest/gtest.h>

#include <algorithm>
#include <fmt/format.h>

#include "display_fixture.h"
#include "display_stand_in.h"
#include "orvo_log/log.h"
#include "orvo_ui/wake.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/toggle.h"

namespace settings::panes::display::testing {
namespace {

using actions::DisplayOperation;
using panes::testing::find_widget;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using State = hw::DisplayTransactionState;

bool shows(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The placeholder of the dropdown with this id; none when there is no such dropdown.
std::optional<std::string> placeholder(orvo_ui::Widget& root, std::string_view id) {
  auto* dropdown = dynamic_cast<orvo_ui::Dropdown*>(find_widget(root, id));
  if (!dropdown) return std::nullopt;
  return dropdown->accessibility()->label;
}

// The texts of each card of the page, by card title.
std::map<std::string, std::vector<std::string>> cards_of(orvo_ui::Widget& root) {
  std::map<std::string, std::vector<std::string>> cards;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (dynamic_cast<orvo_ui::Card*>(&widget)) {
      auto texts = texts_of(widget);
      if (!texts.empty()) cards[texts.front()] = std::vector(texts.begin() + 1, texts.end());
      return;
    }
    for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
  };
  walk(root);
  return cards;
}

// A page of the pane in the offscreen loop, tall enough to hold every card.
struct Page {
  explicit Page(Mounted& mounted) : loop(*mounted.pane, 900, 3000), pane(*mounted.pane) {}
  std::vector<std::string> texts() { return texts_of(pane); }
  PaneInALoop loop;
  DisplayPane& pane;
};

constexpr std::string_view kThreeOutputs = R"({"outputs": [
  {"connector": "eDP-1", "built_in": true, "modes": [{"width": 1920, "height": 1080, "refresh_mhz": 60000}]},
  {"connector": "HDMI-A-1", "display_name": "Studio", "hdr_available": true, "hdr_capable": true,
   "vrr_capable": true, "color_profiles": ["srgb", "p3", "bare"],
   "color_profile_names": {"srgb": "sRGB", "p3": "Display P3"},
   "modes": [{"width": 3840, "height": 2160, "refresh_mhz": 60000}],
   "current_mode": {"width": 3840, "height": 2160, "refresh_mhz": 60000}},
  {"connector": "DP-1", "display_name": "Office", "hdr_capable": false, "hdr_note": "Needs a newer cable"},
  {"connector": "DP-2", "display_name": "Spare", "connected": false}]})";

TEST(DisplayView, DisplaysCardStatusLinesAndCaptions) {
  {
    Mounted mounted(R"({"outputs": []})");
    Page page(mounted);
    EXPECT_TRUE(shows(page.texts(), "No displays detected on this device."));
  }
  {
    Mounted mounted(kTwoOutputs);
    Page page(mounted);
    EXPECT_EQ(cards_of(page.pane)["Displays"],
              (std::vector<std::string>{"Built-in display", "Active \u00b7 primary", "Studio", "Active",
                                        "Connect a second display to extend or mirror your screen."}));
  }
  hw::DisplayConfig config;
  config.outputs["eDP-1"].enabled = false;
  config.outputs["HDMI-A-1"].primary = true;
  Mounted mounted(kThreeOutputs, true, [config](Mounted&, DisplayServices& services) {
    services.load_config = [config] { return config; };
  });
  Page page(mounted);
  EXPECT_EQ(cards_of(page.pane)["Displays"],
            (std::vector<std::string>{"Built-in display", "Disabled", "Office", "Active", "Studio",
                                      "Active \u00b7 primary",
                                      "Connect a display to a free port to extend or mirror your screen."}));
}

TEST(DisplayView, OutputCardsFollowWhatEachOutputOffers) {
  Mounted mounted(kThreeOutputs);
  Page page(mounted);
  auto cards = cards_of(page.pane);
  EXPECT_FALSE(cards.contains("Spare")) << "a card per connected output only";
  EXPECT_EQ(cards["Built-in display"],
            (std::vector<std::string>{"Use this display", "Primary display", "Scale", "Position", "Mirroring",
                                      "Resolution & refresh rate", "Rotation", "HDR", "Not supported by this display",
                                      "Variable refresh rate", "Not supported by this display", "Colour profile",
                                      "System default \u00b7 no valid ICC profiles detected"}));
  EXPECT_EQ(placeholder(page.pane, "display.output.eDP-1.mode"), "Preferred");
  EXPECT_EQ(placeholder(page.pane, "display.output.HDMI-A-1.mode"), (hw::OutputMode{3840, 2160, 60000}.label()));
  EXPECT_TRUE(shows(cards["Office"], "Compositor capability data unavailable"));
  EXPECT_TRUE(shows(cards["Office"], "Needs a newer cable"));
  EXPECT_TRUE(shows(cards["Studio"], "Display support detected; compositor output support unavailable"));
  EXPECT_NE(dynamic_cast<orvo_ui::Toggle*>(find_widget(page.pane, "settings.display.HDMI-A-1.hdr")), nullptr);
  auto* profiles = dynamic_cast<orvo_ui::Dropdown*>(find_widget(page.pane, "display.output.HDMI-A-1.color_profile"));
  ASSERT_NE(profiles, nullptr);
  EXPECT_EQ(profiles->choices(),
            (std::vector<std::string>{"System default", "sRGB \u00b7 srgb", "Display P3 \u00b7 p3"}));
  auto* position = dynamic_cast<orvo_ui::Dropdown*>(find_widget(page.pane, "display.output.DP-1.position"));
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(position->choices().size(), 1u + 4 * 2);
  EXPECT_EQ(placeholder(page.pane, "display.output.DP-1.mirror"), "Extend workspace");
}

TEST(DisplayView, TransactionCardByState) {
  struct Case {
    std::optional<State> state;
    bool staged;
    std::string_view title;
    std::string_view caption;
    std::optional<std::string_view> button;
  };
  const std::vector<Case> cases = {
      {std::nullopt, false, "Display configuration", "No unapplied display changes.", std::nullopt},
      {std::nullopt, true, "Apply display changes",
       "The layout is staged, not active. Applying it starts a 15-second safety test; closing Settings cannot cancel "
       "the automatic restore.",
       "settings.display.apply"},
      {State::Kept, false, "Display configuration", "No unapplied display changes.", std::nullopt},
      {State::ConfirmRequested, false, "Applying display configuration",
       "The compositor is validating and applying the output plan\u2026", std::nullopt},
      {State::Rejected, false, "Display change was not applied", "The compositor rejected this output plan.", std::nullopt},
      {State::Rejected, true, "Display change was not applied", "The compositor rejected this output plan.",
       "settings.display.apply"},
      {State::AwaitingConfirmation, false, "Keep this display configuration?",
       "Every display should be visible. Restoring the previous layout in 0 seconds unless you keep this one.",
       "settings.display.keep"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.title);
    orvo_ui::wake::install(nullptr);  // the previous case's loop shut the wake down
    Mounted mounted(kTwoOutputs, true, [&](Mounted&, DisplayServices& services) {
      std::optional<hw::DisplayTransaction> transaction;
      if (test.state) transaction = hw::DisplayTransaction{7, *test.state, std::nullopt, std::nullopt};
      services.load_transaction = [transaction] {
        return std::expected<std::optional<hw::DisplayTransaction>, std::string>(transaction);
      };
    });
    if (test.staged) {
      const std::string key = mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"});
      ASSERT_EQ(mounted.harness.status(), ended(true, key, std::string(kStagedSentence)));
    }
    Page page(mounted);
    auto cards = cards_of(page.pane);
    ASSERT_TRUE(cards.contains(std::string(test.title))) << [&] {
      std::string titles;
      for (const auto& [title, texts] : cards) titles += title + "; ";
      return titles;
    }();
    EXPECT_EQ(cards[std::string(test.title)].front(), test.caption);
    for (std::string_view id : {"settings.display.apply", "settings.display.keep", "settings.display.revert"}) {
      const bool expected = test.button == id || (test.button == "settings.display.keep" && id == "settings.display.revert");
      EXPECT_EQ(find_widget(page.pane, id) != nullptr, expected) << id;
    }
    if (test.state == State::Rejected) {
      EXPECT_EQ(shows(cards[std::string(test.title)], "Test the newly edited layout"), test.staged);
    }
  }
}

TEST(DisplayView, CountdownCountsAnyPartOfASecond) {
  EXPECT_EQ(countdown_seconds(10'000 + 2'001, 10'000), 3u);
  EXPECT_EQ(countdown_seconds(10'000 + 2'000, 10'000), 2u);
  EXPECT_EQ(countdown_seconds(9'000, 10'000), 0u);
  EXPECT_EQ(countdown_seconds(std::nullopt, 10'000), 0u);
}

TEST(DisplayView, WithoutASensorTheValueRowStandsInForTheToggle) {
  Mounted mounted(kTwoOutputs, true, [](Mounted& m, DisplayServices&) { m.machine->sensor = false; });
  Page page(mounted);
  EXPECT_EQ(cards_of(page.pane)["Brightness"],
            (std::vector<std::string>{"Automatic brightness", "No ambient-light sensor detected", "Brightness",
                                      "Night light", "Night light warmth",
                                      "Night Light applies a whole-desktop colour transform. Automatic brightness "
                                      "follows the kernel ambient-light sensor with smoothing and a deadband."}));
  EXPECT_EQ(find_widget(page.pane, "settings.display.auto_brightness"), nullptr);
  EXPECT_NE(find_widget(page.pane, "settings.display.brightness"), nullptr);
  EXPECT_NE(find_widget(page.pane, "settings.display.night_light"), nullptr);
  EXPECT_NE(find_widget(page.pane, "display.night_light_temperature"), nullptr);
}

TEST(DisplayView, EveryControlOfAFullPageHasItsBinding) {
  orvo_log::CaptureScope log;
  Mounted mounted(kThreeOutputs, true, [](Mounted&, DisplayServices& services) {
    services.load_transaction = [] {
      return std::expected<std::optional<hw::DisplayTransaction>, std::string>(
          hw::DisplayTransaction{3, State::AwaitingConfirmation, std::nullopt, hw::unix_ms() + 10'000});
    };
  });
  mounted.run(DisplayOperation::SetOutputScale{"HDMI-A-1", "150%"});
  Page page(mounted);
  for (const auto& event : log.events()) EXPECT_NE(event.level, orvo_log::Level::Warn) << event.message;
  EXPECT_NE(find_widget(page.pane, "settings.display.auto_brightness"), nullptr);
}

TEST(DisplayView, AnOutputWithTooManyModesGetsAnUnboundDropdownAndOneWarning) {
  std::string modes;
  for (int i = 0; i < 130; ++i) {
    modes += fmt::format("{}{{\"width\": {}, \"height\": 720, \"refresh_mhz\": 60000}}", i ? "," : "", 1000 + i);
  }
  orvo_log::CaptureScope log;
  Mounted mounted(fmt::format(R"({{"outputs": [{{"connector": "DP-1", "modes": [{}]}}]}})", modes));
  Page page(mounted);
  auto* dropdown = dynamic_cast<orvo_ui::Dropdown*>(find_widget(page.pane, "display.output.DP-1.mode"));
  ASSERT_NE(dropdown, nullptr);
  EXPECT_EQ(dropdown->choices().size(), 130u);
  EXPECT_EQ(log.count("output mode action is part of the resource contract"), 1u);
}

TEST(DisplayView, TheCardFollowsTheTransactionAndCountsDownWithoutInput) {
  StandIn stand_in;
  Mounted mounted("", /*reporting=*/false, [&](Mounted& m, DisplayServices&) { stand_in.start(m.harness.home()); });
  Page page(mounted);
  mounted.put("display.output.HDMI-A-1.scale", orvo_doc::ScalarValue::str("150%"));
  page.loop.frame();
  page.loop.frame();
  auto* apply = find_widget(page.pane, "settings.display.apply");
  ASSERT_NE(apply, nullptr);
  page.loop.click(*apply);

  const auto caption = [&]() -> std::optional<std::string> {
    auto cards = cards_of(page.pane);
    auto found = cards.find("Keep this display configuration?");
    if (found == cards.end()) return std::nullopt;
    return found->second.front();
  };
  std::optional<std::string> first;
  for (int i = 0; i < 500 && !first; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    page.loop.frame();
    first = caption();
  }
  ASSERT_TRUE(first.has_value()) << "the card turned without input";
  EXPECT_TRUE(page.pane.next_wake_deadline().has_value()) << "the loop is asked back";
  std::optional<std::string> later = first;
  for (int i = 0; i < 300 && later == first; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    page.loop.frame();
    later = caption();
  }
  ASSERT_TRUE(later.has_value());
  EXPECT_NE(*later, *first) << "the seconds moved";
}

}  // namespace
}  // namespace settings::panes::display::testing
