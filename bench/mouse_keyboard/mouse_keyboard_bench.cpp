// The Mouse & Keyboard page built again, as after every input operation the shell carries out: the
// pane made from the saved preferences, the text-assistance section and the process's layout
// catalogue (already read), then its view with every control bound to its action, built into a
// layout tree. Target: under 1 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "catalogues/queries/input_queries.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/text.h"
#include "panes/mouse_keyboard/mouse_keyboard_pane.h"

namespace {

using settings::panes::mouse_keyboard::MouseKeyboardPane;

void BM_MouseKeyboardPageRebuild(benchmark::State& state) {
  char pattern[] = "/tmp/orvo-mk-bench-XXXXXX";
  const std::filesystem::path home = ::mkdtemp(pattern);
  std::filesystem::create_directories(home / "orvo");
  std::ofstream(home / "orvo/settings.json")
      << R"({"input": {"keyboard_layout": "de", "keyboard_layouts": ["us", "de", "fr"]},)"
      << R"( "text_assistance": {"auto_correct": false}})";
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  (void)settings::actions::system_input_queries().keyboard_layouts();

  orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fixed);
  for (auto _ : state) {
    MouseKeyboardPane pane = MouseKeyboardPane::load();
    orvo_ui::LayoutTree tree;
    orvo_ui::NodeMap nodes;
    orvo_ui::LayoutContext context{1, 14, &text, orvo_ui::Size{1280, 800}};
    benchmark::DoNotOptimize(pane.build_layout(tree, context, nodes));
  }
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_MouseKeyboardPageRebuild)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
