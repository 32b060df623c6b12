// Rectangles of laid-out widget trees, against values computed by hand from fixed text metrics:
// a character is half the text size wide and a line 1.25 times the text size high.
#include <gtest/gtest.h>

#include "laid_out.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/sparkline.h"
#include "orvo_ui/widgets/text.h"

namespace orvo_ui {
namespace {

using testing::LaidOut;

Container box(float width, float height) { return Container().with_width(width).with_height(height); }

TEST(WidgetLayout, FlexibleSpacerPutsTheControlAtTheRightEdge) {
  Row row;
  row.push(Text("Wi-Fi").with_size(13));
  row.push(Spacer::flexible());
  row.push(box(80, 20));
  Column page;
  page.push(std::move(row));

  LaidOut l;
  l.lay_out(page, 400, 200);
  const auto& laid_row = *static_cast<const Row*>(page.child(0));
  // The row is as high as its tallest child; the 16.25-high label is centred in it.
  EXPECT_EQ(laid_row.get_rect(), (Rect{0, 0, 400, 20}));
  EXPECT_EQ(laid_row.child(0)->get_rect(), (Rect{0, 1.875, 32.5, 18.125}));
  EXPECT_EQ(laid_row.child(1)->get_rect(), (Rect{32.5, 10, 320, 10}));
  EXPECT_EQ(laid_row.child(2)->get_rect(), (Rect{320, 0, 400, 20}));
}

TEST(WidgetLayout, WrappingLabelGivesWayToAFixedControl) {
  Row row;
  row.push(Text("aaaa bbbb cccc dddd eeee ffff").with_size(10).with_wrap(true));
  row.push(Spacer::flexible());
  row.push(box(100, 20));
  Column page;
  page.push(std::move(row));

  LaidOut l;
  l.lay_out(page, 200, 200);
  const auto& laid_row = *static_cast<const Row*>(page.child(0));
  // 145 wide on one line; squeezed to 100 it takes two lines of 12.5.
  EXPECT_EQ(laid_row.child(0)->get_rect(), (Rect{0, 0, 100, 25}));
  EXPECT_EQ(laid_row.child(2)->get_rect(), (Rect{100, 2.5, 200, 22.5}));
}

TEST(WidgetLayout, PaddingAndGaps) {
  Column column = Column().with_padding(24, 16).with_gap(12);
  for (const char* s : {"a", "bb", "ccc"}) column.push(Text(s).with_size(16));
  LaidOut l;
  l.lay_out(column, 300, 400);
  // The root fills the window.
  EXPECT_EQ(column.get_rect(), (Rect{0, 0, 300, 400}));
  EXPECT_EQ(column.child(0)->get_rect(), (Rect{24, 16, 276, 36}));
  EXPECT_EQ(column.child(1)->get_rect(), (Rect{24, 48, 276, 68}));
  EXPECT_EQ(column.child(2)->get_rect(), (Rect{24, 80, 276, 100}));

  Row row = Row().with_gap(8).with_padding(10, 4);
  for (int i = 0; i < 3; ++i) row.push(box(50, 10));
  Column page;
  page.push(std::move(row));
  l.lay_out(page, 300, 100);
  const auto& laid_row = *static_cast<const Row*>(page.child(0));
  EXPECT_EQ(laid_row.get_rect(), (Rect{0, 0, 300, 18}));
  EXPECT_EQ(laid_row.child(0)->get_rect(), (Rect{10, 4, 60, 14}));
  EXPECT_EQ(laid_row.child(1)->get_rect(), (Rect{68, 4, 118, 14}));
  EXPECT_EQ(laid_row.child(2)->get_rect(), (Rect{126, 4, 176, 14}));
}

TEST(WidgetLayout, RowSpacingOptionSeparatesChildren) {
  Row row = Row().with_spacing(true);
  row.push(box(20, 20));
  row.push(box(20, 20));
  Column page;
  page.push(std::move(row));
  LaidOut l;
  l.lay_out(page, 300, 100);
  EXPECT_EQ(static_cast<const Row*>(page.child(0))->child(1)->get_rect().x0, 20 + Row::kSpacing);
}

// The page arrangement: a filling container, a scroll view, a width-limited centred column.
Container page_with_max_width(float max_width) {
  Column column = Column().with_padding(24, 24);
  column.push(Text("Title").with_size(24));
  Container limited = Container(std::move(column)).with_max_width(max_width).with_centered(true);
  return Container(Scrollable(std::move(limited))).with_fill(true);
}

TEST(WidgetLayout, MaxWidthPageColumnIsCentredInAWideWindow) {
  struct Case {
    float window;
    Rect page;
  };
  for (const Case& c : {Case{1280, {280, 0, 1000, 78}}, Case{600, {0, 0, 600, 78}}}) {
    Container window = Container(std::make_unique<Container>(page_with_max_width(720))).with_height(800);
    LaidOut l;
    l.lay_out(window, c.window, 800);
    const auto& outer = *static_cast<const Container*>(window.child());
    const auto& scroll = *static_cast<const Scrollable*>(outer.child());
    EXPECT_EQ(scroll.get_rect(), (Rect{0, 0, c.window, 800}));
    const Widget& limited = *scroll.child();
    // 24 + a 30-high title + 24.
    EXPECT_EQ(limited.get_rect(), c.page) << "window " << c.window;
    const auto& title = *static_cast<const Column*>(static_cast<const Container&>(limited).child())->child(0);
    EXPECT_EQ(title.get_rect(), (Rect{c.page.x0 + 24, 24, c.page.x1 - 24, 54}));
  }
}

TEST(WidgetLayout, ContainerOptionsPlaceTheBoxInAColumn) {
  auto leaf = [] { return Sparkline({}).with_size(100, 10); };
  struct Case {
    const char* name;
    Container container;
    double x0;
    double x1;
  };
  Case cases[] = {
      {"plain", Container(leaf()), 0, 400},
      {"centred", Container(leaf()).with_centered(true), 150, 250},
      {"width", Container(leaf()).with_width(220), 0, 220},
      {"centred width", Container(leaf()).with_width(200).with_centered(true), 100, 300},
      {"centred maximum", Container(leaf()).with_max_width(300).with_centered(true), 50, 350},
      {"filling, centred", Container(leaf()).with_fill(true).with_centered(true), 0, 400},
      {"filling, centred maximum", Container(leaf()).with_fill(true).with_max_width(300).with_centered(true), 50, 350},
  };
  for (Case& c : cases) {
    Column page;
    page.push(std::move(c.container));
    LaidOut l;
    l.lay_out(page, 400, 100);
    const Rect r = page.child(0)->get_rect();
    EXPECT_EQ(r.x0, c.x0) << c.name;
    EXPECT_EQ(r.x1, c.x1) << c.name;
  }
}

TEST(WidgetLayout, PercentSizesResolveAgainstTheParentsInnerBox) {
  LayoutTree tree;
  TextRenderer text(TextRenderer::Metrics::Fixed);
  Style quarter;
  quarter.width = Dimension::percent(0.25f);
  quarter.height = Dimension::percent(0.5f);
  Style rest;
  rest.width = Dimension::percent(0.75f);
  rest.max_width = Dimension::points(200);
  NodeId a = *tree.new_leaf(quarter);
  NodeId b = *tree.new_leaf(rest);
  Style row;
  row.height = Dimension::points(100);
  row.padding = Edges::all(10);
  row.align_items = Align::Start;
  NodeId children[] = {a, b};
  NodeId root = *tree.new_with_children(row, children);
  tree.compute(root, {400, 100}, text);

  // Inner box 380 x 80: a quarter is 95 wide and half of 80 high; three quarters (285) stop at 200.
  auto la = *tree.layout(a);
  auto lb = *tree.layout(b);
  EXPECT_EQ(la.x, 10);
  EXPECT_EQ(la.size, (Size{95, 40}));
  EXPECT_EQ(lb.x, 105);
  EXPECT_EQ(lb.size.width, 200);
}

TEST(WidgetLayout, ScrolledColumnMovesAndClipsItsChild) {
  Column list = Column().with_gap(4);
  for (int i = 0; i < 20; ++i) list.push(Text("row " + std::to_string(i)).with_size(13));
  Container page = Container(Scrollable(std::move(list))).with_height(200);
  LaidOut l;
  l.lay_out(page, 300, 200);
  auto& scroll = *static_cast<Scrollable*>(page.child());
  // 20 rows of 16.25 with 19 gaps of 4: 401 of content in a 200-high viewport.
  EXPECT_EQ(scroll.get_rect(), (Rect{0, 0, 300, 200}));
  EXPECT_DOUBLE_EQ(scroll.max_offset(), 201);
  EXPECT_EQ(scroll.child_clip_rect(), (Rect{0, 0, 300, 200}));

  EventContext context{1.0, false, std::nullopt, l.root, &l.tree};
  page.handle_event(event::Wheel{{10, 10}, 0, 100}, context);
  EXPECT_TRUE(context.redraw_requested);
  EXPECT_EQ(scroll.offset(), 100);
  const auto& rows = *static_cast<const Column*>(scroll.child());
  EXPECT_DOUBLE_EQ(rows.child(5)->get_rect().y0, 5 * 20.25 - 100);

  Scene scene = l.draw(page, Rect{0, 0, 300, 200});
  const auto& commands = scene.commands();
  ASSERT_FALSE(commands.empty());
  ASSERT_TRUE(std::holds_alternative<draw::PushClip>(commands.front()));
  EXPECT_EQ(std::get<draw::PushClip>(commands.front()).rect, (Rect{0, 0, 300, 200}));
  std::vector<std::string> drawn;
  for (const auto& c : commands) {
    if (auto* t = std::get_if<draw::Text>(&c)) drawn.push_back(t->text);
  }
  // Rows 0 to 4 lie above the viewport and rows 15 to 19 below it: they are not drawn at all.
  ASSERT_EQ(drawn.size(), 10u);
  EXPECT_EQ(drawn.front(), "row 5");
  EXPECT_EQ(drawn.back(), "row 14");

  // A wheel outside the viewport does nothing; scrolling stops at the end of the content.
  context.redraw_requested = false;
  page.handle_event(event::Wheel{{10, 250}, 0, 100}, context);
  EXPECT_EQ(scroll.offset(), 100);
  page.handle_event(event::Wheel{{10, 10}, 0, 10000}, context);
  EXPECT_EQ(scroll.offset(), 201);
  EXPECT_DOUBLE_EQ(rows.child(19)->get_rect().y1, 200);

  // Revealing a row above the viewport scrolls it to the top edge.
  EXPECT_TRUE(scroll.reveal_descendant(rows.child(2)));
  EXPECT_DOUBLE_EQ(scroll.offset(), 2 * 20.25);
  EXPECT_DOUBLE_EQ(rows.child(2)->get_rect().y0, 0);
  // A widget outside the subtree is not revealed.
  Text stranger("x");
  EXPECT_FALSE(scroll.reveal_descendant(&stranger));
}

event::Key key(NamedKey named) {
  event::Key k;
  k.key = named;
  return k;
}

TEST(WidgetLayout, FocusedScrollViewScrollsWithKeys) {
  Column list;
  for (int i = 0; i < 20; ++i) list.push(box(10, 50));
  Container window = Container(Scrollable(std::move(list))).with_height(200);
  LaidOut l;
  l.lay_out(window, 100, 200);
  auto& scroll = *static_cast<Scrollable*>(window.child());
  EXPECT_TRUE(scroll.is_focusable());
  EventContext context{1.0, false, std::nullopt, l.root, &l.tree};
  scroll.handle_event(key(NamedKey::End), context);
  EXPECT_EQ(scroll.offset(), 0) << "keys move only a focused view";
  scroll.set_focus(true);
  scroll.handle_event(key(NamedKey::End), context);
  EXPECT_EQ(scroll.offset(), 800);
  scroll.handle_event(key(NamedKey::Up), context);
  EXPECT_EQ(scroll.offset(), 800 - Scrollable::kLineStep);
}

TEST(WidgetLayout, TitledCardPadsItsHeaderAndBody) {
  Card card = card::surface("Title", std::make_unique<Container>(box(40, 20)), std::make_unique<Container>(box(100, 30)));
  Column page;
  page.push(std::move(card));
  LaidOut l;
  l.lay_out(page, 400, 300);
  const Widget& laid = *page.child(0);
  // 16 + header (the 18.75-high title beside a 20-high accessory) + 12 + 30 + 16.
  EXPECT_EQ(laid.get_rect(), (Rect{0, 0, 400, 94}));
  const auto& column = *static_cast<const Column*>(static_cast<const Card&>(laid).child());
  const auto& header = *static_cast<const Row*>(column.child(0));
  EXPECT_EQ(header.get_rect(), (Rect{16, 16, 384, 36}));
  EXPECT_EQ(header.child(2)->get_rect(), (Rect{344, 16, 384, 36}));
  EXPECT_EQ(column.child(1)->get_rect(), (Rect{16, 48, 116, 78}));
}

}  // namespace
}  // namespace orvo_ui
