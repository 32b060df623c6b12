#include "orvo_ui/widgets/progress_bar.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "widgets/node_support.h"

namespace orvo_ui {
namespace {

double clamp_fraction(double fraction) {
  if (!std::isfinite(fraction)) return fraction > 0 ? 1.0 : 0.0;
  return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace

ProgressBar::ProgressBar(double fraction) : fraction_(clamp_fraction(fraction)) {}

ProgressBar ProgressBar::indeterminate() {
  ProgressBar bar(0);
  bar.indeterminate_ = true;
  return bar;
}

ProgressBar ProgressBar::with_label(std::string label) && {
  label_ = std::move(label);
  return std::move(*this);
}

ProgressBar ProgressBar::with_animation_suppressed(bool suppressed) && {
  animation_suppressed_ = suppressed;
  return std::move(*this);
}

void ProgressBar::set_fraction(double fraction) {
  double clamped = clamp_fraction(fraction);
  if (clamped == fraction_ && !indeterminate_) return;
  fraction_ = clamped;
  indeterminate_ = false;
  redraw_ = true;
}

void ProgressBar::set_indeterminate(bool indeterminate) {
  if (indeterminate == indeterminate_) return;
  indeterminate_ = indeterminate;
  redraw_ = true;
}

void ProgressBar::set_animation_suppressed(bool suppressed) {
  if (suppressed == animation_suppressed_) return;
  animation_suppressed_ = suppressed;
  redraw_ = true;
}

bool ProgressBar::needs_redraw() const { return redraw_ || animating(); }

NodeId ProgressBar::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.flex_shrink = 1;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size ProgressBar::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  float height = kTrackHeight;
  if (label_) {
    const float size = text.renderer_input_style(TextStyle{kLabelSize});
    height += text.measure(*label_, false, size, 0).height + kLabelGap;
  }
  return {known.width.value_or(kDefaultWidth), known.height.value_or(height)};
}

void ProgressBar::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void ProgressBar::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  if (label_) {
    const float size = text.renderer_input_style(TextStyle{kLabelSize});
    const float width = static_cast<float>(rect_.width());
    const float max_width = text.measure(*label_, false, size, 0).width > width ? width : 0.0f;
    text.draw_text(scene, *label_, false, size, max_width, theme.secondary_text,
                   transform * Affine::translate(rect_.x0, rect_.y0));
  }
  const Rect track{rect_.x0, rect_.y1 - kTrackHeight, rect_.x1, rect_.y1};
  const double radius = kTrackHeight / 2.0;
  scene.fill(RoundedRect::from_rect(track, radius), theme.surface_border, transform);
  if (!indeterminate_) {
    if (fraction_ > 0) {
      Rect done{track.x0, track.y0, track.x0 + track.width() * fraction_, track.y1};
      scene.fill(RoundedRect::from_rect(done, radius), theme.accent, transform);
    }
    return;
  }
  if (animation_suppressed_ || theme.reduce_motion) {
    // Reduced motion: a still, softer bar says "busy" without moving.
    scene.fill(RoundedRect::from_rect(track, radius), theme.accent.with_alpha(110), transform);
    return;
  }
  using namespace std::chrono;
  const auto millis = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  const double phase = static_cast<double>(millis % kSweepMillis) / kSweepMillis;
  const double segment = track.width() * 0.3;
  const double start = track.x0 - segment + phase * (track.width() + segment);
  Rect moving{std::max(start, track.x0), track.y0, std::min(start + segment, track.x1), track.y1};
  if (moving.width() > 0) scene.fill(RoundedRect::from_rect(moving, radius), theme.accent, transform);
}

void ProgressBar::collect_damage(std::vector<Rect>& damage) const {
  if (needs_redraw()) damage.push_back(rect_);
}

bool ProgressBar::is_layout_dirty() const { return node_support::is_zero(rect_); }

std::optional<AccessibilityNode> ProgressBar::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_label(label_.value_or("Progress"));
  if (!indeterminate_) {
    node = std::move(node).with_value(std::to_string(static_cast<int>(std::lround(fraction_ * 100))) + "%");
    node.numeric_value = fraction_;
    node.min_value = 0.0;
    node.max_value = 1.0;
  }
  return node;
}

}  // namespace orvo_ui
