// Binding every control of the two largest control pages, as their layout does on each build:
// Mouse & Keyboard (17 controls, each binding rebuilds the section from the saved preferences) and
// Displays (7 controls, sections built offline). Target: well under 1 ms per page, and no query of
// the running system (the keyboard layout catalogue is read once per process, before timing).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "catalogues/input_bindings.h"
#include "catalogues/section_bindings.h"
#include "orvo_runtime/system_paths.h"

namespace {

using namespace settings::actions;

constexpr std::array<std::string_view, 10> kInputToggles{
    "touchpad-natural-scroll", "mouse-natural-scroll", "tap-to-click",       "tap-drag",        "disable-while-typing",
    "middle-emulation",        "left-handed",          "touchpad-gestures", "spell-checking", "auto-correct"};
constexpr std::array<std::string_view, 3> kInputLevels{"touchpad-speed", "mouse-speed", "key-repeat"};
constexpr std::array<std::string_view, 4> kInputChoices{"active-source", "acceleration-profile", "compose-key",
                                                        "add-source"};

// A saved preferences file with two keyboard sources, in a configuration directory of its own.
struct SavedPreferences {
  SavedPreferences() {
    char pattern[] = "/tmp/orvo-bench-XXXXXX";
    root = ::mkdtemp(pattern);
    std::filesystem::create_directories(root / "orvo");
    std::ofstream(root / "orvo/settings.json")
        << R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us","de"]}})";
  }
  ~SavedPreferences() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
};

void BM_BindMouseKeyboardPage(benchmark::State& state) {
  const SavedPreferences saved;
  const system_paths::ScopedOverride paths(saved.root, saved.root);
  (void)input_toggle_binding(kInputToggles[0]);  // reads the keyboard layout catalogue once
  for (auto _ : state) {
    std::size_t bound = 0;
    for (auto name : kInputToggles) bound += input_toggle_binding(name).has_value();
    for (auto name : kInputLevels) bound += input_level_binding(name).has_value();
    for (auto name : kInputChoices) bound += input_choice_binding(name).has_value();
    bound += keyboard_source_binding("de", "remove").has_value();
    benchmark::DoNotOptimize(bound);
    if (bound != kInputToggles.size() + kInputLevels.size() + kInputChoices.size() + 1) {
      state.SkipWithError("a control of the page found no action");
      break;
    }
  }
}
BENCHMARK(BM_BindMouseKeyboardPage)->Unit(benchmark::kMicrosecond);

void BM_BindDisplaysPage(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t bound = 0;
    bound += display_toggle_binding("auto_brightness").has_value();
    bound += display_toggle_binding("night_light").has_value();
    bound += night_light_warmth_binding("night_light_temperature").has_value();
    bound += brightness_binding("brightness").has_value();
    for (auto name : {"apply", "confirm", "revert"}) bound += display_unit_binding(name).has_value();
    benchmark::DoNotOptimize(bound);
    if (bound != 7) {
      state.SkipWithError("a control of the page found no action");
      break;
    }
  }
}
BENCHMARK(BM_BindDisplaysPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
