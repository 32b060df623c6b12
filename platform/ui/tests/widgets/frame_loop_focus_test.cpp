// The loop brings a newly focused widget into view inside its scroll view.
#include <gtest/gtest.h>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"

namespace orvo_ui {
namespace {

// A 50-high focusable box that asks for focus when the key named after it is pressed.
class Probe final : public Widget {
 public:
  explicit Probe(std::string key) : key_(std::move(key)) {}
  std::string_view type_name() const override { return "Probe"; }
  std::string_view name() const override { return "Probe"; }
  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) override {
    Style style;
    style.height = Dimension::points(50);
    NodeId node = *tree.new_leaf(style);
    nodes[node] = this;
    return node;
  }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override {
    auto l = tree.layout(node);
    rect_ = Rect::from_origin_size(x + l->x, y + l->y, l->size.width, l->size.height);
  }
  void draw(Scene&, Affine, TextRenderer&, const Theme&, const PresenceContext&) override {}
  void handle_event(const Event& event, EventContext& context) override {
    if (auto* key = std::get_if<event::Key>(&event); key && key->text == key_) context.focus_request = context.node;
  }
  bool is_focusable() const override { return true; }
  void set_focus(bool focused) override { focused_ = focused; }
  bool has_focus() const override { return focused_; }
  Rect get_rect() const override { return rect_; }

 private:
  std::string key_;
  bool focused_ = false;
  Rect rect_;
};

event::Key press(std::string text) {
  event::Key key;
  key.text = std::move(text);
  return key;
}

TEST(FrameLoopFocus, FocusedWidgetIsScrolledIntoView) {
  Column list;
  for (int i = 0; i < 20; ++i) list.push(Probe("k" + std::to_string(i)));
  Container root = Container(Scrollable(std::move(list))).with_height(300);
  OffscreenBackend backend(200, 300);
  App app;
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());

  auto& scroll = *static_cast<Scrollable*>(root.child());
  const auto& probes = *static_cast<const Column*>(scroll.child());
  EXPECT_EQ(scroll.offset(), 0);

  backend.push(press("k15"));
  loop.frame(backend.take_events());
  EXPECT_TRUE(probes.child(15)->has_focus());
  // Box 15 spans 750..800; it now ends at the bottom of the 300-high view.
  EXPECT_EQ(scroll.offset(), 500);
  EXPECT_EQ(probes.child(15)->get_rect(), (Rect{0, 250, 200, 300}));

  backend.push(press("k3"));
  loop.frame(backend.take_events());
  EXPECT_EQ(scroll.offset(), 150);
  EXPECT_EQ(probes.child(3)->get_rect().y0, 0);

  // A primary click on the view itself focuses it, so the keys scroll it.
  backend.push(event::PointerButton{MouseButton::Primary, true, {10, 10}});
  loop.frame(backend.take_events());
  EXPECT_TRUE(scroll.has_focus());
  event::Key end;
  end.key = NamedKey::End;
  backend.push(end);
  loop.frame(backend.take_events());
  EXPECT_EQ(scroll.offset(), 700);
}

}  // namespace
}  // namespace orvo_ui
