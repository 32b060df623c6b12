#include "panes/time_date/time_date_pane.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "catalogues/section_bindings.h"
#include "harness/pane_harness.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "orvo_ui/widgets/single_child.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/time_date/time_zone_map.h"
#include "preferences/preferences_file.h"

namespace settings::panes::time_date {
namespace {

using os_actions::time::Reported;
using testing::PaneHome;
using testing::PaneInALoop;

bool shows(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Lays the pane out once (offscreen) and answers the texts it shows.
std::vector<std::string> texts_after_layout(TimeDatePane& pane) {
  PaneInALoop ui(pane, 1280, 800);
  return testing::texts_of(pane);
}

// The root of a loop that keeps the control invocations for the test instead of dispatching them.
class InvocationRecorder final : public orvo_ui::SingleChild {
 public:
  explicit InvocationRecorder(std::unique_ptr<orvo_ui::Widget> pane) : SingleChild(std::move(pane)) {}
  std::string_view type_name() const override { return "InvocationRecorder"; }
  std::string_view name() const override { return "InvocationRecorder"; }
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override {
    orvo_ui::Style style;
    style.direction = orvo_ui::FlexDirection::Column;
    return build_with_style(style, tree, context, nodes);
  }
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override {
    apply_with_child(tree, node, x, y);
  }
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
            const orvo_ui::Theme& theme, const orvo_ui::PresenceContext& presence) override {
    child_->draw_with_presence(scene, transform, text, theme, presence);
  }
  std::optional<orvo_actions::ControlInvocation> take_control_invocation() override {
    while (auto invocation = child_->take_control_invocation()) taken.push_back(std::move(*invocation));
    return std::nullopt;
  }
  std::vector<orvo_actions::ControlInvocation> taken;
};

TimeDateFacts paris_facts() {
  TimeDateFacts facts;
  facts.current_zone = "Europe/Paris";
  facts.zones = {"Asia/Tokyo", "Europe/Paris"};
  facts.map_entries = {TimeZoneEntry{"Europe/Paris", "Europe", "Paris", 48'866'667, 2'333'333},
                       TimeZoneEntry{"Asia/Tokyo", "Asia", "Tokyo", 35'654'444, 139'744'722}};
  return facts;
}

struct SourceCase {
  Reported synchronised;
  bool automatic;
  std::optional<std::string> server;
  const char* synchronization;
  const char* source;
};

TEST(TimeDateTexts, SynchronizationAndSource) {
  const SourceCase cases[] = {
      {Reported::On, true, "ntp.example.org", "Synchronized", "ntp.example.org"},
      {Reported::Off, true, std::nullopt, "Waiting for synchronization", "Not reported by the active NTP provider"},
      {Reported::Off, false, std::nullopt, "Automatic time is disabled", "Not reported by the active NTP provider"},
      {Reported::Unreported, true, std::nullopt, "Not reported by the time service",
       "Not reported by the active NTP provider"},
  };
  for (const auto& c : cases) {
    TimeDateFacts facts;
    facts.status.synchronised = c.synchronised;
    facts.status.server = c.server;
    facts.automatic = c.automatic;
    EXPECT_EQ(synchronization_text(facts), c.synchronization);
    EXPECT_EQ(source_text(facts), c.source);
  }
}

TEST(TimeDateFacts, ReadFromTheTimeServiceTheSavedLocaleAndTzdata) {
  PaneHome home;
  home.write("usr/share/zoneinfo/zone1970.tab", "FR\t+4852+00220\tEurope/Paris\nJP\t+353916+1394441\tAsia/Tokyo\n");
  home.write("usr/share/zoneinfo/Europe/Paris", "TZif");
  home.write("usr/share/zoneinfo/Asia/Tokyo", "TZif");
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated", "--parameters",
                     R"({"NTP": true, "Timezone": "Asia/Tokyo"})");
  const auto facts = read_time_date_facts();
  EXPECT_EQ(facts.current_zone, "Asia/Tokyo");
  EXPECT_TRUE(facts.automatic);
  EXPECT_TRUE(facts.h24);
  EXPECT_EQ(facts.map_entries.size(), 2u);
  EXPECT_TRUE(std::find(facts.zones.begin(), facts.zones.end(), "Asia/Tokyo") != facts.zones.end());
  EXPECT_EQ(synchronization_text(facts), "Synchronized");
  EXPECT_EQ(source_text(facts), "Not reported by the active NTP provider");
}

TEST(TimeDateFacts, AutomaticTimeSwitchedOffAtTheService) {
  PaneHome home;
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated", "--parameters",
                     R"({"NTP": false, "Timezone": "Europe/Paris"})");
  const auto facts = read_time_date_facts();
  EXPECT_FALSE(facts.automatic);
  EXPECT_EQ(facts.current_zone, "Europe/Paris");
  EXPECT_EQ(facts.zones, (std::vector<std::string>{"Europe/Paris"}));  // no tzdata under this root
  EXPECT_TRUE(facts.map_entries.empty());
  EXPECT_EQ(synchronization_text(facts), "Automatic time is disabled");
}

TEST(TimeDateFacts, NoServiceOnTheBusGivesTheUnreportedTexts) {
  PaneHome home;
  ORVO_STAND_IN_BUS(bus);
  preferences::Locale locale;
  locale.time_format = preferences::TimeFormat::H12;
  ASSERT_TRUE(preferences::save_locale_preferences(locale).has_value());
  const auto facts = read_time_date_facts();
  EXPECT_TRUE(facts.automatic);  // unreported, and asking again failed: shown as on
  EXPECT_FALSE(facts.h24);
  EXPECT_EQ(facts.current_zone, "Europe/Amsterdam");
  EXPECT_TRUE(facts.map_entries.empty());
  EXPECT_EQ(synchronization_text(facts), "Not reported by the time service");
}

TEST(TimeDateFacts, NoBusAtAllGivesTheFallbacks) {
  PaneHome home;
  const char* saved = ::getenv("DBUS_SYSTEM_BUS_ADDRESS");
  const std::string saved_address = saved ? saved : "";
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (home.root() / "no-bus").native()).c_str(), 1);
  const auto facts = read_time_date_facts();
  if (saved) {
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", saved_address.c_str(), 1);
  } else {
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }
  EXPECT_TRUE(facts.automatic);
  EXPECT_EQ(facts.current_zone, "Europe/Amsterdam");
  EXPECT_EQ(facts.zones, (std::vector<std::string>{"Europe/Amsterdam"}));
  EXPECT_EQ(synchronization_text(facts), "Not reported by the time service");
  EXPECT_EQ(source_text(facts), "Not reported by the active NTP provider");
}

TEST(TimeDatePane, ShowsTheClockAndTheMapCard) {
  auto facts = paris_facts();
  facts.status.synchronised = Reported::On;
  TimeDatePane pane(std::move(facts));
  const auto texts = texts_after_layout(pane);
  for (const char* text : {"Clock", "Set time automatically", "24-hour clock", "Time zone", "Current time",
                           "Current date", "Display", "Clock format", "24-hour", "Time-zone map",
                           "Automatic time source", "Synchronized", "Not reported by the active NTP provider"}) {
    EXPECT_TRUE(shows(texts, text)) << text;
  }
  EXPECT_TRUE(shows(texts,
                    "Showing 2 installed zones with coordinates published by tzdata. This chooses a zone; it does not "
                    "detect your location. Aliases remain in the selector."));
  EXPECT_EQ(pane.pane_descriptor(),
            (orvo_ui::PaneDescriptor{"time-date", "Time & date", "Change time and date preferences"}));
}

TEST(TimeDatePane, TwelveHourClockAndNoCoordinates) {
  const char* saved = ::getenv("TZ");
  const std::string saved_tz = saved ? saved : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  auto facts = paris_facts();
  facts.h24 = false;
  facts.map_entries.clear();
  TimeDatePane pane(std::move(facts));
  const auto texts = texts_after_layout(pane);
  EXPECT_TRUE(shows(texts, "12-hour"));
  EXPECT_TRUE(shows(texts, "This tzdata installation does not publish map coordinates. The searchable selector "
                           "remains complete; Orvo does not guess your location."));
  const auto clock = os_actions::time::now_clock(false);
  ASSERT_TRUE(clock.has_value());
  EXPECT_TRUE(clock->ends_with("AM") || clock->ends_with("PM")) << *clock;
  auto* toggle = dynamic_cast<orvo_ui::Toggle*>(testing::find_widget(pane, "time.h24"));
  ASSERT_NE(toggle, nullptr);
  EXPECT_FALSE(toggle->value());
  auto* map = dynamic_cast<TimeZoneMap*>(testing::find_widget(pane, "time.timezone-map"));
  ASSERT_NE(map, nullptr);
  EXPECT_FALSE(map->is_focusable());
  if (saved) {
    ::setenv("TZ", saved_tz.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

TEST(TimeDatePane, ReadsItsFactsOnAWorkerAndShowsThemWhenTheyArrive) {
  std::promise<void> release;
  auto released = release.get_future().share();
  LocalTimeFacts local;
  local.service_zones = {"Asia/Tokyo", "Europe/Paris"};
  local.zone_table = "FR\t+4852+00220\tEurope/Paris\nJP\t+353916+1394441\tAsia/Tokyo\n";
  auto pane = TimeDatePane::reading(local, [released] {
    released.wait();
    os_actions::time::TimeSyncStatus status;
    status.zone = "Europe/Paris";
    return status;
  });
  PaneInALoop ui(*pane, 1280, 800);
  EXPECT_TRUE(shows(testing::texts_of(*pane), kReadingFacts));
  EXPECT_EQ(testing::find_widget(*pane, "time.timezone-map"), nullptr);
  release.set_value();
  for (int i = 0; i < 500 && !pane->facts(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ui.frame();
  }
  ASSERT_TRUE(pane->facts().has_value());
  EXPECT_EQ(pane->facts()->current_zone, "Europe/Paris");
  EXPECT_EQ(pane->facts()->map_entries.size(), 2u);
  ui.frame();
  EXPECT_FALSE(shows(testing::texts_of(*pane), kReadingFacts));
  EXPECT_NE(testing::find_widget(*pane, "time.timezone-map"), nullptr);
}

TEST(TimeDatePane, TheSectionPublishesItsThreeBindings) {
  EXPECT_TRUE(actions::time_date_toggle_binding("automatic-time").has_value());
  EXPECT_TRUE(actions::time_date_toggle_binding("24-hour").has_value());
  EXPECT_TRUE(actions::time_date_choice_binding("timezone").has_value());
}

TEST(TimeDatePane, KeyboardOnTheMapQueuesTheChosenZone) {
  auto recorder = InvocationRecorder(std::make_unique<TimeDatePane>(paris_facts()));
  PaneInALoop ui(recorder, 1280, 800);
  auto* map = dynamic_cast<TimeZoneMap*>(testing::find_widget(recorder, "time.timezone-map"));
  ASSERT_NE(map, nullptr);
  for (int i = 0; i < 8 && !map->has_focus(); ++i) ui.press(orvo_ui::NamedKey::Tab);
  ASSERT_TRUE(map->has_focus());
  ui.press(orvo_ui::NamedKey::Right);
  ui.press(orvo_ui::NamedKey::Enter);
  ASSERT_EQ(recorder.taken.size(), 1u);
  EXPECT_EQ(recorder.taken[0].action, "timezone");
  EXPECT_EQ(recorder.taken[0].args_json, R"({"choice":"Asia/Tokyo"})");
}

TEST(TimeDatePane, ClickingADotQueuesItsZone) {
  auto recorder = InvocationRecorder(std::make_unique<TimeDatePane>(paris_facts()));
  PaneInALoop ui(recorder, 1280, 800);
  auto* map = dynamic_cast<TimeZoneMap*>(testing::find_widget(recorder, "time.timezone-map"));
  ASSERT_NE(map, nullptr);
  const orvo_ui::Point tokyo = map->project(1);
  ui.point_at(tokyo);
  EXPECT_EQ(map->hovered(), 1u);
  ui.click(*map);  // moves nothing: the release is taken at the pointer's last position
  ASSERT_EQ(recorder.taken.size(), 1u);
  EXPECT_EQ(recorder.taken[0].args_json, R"({"choice":"Asia/Tokyo"})");
}

}  // namespace
}  // namespace settings::panes::time_date
