// The privacy hardware and its use stay live while the page is shown: read again on the page's
// worker, one reading at a time, the rest of the reading kept.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "harness/pane_harness.h"
#include "harness/stub_programs.h"
#include "panes/permissions/permissions_pane.h"

namespace settings::panes::permissions {
namespace {

using os_actions::privacy::MicrophoneMute;
using os_actions::privacy::PrivacyStatus;

bool has_row(const std::vector<std::string>& texts, std::string_view first, std::string_view second) {
  for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
    if (texts[i] == first && texts[i + 1] == second) return true;
  }
  return false;
}

TEST(LivePrivacy, UseAndMuteAreReadAgainWhileThePageIsShown) {
  testing::PaneHarness harness;
  std::vector<std::function<void()>> held;
  int refreshes = 0;
  PrivacyStatus now{.microphone_mute = MicrophoneMute::ListeningAllowed};
  auto page = make_permissions_page(
      [] {
        return PermissionsReading{PrivacyStatus{.microphone_mute = MicrophoneMute::ListeningAllowed},
                                  DeviceSecurity{"Encrypted", "Enabled", "Not active"},
                                  std::unexpected(std::string("missing"))};
      },
      [&](std::string name, std::function<void()> work) -> std::expected<void, std::string> {
        EXPECT_EQ(name, kPrivacyThread);
        held.push_back(std::move(work));
        return {};
      },
      [&](const PermissionsReading& shown_reading) -> std::optional<PermissionsReading> {
        ++refreshes;
        if (shown_reading.privacy == now) return std::nullopt;
        PermissionsReading fresh = shown_reading;
        fresh.privacy = now;
        return fresh;
      });
  testing::PaneInALoop ui(*page, 1280, 800);
  ASSERT_EQ(held.size(), 1U);
  held.back()();
  ui.frame();
  EXPECT_TRUE(has_row(testing::texts_of(*page), "Microphone mute", "Listening allowed"));
  ASSERT_TRUE(page->next_wake_deadline().has_value()) << "the loop wakes the page for its next reading";

  // Another program mutes the microphone and starts capturing.
  now.microphone_mute = MicrophoneMute::Muted;
  now.usages = {{"Recorder", false}};
  const auto run_next = [&] {
    for (int i = 0; i < 400 && held.size() == 1; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ui.frame();
    }
    ASSERT_GE(held.size(), 2U) << "a reading is started once the interval passed";
    ui.frame();
    EXPECT_EQ(held.size(), 2U) << "one reading at a time";
    held.back()();
    held.erase(held.begin() + 1, held.end());
    ui.frame();
  };
  run_next();
  EXPECT_EQ(refreshes, 1);
  auto texts = testing::texts_of(*page);
  EXPECT_TRUE(has_row(texts, "Microphone mute", "Muted"));
  EXPECT_TRUE(has_row(texts, "Recorder", "Using microphone"));
  EXPECT_TRUE(has_row(texts, "Disk encryption", "Encrypted")) << "the rest of the reading is kept";
}

}  // namespace
}  // namespace settings::panes::permissions
