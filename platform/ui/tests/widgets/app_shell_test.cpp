#include <gtest/gtest.h>

#include "laid_out.h"
#include "orvo_ui/widgets/app_shell.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/text.h"

namespace orvo_ui {
namespace {

using testing::LaidOut;

std::unique_ptr<Widget> filler(std::string_view id) {
  return std::make_unique<Container>(Container(Text(std::string(id)).with_id(id)).with_fill(true));
}

AppShell make_shell() {
  return AppShell(filler("nav"), filler("content"))
      .with_search(std::make_unique<Container>(Container().with_height(32)))
      .with_breakpoint(720)
      .with_nav_width(264)
      .with_narrow_screen(true)
      .with_id("shell");
}

TEST(AppShell, WideWindowPutsNavigationBesideContent) {
  AppShell shell = make_shell();
  LaidOut l;
  l.lay_out(shell, 1280, 800);
  EXPECT_FALSE(shell.is_narrow());
  EXPECT_EQ(shell.widget_id(), "shell");
  EXPECT_EQ(shell.nav_rect(), (Rect{0, 0, 264, 800}));
  EXPECT_EQ(shell.content_rect(), (Rect{264, 0, 1280, 800}));
  EXPECT_EQ(shell.content_width(), 1016);
  // The search field sits in a padded slot above the navigation, which takes the rest.
  EXPECT_EQ(shell.search()->get_rect(), (Rect{12, 12, 252, 44}));
  EXPECT_EQ(shell.nav()->get_rect(), (Rect{0, 56, 264, 800}));
  EXPECT_EQ(shell.content()->get_rect(), (Rect{264, 0, 1280, 800}));
  EXPECT_EQ(shell.children().size(), 3u);
}

TEST(AppShell, ReplacingNavigationOrContentIsReportedOnce) {
  AppShell shell = make_shell();
  LaidOut l;
  l.lay_out(shell, 1280, 800);
  EXPECT_FALSE(shell.take_structure_dirty());
  shell.set_nav(filler("nav2"));
  shell.set_content(filler("content2"));
  EXPECT_TRUE(shell.take_structure_dirty());
  EXPECT_FALSE(shell.take_structure_dirty());
  EXPECT_EQ(shell.nav()->children().front()->widget_id(), "nav2");
  // Selection changes nothing visible side by side.
  shell.notify_selection();
  EXPECT_FALSE(shell.take_structure_dirty());
}

TEST(AppShell, NarrowWindowShowsOneSideAtATime) {
  AppShell shell = make_shell();
  LaidOut l;
  l.lay_out(shell, 600, 800);
  EXPECT_TRUE(shell.is_narrow());
  EXPECT_FALSE(shell.showing_content());
  EXPECT_EQ(shell.nav_rect(), (Rect{0, 0, 600, 800}));
  EXPECT_EQ(shell.content_width(), 0);

  shell.notify_selection();
  EXPECT_TRUE(shell.take_structure_dirty());
  EXPECT_FALSE(shell.take_structure_dirty());
  l.lay_out(shell, 600, 800);
  EXPECT_TRUE(shell.showing_content());
  EXPECT_EQ(shell.content_rect(), (Rect{0, AppShell::kBackBarHeight, 600, 800}));
  EXPECT_EQ(shell.content_width(), 600);

  // The back bar returns to the navigation: press and release inside it.
  EventContext context{1.0, false, std::nullopt, l.root, &l.tree};
  shell.handle_event(event::PointerButton{MouseButton::Primary, true, {20, 20}}, context);
  shell.handle_event(event::PointerButton{MouseButton::Primary, false, {20, 20}}, context);
  EXPECT_TRUE(context.redraw_requested);
  EXPECT_TRUE(shell.take_structure_dirty());
  l.lay_out(shell, 600, 800);
  EXPECT_FALSE(shell.showing_content());

  // At the breakpoint itself the window is wide again.
  l.lay_out(shell, 720, 800);
  EXPECT_FALSE(shell.is_narrow());
}

TEST(AppShell, NarrowLayoutIsOnlyUsedWhenEnabled) {
  AppShell shell(filler("nav"), filler("content"));
  LaidOut l;
  l.lay_out(shell, 600, 800);
  EXPECT_FALSE(shell.is_narrow());
  EXPECT_EQ(shell.content_rect(), (Rect{264, 0, 600, 800}));
}

}  // namespace
}  // namespace orvo_ui
