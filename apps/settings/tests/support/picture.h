#pragma once
// Laying a widget tree out as a window of a given size does, at scale 1, and drawing it with the
// dark theme into a PNG file beside the test (for looking at).
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "orvo_ui/render.h"
#include "orvo_ui/widget.h"

namespace settings::testing {

// Lays `root` out in a `width` x `height` window with `text`'s metrics.
inline void lay_out(orvo_ui::Widget& root, orvo_ui::TextRenderer& text, int width, int height) {
  orvo_ui::LayoutTree tree;
  orvo_ui::NodeMap nodes;
  orvo_ui::LayoutContext context{1, 14, &text, orvo_ui::Size{float(width), float(height)}};
  const orvo_ui::NodeId node = root.build_layout(tree, context, nodes);
  tree.compute(node, {float(width), float(height)}, text);
  root.apply_layout(tree, node, 0, 0);
}

// Draws the laid-out `root` into a `width` x `height` frame and writes it to `path`, printing
// "<label>: <absolute path>"; fails when the file cannot be written.
inline ::testing::AssertionResult write_picture(orvo_ui::Widget& root, orvo_ui::TextRenderer& text, int width,
                                                int height, const std::string& path, std::string_view label) {
  orvo_ui::Scene scene;
  const orvo_ui::Theme theme = orvo_ui::Theme::dark();
  root.draw_with_presence(scene, orvo_ui::Affine::identity(), text, theme,
                          orvo_ui::PresenceContext{orvo_ui::Rect{0, 0, double(width), double(height)}});
  orvo_ui::Frame frame(width, height);
  orvo_ui::render_into(scene, text, frame.pixels(), width, height, frame.stride(), 1.0, theme.background);
  if (!frame.write_png(path).has_value()) return ::testing::AssertionFailure() << "could not write " << path;
  std::cout << label << ": " << std::filesystem::absolute(path).string() << "\n";
  return ::testing::AssertionSuccess();
}

}  // namespace settings::testing
