// Layout and drawing of a settings page of 200 rows in a 1280x800 window: the page is a scroll
// view over cards of setting rows, so drawing skips the rows outside the viewport.
#include <benchmark/benchmark.h>

#include "orvo_ui/render.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "widget_support/layout_helpers.h"

namespace {

using namespace orvo_ui;
using namespace settings::widget_support;

constexpr int kRows = 200;
constexpr int kRowsPerCard = 20;
constexpr float kWidth = 1280;
constexpr float kHeight = 800;

std::unique_ptr<Widget> page_of_rows() {
  std::vector<WidgetBox> cards;
  for (int c = 0; c < kRows / kRowsPerCard; ++c) {
    std::vector<WidgetBox> rows;
    for (int r = 0; r < kRowsPerCard; ++r) {
      const int n = c * kRowsPerCard + r;
      if (n % 3 == 0) {
        rows.push_back(value_row("Setting number " + std::to_string(n), "Value " + std::to_string(n)));
      } else if (n % 3 == 1) {
        rows.push_back(setting_row("Setting number " + std::to_string(n), tone_badge("On", badge_tone::kAccent)));
      } else {
        rows.push_back(described_setting_row("Setting number " + std::to_string(n), "A short help text under the row.",
                                             tone_badge("Off", badge_tone::kNeutral)));
      }
    }
    cards.push_back(titled_card("Card " + std::to_string(c), section_stack(std::move(rows))));
  }
  Column page = Column().with_gap(16).with_padding(24, 24);
  page.push(page_header("Benchmark", "Two hundred rows"));
  page.push(page_stack(std::move(cards)));
  return std::make_unique<Container>(Container(Scrollable(std::move(page))).with_fill(true));
}

struct Frame200 {
  std::unique_ptr<Widget> root = page_of_rows();
  TextRenderer text;
  LayoutTree tree;
  NodeMap nodes;
  Scene scene;

  explicit Frame200(TextRenderer::Metrics metrics) : text(metrics) {}

  void layout() {
    tree.clear();
    nodes.clear();
    LayoutContext context{1, 14, &text, Size{kWidth, kHeight}};
    NodeId node = root->build_layout(tree, context, nodes);
    tree.compute(node, {kWidth, kHeight}, text);
    root->apply_layout(tree, node, 0, 0);
  }
  void draw() {
    scene.clear();
    root->draw_with_presence(scene, Affine::identity(), text, Theme::dark(), PresenceContext{Rect{0, 0, kWidth, kHeight}});
    root->mark_drawn();
  }
};

void BM_Layout200Rows(benchmark::State& state) {
  Frame200 frame(static_cast<TextRenderer::Metrics>(state.range(0)));
  frame.layout();  // warms the text measurement cache, as the second frame of a window would
  for (auto _ : state) {
    frame.layout();
    benchmark::DoNotOptimize(frame.tree.node_count());
  }
}

void BM_LayoutAndDraw200Rows(benchmark::State& state) {
  Frame200 frame(static_cast<TextRenderer::Metrics>(state.range(0)));
  frame.layout();
  for (auto _ : state) {
    frame.layout();
    frame.draw();
    benchmark::DoNotOptimize(frame.scene.size());
  }
}

// Layout, drawing and painting the pixels with cairo and pango: a whole frame.
void BM_WholeFrame200Rows(benchmark::State& state) {
  Frame200 frame(TextRenderer::Metrics::Fonts);
  orvo_ui::Frame pixels(static_cast<int>(kWidth), static_cast<int>(kHeight));
  frame.layout();
  for (auto _ : state) {
    frame.layout();
    frame.draw();
    render_into(frame.scene, frame.text, pixels.pixels(), pixels.width(), pixels.height(), pixels.stride(), 1.0,
                Theme::dark().background);
    benchmark::DoNotOptimize(pixels.pixels());
  }
}

constexpr auto kFonts = static_cast<std::int64_t>(TextRenderer::Metrics::Fonts);
constexpr auto kFixed = static_cast<std::int64_t>(TextRenderer::Metrics::Fixed);

BENCHMARK(BM_Layout200Rows)->Arg(kFonts)->Arg(kFixed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutAndDraw200Rows)->Arg(kFonts)->Arg(kFixed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeFrame200Rows)->Unit(benchmark::kMillisecond);

}  // namespace
