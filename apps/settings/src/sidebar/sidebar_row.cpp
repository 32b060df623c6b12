#include "sidebar/sidebar_row.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "actions/section_address.h"
#include "orvo_ui/layout_rect.h"

namespace settings::sidebar {

using orvo_ui::Affine;
using orvo_ui::Rect;
using orvo_ui::RoundedRect;
using orvo_ui::StrokeStyle;
using settings_app::SettingsSection;

SidebarRow::SidebarRow(SettingsSection section, std::optional<SettingsSection> current,
                       SidebarSelectionCell selection)
    : selection_(std::move(selection)), section_(section), selected_(current == section) {}

std::unique_ptr<SidebarRow> SidebarRow::make(std::optional<SettingsSection> current,
                                             const SidebarSelectionCell& selection, SettingsSection section) {
  return std::make_unique<SidebarRow>(section, current, selection);
}

void SidebarRow::select() { (void)selection_.publish(section_); }

std::optional<std::string> SidebarRow::widget_id() const { return std::string(section_.title()); }

float SidebarRow::resolved_text_size(orvo_ui::TextRenderer& text) const {
  return text.renderer_input_style(orvo_ui::TextStyle{.size = text_size_, .line_height = kLineHeight});
}

orvo_ui::NodeId SidebarRow::build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                                         orvo_ui::NodeMap& nodes) {
  text_size_ = context.text_size;
  orvo_ui::Style style;
  style.width = orvo_ui::Dimension::percent(1.0f);
  style.min_height = orvo_ui::Dimension::points(kMinHeight);
  style.flex_shrink = 0;
  auto node = tree.new_leaf(style, [this](orvo_ui::KnownSize known, orvo_ui::AvailableSize available,
                                          orvo_ui::TextRenderer& text) { return measure(known, available, text); });
  // A full tree is out of the program's reach; the row then simply gets no box of its own.
  if (!node) return 0;
  nodes[*node] = this;
  return *node;
}

orvo_ui::Size SidebarRow::measure(orvo_ui::KnownSize known, orvo_ui::AvailableSize available,
                                  orvo_ui::TextRenderer& text) {
  const float width = known.width.value_or(available.width.amount);
  const bool width_known = known.width.has_value() || available.width.is_definite();
  const float max_title = width_known ? std::max(width - kTitleReserve, 0.0f) : kUnknownWidthTitle;
  const float title_height = text.measure(section_.title(), true, resolved_text_size(text), max_title).height;
  return {known.width.value_or(0.0f), known.height.value_or(std::max(title_height + kVerticalPadding, kMinHeight))};
}

void SidebarRow::apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) {
  rect_ = orvo_ui::laid_out_rect(tree, node, x, y);
}

void SidebarRow::draw(orvo_ui::Scene& scene, Affine transform, orvo_ui::TextRenderer& text,
                      const orvo_ui::Theme& theme, const orvo_ui::PresenceContext&) {
  const std::string_view title = section_.title();
  const float size = resolved_text_size(text);
  const float max_title = std::max(static_cast<float>(rect_.width()) - kTitleReserve, 0.0f);
  const double title_height = text.measure(title, true, size, max_title).height;

  const Rect pill = rect_.inset(kPillInsetX, kPillInsetY);
  const double icon_box_left = pill.x0 + kPadding;
  const double icon_left = icon_box_left + (kIconBox - kIconSize) / 2;
  const double title_left = icon_box_left + kIconBox + kPadding;
  const double title_top = rect_.y0 + (rect_.height() - title_height) / 2;
  const double radius = theme.corner_radius;

  const orvo_ui::SelectionTier tier = orvo_ui::selection_tier(theme, selected_, hovered_, pressed_);
  Affine pill_transform = transform;
  if (std::abs(tier.scale - 1.0) > std::numeric_limits<double>::epsilon()) {
    pill_transform = transform * Affine::scale_about(tier.scale, pill.center());
  }
  if (tier.fill.a > 0) scene.fill(RoundedRect::from_rect(pill, radius), tier.fill, pill_transform);
  if (tier.outline) {
    scene.stroke(orvo_ui::edge_outline(pill, radius), *tier.outline, pill_transform, StrokeStyle{.width = 1});
  }
  if (tier.inner_ring) {
    scene.stroke(RoundedRect::from_rect(pill.inset(1.5, 1.5), std::max(radius - 1.5, 0.0)), tier.ring,
                 pill_transform, StrokeStyle{.width = 1});
  }
  if (focused_) {
    scene.stroke(RoundedRect::from_rect(pill, radius), theme.focus_ring, transform, StrokeStyle{.width = 2});
  }

  const double mid = (rect_.y0 + rect_.y1) / 2;
  const double half_icon = kIconSize / 2;
  section_.icon().draw(scene, Rect{icon_left, mid - half_icon, icon_left + kIconSize, mid + half_icon}, theme.text,
                       transform);
  text.draw_text(scene, title, true, size, max_title, theme.text, transform * Affine::translate(title_left, title_top));
}

void SidebarRow::handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) {
  const auto logical = [&](orvo_ui::Point p) {
    return orvo_ui::Point{p.x / context.scale_factor, p.y / context.scale_factor};
  };
  if (const auto* moved = std::get_if<orvo_ui::event::PointerMoved>(&event)) {
    const bool inside = rect_.contains(logical(moved->position));
    if (inside != hovered_) {
      hovered_ = inside;
      context.request_redraw();
    }
    return;
  }
  if (const auto* button = std::get_if<orvo_ui::event::PointerButton>(&event)) {
    if (button->button != orvo_ui::MouseButton::Primary) return;
    if (!rect_.contains(logical(button->position))) {
      // A press that leaves the row is cancelled: nothing is selected.
      if (pressed_) {
        pressed_ = false;
        context.request_redraw();
      }
      return;
    }
    if (button->pressed && !pressed_) {
      pressed_ = true;
      context.request_redraw();
      context.focus_request = context.node;
    } else if (!button->pressed && pressed_) {
      pressed_ = false;
      context.request_redraw();
      select();
    }
    return;
  }
  if (const auto* key = std::get_if<orvo_ui::event::Key>(&event)) {
    if (!focused_ || !key->pressed) return;
    if (key->key == orvo_ui::NamedKey::Enter || key->key == orvo_ui::NamedKey::Space) {
      select();
      context.request_redraw();
    }
  }
}

std::optional<orvo_ui::CursorKind> SidebarRow::cursor_at(orvo_ui::Point point) const {
  if (!rect_.contains(point)) return std::nullopt;
  return orvo_ui::cursor::kPointer;
}

std::optional<orvo_ui::AccessibilityNode> SidebarRow::accessibility() const {
  orvo_ui::AccessibilityNode node;
  node.role = orvo_ui::role::kListItem;
  node = std::move(node)
             .with_label(section_.title())
             .with_activation_address(actions::open_section_address(section_).encode());
  node.focused = focused_;
  node.focusable = true;
  node.selected = selected_;
  node.tri_state[0] = selected_ ? orvo_ui::TriState::True : orvo_ui::TriState::False;
  return node;
}

bool SidebarRow::perform_action(const orvo_ui::AccessibilityAction& action) {
  if (!std::holds_alternative<orvo_ui::a11y::Activate>(action)) return false;
  select();
  return true;
}

std::optional<std::string> SidebarRow::get_state() const {
  return std::string(selected_ ? "active" : "inactive");
}

}  // namespace settings::sidebar
