#include "orvo_ui/widgets/icon_widget.h"

#include "widgets/node_support.h"

namespace orvo_ui {

IconWidget IconWidget::with_size(float size) && {
  size_ = size;
  return std::move(*this);
}
IconWidget IconWidget::with_stroke_width(double width) && {
  stroke_width_ = width;
  return std::move(*this);
}
IconWidget IconWidget::with_color(Color color) && {
  color_ = color;
  return std::move(*this);
}

NodeId IconWidget::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.width = Dimension::points(size_);
  style.height = Dimension::points(size_);
  style.flex_shrink = 0;
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void IconWidget::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void IconWidget::draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) {
  icon_.draw(scene, rect_, color_.value_or(theme.text), transform, stroke_width_);
}

bool IconWidget::is_layout_dirty() const { return node_support::is_zero(rect_); }

}  // namespace orvo_ui
