#include "orvo_ui/widgets/badge.h"

#include <algorithm>

#include "widgets/node_support.h"

namespace orvo_ui {

Badge Badge::toned(std::string_view text, std::uint8_t tone) { return Badge(std::string(text), BadgeTone{tone}); }
Badge Badge::colored(std::string_view text, Color color) { return Badge(std::string(text), BadgeColor{color}); }

void Badge::set_text(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  redraw_ = true;
}

Color Badge::base_color(const Theme& theme) const {
  if (auto* color = std::get_if<BadgeColor>(&style_)) return color->color;
  switch (std::get<BadgeTone>(style_).tone) {
    case badge_tone::kAccent: return theme.accent;
    case badge_tone::kSuccess: return theme.success;
    case badge_tone::kWarning: return theme.warning;
    case badge_tone::kDanger: return theme.danger;
    default: return theme.secondary_text;
  }
}

NodeId Badge::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.flex_shrink = 0;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size Badge::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  Size label = text.measure(text_, false, size, 0, true);
  pill_height_ = label.height + 2 * kPaddingY;
  return {known.width.value_or(label.width + 2 * kPaddingX), known.height.value_or(pill_height_)};
}

void Badge::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  const double height = pill_height_ > 0 ? std::min<double>(pill_height_, rect_.height()) : rect_.height();
  const double top = rect_.y0 + (rect_.height() - height) / 2;
  pill_rect_ = {rect_.x0, top, rect_.x1, top + height};
}

void Badge::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const Color base = base_color(theme);
  const auto pill = RoundedRect::from_rect(pill_rect_, pill_rect_.height() / 2);
  scene.fill(pill, base.with_alpha(static_cast<std::uint8_t>(base.a * 0.18)), transform);
  scene.stroke(edge_outline(pill_rect_, pill_rect_.height() / 2), base.with_alpha(static_cast<std::uint8_t>(base.a * 0.45)),
               transform);
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  Size label = text.measure(text_, false, size, 0, true);
  const double x = pill_rect_.x0 + std::max(0.0, (pill_rect_.width() - label.width) / 2);
  const double y = pill_rect_.y0 + (pill_rect_.height() - label.height) / 2;
  const float max_width = label.width > pill_rect_.width() ? static_cast<float>(pill_rect_.width()) : 0.0f;
  text.draw_text(scene, text_, false, size, max_width, base, transform * Affine::translate(x, y), true);
}

void Badge::collect_damage(std::vector<Rect>& damage) const {
  if (redraw_) damage.push_back(rect_);
}

bool Badge::is_layout_dirty() const { return node_support::is_zero(pill_rect_); }

std::optional<AccessibilityNode> Badge::accessibility() const { return AccessibilityNode{}.with_label(text_); }

}  // namespace orvo_ui
