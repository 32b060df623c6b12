#include "orvo_ui/widgets/sparkline.h"

#include <algorithm>
#include <cmath>

#include "widgets/node_support.h"

namespace orvo_ui {

Sparkline Sparkline::with_color(Color color) && {
  color_ = color;
  return std::move(*this);
}
Sparkline Sparkline::with_size(float width, float height) && {
  width_ = width;
  height_ = height;
  return std::move(*this);
}

Sparkline Sparkline::with_range(double low, double high) && {
  if (std::isfinite(low) && std::isfinite(high) && low < high) range_ = std::pair(low, high);
  return std::move(*this);
}

NodeId Sparkline::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.width = Dimension::points(width_);
  style.height = Dimension::points(height_);
  style.flex_shrink = 0;
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void Sparkline::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void Sparkline::draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) {
  std::vector<double> finite;
  finite.reserve(values_.size());
  for (double v : values_) {
    if (std::isfinite(v)) finite.push_back(v);
  }
  if (finite.empty()) return;
  constexpr double kInset = 1.5;  // keeps the round line caps inside the box
  const Rect box = rect_.inset(kInset, kInset);
  const auto [min, max] = std::minmax_element(finite.begin(), finite.end());
  const double lo = range_ ? range_->first : *min;
  const double span = (range_ ? range_->second : *max) - lo;
  auto point = [&](std::size_t i) {
    const double fx = finite.size() > 1 ? static_cast<double>(i) / static_cast<double>(finite.size() - 1) : 0.5;
    const double fy = span > 0 ? std::clamp((finite[i] - lo) / span, 0.0, 1.0) : 0.5;
    return Point{box.x0 + fx * box.width(), box.y1 - fy * box.height()};
  };
  Path path;
  if (finite.size() == 1) {
    // One value: a level line across the box.
    path.move_to({box.x0, point(0).y}).line_to({box.x1, point(0).y});
  } else {
    path.move_to(point(0));
    for (std::size_t i = 1; i < finite.size(); ++i) path.line_to(point(i));
  }
  scene.stroke(std::move(path), color_.value_or(theme.accent), transform, StrokeStyle{1.5});
}

bool Sparkline::is_layout_dirty() const { return node_support::is_zero(rect_); }

}  // namespace orvo_ui
