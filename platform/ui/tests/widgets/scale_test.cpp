// How the loop follows the user's text and interface scales and keeps its minimum size.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/text.h"

namespace orvo_ui {
namespace {

// A root that answers a theme and rebuilds its column on demand, as a page does after a change.
class Page final : public Widget {
 public:
  explicit Page(std::function<std::unique_ptr<Widget>()> build) : build_(std::move(build)), body_(build_()) {}
  void rebuild() {
    body_ = build_();
    dirty_ = true;
  }
  Widget& body() { return *body_; }
  Theme theme = Theme::dark();

  std::string_view type_name() const override { return "Page"; }
  std::string_view name() const override { return "Page"; }
  std::optional<Theme> theme_override() const override { return theme; }
  void sync(SyncContext& context) override { body_->sync(context); }
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override {
    viewport = context.viewport;
    NodeId child = body_->build_layout(tree, context, nodes);
    Style style;
    style.direction = FlexDirection::Column;
    NodeId node = *tree.new_with_children(style, std::span<const NodeId>(&child, 1));
    nodes[node] = this;
    return node;
  }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override {
    auto l = tree.layout(node);
    rect_ = Rect::from_origin_size(x + l->x, y + l->y, l->size.width, l->size.height);
    body_->apply_layout(tree, (*tree.children(node))[0], rect_.x0, rect_.y0);
  }
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& t, const PresenceContext& p) override {
    body_->draw(scene, transform, text, t, p);
  }
  void handle_event(const Event& event, EventContext& context) override { body_->handle_event(event, context); }
  bool take_structure_dirty() override { return std::exchange(dirty_, false); }
  std::vector<const Widget*> children() const override { return {body_.get()}; }
  std::vector<Widget*> children_mut() override { return {body_.get()}; }
  Rect get_rect() const override { return rect_; }
  Size viewport;

 private:
  std::function<std::unique_ptr<Widget>()> build_;
  std::unique_ptr<Widget> body_;
  bool dirty_ = false;
  Rect rect_;
};

struct Harness {
  explicit Harness(std::function<std::unique_ptr<Widget>()> build, std::uint32_t width = 400,
                   std::uint32_t height = 300)
      : page(std::move(build)), backend(width, height), loop(backend, page, app, TextRenderer::Metrics::Fixed) {
    frame();
  }
  void frame() { loop.frame(backend.take_events()); }
  void press(Event event) {
    backend.push(std::move(event));
    frame();
  }
  std::string focused_id() const {
    return loop.focused() ? loop.focused()->widget_id().value_or("") : std::string("(none)");
  }
  Page page;
  OffscreenBackend backend;
  App app;
  FrameLoop loop;
};

std::unique_ptr<Widget> labelled_row() {
  auto column = std::make_unique<Column>();
  Row row;
  row.push(Text("Remove the old provider").with_wrap(true));
  row.push(Button("remove", "Remove"));
  column->push(std::move(row));
  return column;
}

TEST(Scales, TextAndRowsGrowWithTheThemeAndStayApart) {
  Harness h(labelled_row, 800, 300);
  auto& column = static_cast<Column&>(h.page.body());
  const auto& row = *static_cast<const Row*>(column.child(0));
  const Rect text_before = row.child(0)->get_rect();
  const Rect button_before = row.child(1)->get_rect();

  h.page.theme = Theme::dark().with_text_scale(1.5f).with_ui_scale(1.25f);
  h.frame();
  const Rect text_after = row.child(0)->get_rect();
  const Rect button_after = row.child(1)->get_rect();
  // Text grows by both scales in window pixels; layout points grow by the text scale alone.
  EXPECT_NEAR(text_after.height(), text_before.height() * 1.5, 0.5);
  EXPECT_GT(button_after.height(), button_before.height());
  EXPECT_LE(text_after.x1, button_after.x0);
  // The window's 800 pixels are 640 points at the interface scale.
  EXPECT_FLOAT_EQ(h.page.viewport.width, 640);
  EXPECT_FLOAT_EQ(h.page.get_rect().width(), 640);

  // A click lands where the scaled button is drawn.
  const Point centre{(button_after.x0 + button_after.x1) / 2 * 1.25, (button_after.y0 + button_after.y1) / 2 * 1.25};
  h.press(event::PointerButton{MouseButton::Primary, true, centre});
  EXPECT_EQ(h.focused_id(), "remove");
}

TEST(Scales, ValuesOutsideTheBoundsAreHeldToThem) {
  Harness h(labelled_row, 800, 300);
  h.page.theme = Theme::dark().with_ui_scale(40.0f).with_text_scale(0.0f);
  h.frame();
  EXPECT_FLOAT_EQ(h.page.viewport.width, 800 / 3.0f);
  h.page.theme = Theme::dark().with_ui_scale(std::nanf(""));
  h.frame();
  EXPECT_FLOAT_EQ(h.page.viewport.width, 800);
}

TEST(MinimumSize, TheLayoutNeverGoesBelowItAndGrowsWithTheInterfaceScale) {
  Harness h(labelled_row, 300, 200);
  h.loop.set_minimum_size({480, 400});
  h.backend.resize(300, 200);
  h.frame();
  EXPECT_EQ(h.page.viewport, (Size{480, 400}));
  h.page.theme = Theme::dark().with_ui_scale(1.5f);
  h.backend.resize(900, 900);
  h.frame();
  EXPECT_EQ(h.page.viewport, (Size{600, 600}));
}

}  // namespace
}  // namespace orvo_ui
