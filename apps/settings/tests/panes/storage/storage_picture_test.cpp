// The Storage page fed by the storage service stand-in, laid out with real fonts in a wide and a
// narrow window and written to PNG files beside the test (for looking at), with the structural
// check that can be asserted: nothing runs out of the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "harness/pane_harness.h"
#include "orvo_ui/render.h"
#include "orvo_ui/widgets/app_shell.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"
#include "panes/storage/storage_pane.h"
#include "storage_stand_in.h"

namespace settings::panes::storage {
namespace {

using namespace orvo_ui;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

void walk(const Widget& w, const std::function<void(const Widget&)>& visit) {
  visit(w);
  for (const Widget* c : w.children()) walk(*c, visit);
}

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

  auto nav = std::make_unique<Container>(Container(Text("Storage").with_size(14)).with_fill(true));
  auto page = std::make_unique<Container>(
      Container(Scrollable(Container(std::move(pane)).with_max_width(880).with_centered(true))).with_fill(true));
  AppShell shell = AppShell(std::move(nav), std::move(page)).with_breakpoint(720).with_nav_width(264).with_narrow_screen(true);
  shell.notify_selection();

  TextRenderer text(TextRenderer::Metrics::Fonts);
  LayoutTree tree;
  NodeMap nodes;
  LayoutContext context{1, 14, &text, Size{float(width), float(height)}};
  NodeId root = shell.build_layout(tree, context, nodes);
  tree.compute(root, {float(width), float(height)}, text);
  shell.apply_layout(tree, root, 0, 0);
  walk(shell, [&](const Widget& w) {
    const Rect r = w.get_rect();
    EXPECT_LE(r.x1, width + 0.01) << w.name() << " runs out of the window";
    EXPECT_GE(r.x0, -0.01) << w.name();
  });

  Scene scene;
  const Theme theme = Theme::dark();
  shell.draw_with_presence(scene, Affine::identity(), text, theme, PresenceContext{Rect{0, 0, double(width), double(height)}});
  Frame frame(width, height);
  render_into(scene, text, frame.pixels(), width, height, frame.stride(), 1.0, theme.background);
  const std::string path = "storage_page_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
  ASSERT_TRUE(frame.write_png(path).has_value());
  std::cout << "storage page: " << fs::absolute(path).string() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Windows, StoragePicture, ::testing::Values(1280, 640));

}  // namespace
}  // namespace settings::panes::storage
