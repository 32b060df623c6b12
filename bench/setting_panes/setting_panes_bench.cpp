// A quiet pass of the Appearance pane (every value published, nothing changed): it runs every
// frame, so it must touch no file and stay far under a frame (target: under 20 µs).
#include <benchmark/benchmark.h>

#include "orvo_doc/document.h"
#include "orvo_ui/widget.h"
#include "panes/appearance/appearance_pane.h"

namespace {

using settings::panes::appearance::AppearancePane;

void BM_AppearanceIdleSync(benchmark::State& state) {
  settings::preferences::AppearancePrefs prefs;
  prefs.theme = "Nord";
  prefs.ui_scale = 1.25;
  AppearancePane pane(prefs);
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
BENCHMARK(BM_AppearanceIdleSync);

}  // namespace

BENCHMARK_MAIN();
