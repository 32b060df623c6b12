// The Device Privacy & Security page built from its readings: the privacy status of a temporary
// sysfs root, a stub wpctl and a captured sound-server dump; the device security words; and the
// workspace grants.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness/pane_harness.h"
#include "harness/stub_programs.h"
#include "orvo_testing/temp_dir.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/text.h"
#include "panes/permissions/permissions_pane.h"

namespace settings::panes::permissions {
namespace {

using os_actions::privacy::KillSwitch;
using os_actions::privacy::MicrophoneMute;
using testing::PaneHarness;
using testing::StubPrograms;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

// Texts and badges in tree order.
std::vector<std::string> shown(orvo_ui::Widget& root) {
  std::vector<std::string> texts;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto* text = dynamic_cast<orvo_ui::Text*>(&widget)) texts.push_back(text->text());
    if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) texts.push_back("[" + badge->text() + "]");
    for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
  };
  walk(root);
  return texts;
}

bool has(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Whether `second` directly follows `first` (a row's label and value).
bool has_row(const std::vector<std::string>& texts, std::string_view first, std::string_view second) {
  for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
    if (texts[i] == first && texts[i + 1] == second) return true;
  }
  return false;
}

// The page with a reading that is there from its first pass.
std::vector<std::string> page_texts(PermissionsReading reading) {
  auto page = make_permissions_page([reading] { return reading; },
                                    [](std::string, std::function<void()> work) -> std::expected<void, std::string> {
                                      work();
                                      return {};
                                    });
  testing::PaneInALoop ui(*page, 1280, 800);
  EXPECT_NE(page->facts(), nullptr);
  return shown(*page);
}

PermissionsReading reading_with(os_actions::privacy::PrivacyStatus privacy) {
  return PermissionsReading{std::move(privacy), DeviceSecurity{"Encrypted", "Enabled", "Not active"},
                            std::unexpected(std::string("missing"))};
}

TEST(PermissionsPage, PrivacyRowsFromSysfsWpctlAndTheGraph) {
  PaneHarness harness;
  StubPrograms stubs(harness.home().root() / "stubs");
  harness.home().write("sys/class/video4linux/video0/name", "Integrated Camera\n");
  stubs.answer("wpctl", "Volume: 0.55 [MUTED]\n");
  const auto graph = media::audio::parse_pw_dump(fixture("pw-dump-capture.json"));
  ASSERT_TRUE(graph.has_value());
  const auto texts = page_texts(reading_with(os_actions::privacy::get_privacy_status(*graph)));
  EXPECT_TRUE(has_row(texts, "Camera", "Present \u00b7 no kill switch reported"));
  EXPECT_TRUE(has_row(texts, "Microphone", "Present \u00b7 no kill switch reported"));
  EXPECT_TRUE(has_row(texts, "Microphone mute", "Muted"));
  EXPECT_TRUE(has_row(texts, "Meeting Room", "Using camera"));
  EXPECT_TRUE(has_row(texts, "Meeting Room", "Using microphone"));
  EXPECT_TRUE(has_row(texts, "Voice Notes", "Using microphone"));
  // Streams that are not running are no use.
  EXPECT_FALSE(has(texts, "Dictation"));
  EXPECT_FALSE(has(texts, "Photo Booth"));
  EXPECT_FALSE(has(texts, "No application is using the camera or microphone now."));
  EXPECT_EQ(stubs.log(), std::vector<std::string>{"wpctl get-volume @DEFAULT_AUDIO_SOURCE@"});
}

TEST(PermissionsPage, NoCameraNoSoundServerAndNoUse) {
  PaneHarness harness;
  StubPrograms stubs(harness.home().root() / "stubs");  // no wpctl
  const auto texts = page_texts(reading_with(os_actions::privacy::get_privacy_status(media::audio::AudioGraph{})));
  EXPECT_TRUE(has_row(texts, "Camera", "Not available"));
  EXPECT_TRUE(has_row(texts, "Microphone", "Not available"));
  EXPECT_TRUE(has_row(texts, "Microphone mute", "Unavailable"));
  EXPECT_TRUE(has(texts, "No application is using the camera or microphone now."));
}

TEST(PermissionsPage, KillSwitchAndMuteLabels) {
  const struct {
    KillSwitch state;
    bool present;
    const char* label;
  } cases[] = {
      {KillSwitch::Available, false, "Available"},
      {KillSwitch::BlockedBySoftware, true, "Blocked by software"},
      {KillSwitch::BlockedByHardware, true, "Blocked by hardware"},
      {KillSwitch::None, true, "Present \u00b7 no kill switch reported"},
      {KillSwitch::None, false, "Not available"},
      {static_cast<KillSwitch>(9), true, "Present \u00b7 no kill switch reported"},
  };
  for (const auto& c : cases) EXPECT_EQ(kill_switch_label(c.state, c.present), c.label);
  EXPECT_EQ(microphone_mute_label(MicrophoneMute::ListeningAllowed), "Listening allowed");
  EXPECT_EQ(microphone_mute_label(MicrophoneMute::Muted), "Muted");
  EXPECT_EQ(microphone_mute_label(MicrophoneMute::Unavailable), "Unavailable");
}

TEST(PermissionsPage, ChecksRunOnTheWorkerWhileThePageShowsItsCards) {
  PaneHarness harness;
  std::function<void()> held;
  auto page = make_permissions_page(
      [] { return reading_with({}); },
      [&held](std::string name, std::function<void()> work) -> std::expected<void, std::string> {
        EXPECT_EQ(name, kPrivacyThread);
        held = std::move(work);
        return {};
      });
  testing::PaneInALoop ui(*page, 1280, 800);
  ASSERT_TRUE(held) << "the first pass starts the worker";
  auto texts = shown(*page);
  EXPECT_TRUE(has_row(texts, "Disk encryption", "Checking\u2026"));
  EXPECT_TRUE(has_row(texts, "Camera", "Checking\u2026"));
  // The button works before the checks end.
  auto* button = dynamic_cast<orvo_ui::Button*>(testing::find_widget(*page, kOpenWorkspacePrivacyButton));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->label(), "Open current workspace access");
  // 248 by 40 at least; its label is never cut.
  EXPECT_GE(button->get_rect().width(), 248);
  EXPECT_EQ(button->get_rect().height(), 40);

  held();
  ui.frame();
  texts = shown(*page);
  EXPECT_TRUE(has_row(texts, "Disk encryption", "Encrypted"));
  EXPECT_TRUE(has_row(texts, "Secure Boot", "Enabled"));
  EXPECT_TRUE(has_row(texts, "Firewall", "Not active"));
  EXPECT_FALSE(has(texts, "Checking\u2026"));
  EXPECT_EQ(page->pane_descriptor()->id, "permissions");
}

TEST(PermissionsPage, GrantCards) {
  PaneHarness harness;
  // Unreadable record.
  auto texts = page_texts(reading_with({}));
  EXPECT_TRUE(has(texts, "Workspace access status unavailable"));
  EXPECT_TRUE(has(texts, "Orvo could not load the current workspace access record, so it cannot verify whether any "
                         "app has additional access."));
  EXPECT_FALSE(has(texts, "No workspace access grants"));

  PermissionsReading none = reading_with({});
  none.grants = GrantOverview{};
  texts = page_texts(none);
  EXPECT_TRUE(has(texts, "No workspace access grants"));
  EXPECT_TRUE(has(texts, "Nothing here means nothing is granted: apps see only their own workspace until you say "
                         "otherwise."));

  PermissionsReading some = reading_with({});
  some.grants = GrantOverview{{{"Workspace",
                                {{"org.example.Browser", {{GrantKind::Network, "Any host", "No expiry"}}},
                                 {"org.example.Call", {{GrantKind::Camera, "Capture video", "One use"}}}}}}};
  texts = page_texts(some);
  EXPECT_TRUE(has(texts, "2 grants across 1 workspace"));
  const std::vector<std::string> expected{"Workspace",   "org.example.Browser", "[Network]", "Any host",
                                          "No expiry",   "org.example.Call",    "[Camera]",  "Capture video",
                                          "One use"};
  const auto start = std::find(texts.begin(), texts.end(), "2 grants across 1 workspace");
  ASSERT_GE(std::distance(start, texts.end()), static_cast<std::ptrdiff_t>(expected.size() + 1));
  EXPECT_EQ(std::vector<std::string>(start + 1, start + 1 + expected.size()), expected);
  EXPECT_TRUE(has(texts, "Where enforcement happens"));
}

}  // namespace
}  // namespace settings::panes::permissions
