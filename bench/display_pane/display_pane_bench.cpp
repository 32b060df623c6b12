// The Displays pane with three outputs:
// - an idle pass (reporting to the shell, nothing running) reads no file and calls nothing outside
//   the pane, and stays far under a frame (target: under 0.1 ms);
// - the page rebuilt after a staged change: built, laid out, drawn and rendered at 1280x800
//   (target: under 5 ms).
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "panes/display/display_pane.h"

namespace {

namespace hw = settings_store::hardware;
using settings::panes::display::DisplayPane;
using settings::panes::display::DisplayServices;

std::atomic<long> g_calls{0};

DisplayServices three_outputs() {
  DisplayServices services = settings::panes::display::real_display_services();
  services.get_brightness = [] { return std::expected<float, std::string>(0.6f); };
  services.has_ambient_light_sensor = [] { return true; };
  services.dispatcher = std::make_shared<os_actions::Dispatcher>();
  services.load_snapshot = [] {
    return settings_store::DisplayHardwareSnapshot::parse(R"({"outputs": [
      {"connector": "eDP-1", "built_in": true, "modes": [{"width": 2560, "height": 1600, "refresh_mhz": 60000}],
       "current_mode": {"width": 2560, "height": 1600, "refresh_mhz": 60000}},
      {"connector": "HDMI-A-1", "display_name": "Studio",
       "modes": [{"width": 3840, "height": 2160, "refresh_mhz": 60000}, {"width": 1920, "height": 1080, "refresh_mhz": 60000}],
       "current_mode": {"width": 3840, "height": 2160, "refresh_mhz": 60000},
       "color_profiles": ["srgb"], "color_profile_names": {"srgb": "sRGB"}},
      {"connector": "DP-1", "display_name": "Office",
       "modes": [{"width": 1920, "height": 1080, "refresh_mhz": 75000}],
       "current_mode": {"width": 1920, "height": 1080, "refresh_mhz": 75000}}]})");
  };
  services.snapshot_path = [] { return std::filesystem::path(); };
  services.load_config = [] {
    hw::DisplayConfig config;
    config.outputs["HDMI-A-1"].scale = 1.5;
    config.outputs["HDMI-A-1"].color_profile = "srgb";
    config.outputs["DP-1"].mirror = "HDMI-A-1";
    return std::expected<hw::DisplayConfig, std::string>(config);
  };
  services.load_transaction = [] {
    ++g_calls;
    return std::expected<std::optional<hw::DisplayTransaction>, std::string>(std::nullopt);
  };
  return services;
}

void BM_IdleDisplayPass(benchmark::State& state) {
  settings::settings_app::OperationStatusCell status;
  settings::settings_app::PaneOperationCell operations;
  DisplayPane pane = DisplayPane(three_outputs()).with_pane_operation(operations).with_operation_status(status);
  orvo_ui::SyncContext context;
  while (pane.probing()) {
    pane.sync(context);
    std::this_thread::yield();
  }
  pane.sync(context);
  g_calls = 0;
  for (auto _ : state) {
    pane.sync(context);
  }
  if (g_calls != 0) state.SkipWithError("an idle pass read the display transaction");
}
BENCHMARK(BM_IdleDisplayPass)->Unit(benchmark::kMicrosecond);

void BM_DisplayPageRebuild(benchmark::State& state) {
  using settings::actions::DisplayOperation;
  settings::settings_app::OperationStatusCell status;
  settings::settings_app::PaneOperationCell operations;
  DisplayPane pane = DisplayPane(three_outputs()).with_pane_operation(operations).with_operation_status(status);
  orvo_ui::OffscreenBackend backend(1280, 800);
  orvo_ui::App app;
  orvo_ui::FrameLoop loop(backend, pane, app, orvo_ui::TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  bool wide = false;
  for (auto _ : state) {
    // Each staged change marks the page for rebuilding; the frame builds, lays out and draws it.
    wide = !wide;
    const settings::settings_app::PaneOperation staged{
        DisplayOperation{DisplayOperation::SetOutputScale{"DP-1", wide ? "150%" : "125%"}}};
    (void)operations.publish(staged);
    (void)status.publish(settings::settings_app::OperationStatus::Running{settings::panes::handed_operation_key(staged)});
    loop.frame(backend.take_events());
  }
  benchmark::DoNotOptimize(backend.frame());
}
BENCHMARK(BM_DisplayPageRebuild)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
