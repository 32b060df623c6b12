#pragma once
// Base of the containers that hold at most one child (Card, Container, Scrollable): ownership,
// the child lists and forwarding of the frame operations.
#include <memory>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class SingleChild : public Widget {
 public:
  const Widget* child() const { return child_.get(); }
  Widget* child() { return child_.get(); }

  void sync(SyncContext& context) override;
  bool update() override;
  void handle_event(const Event& event, EventContext& context) override;
  bool take_structure_dirty() override;
  // Asked on behalf of the child, so that a widget deep in a page can ask the loop for idle syncs.
  bool needs_idle_sync() const override;
  std::vector<const Widget*> children() const override;
  std::vector<Widget*> children_mut() override;
  Rect get_rect() const override { return rect_; }

 protected:
  SingleChild() = default;
  explicit SingleChild(std::unique_ptr<Widget> child) : child_(std::move(child)) {}

  // Builds the child's node (when there is a child) and this widget's node around it.
  NodeId build_with_style(const Style& style, LayoutTree& tree, LayoutContext& context, NodeMap& nodes);
  void apply_with_child(const LayoutTree& tree, NodeId node, double x, double y);

  std::unique_ptr<Widget> child_;
  NodeId child_node_ = 0;
  Rect rect_;
};

}  // namespace orvo_ui
