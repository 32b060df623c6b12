#include <gtest/gtest.h>

#include <algorithm>

#include "storage_page.h"

namespace settings::panes::storage {
namespace {

using namespace testing;

TEST_F(StoragePage, LargestItemsOfEqualSizeKeepSnapshotOrder) {
  for (int i = 0; i < 20; ++i) data_file(fmt::format("item{:02}", i), 4096);
  open();
  EXPECT_EQ(item_rows(), (std::vector<std::string>{"item00", "item01", "item02", "item03", "item04", "item05",
                                                   "item06", "item07"}));
}

TEST_F(StoragePage, LargestItemsShowTheEightLargest) {
  for (int i = 0; i < 25; ++i) data_file(fmt::format("size{:02}", i), static_cast<std::size_t>(i + 1) * 8192);
  open();
  EXPECT_EQ(item_rows(), (std::vector<std::string>{"size24", "size23", "size22", "size21", "size20", "size19",
                                                   "size18", "size17"}));
}

TEST_F(StoragePage, UnmeasuredCategoriesAndAMissingServiceShowNotAvailable) {
  service.on_snapshot({Reply::Answer, R"({"error":"sync is off"})"});
  open(harness.home().root() / "no-such-packages");
  const auto texts = texts_of(*pane);
  const auto at = std::find(texts.begin(), texts.end(), "Installed apps");
  ASSERT_NE(at, texts.end());
  EXPECT_EQ(*(at + 1), "Not available");
  const auto synced = std::find(texts.begin(), texts.end(), "Synced files");
  ASSERT_NE(synced, texts.end());
  EXPECT_EQ(*(synced + 1), "Not available");
  EXPECT_TRUE(shows("Sync storage service unavailable: sync is off"));
  EXPECT_TRUE(shows("No Orvo application storage was found on this device."));
  EXPECT_TRUE(shows("There is no application cache to clean."));
}

TEST_F(StoragePage, OfflineWithNothingReclaimableShowsTheOfflineCaption) {
  service.on_snapshot({Reply::Answer, snapshot_json(0, false)});
  open();
  EXPECT_TRUE(shows("You are offline. Local synced content stays available and cannot be reclaimed."));
  EXPECT_EQ(find_widget(*pane, "storage.sync.free"), nullptr);
}

// One loop per test: a loop that ends shuts the process's wake down.
TEST_F(StoragePage, WhileReclaimingTheCaptionReplacesTheFreeButton) {
  service.on_snapshot({Reply::Answer, snapshot_json(2000, true)});
  service.on_evict({Reply::Answer, R"({"queued":0,"freed_files":1,"freed_bytes":2000})"});
  open();
  auto* free = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, "storage.sync.free"));
  ASSERT_NE(free, nullptr);
  EXPECT_EQ(free->label(), "Free 2.0 kB");
  EXPECT_TRUE(shows("Documents/report.pdf"));
  loop->click(*free);
  loop->frame();
  ASSERT_TRUE(pane->eviction_running());
  EXPECT_TRUE(shows("Verifying remote copies and freeing local space…"));
  EXPECT_EQ(find_widget(*pane, "storage.sync.free"), nullptr);
  settle();
  EXPECT_TRUE(shows("Freed 2.0 kB from 1 synced files."));
  EXPECT_EQ(harness.status(), settings_app::OperationStatus(settings_app::OperationStatus::Idle{}));
}

TEST_F(StoragePage, TheCleanupPreviewListsEntriesAndUnreadableNamesAsCacheItems) {
  fs::create_directories(harness.home().cache() / "thumbnails");
  std::ofstream(harness.home().cache() / "thumbnails/1.png") << std::string(3000, 'x');
  fs::create_directories(harness.home().cache() / std::string("caf\xe9"));
  open();
  EXPECT_TRUE(shows("Cache item"));
  EXPECT_TRUE(shows("thumbnails"));
  auto* remove = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, "storage.clean"));
  ASSERT_NE(remove, nullptr);
  EXPECT_TRUE(remove->label().starts_with("Remove ")) << remove->label();
  loop->click(*remove);
  settle();
  EXPECT_TRUE(fs::is_empty(harness.home().cache()));
  EXPECT_TRUE(shows("There is no application cache to clean."));
  EXPECT_TRUE(find_widget(*pane, "storage.disks"));
  EXPECT_TRUE(find_widget(*pane, "storage.backups"));
}

}  // namespace
}  // namespace settings::panes::storage
