#pragma once
// A pane shown as the window shows a page (beside a navigation column, scrolled and centred in the
// shell), laid out with real fonts in a window of a given size, with the structural check that can
// be asserted (nothing runs out of the window), and drawn into a PNG file beside the test (for
// looking at).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "../../support/picture.h"
#include "orvo_ui/widgets/app_shell.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"

namespace settings::panes::testing {

// Lays out `pane` under the navigation title `title` in a `width` x `height` window, expects every
// widget inside the window, and writes "<name>_page_<width>x<height>.png", printing where it is.
inline void picture_page(std::unique_ptr<orvo_ui::Widget> pane, std::string_view title, std::string_view name,
                         int width, int height) {
  using namespace orvo_ui;
  auto nav = std::make_unique<Container>(Container(Text(std::string(title)).with_size(14)).with_fill(true));
  auto page = std::make_unique<Container>(
      Container(Scrollable(Container(std::move(pane)).with_max_width(880).with_centered(true))).with_fill(true));
  AppShell shell = AppShell(std::move(nav), std::move(page)).with_breakpoint(720).with_nav_width(264).with_narrow_screen(true);
  shell.notify_selection();

  TextRenderer text(TextRenderer::Metrics::Fonts);
  settings::testing::lay_out(shell, text, width, height);
  const std::function<void(const Widget&)> check = [&](const Widget& w) {
    const Rect r = w.get_rect();
    EXPECT_LE(r.x1, width + 0.01) << w.name() << " runs out of the window";
    EXPECT_GE(r.x0, -0.01) << w.name();
    for (const Widget* c : w.children()) check(*c);
  };
  check(shell);

  const std::string path =
      std::string(name) + "_page_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
  ASSERT_TRUE(settings::testing::write_picture(shell, text, width, height, path, std::string(name) + " page"));
}

}  // namespace settings::panes::testing
