#include "orvo_ui/widgets/container.h"

namespace orvo_ui {

Container Container::with_width(float width) && {
  width_ = width;
  return std::move(*this);
}
Container Container::with_max_width(float width) && {
  max_width_ = width;
  return std::move(*this);
}
Container Container::with_height(float height) && {
  height_ = height;
  return std::move(*this);
}
Container Container::with_fill(bool fill) && {
  fill_ = fill;
  return std::move(*this);
}
Container Container::with_centered(bool centered) && {
  centered_ = centered;
  return std::move(*this);
}
Container Container::with_grow(bool grow) && {
  grow_ = grow;
  return std::move(*this);
}

Style Container::layout_style() const {
  Style style;
  style.direction = FlexDirection::Column;
  if (width_) {
    style.width = Dimension::points(*width_);
    style.flex_shrink = 0;
  } else if (max_width_) {
    style.width = Dimension::percent(1.0f);
  }
  if (max_width_) style.max_width = Dimension::points(*max_width_);
  if (height_) style.height = Dimension::points(*height_);
  if (fill_ || grow_) style.flex_grow = 1;
  if (fill_) style.align_self = Align::Stretch;
  // A filling box of unlimited width is already as wide as its parent: there is nothing to centre.
  const bool limited = width_ || max_width_;
  if (centered_ && (limited || !fill_)) style.align_self = Align::Center;
  return style;
}

NodeId Container::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  return build_with_style(layout_style(), tree, context, nodes);
}

void Container::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  apply_with_child(tree, node, x, y);
}

void Container::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                     const PresenceContext& presence) {
  if (child_) child_->draw_with_presence(scene, transform, text, theme, presence);
}

}  // namespace orvo_ui
