#pragma once
// A horizontal bar showing how far a job has come, or, when indeterminate, that it is busy. An
// indeterminate bar animates (and so asks for frames) unless motion is reduced.
#include <optional>
#include <string>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class ProgressBar final : public Widget {
 public:
  static constexpr float kDefaultWidth = 200;
  static constexpr float kTrackHeight = 6;
  static constexpr float kLabelSize = 12;
  static constexpr float kLabelGap = 6;
  // One sweep of the indeterminate animation.
  static constexpr std::int64_t kSweepMillis = 1400;

  // A determinate bar; the fraction is clamped to 0..1 (not a number counts as 0).
  explicit ProgressBar(double fraction);
  [[nodiscard]] static ProgressBar indeterminate();

  [[nodiscard]] ProgressBar with_label(std::string label) &&;
  [[nodiscard]] ProgressBar with_animation_suppressed(bool suppressed) &&;

  void set_fraction(double fraction);
  void set_indeterminate(bool indeterminate);
  void set_animation_suppressed(bool suppressed);
  double fraction() const { return fraction_; }
  bool is_indeterminate() const { return indeterminate_; }
  bool animation_suppressed() const { return animation_suppressed_; }
  const std::optional<std::string>& label() const { return label_; }

  std::string_view type_name() const override { return "orvo_ui::widget::progress_bar::ProgressBar"; }
  std::string_view name() const override { return "ProgressBar"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool needs_redraw() const override;
  bool needs_animation_frame() const override { return animating(); }
  void mark_drawn() override { redraw_ = false; }
  void collect_damage(std::vector<Rect>& damage) const override;
  bool is_layout_dirty() const override;
  Rect get_rect() const override { return rect_; }
  std::optional<AccessibilityNode> accessibility() const override;

 private:
  bool animating() const { return indeterminate_ && !animation_suppressed_; }

  double fraction_ = 0;
  bool indeterminate_ = false;
  bool animation_suppressed_ = false;
  bool redraw_ = true;
  std::optional<std::string> label_;
  Rect rect_;
};

}  // namespace orvo_ui
