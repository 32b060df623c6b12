// A quiet pass of each preference pane (every value published, nothing changed): it runs every
// frame, so it must touch no file and stay far under a frame (target: under 20 µs each).
#include <benchmark/benchmark.h>

#include "orvo_doc/document.h"
#include "orvo_ui/widget.h"
#include "panes/appearance/appearance_pane.h"
#include "panes/notifications/notifications_pane.h"
#include "panes/region/region_pane.h"

namespace {

// Two passes publish and settle; the measured passes must then find nothing to do.
template <class Pane>
void idle_sync(benchmark::State& state, Pane& pane) {
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

void BM_AppearanceIdleSync(benchmark::State& state) {
  settings::preferences::AppearancePrefs prefs;
  prefs.theme = "Nord";
  prefs.ui_scale = 1.25;
  settings::panes::appearance::AppearancePane pane(prefs);
  idle_sync(state, pane);
}
BENCHMARK(BM_AppearanceIdleSync);

void BM_RegionIdleSync(benchmark::State& state) {
  settings::panes::region::RegionPane pane({.currency = settings::preferences::Currency::EUR});
  idle_sync(state, pane);
}
BENCHMARK(BM_RegionIdleSync);

void BM_NotificationsIdleSync(benchmark::State& state) {
  settings::preferences::NotificationPrefs prefs;
  prefs.focus.start_minute = 1290;
  settings::panes::notifications::NotificationsPane pane(prefs);
  idle_sync(state, pane);
}
BENCHMARK(BM_NotificationsIdleSync);

}  // namespace

BENCHMARK_MAIN();
