// Frame cost of a tree of 1,000 simple widgets: sync, layout, draw into a scene, and render the
// scene into an offscreen 1280x800 frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "orvo_ui/render.h"
#include "orvo_ui/widget.h"

namespace {

using namespace orvo_ui;

class Box : public Widget {
 public:
  std::string_view type_name() const override { return "bench::Box"; }
  std::string_view name() const override { return "Box"; }
  void sync(SyncContext&) override { ++syncs_; }
  NodeId build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) override {
    Style style;
    style.height = Dimension::points(20);
    style.width = Dimension::percent(1.0f);
    NodeId node = tree.new_leaf(style).value_or(0);
    nodes[node] = this;
    return node;
  }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override {
    if (auto l = tree.layout(node)) rect_ = Rect::from_origin_size(x + l->x, y + l->y, l->size.width, l->size.height);
  }
  void draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) override {
    scene.fill(RoundedRect::from_rect(rect_, 4), theme.surface, transform);
  }
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return rect_; }

 private:
  Rect rect_;
  int syncs_ = 0;
};

class Grid : public Widget {
 public:
  explicit Grid(int rows, int columns) {
    for (int i = 0; i < columns; ++i) {
      auto column = std::make_unique<Grid>(0, 0);
      column->vertical_ = true;
      for (int j = 0; j < rows; ++j) column->kids_.push_back(std::make_unique<Box>());
      kids_.push_back(std::move(column));
    }
  }
  std::string_view type_name() const override { return "bench::Grid"; }
  std::string_view name() const override { return "Grid"; }
  void sync(SyncContext& c) override {
    for (auto& k : kids_) k->sync(c);
  }
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override {
    std::vector<NodeId> ids;
    for (auto& k : kids_) ids.push_back(k->build_layout(tree, context, nodes));
    Style style;
    style.direction = vertical_ ? FlexDirection::Column : FlexDirection::Row;
    style.gap = 2;
    if (vertical_) style.flex_grow = 1;
    NodeId node = tree.new_with_children(style, ids).value_or(0);
    nodes[node] = this;
    return node;
  }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override {
    auto l = tree.layout(node);
    if (!l) return;
    rect_ = Rect::from_origin_size(x + l->x, y + l->y, l->size.width, l->size.height);
    auto ids = *tree.children(node);
    for (std::size_t i = 0; i < ids.size(); ++i) kids_[i]->apply_layout(tree, ids[i], rect_.x0, rect_.y0);
  }
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override {
    for (auto& k : kids_) k->draw_with_presence(scene, transform, text, theme, presence);
  }
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return rect_; }
  std::vector<const Widget*> children() const override {
    std::vector<const Widget*> out;
    for (const auto& k : kids_) out.push_back(k.get());
    return out;
  }
  std::vector<Widget*> children_mut() override {
    std::vector<Widget*> out;
    for (auto& k : kids_) out.push_back(k.get());
    return out;
  }

 private:
  std::vector<std::unique_ptr<Widget>> kids_;
  Rect rect_;
  bool vertical_ = false;
};

void BM_Frame1000Widgets(benchmark::State& state) {
  Grid root(/*rows=*/25, /*columns=*/40);  // 1,000 boxes in 40 columns
  TextRenderer text(TextRenderer::Metrics::Fonts);
  LayoutTree tree;
  NodeMap nodes;
  Scene scene;
  Frame frame(1280, 800);
  const Theme theme = Theme::dark();
  for (auto _ : state) {
    SyncContext sync;
    root.sync(sync);
    tree.clear();
    nodes.clear();
    LayoutContext context{1.0f, 14.0f, &text};
    NodeId node = root.build_layout(tree, context, nodes);
    tree.compute(node, Size{1280, 800}, text);
    root.apply_layout(tree, node, 0, 0);
    scene.clear();
    root.draw_with_presence(scene, Affine::identity(), text, theme, PresenceContext{Rect{0, 0, 1280, 800}});
    root.mark_drawn();
    render_into(scene, text, frame.pixels(), frame.width(), frame.height(), frame.stride(), 1.0, theme.background);
    benchmark::DoNotOptimize(frame.pixels());
  }
  state.counters["widgets"] = 1000;
}
BENCHMARK(BM_Frame1000Widgets)->Unit(benchmark::kMillisecond);

}  // namespace
