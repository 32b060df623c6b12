#include "orvo_ui/widgets/signal_strength.h"

#include <string>

#include "orvo_ui/scene.h"
#include "widgets/node_support.h"

namespace orvo_ui {

NodeId SignalStrength::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.width = Dimension::points(kBarsWidth + kGap + kLockWidth);
  style.height = Dimension::points(kHeight);
  style.flex_shrink = 0;
  style.align_self = Align::Center;
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void SignalStrength::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void SignalStrength::draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) {
  constexpr double kBar = 3;
  constexpr double kStep = (kBarsWidth - kBar) / (kMaxBars - 1);
  for (std::uint8_t i = 0; i < kMaxBars; ++i) {
    const double height = kHeight * (i + 1) / kMaxBars;
    const double x = rect_.x0 + i * kStep;
    const Rect bar{x, rect_.y1 - height, x + kBar, rect_.y1};
    scene.fill(RoundedRect::from_rect(bar, 1), i < bars_ ? theme.text : theme.secondary_text.with_alpha(70), transform);
  }
  if (!secured_) return;
  // A padlock: a shackle over a body.
  const double left = rect_.x0 + kBarsWidth + kGap;
  const Rect body{left, rect_.y0 + kHeight * 0.45, left + kLockWidth, rect_.y1};
  scene.fill(RoundedRect::from_rect(body, 2), theme.text, transform);
  const double inset = kLockWidth * 0.22;
  Path shackle;
  shackle.move_to({left + inset, body.y0})
      .line_to({left + inset, rect_.y0 + 4})
      .curve_to({left + inset, rect_.y0 + 0.5}, {left + kLockWidth - inset, rect_.y0 + 0.5},
                {left + kLockWidth - inset, rect_.y0 + 4})
      .line_to({left + kLockWidth - inset, body.y0});
  scene.stroke(shackle, theme.text, transform, StrokeStyle{1.6});
}

bool SignalStrength::is_layout_dirty() const { return node_support::is_zero(rect_); }

std::optional<AccessibilityNode> SignalStrength::accessibility() const {
  std::string label = "Signal " + std::to_string(bars_) + " of " + std::to_string(kMaxBars);
  if (secured_) label += ", secured";
  return AccessibilityNode{}.with_label(label);
}

}  // namespace orvo_ui
