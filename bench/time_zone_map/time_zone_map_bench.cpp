// The time-zone map with every zone of this machine's tzdata: the hit test run on each pointer move
// (target: under 20 µs) and drawing the map (target: under 1 ms).
#include <benchmark/benchmark.h>

#include "orvo_ui/text.h"
#include "os_actions/time.h"
#include "panes/time_date/time_zone_map.h"
#include "panes/time_date/zone_data.h"

namespace {

using settings::panes::time_date::read_zone_table;
using settings::panes::time_date::TimeZoneMap;

TimeZoneMap full_map() {
  const auto zones = os_actions::time::list_timezones().value_or(std::vector<std::string>{});
  TimeZoneMap map(read_zone_table(zones), "Europe/Paris", std::nullopt);
  map.set_rect(orvo_ui::Rect{0, 0, 920, 176});
  return map;
}

void BM_HitTestOfAPointerMove(benchmark::State& state) {
  TimeZoneMap map = full_map();
  if (map.entries().empty()) state.SkipWithError("no tzdata zone table");
  double x = 10;
  for (auto _ : state) {
    x = x > 900 ? 10 : x + 7.3;
    benchmark::DoNotOptimize(map.hit_test(orvo_ui::Point{x, 60}));
  }
  state.counters["zones"] = static_cast<double>(map.entries().size());
}
BENCHMARK(BM_HitTestOfAPointerMove);

void BM_DrawTheMap(benchmark::State& state) {
  TimeZoneMap map = full_map();
  if (map.entries().empty()) state.SkipWithError("no tzdata zone table");
  map.set_focus(true);
  orvo_ui::TextRenderer text;
  const auto theme = orvo_ui::Theme::dark();
  for (auto _ : state) {
    orvo_ui::Scene scene;
    map.draw(scene, {}, text, theme, {});
    benchmark::DoNotOptimize(scene.size());
  }
}
BENCHMARK(BM_DrawTheMap)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
