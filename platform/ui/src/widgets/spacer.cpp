#include "orvo_ui/widgets/spacer.h"

#include "widgets/node_support.h"

namespace orvo_ui {

float Spacer::spacing(std::uint8_t step) {
  return kSpacingScale[std::min<std::size_t>(step, kSpacingScale.size() - 1)];
}

NodeId Spacer::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  if (kind_ == spacer_kind::kFixed) {
    style.width = Dimension::points(spacing(step_));
    style.height = Dimension::points(spacing(step_));
    style.flex_shrink = 0;
  } else {
    style.flex_grow = 1;
  }
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void Spacer::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  laid_out_ = true;
}

}  // namespace orvo_ui
