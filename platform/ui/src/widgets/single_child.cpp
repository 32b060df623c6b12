#include "orvo_ui/widgets/single_child.h"

#include "widgets/node_support.h"

namespace orvo_ui {

void SingleChild::sync(SyncContext& context) {
  if (child_) child_->sync(context);
}

bool SingleChild::update() { return child_ && child_->update(); }

void SingleChild::handle_event(const Event& event, EventContext& context) {
  if (!child_) return;
  const NodeId own = context.node;
  context.node = child_node_;
  child_->handle_event(event, context);
  context.node = own;
}

bool SingleChild::take_structure_dirty() { return child_ && child_->take_structure_dirty(); }

bool SingleChild::needs_idle_sync() const { return child_ && child_->needs_idle_sync(); }

std::vector<const Widget*> SingleChild::children() const {
  if (!child_) return {};
  return {child_.get()};
}

std::vector<Widget*> SingleChild::children_mut() {
  if (!child_) return {};
  return {child_.get()};
}

NodeId SingleChild::build_with_style(const Style& style, LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  if (!child_) return node_support::plain_leaf(tree, style, nodes, *this);
  child_node_ = child_->build_layout(tree, context, nodes);
  NodeId only[] = {child_node_};
  return node_support::container_node(tree, style, only, nodes, *this);
}

void SingleChild::apply_with_child(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  if (child_) child_->apply_layout(tree, child_node_, rect_.x0, rect_.y0);
}

}  // namespace orvo_ui
