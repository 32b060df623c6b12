#include "orvo_ui/widgets/app_shell.h"

#include "orvo_ui/icon.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {

constexpr float kBackTextSize = 14;
constexpr std::string_view kBackText = "Back";

// The absolute box of a node whose parent box starts at `origin`.
Rect box_of(const LayoutTree& tree, NodeId node, Point origin) {
  return node_support::laid_out_rect(tree, node, origin.x, origin.y);
}

Point top_left(const Rect& r) { return {r.x0, r.y0}; }

bool is_back_key(const event::Key& key) {
  if (!key.pressed || key.modifiers.ctrl || key.modifiers.super || key.modifiers.shift) return false;
  if (key.key == NamedKey::Escape) return !key.modifiers.alt;
  return key.key == NamedKey::Left && key.modifiers.alt;
}

}  // namespace

AppShell::AppShell(std::unique_ptr<Widget> nav, std::unique_ptr<Widget> content)
    : nav_(std::move(nav)), content_(std::move(content)) {}

AppShell AppShell::with_search(std::unique_ptr<Widget> search) && {
  search_ = std::move(search);
  return std::move(*this);
}
AppShell AppShell::with_breakpoint(float width) && {
  breakpoint_ = width;
  return std::move(*this);
}
AppShell AppShell::with_nav_width(float width) && {
  nav_width_ = width;
  return std::move(*this);
}
AppShell AppShell::with_narrow_screen(bool enabled) && {
  narrow_screen_ = enabled;
  return std::move(*this);
}
AppShell AppShell::with_id(std::string_view id) && {
  id_ = std::string(id);
  return std::move(*this);
}

void AppShell::set_nav(std::unique_ptr<Widget> nav) {
  nav_ = std::move(nav);
  structure_dirty_ = true;
}

void AppShell::set_content(std::unique_ptr<Widget> content) {
  content_ = std::move(content);
  structure_dirty_ = true;
}

void AppShell::notify_selection() {
  if (show_content_) return;
  show_content_ = true;
  if (narrow_) structure_dirty_ = true;
}

void AppShell::show_navigation() {
  if (!show_content_) return;
  show_content_ = false;
  if (narrow_) structure_dirty_ = true;
}

AppShell::Arrangement AppShell::arrangement() const {
  if (!narrow_) return Arrangement::SideBySide;
  return show_content_ ? Arrangement::NarrowContent : Arrangement::NarrowNav;
}

void AppShell::sync(SyncContext& context) {
  if (search_) search_->sync(context);
  if (nav_) nav_->sync(context);
  if (content_) content_->sync(context);
}

bool AppShell::update() {
  bool any = false;
  for (Widget* c : children_mut()) any = c->update() || any;
  return any;
}

NodeId AppShell::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  narrow_ = narrow_screen_ && context.viewport.width > 0 && context.viewport.width < breakpoint_;
  laid_out_ = arrangement();
  nav_node_ = content_node_ = search_node_ = 0;
  nav_panel_node_ = search_slot_node_ = content_area_node_ = back_node_ = 0;

  auto search_slot = [&]() -> std::optional<NodeId> {
    if (!search_) return std::nullopt;
    search_node_ = search_->build_layout(tree, context, nodes);
    Style style;
    style.direction = FlexDirection::Column;
    style.padding = Edges::all(kSearchPadding);
    style.flex_shrink = 0;
    NodeId only[] = {search_node_};
    search_slot_node_ = tree.new_with_children(style, only).value_or(0);
    return search_slot_node_;
  };
  auto column_of = [&](std::vector<NodeId> children, float grow, std::optional<float> width) {
    Style style;
    style.direction = FlexDirection::Column;
    style.flex_grow = grow;
    if (width) {
      style.width = Dimension::points(*width);
      style.flex_shrink = 0;
    }
    return tree.new_with_children(style, children).value_or(0);
  };

  std::vector<NodeId> top;
  if (laid_out_ != Arrangement::NarrowContent) {
    std::vector<NodeId> panel;
    if (auto slot = search_slot()) panel.push_back(*slot);
    if (nav_) {
      nav_node_ = nav_->build_layout(tree, context, nodes);
      panel.push_back(nav_node_);
    }
    std::optional<float> width;
    if (laid_out_ == Arrangement::SideBySide) width = nav_width_;
    nav_panel_node_ = column_of(std::move(panel), laid_out_ == Arrangement::NarrowNav ? 1.0f : 0.0f, width);
    top.push_back(nav_panel_node_);
  } else {
    Style bar;
    bar.height = Dimension::points(kBackBarHeight);
    bar.flex_shrink = 0;
    back_node_ = tree.new_leaf(bar).value_or(0);
    top.push_back(back_node_);
  }
  if (laid_out_ != Arrangement::NarrowNav) {
    std::vector<NodeId> area;
    if (content_) {
      content_node_ = content_->build_layout(tree, context, nodes);
      area.push_back(content_node_);
    }
    content_area_node_ = column_of(std::move(area), 1.0f, std::nullopt);
    top.push_back(content_area_node_);
  }

  Style root;
  root.direction = laid_out_ == Arrangement::SideBySide ? FlexDirection::Row : FlexDirection::Column;
  root.width = Dimension::percent(1.0f);
  root.height = Dimension::percent(1.0f);
  return node_support::container_node(tree, root, top, nodes, *this);
}

void AppShell::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  const Point origin = top_left(rect_);
  nav_rect_ = content_rect_ = search_rect_ = back_rect_ = Rect{};
  if (laid_out_ != Arrangement::NarrowContent) {
    nav_rect_ = box_of(tree, nav_panel_node_, origin);
    if (search_) {
      const Rect slot = box_of(tree, search_slot_node_, top_left(nav_rect_));
      search_rect_ = slot;
      search_->apply_layout(tree, search_node_, slot.x0, slot.y0);
    }
    if (nav_) nav_->apply_layout(tree, nav_node_, nav_rect_.x0, nav_rect_.y0);
  } else {
    back_rect_ = box_of(tree, back_node_, origin);
  }
  if (laid_out_ != Arrangement::NarrowNav) {
    content_rect_ = box_of(tree, content_area_node_, origin);
    if (content_) content_->apply_layout(tree, content_node_, content_rect_.x0, content_rect_.y0);
  }
}

void AppShell::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                    const PresenceContext& presence) {
  auto draw_clipped = [&](Widget* widget, const Rect& area) {
    if (!widget) return;
    scene.push_clip(area, transform);
    PresenceContext clipped{presence.clip ? presence.clip->intersect(area) : area};
    widget->draw_with_presence(scene, transform, text, theme, clipped);
    scene.pop_clip();
  };
  if (laid_out_ != Arrangement::NarrowContent) {
    if (laid_out_ == Arrangement::SideBySide) {
      scene.fill(RoundedRect::from_rect(nav_rect_, 0), theme.surface, transform);
      Path edge;
      edge.move_to({nav_rect_.x1 - 0.5, nav_rect_.y0}).line_to({nav_rect_.x1 - 0.5, nav_rect_.y1});
      scene.stroke(std::move(edge), theme.surface_border, transform, StrokeStyle{1, false});
    }
    if (search_) search_->draw_with_presence(scene, transform, text, theme, presence);
    Rect nav_area = nav_rect_;
    if (search_) nav_area.y0 = search_rect_.y1;
    draw_clipped(nav_.get(), nav_area);
  } else {
    scene.fill(RoundedRect::from_rect(back_rect_, 0), theme.surface, transform);
    const double mid = back_rect_.center().y;
    Icon::ChevronLeft.draw(scene, {back_rect_.x0 + 12, mid - 10, back_rect_.x0 + 32, mid + 10}, theme.accent, transform);
    const float size = text.renderer_input_style(TextStyle{kBackTextSize});
    const Size label = text.measure(kBackText, false, size, 0);
    text.draw_text(scene, kBackText, false, size, 0, theme.accent,
                   transform * Affine::translate(back_rect_.x0 + 36, mid - label.height / 2));
    Path edge;
    edge.move_to({back_rect_.x0, back_rect_.y1 - 0.5}).line_to({back_rect_.x1, back_rect_.y1 - 0.5});
    scene.stroke(std::move(edge), theme.surface_border, transform, StrokeStyle{1, false});
  }
  if (laid_out_ != Arrangement::NarrowNav) draw_clipped(content_.get(), content_rect_);
}

void AppShell::forward(Widget* widget, NodeId node, const Event& event, EventContext& context) {
  if (!widget) return;
  const NodeId own = context.node;
  context.node = node;
  widget->handle_event(event, context);
  context.node = own;
}

void AppShell::handle_event(const Event& event, EventContext& context) {
  if (laid_out_ == Arrangement::NarrowContent) {
    if (auto* button = std::get_if<event::PointerButton>(&event); button && button->button == MouseButton::Primary) {
      const auto at = node_support::pointer_position(event, context.scale_factor);
      const bool inside = at && back_rect_.contains(*at);
      if (button->pressed && inside) {
        back_pressed_ = true;
        return;
      }
      if (!button->pressed && back_pressed_) {
        back_pressed_ = false;
        if (inside) {
          show_navigation();
          context.request_redraw();
          return;
        }
      }
    }
    forward(content_.get(), content_node_, event, context);
    // Escape or Alt+Left go back to the navigation, unless the page used the key itself.
    if (const auto* key = std::get_if<event::Key>(&event); key && !context.handled && is_back_key(*key)) {
      show_navigation();
      context.request_redraw();
    }
    return;
  }
  forward(search_.get(), search_node_, event, context);
  forward(nav_.get(), nav_node_, event, context);
  if (laid_out_ == Arrangement::SideBySide) forward(content_.get(), content_node_, event, context);
}

bool AppShell::needs_idle_sync() const {
  for (const Widget* c : children()) {
    if (c->needs_idle_sync()) return true;
  }
  return false;
}

bool AppShell::take_structure_dirty() {
  bool dirty = structure_dirty_;
  structure_dirty_ = false;
  for (Widget* c : children_mut()) dirty = c->take_structure_dirty() || dirty;
  return dirty;
}

std::vector<const Widget*> AppShell::children() const {
  std::vector<const Widget*> out;
  for (const Widget* w : {search_.get(), nav_.get(), content_.get()}) {
    if (w) out.push_back(w);
  }
  return out;
}

std::vector<Widget*> AppShell::children_mut() {
  std::vector<Widget*> out;
  for (Widget* w : {search_.get(), nav_.get(), content_.get()}) {
    if (w) out.push_back(w);
  }
  return out;
}

}  // namespace orvo_ui
