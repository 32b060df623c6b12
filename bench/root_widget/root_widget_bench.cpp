// The root widget's two hot moments in a 1280x800 offscreen window: a section switch (new sidebar
// and page, layout, draw and render of the frame) and start-up to the first frame (building the
// root, the loop and the first laid-out, drawn and rendered frame).
#include <benchmark/benchmark.h>

#include <memory>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "settings_app/settings_app.h"

namespace {

using namespace orvo_ui;
using settings::settings_app::SettingsApp;
using settings::settings_app::SettingsSection;
using settings::settings_app::SIDEBAR_ORDER;

void BM_SectionSwitch(benchmark::State& state) {
  OffscreenBackend backend(1280, 800);
  App app;
  SettingsApp root(std::nullopt);
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  std::size_t next = 1;
  for (auto _ : state) {
    root.selection().publish(SIDEBAR_ORDER[next]);
    next = (next + 1) % SIDEBAR_ORDER.size();
    loop.frame(backend.take_events());
  }
  benchmark::DoNotOptimize(root.section());
}
BENCHMARK(BM_SectionSwitch)->Unit(benchmark::kMillisecond);

void BM_SearchKeystroke(benchmark::State& state) {
  OffscreenBackend backend(1280, 800);
  App app;
  SettingsApp root(std::nullopt);
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  bool typed = false;
  for (auto _ : state) {
    root.search_text().publish(typed ? "" : "s");
    typed = !typed;
    loop.frame(backend.take_events());
  }
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_StartupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    OffscreenBackend backend(1280, 800);
    App app;
    auto root = SettingsApp::make_default();
    FrameLoop loop(backend, *root, app, TextRenderer::Metrics::Fonts);
    loop.frame(backend.take_events());
    benchmark::DoNotOptimize(backend.frame());
  }
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace
