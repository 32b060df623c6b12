// The Notifications pass with many applications (it runs every frame: target under 0.3 ms), and
// the Accessibility page's rebuild with many installed applications and packages, whose presence
// checks run at every layout (target under 2 ms).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fmt/format.h>
#include <fstream>

#include "offscreen_backend.h"
#include "orvo_doc/document.h"
#include "orvo_ui/app.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/text.h"
#include "frame_loop.h"
#include "panes/accessibility/accessibility_pane.h"
#include "panes/notifications/notifications_pane.h"

namespace {

void BM_NotificationsIdleSync300Apps(benchmark::State& state) {
  std::vector<settings::panes::notifications::NotificationApp> apps;
  for (int i = 0; i < 300; ++i) apps.push_back({fmt::format("org.example.app{:03}", i), fmt::format("App {:03}", i)});
  settings::panes::notifications::NotificationsPane pane({}, std::move(apps));
  orvo_doc::Document document;
  orvo_ui::SyncContext context{&document};
  pane.sync(context);
  pane.sync(context);
  for (auto _ : state) {
    pane.sync(context);
    benchmark::DoNotOptimize(pane.saves());
  }
  if (pane.saves() != 0) state.SkipWithError("an idle pass saved the preferences");
}
BENCHMARK(BM_NotificationsIdleSync300Apps)->Unit(benchmark::kMicrosecond);

// The same pass with the page built, so its 2,100 bound controls are read and written too.
void BM_NotificationsIdleSync300AppsWithPage(benchmark::State& state) {
  std::vector<settings::panes::notifications::NotificationApp> apps;
  for (int i = 0; i < 300; ++i) apps.push_back({fmt::format("org.example.app{:03}", i), fmt::format("App {:03}", i)});
  settings::panes::notifications::NotificationsPane pane({}, std::move(apps));
  orvo_doc::Document document;
  orvo_ui::SyncContext context{&document};
  orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fixed);
  orvo_ui::LayoutTree tree;
  orvo_ui::NodeMap nodes;
  orvo_ui::LayoutContext layout{1, 14, &text, orvo_ui::Size{1280, 800}};
  pane.sync(context);
  pane.build_layout(tree, layout, nodes);
  pane.sync(context);
  pane.sync(context);
  for (auto _ : state) {
    pane.sync(context);
    benchmark::DoNotOptimize(pane.saves());
  }
  if (pane.saves() != 0) state.SkipWithError("an idle pass saved the preferences");
}
BENCHMARK(BM_NotificationsIdleSync300AppsWithPage)->Unit(benchmark::kMicrosecond);

// A data directory with 500 application entries and 50 launcher packages, none of them the
// on-screen keyboard.
std::filesystem::path installed_applications() {
  const auto root = std::filesystem::temp_directory_path() / fmt::format("orvo-a11y-bench-{}", ::getpid());
  const auto dir = root / "data/applications";
  std::filesystem::create_directories(dir);
  std::filesystem::create_directories(root / "system");
  for (int i = 0; i < 500; ++i) {
    std::ofstream(dir / fmt::format("org.example.app{:03}.desktop", i))
        << fmt::format("[Desktop Entry]\nType=Application\nName=App {:03}\nExec=app{:03}\n", i, i);
  }
  for (int i = 0; i < 50; ++i) {
    const auto package = root / fmt::format("data/orvo/packages/org.example.pkg{:02}", i);
    std::filesystem::create_directories(package);
    std::ofstream(package / "manifest.json") << fmt::format(
        R"({{"app_id":"org.example.pkg{:02}","name":"Package {:02}","entrypoints":[{{"kind":"app","gui_bin":"bin/p"}}],)"
        R"("mime_types":["text/plain"],"file_extensions":["p{:02}"]}})",
        i, i, i);
  }
  ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (root / "system").c_str(), 1);
  return root;
}

void BM_AccessibilityPageRebuild(benchmark::State& state) {
  const auto root = installed_applications();
  settings::panes::accessibility::AccessibilityPane pane({}, {});
  orvo_ui::OffscreenBackend backend(1280, 800);
  orvo_ui::App app;
  orvo_ui::FrameLoop loop(backend, pane, app, orvo_ui::TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  bool wide = false;
  for (auto _ : state) {
    // A new size lays the page out again: the view is built afresh, with its presence checks.
    wide = !wide;
    backend.resize(wide ? 1281 : 1280, 800);
    loop.frame(backend.take_events());
  }
  benchmark::DoNotOptimize(backend.frame());
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_AccessibilityPageRebuild)->Unit(benchmark::kMillisecond);

// The layout step alone: the view built afresh (presence checks, bindings, rows) into a layout
// tree, measured with the fonts the window uses. The frame above adds drawing and the new surface
// a resize takes.
void BM_AccessibilityBuildLayout(benchmark::State& state) {
  const auto root = installed_applications();
  settings::panes::accessibility::AccessibilityPane pane({}, {});
  orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fonts);
  for (auto _ : state) {
    orvo_ui::LayoutTree tree;
    orvo_ui::NodeMap nodes;
    orvo_ui::LayoutContext context{1, 14, &text, orvo_ui::Size{1280, 800}};
    benchmark::DoNotOptimize(pane.build_layout(tree, context, nodes));
  }
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_AccessibilityBuildLayout)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
