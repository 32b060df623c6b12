#include "orvo_ui/widgets/scrollable.h"

#include <algorithm>
#include <utility>

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {

bool Scrollable::adjust_layout_style(Style& style) {
  Style wanted = style;
  wanted.direction = FlexDirection::Column;
  wanted.scroll = true;
  wanted.flex_grow = 1;
  wanted.align_items = Align::Stretch;
  const bool changed = !(wanted == style);
  style = wanted;
  return changed;
}

NodeId Scrollable::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  Style style;
  adjust_layout_style(style);
  return build_with_style(style, tree, context, nodes);
}

void Scrollable::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  tree_ = &tree;
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  auto layout = tree.layout(node);
  content_height_ = layout ? layout->content_size.height : 0.0;
  if (restored_offset_) offset_ = *std::exchange(restored_offset_, std::nullopt);
  offset_ = std::clamp(offset_, 0.0, max_offset());
  place_child();
}

double Scrollable::max_offset() const { return std::max(0.0, content_height_ - rect_.height()); }

namespace {
bool has_focusable_descendant(const Widget& widget) {
  for (const Widget* child : widget.children()) {
    if (child->is_focusable() || has_focusable_descendant(*child)) return true;
  }
  return false;
}
}  // namespace

bool Scrollable::is_focusable() const { return max_offset() > 0 && !has_focusable_descendant(*this); }

void Scrollable::place_child() {
  if (child_ && tree_) child_->apply_layout(*tree_, child_node_, rect_.x0, rect_.y0 - offset_);
}

bool Scrollable::scroll_to(double offset) {
  const double clamped = std::clamp(offset, 0.0, max_offset());
  if (clamped == offset_) return false;
  offset_ = clamped;
  place_child();
  return true;
}

void Scrollable::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                      const PresenceContext& presence) {
  if (!child_) return;
  PresenceContext clipped{presence.clip ? presence.clip->intersect(rect_) : rect_};
  scene.push_clip(rect_, transform);
  child_->draw_with_presence(scene, transform, text, theme, clipped);
  scene.pop_clip();
  // A click focuses the view to let its keys scroll it; the ring shows only where it is a Tab stop.
  if (focused_ && is_focusable()) control_support::draw_focus_ring(scene, transform, rect_.inset(3, 3), theme, 6);
  if (max_offset() <= 0) return;
  // A thin indicator of where the viewport is within the content.
  const double track = rect_.height() - 8;
  const double thumb = std::max(24.0, track * rect_.height() / content_height_);
  const double top = rect_.y0 + 4 + (track - thumb) * (offset_ / max_offset());
  const Rect bar{rect_.x1 - 6, top, rect_.x1 - 2, top + thumb};
  scene.fill(RoundedRect::from_rect(bar, 2), theme.secondary_text.with_alpha(90), transform);
}

void Scrollable::handle_event(const Event& event, EventContext& context) {
  const auto position = node_support::pointer_position(event, context.scale_factor);
  if (position && !rect_.contains(*position)) {
    // Outside the viewport the child is hidden: only a pointer move goes on, so hover ends there.
    if (!std::holds_alternative<event::PointerMoved>(event)) return;
  }
  if (auto* button = std::get_if<event::PointerButton>(&event);
      button && button->pressed && button->button == MouseButton::Primary && max_offset() > 0) {
    // A click in the view lets the keys scroll it; a focusable child clicked asks after this and wins.
    context.focus_request = context.node;
  }
  if (auto* wheel = std::get_if<event::Wheel>(&event)) {
    const double scale = context.scale_factor > 0 ? context.scale_factor : 1.0;
    if (scroll_to(offset_ + wheel->dy / scale)) {
      context.request_redraw();
      // The content moved under a pointer that did not: what it hovers is what is under it now.
      SingleChild::handle_event(event::PointerMoved{wheel->position}, context);
    }
    return;
  }
  if (auto* key = std::get_if<event::Key>(&event); key && focused_ && key->pressed) {
    std::optional<double> target;
    switch (key->key) {
      case NamedKey::Up: target = offset_ - kLineStep; break;
      case NamedKey::Down: target = offset_ + kLineStep; break;
      case NamedKey::PageUp: target = offset_ - rect_.height() * 0.9; break;
      case NamedKey::PageDown: target = offset_ + rect_.height() * 0.9; break;
      case NamedKey::Home: target = 0.0; break;
      case NamedKey::End: target = max_offset(); break;
      default: break;
    }
    if (target) {
      if (scroll_to(*target)) context.request_redraw();
      return;
    }
  }
  SingleChild::handle_event(event, context);
}

bool Scrollable::reveal_descendant(const Widget* target) {
  if (!child_) return false;
  if (child_.get() != target && !child_->reveal_descendant(target)) return false;
  const Rect r = target->get_rect();
  double wanted = offset_;
  if (r.height() >= rect_.height() || r.y0 < rect_.y0) {
    wanted = offset_ + (r.y0 - rect_.y0);
  } else if (r.y1 > rect_.y1) {
    wanted = offset_ + (r.y1 - rect_.y1);
  }
  // Near an end of the content, go all the way: the first row of a list shows with its heading.
  const double top_in_content = r.y0 - rect_.y0 + offset_;
  const double bottom_in_content = r.y1 - rect_.y0 + offset_;
  if (wanted <= offset_ && top_in_content <= kLineStep) wanted = 0;
  if (wanted >= offset_ && content_height_ - bottom_in_content <= kLineStep) wanted = max_offset();
  scroll_to(wanted);
  return true;
}

}  // namespace orvo_ui
