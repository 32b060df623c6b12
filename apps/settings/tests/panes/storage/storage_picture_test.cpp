// The Storage page fed by the storage service stand-in, laid out with real fonts in a wide and a
// narrow window and written to PNG files beside the test (for looking at), with the structural
// check that can be asserted: nothing runs out of the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "harness/page_picture.h"
#include "harness/pane_harness.h"
#include "panes/storage/storage_pane.h"
#include "storage_stand_in.h"

namespace settings::panes::storage {
namespace {

using namespace orvo_ui;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

void write_file(const fs::path& path, std::size_t bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << std::string(bytes, 'x');
}

class StoragePicture : public ::testing::TestWithParam<int> {};

TEST_P(StoragePicture, RendersInsideTheWindowAndWritesAPicture) {
  const int width = GetParam();
  const int height = 800;
  panes::testing::PaneHarness harness;
  const auto& home = harness.home();
  write_file(home.data() / "orvo/packages/notes/app.bin", 900'000);
  write_file(home.data() / "photos/holiday.jpg", 2'400'000);
  write_file(home.data() / "mail/inbox.db", 640'000);
  write_file(home.cache() / "thumbnails/1.png", 300'000);
  write_file(home.cache() / "fontconfig/cache", 120'000);

  testing::StorageStandIn service(home.system(workers::kStorageSocket));
  service.on_snapshot(
      {testing::StorageStandIn::Reply::Answer,
       R"({"files":[{"display_path":"Documents/Quarterly report.pdf","reclaimable_bytes":1800000,"state":{"id":"a","revision":1}},)"
       R"({"display_path":"Music/Live set.flac","reclaimable_bytes":42000000,"state":{"id":"b","revision":3}}],)"
       R"("usage":[{"total":120000000,"local":64000000,"remote_only":56000000,"safe_to_free":43800000}],"online":true})"});
  auto workers = std::make_shared<testing::HeldWorkers>();
  StorageServices services;
  services.socket = {home.system(workers::kStorageSocket), 5s};
  services.open_tool = [](os_actions::tool_intent::Tool) -> std::expected<void, std::string> { return {}; };
  services.start_worker = [workers](std::string name, std::function<void()> work) {
    return workers->start(std::move(name), std::move(work));
  };
  StoragePane made({home.data() / "orvo/packages", home.data(), home.cache()}, std::move(services));
  made.load_synced_storage();
  auto pane = std::make_unique<StoragePane>(
      std::move(made).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell()));
  for (int i = 0; i < 10; ++i) {
    panes::testing::PaneHarness::pass(*pane);
    if (workers->run_all() == 0) break;
  }
  ASSERT_TRUE(pane->synced());
  ASSERT_TRUE(pane->cleanup_preview());

  panes::testing::picture_page(std::move(pane), "Storage", "storage", width, height);
}

INSTANTIATE_TEST_SUITE_P(Windows, StoragePicture, ::testing::Values(1280, 640));

}  // namespace
}  // namespace settings::panes::storage
