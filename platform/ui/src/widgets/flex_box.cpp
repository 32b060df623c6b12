#include "orvo_ui/widgets/flex_box.h"

#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "widgets/node_support.h"

namespace orvo_ui {

void FlexBox::push(std::unique_ptr<Widget> child) {
  if (child) children_.push_back(std::move(child));
}

void FlexBox::sync(SyncContext& context) {
  for (auto& child : children_) child->sync(context);
}

bool FlexBox::update() {
  bool any = false;
  for (auto& child : children_) any = child->update() || any;
  return any;
}

Style FlexBox::layout_style() const {
  Style style;
  style.direction = direction_;
  style.gap = gap_.value_or(0);
  style.padding = padding_;
  style.align_items = align_.value_or(Align::Stretch);
  style.justify_content = justify_;
  return style;
}

Style Row::layout_style() const {
  Style style = FlexBox::layout_style();
  if (!gap_ && spacing_) style.gap = kSpacing;
  style.align_items = align_.value_or(Align::Center);
  return style;
}

NodeId FlexBox::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  child_nodes_ = node_support::build_children(children_, tree, context, nodes);
  return node_support::container_node(tree, layout_style(), child_nodes_, nodes, *this);
}

void FlexBox::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  node_support::apply_children(children_, child_nodes_, tree, node, x, y);
}

void FlexBox::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                   const PresenceContext& presence) {
  node_support::draw_children(children_, scene, transform, text, theme, presence);
}

void FlexBox::handle_event(const Event& event, EventContext& context) {
  node_support::forward_event(children_, child_nodes_, event, context);
}

bool FlexBox::take_structure_dirty() { return node_support::take_children_structure_dirty(children_); }

bool FlexBox::needs_idle_sync() const {
  for (const auto& child : children_) {
    if (child->needs_idle_sync()) return true;
  }
  return false;
}

void FlexBox::collect_damage(std::vector<Rect>& damage) const {
  if (children_.empty()) {
    damage.push_back(rect_);
    return;
  }
  for (const auto& child : children_) child->collect_damage(damage);
}

std::vector<const Widget*> FlexBox::children() const { return node_support::const_children(children_); }
std::vector<Widget*> FlexBox::children_mut() { return node_support::mutable_children(children_); }

}  // namespace orvo_ui
