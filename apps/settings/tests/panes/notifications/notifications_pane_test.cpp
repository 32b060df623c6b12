// The Notifications pane against a temporary home: its labels, what it publishes, adopts, commits
// and saves, its delivery badge and its sound row.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "media/notification_sound.h"
#include "orvo_doc/document.h"
#include "orvo_ui/widgets/badge.h"
#include "panes/notifications/notifications_pane.h"

namespace settings::panes::notifications {
namespace {

using orvo_doc::ScalarValue;
using testing::PaneHarness;

constexpr std::string_view kFile = "config/orvo/settings.json";
constexpr std::string_view kSaved =
    R"({"version":1,"notifications":{"do_not_disturb":false,"show_banners":true,"focus":{"enabled":true,)"
    R"("start_minute":1290,"end_minute":420,"weekdays":31,"allow_priority":true}},)"
    R"("appearance":{"theme":"Nord"},"locale":{"currency":"EUR"},"other":{"kept":1}})";

struct PaneFixture : testing::FramePane<NotificationsPane> {
  explicit PaneFixture(std::string_view file = kSaved) {
    if (!file.empty()) harness.home().write(kFile, file);
    pane = NotificationsPane::load();
  }
  bool shows(std::string_view text) {
    testing::PaneInALoop ui(*pane, 1280, 800);
    const auto texts = testing::texts_of(*pane);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  // The text of the "Delivery" badge, the page's only badge.
  std::string delivery_badge() {
    testing::PaneInALoop ui(*pane, 1280, 800);
    std::string found;
    std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
      if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) found = badge->text();
      for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
    };
    walk(*pane);
    return found;
  }
};

TEST(NotificationLabels, FocusTimesAndDays) {
  const std::pair<std::uint16_t, std::string_view> times[] = {
      {1290, "22:00"}, {1260, "20:00"}, {2000, "23:00"}, {900, "18:00"}, {0, "00:00"}, {1439, "23:00"}, {450, "07:00"}};
  for (const auto& [minute, label] : times) EXPECT_EQ(focus_time_label(minute), label) << minute;
  EXPECT_EQ(parse_focus_time("22:00"), 1320);
  EXPECT_EQ(parse_focus_time("00:00"), 0);
  EXPECT_EQ(parse_focus_time("21:30"), std::nullopt);
  EXPECT_EQ(parse_focus_time("22:00 "), std::nullopt);

  const std::pair<std::uint8_t, std::string_view> days[] = {
      {0x7F, "Every day"}, {0x00, "Every day"}, {0x1F, "Weekdays"}, {0x60, "Weekends"}, {0x01, "Every day"}};
  for (const auto& [weekdays, label] : days) EXPECT_EQ(focus_days_label(weekdays), label) << int(weekdays);
}

TEST(NotificationLabels, DeliveryState) {
  preferences::NotificationPrefs prefs;
  EXPECT_EQ(delivery_state(prefs), "Active");
  prefs.show_banners = false;
  EXPECT_EQ(delivery_state(prefs), "Banners off");
  prefs.do_not_disturb = true;
  EXPECT_EQ(delivery_state(prefs), "Silenced");
}

TEST(NotificationsPane, FirstPassPublishesTheSavedValuesAndSavesNothing) {
  PaneFixture f;
  f.pass();
  EXPECT_EQ(f.get("notifications.focus.start"), ScalarValue::str("22:00"));
  EXPECT_EQ(f.get("notifications.focus.end"), ScalarValue::str("07:00"));
  EXPECT_EQ(f.get("notifications.focus.days"), ScalarValue::str("Weekdays"));
  EXPECT_EQ(f.get("notifications.show_banners"), ScalarValue::boolean(true));
  EXPECT_EQ(f.get("notifications.focus.enabled.edit"), ScalarValue::boolean(true));
  EXPECT_EQ(f.get("notifications.focus.start.edit"), ScalarValue::str("22:00"));
  f.pass();
  f.pass();
  EXPECT_EQ(f.pane->saves(), 0u);
  // The stored minute stays as it is until a time is chosen.
  EXPECT_EQ(f.pane->prefs().focus.start_minute, 1290);
  EXPECT_EQ(f.delivery_badge(), "Active");
}

TEST(NotificationsPane, AValueFromOutsideIsAdoptedAndSavedWithoutAnAction) {
  PaneFixture f;
  f.pass();
  const auto published = f.pane->action_host().last_action;
  f.put("notifications.show_banners", ScalarValue::boolean(false));
  f.pass();
  EXPECT_FALSE(f.pane->prefs().show_banners);
  EXPECT_EQ(f.get("notifications.show_banners.edit"), ScalarValue::boolean(false));
  EXPECT_EQ(f.pane->action_host().last_action, published);
  EXPECT_EQ(f.pane->saves(), 1u);
  const auto saved = f.saved();
  EXPECT_EQ(saved["notifications"]["show_banners"], false);
  // Every other section and key of the file stays.
  EXPECT_EQ(saved["notifications"]["focus"]["allow_priority"], true);
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["locale"]["currency"], "EUR");
  EXPECT_EQ(saved["other"]["kept"], 1);
  EXPECT_EQ(f.delivery_badge(), "Banners off");

  f.put("notifications.do_not_disturb", ScalarValue::boolean(true));
  f.pass();
  EXPECT_EQ(f.delivery_badge(), "Silenced");
}

TEST(NotificationsPane, AChangeMadeWhileThePageWasClosedSurvivesReopeningIt) {
  PaneFixture f;
  f.pass();  // the page's controls now show Do Not Disturb off
  f.pane.reset();
  // Switched on from outside while the page is closed: the key and the file say on.
  f.put("notifications.do_not_disturb", ScalarValue::boolean(true));
  f.harness.home().write(kFile, std::string(kSaved).replace(std::string(kSaved).find("\"do_not_disturb\":false"),
                                                              std::string("\"do_not_disturb\":false").size(),
                                                              "\"do_not_disturb\":true"));
  f.pane = NotificationsPane::load();
  for (int i = 0; i < 3; ++i) f.pass();
  EXPECT_TRUE(f.pane->prefs().do_not_disturb);
  EXPECT_EQ(f.get("notifications.do_not_disturb"), ScalarValue::boolean(true));
  EXPECT_EQ(f.saved()["notifications"]["do_not_disturb"], true);
}

TEST(NotificationsPane, UserChoicesAreCommittedOnceAndSaved) {
  PaneFixture f;
  f.pass();
  const auto published = f.pane->action_host().last_action;
  f.put("notifications.do_not_disturb.edit", ScalarValue::boolean(true));
  f.pass();
  EXPECT_EQ(f.get("notifications.do_not_disturb"), ScalarValue::boolean(true));
  EXPECT_NE(f.pane->action_host().last_action, published);
  EXPECT_TRUE(f.pane->prefs().do_not_disturb);
  EXPECT_EQ(f.pane->saves(), 1u);
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);

  f.put("notifications.focus.days.edit", ScalarValue::str("Every day"));
  f.put("notifications.focus.start.edit", ScalarValue::str("20:00"));
  f.pass();
  EXPECT_EQ(f.pane->prefs().focus.weekdays, 0);
  EXPECT_EQ(f.pane->prefs().focus.start_minute, 1200);
  EXPECT_EQ(f.pane->saves(), 2u);
  const auto saved = f.saved();
  EXPECT_EQ(saved["notifications"]["do_not_disturb"], true);
  EXPECT_EQ(saved["notifications"]["focus"]["weekdays"], 0);
  EXPECT_EQ(saved["notifications"]["focus"]["start_minute"], 1200);
}

TEST(NotificationsPane, AnOffListTimeIsAnsweredOnceAndLeavesTheSchedule) {
  PaneFixture f;
  f.pass();
  f.put("notifications.focus.end", ScalarValue::str("21:30"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  for (int pass = 0; pass < 3; ++pass) f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.pane->prefs().focus.end_minute, 420);
  // A choice made meanwhile is committed.
  f.put("notifications.focus.end.edit", ScalarValue::str("08:00"));
  f.pass();
  EXPECT_EQ(f.get("notifications.focus.end"), ScalarValue::str("08:00"));
  EXPECT_EQ(f.pane->prefs().focus.end_minute, 480);
  EXPECT_EQ(f.pane->saves(), 2u);
}

TEST(NotificationsPane, TheSoundRowFollowsTheInstalledPlayer) {
  PaneFixture f;
  testing::StubPrograms stubs(f.harness.home().root() / "stubs");
  struct Case {
    std::vector<std::string_view> programs;
    std::uint8_t backend;
    std::string_view text;
  };
  const Case cases[] = {
      {{"canberra-gtk-play", "pw-play"}, 0, "Available through the session sound theme"},
      {{"pw-play"}, 1, "Available through the PipeWire session route"},
      {{}, 2, "Unavailable: install libcanberra or PipeWire sound tools"},
  };
  for (const Case& c : cases) {
    stubs.remove("canberra-gtk-play");
    stubs.remove("pw-play");
    for (std::string_view program : c.programs) stubs.answer(program, "");
    EXPECT_EQ(media::notification_sound::sound_backend(), c.backend);
    EXPECT_TRUE(f.shows(c.text)) << c.text;
  }
}

}  // namespace
}  // namespace settings::panes::notifications
