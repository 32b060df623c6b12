// The cache clean-up removes nothing the page did not list: every entry it removes is named.
#include <gtest/gtest.h>

#include "storage_page.h"

namespace settings::panes::storage {
namespace {

using namespace testing;

TEST_F(StoragePage, TheCleanupPreviewNamesEveryEntryItRemoves) {
  for (int i = 0; i < 12; ++i) {
    fs::create_directories(harness.home().cache() / fmt::format("app{:02}", i));
    std::ofstream(harness.home().cache() / fmt::format("app{:02}/blob", i)) << std::string(1000, 'x');
  }
  open();
  ASSERT_TRUE(pane->cleanup_preview());
  ASSERT_EQ(pane->cleanup_preview()->entries.size(), 12u);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(shows(fmt::format("app{:02}", i))) << i;
  auto* remove = dynamic_cast<orvo_ui::Button*>(panes::testing::find_widget(*pane, "storage.clean"));
  ASSERT_NE(remove, nullptr);
  loop->click(*remove);
  settle();
  EXPECT_TRUE(fs::is_empty(harness.home().cache()));
}

}  // namespace
}  // namespace settings::panes::storage
