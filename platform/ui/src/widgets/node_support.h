#pragma once
// Small pieces every toolkit widget uses to take part in layout and events.
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "orvo_ui/layout_rect.h"
#include "orvo_ui/widget.h"

namespace orvo_ui::node_support {

using orvo_ui::laid_out_rect;

// A leaf node measured through the widget's own `measure`.
NodeId measured_leaf(LayoutTree& tree, const Style& style, NodeMap& nodes, Widget& widget);
NodeId plain_leaf(LayoutTree& tree, const Style& style, NodeMap& nodes, Widget& widget);
NodeId container_node(LayoutTree& tree, const Style& style, std::span<const NodeId> children, NodeMap& nodes,
                      Widget& widget);

// Builds the children's nodes in order.
std::vector<NodeId> build_children(std::span<const std::unique_ptr<Widget>> children, LayoutTree& tree,
                                   LayoutContext& context, NodeMap& nodes);

// Places every child inside the box of `node`, whose parent origin is (x, y).
void apply_children(std::span<const std::unique_ptr<Widget>> children, std::span<const NodeId> child_nodes,
                    const LayoutTree& tree, NodeId node, double x, double y);

// Hands the event to every child with the child's own node in the context.
void forward_event(std::span<const std::unique_ptr<Widget>> children, std::span<const NodeId> child_nodes,
                   const Event& event, EventContext& context);

void draw_children(std::span<const std::unique_ptr<Widget>> children, Scene& scene, Affine transform,
                   TextRenderer& text, const Theme& theme, const PresenceContext& presence);

// Every child is asked (so each clears its own flag); answers whether any reported true.
bool take_children_structure_dirty(std::span<const std::unique_ptr<Widget>> children);

// The pointer position of a pointer event, in logical points; none for other events.
std::optional<Point> pointer_position(const Event& event, double scale_factor);

std::vector<const Widget*> const_children(std::span<const std::unique_ptr<Widget>> children);
std::vector<Widget*> mutable_children(std::span<const std::unique_ptr<Widget>> children);

bool is_zero(const Rect& rect);

}  // namespace orvo_ui::node_support
