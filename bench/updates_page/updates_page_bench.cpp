// The Updates page rebuilt after a pass, as it is after every pass while work runs: the whole view
// built again, laid out, drawn and rendered at 1280x800, with five firmware upgrades and eight
// history entries. Target: under 2 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "panes/updates/updates_pane.h"
#include "panes/taken_operation.h"

namespace {

using namespace orvo_ui;
using namespace settings::panes::updates;
namespace firmware = os_actions::firmware;
using Op = settings::actions::UpdateOperation;

// Canned answers, so no program runs.
UpdatesServices canned_services() {
  ServiceCommands commands;
  commands.run = [](std::string_view program, std::span<const std::string>, std::chrono::seconds) -> CommandResult {
    bounded_command::Output output;
    output.status.code = 0;
    if (program == "bootc") {
      output.standard_output =
          R"({"status":{"staged":{"version":"43.1"},"rollback":{"image":{"image":{"image":"quay.io/orvo/os:42"}}}}})";
    } else if (program == "systemctl") {
      output.standard_output = "enabled\n";
    } else {
      output.standard_output = "2026-12-10T09:00:00+0000 host bootc[812]: Fetched and staged quay.io/orvo/os:43\n";
    }
    return output;
  };
  UpdatesServices services = UpdatesServices::system(commands);
  services.firmware_updates = [] {
    std::vector<firmware::FirmwareUpgrade> upgrades;
    for (int i = 0; i < 5; ++i) {
      upgrades.push_back({"id" + std::to_string(i), "Device " + std::to_string(i), "1.0", "1.1", "Fixes charging",
                          {"requires AC power"}});
    }
    return Listing<firmware::FirmwareUpgrade>(upgrades);
  };
  services.firmware_history = [] {
    std::vector<firmware::FirmwareHistoryEntry> history;
    for (int i = 0; i < 8; ++i) history.push_back({"Device " + std::to_string(i), "Succeeded", "0.9", "1.0", std::nullopt});
    return Listing<firmware::FirmwareHistoryEntry>(history);
  };
  return services;
}

void BM_UpdatesPageRebuild(benchmark::State& state) {
  settings::panes::PaneOperations<settings::settings_app::PaneOperation>::Cell cell;
  settings::panes::StatusCell status;
  UpdatesPane pane = UpdatesPane(canned_services()).with_pane_operation(cell).with_operation_status(status);
  OffscreenBackend backend(1280, 800);
  App app;
  FrameLoop loop(backend, pane, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  const settings::settings_app::PaneOperation review{Op{Op::ReviewRollback{}}};
  const std::string key = settings::panes::handed_operation_key(review);
  for (auto _ : state) {
    // A handled operation marks the page for rebuilding; the frame builds, lays out and draws it.
    (void)cell.publish(review);
    (void)status.publish(settings::settings_app::OperationStatus::Running{key});
    loop.frame(backend.take_events());
  }
  benchmark::DoNotOptimize(backend.frame());
}
BENCHMARK(BM_UpdatesPageRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
