#pragma once
// The Storage page of a pane whose measurements are in, on the stand-in storage service, built by
// the offscreen frame loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <fmt/format.h>

#include <fstream>

#include "harness/pane_harness.h"
#include "orvo_ui/widgets/button.h"
#include "panes/storage/storage_pane.h"
#include "storage_stand_in.h"

namespace settings::panes::storage::testing {


using namespace std::chrono_literals;
using panes::testing::find_widget;
using panes::testing::PaneHarness;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using testing::HeldWorkers;
using testing::StorageStandIn;
using Reply = StorageStandIn::Reply;
namespace fs = std::filesystem;

inline std::string snapshot_json(std::uint64_t safe_to_free, bool online) {
  return R"({"files":[{"display_path":"Documents/report.pdf","reclaimable_bytes":)" + std::to_string(safe_to_free) +
         R"(,"state":{"id":"f1","revision":7}}],"usage":[{"total":9000,"local":5000,"remote_only":4000,"safe_to_free":)" +
         std::to_string(safe_to_free) + R"(}],"online":)" + (online ? "true" : "false") + "}";
}

class StoragePage : public ::testing::Test {
 public:
  // The page of a pane whose measurements are in.
  void open(std::optional<fs::path> installed = std::nullopt) {
    StorageServices services;
    services.socket = {socket, 5s};
    services.open_tool = [](os_actions::tool_intent::Tool) -> std::expected<void, std::string> { return {}; };
    services.start_worker = [held = workers](std::string name, std::function<void()> work) {
      return held->start(std::move(name), std::move(work));
    };
    StoragePane made({installed, harness.home().data(), harness.home().cache()}, std::move(services));
    made.load_synced_storage();
    pane = std::make_unique<StoragePane>(
        std::move(made).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell()));
    loop = std::make_unique<PaneInALoop>(*pane, 1280, 800);
    settle();
  }
  void settle() {
    for (int i = 0; i < 20; ++i) {
      loop->frame();
      if (workers->run_all() == 0) break;
    }
    loop->frame();
  }
  void data_file(const std::string& name, std::size_t bytes) {
    fs::create_directories(harness.home().data());
    std::ofstream(harness.home().data() / name) << std::string(bytes, 'x');
  }
  bool shows(std::string_view text) {
    const auto texts = texts_of(*pane);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  // The names of the largest-items rows, in page order.
  std::vector<std::string> item_rows() {
    std::vector<std::string> names;
    const auto texts = texts_of(*pane);
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
      if (texts[i + 1].ends_with(" · App data")) names.push_back(texts[i]);
    }
    return names;
  }

  PaneHarness harness;
  fs::path socket = harness.home().system(workers::kStorageSocket);
  StorageStandIn service{socket};
  std::shared_ptr<HeldWorkers> workers = std::make_shared<HeldWorkers>();
  std::unique_ptr<StoragePane> pane;
  std::unique_ptr<PaneInALoop> loop;
};

}  // namespace settings::panes::storage::testing
