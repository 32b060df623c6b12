// Decode + canonical re-encode of typical payloads, as the device-local reader does for every
// operation it runs. Target: well under 5 µs each.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "actions/operation_payload.h"

namespace {

using namespace settings::actions;

template <class Payload>
void reencode(benchmark::State& state, std::string_view payload) {
  for (auto _ : state) {
    auto decoded = decode_payload<Payload>(payload);
    std::string text = encode_payload(*decoded);
    benchmark::DoNotOptimize(text);
  }
}

void BM_NetworkToggle(benchmark::State& state) {
  reencode<NetworkOperation>(state, R"({"SetWifiEnabled":{"enabled":true}})");
}
void BM_DisplaySetModeReordered(benchmark::State& state) {
  reencode<DisplayOperation>(
      state, R"({ "SetMode": { "mode": {"refresh_mhz": 60000, "width": 1920, "height": 1080}, "connector": "eDP-1" } })");
}
void BM_PowerSuspendTimeout(benchmark::State& state) {
  reencode<PowerOperation>(state, R"({"SetSuspendTimeout":{"profile":"balanced","label":"15 minutes"}})");
}
void BM_SettingsActionText(benchmark::State& state) {
  reencode<SettingsAction>(state, R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})");
}
void BM_AudioVolume(benchmark::State& state) {
  reencode<AudioOperation>(state, R"({"SetStreamVolume":{"stream_id":57,"value":0.6499999761581421}})");
}
void BM_UnitVariant(benchmark::State& state) { reencode<UpdateOperation>(state, R"("Check")"); }

BENCHMARK(BM_NetworkToggle);
BENCHMARK(BM_DisplaySetModeReordered);
BENCHMARK(BM_PowerSuspendTimeout);
BENCHMARK(BM_SettingsActionText);
BENCHMARK(BM_AudioVolume);
BENCHMARK(BM_UnitVariant);

}  // namespace
