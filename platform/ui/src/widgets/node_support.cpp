#include "widgets/node_support.h"

#include <algorithm>

namespace orvo_ui {

Rect laid_out_rect(const LayoutTree& tree, NodeId node, double x, double y) {
  auto layout = tree.layout(node);
  if (!layout) return {x, y, x, y};
  return Rect::from_origin_size(x + layout->x, y + layout->y, layout->size.width, layout->size.height);
}

}  // namespace orvo_ui

namespace orvo_ui::node_support {

NodeId measured_leaf(LayoutTree& tree, const Style& style, NodeMap& nodes, Widget& widget) {
  Widget* self = &widget;
  NodeId node = tree.new_leaf(style, [self](KnownSize known, AvailableSize available, TextRenderer& text) {
                      return self->measure(known, available, text);
                    }).value_or(0);
  nodes[node] = self;
  return node;
}

NodeId plain_leaf(LayoutTree& tree, const Style& style, NodeMap& nodes, Widget& widget) {
  NodeId node = tree.new_leaf(style).value_or(0);
  nodes[node] = &widget;
  return node;
}

NodeId container_node(LayoutTree& tree, const Style& style, std::span<const NodeId> children, NodeMap& nodes,
                      Widget& widget) {
  NodeId node = tree.new_with_children(style, children).value_or(0);
  nodes[node] = &widget;
  return node;
}

std::vector<NodeId> build_children(std::span<const std::unique_ptr<Widget>> children, LayoutTree& tree,
                                   LayoutContext& context, NodeMap& nodes) {
  std::vector<NodeId> out;
  out.reserve(children.size());
  for (const auto& child : children) out.push_back(child->build_layout(tree, context, nodes));
  return out;
}

void apply_children(std::span<const std::unique_ptr<Widget>> children, std::span<const NodeId> child_nodes,
                    const LayoutTree& tree, NodeId node, double x, double y) {
  auto layout = tree.layout(node);
  const double ox = x + (layout ? layout->x : 0.0);
  const double oy = y + (layout ? layout->y : 0.0);
  const std::size_t count = std::min(children.size(), child_nodes.size());
  for (std::size_t i = 0; i < count; ++i) children[i]->apply_layout(tree, child_nodes[i], ox, oy);
}

void forward_event(std::span<const std::unique_ptr<Widget>> children, std::span<const NodeId> child_nodes,
                   const Event& event, EventContext& context) {
  const NodeId own = context.node;
  const std::size_t count = std::min(children.size(), child_nodes.size());
  for (std::size_t i = 0; i < count; ++i) {
    context.node = child_nodes[i];
    children[i]->handle_event(event, context);
  }
  context.node = own;
}

void draw_children(std::span<const std::unique_ptr<Widget>> children, Scene& scene, Affine transform,
                   TextRenderer& text, const Theme& theme, const PresenceContext& presence) {
  for (const auto& child : children) child->draw_with_presence(scene, transform, text, theme, presence);
}

bool take_children_structure_dirty(std::span<const std::unique_ptr<Widget>> children) {
  bool any = false;
  for (const auto& child : children) any = child->take_structure_dirty() || any;
  return any;
}

std::optional<Point> pointer_position(const Event& event, double scale_factor) {
  const double s = scale_factor > 0 ? scale_factor : 1.0;
  auto logical = [s](Point p) { return Point{p.x / s, p.y / s}; };
  if (auto* moved = std::get_if<event::PointerMoved>(&event)) return logical(moved->position);
  if (auto* button = std::get_if<event::PointerButton>(&event)) return logical(button->position);
  if (auto* wheel = std::get_if<event::Wheel>(&event)) return logical(wheel->position);
  return std::nullopt;
}

std::vector<const Widget*> const_children(std::span<const std::unique_ptr<Widget>> children) {
  std::vector<const Widget*> out;
  out.reserve(children.size());
  for (const auto& child : children) out.push_back(child.get());
  return out;
}

std::vector<Widget*> mutable_children(std::span<const std::unique_ptr<Widget>> children) {
  std::vector<Widget*> out;
  out.reserve(children.size());
  for (const auto& child : children) out.push_back(child.get());
  return out;
}

bool is_zero(const Rect& rect) { return rect.x0 == 0.0 && rect.y0 == 0.0 && rect.x1 == 0.0 && rect.y1 == 0.0; }

}  // namespace orvo_ui::node_support
