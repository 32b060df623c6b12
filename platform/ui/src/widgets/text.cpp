#include "orvo_ui/widgets/text.h"

#include "widgets/node_support.h"

namespace orvo_ui {

Text::Text(std::string text) : text_(std::move(text)) {}

Text Text::with_size(float size) && {
  size_ = size;
  return std::move(*this);
}
Text Text::with_tone(TextTone tone) && {
  tone_ = tone;
  return std::move(*this);
}
Text Text::with_color(Color color) && {
  tone_ = TextTone::Custom;
  custom_color_ = color;
  return std::move(*this);
}
Text Text::with_wrap(bool wrap) && {
  wrap_ = wrap;
  return std::move(*this);
}
Text Text::with_bold(bool bold) && {
  bold_ = bold;
  return std::move(*this);
}
Text Text::with_id(std::string_view id) && {
  id_ = std::string(id);
  return std::move(*this);
}

void Text::set_text(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  content_changed_ = true;
  relayout_ = true;
  structure_dirty_ = true;
}

float Text::resolved_size(TextRenderer& text) const { return text.renderer_input_style(TextStyle{size_}); }

Color Text::color(const Theme& theme) const {
  switch (tone_) {
    case TextTone::Default: return theme.text;
    case TextTone::Secondary: return theme.secondary_text;
    case TextTone::Custom: return custom_color_;
  }
  return theme.text;
}

NodeId Text::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  // A wrapping text may give up width (and take more lines); a single line keeps its width.
  style.flex_shrink = wrap_ ? 1.0f : 0.0f;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size Text::measure(KnownSize known, AvailableSize available, TextRenderer& text) {
  const float size = resolved_size(text);
  float limit = 0;
  if (known.width) {
    limit = *known.width;
  } else if (available.width.is_definite()) {
    limit = available.width.amount;
  }
  Size measured = text.measure(text_, wrap_, size, wrap_ ? limit : 0, bold_);
  if (!wrap_ && limit > 0) measured.width = std::min(measured.width, limit);
  return {known.width.value_or(measured.width), known.height.value_or(measured.height)};
}

void Text::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  relayout_ = false;
}

void Text::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const float size = resolved_size(text);
  const auto width = static_cast<float>(rect_.width());
  float max_width = 0;
  if (wrap_) {
    // A little room so a line measured at exactly this width does not break again.
    max_width = width + 0.5f;
  } else if (text.measure(text_, false, size, 0, bold_).width > width + 0.5f) {
    max_width = width;  // squeezed: ends in an ellipsis
  }
  text.draw_text(scene, text_, wrap_, size, max_width, color(theme), transform * Affine::translate(rect_.x0, rect_.y0),
                 bold_);
}

void Text::mark_drawn() {
  redraw_ = false;
  content_changed_ = false;
}

bool Text::is_layout_dirty() const { return relayout_ || node_support::is_zero(rect_); }

bool Text::take_structure_dirty() {
  bool dirty = structure_dirty_;
  structure_dirty_ = false;
  return dirty;
}

std::optional<AccessibilityNode> Text::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_label(text_);
  if (id_) node = std::move(node).with_id(*id_);
  return node;
}

}  // namespace orvo_ui
