#pragma once
// A horizontal slider bound to a number cell, over a range (0 to 1 unless set). Pressing on the track
// jumps the value there and dragging follows the pointer, publishing each new value; the bound
// action gets the value when the drag ends. Left/Down and Right/Up step the value while focused,
// Home/End go to the ends.
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widgets/control.h"

namespace orvo_ui {

class Slider final : public ControlBuilder<Slider, double> {
 public:
  static constexpr double kMinWidth = 160;
  static constexpr double kHeight = 24;

  static Slider from_state(PublishedCell<double> cell) { return Slider(std::move(cell)); }
  // The range and the keyboard step; a range with max <= min is ignored.
  [[nodiscard]] Slider with_range(double min, double max, double step) &&;

  double value() const { return cell_.snapshot(); }
  double min() const { return min_; }
  double max() const { return max_; }
  const PublishedCell<double>& cell() const { return cell_; }

  std::string_view type_name() const override { return "orvo_ui::widget::slider::Slider"; }
  std::string_view name() const override { return "Slider"; }
  std::optional<std::string> widget_id() const override { return id_.value_or("slider"); }
  bool wants_pointer_capture() const override { return capture_; }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  void set_interaction_environment(const InteractionEnvironment& environment) override;
  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;

 private:
  explicit Slider(PublishedCell<double> cell) : cell_(std::move(cell)) {}
  double clamp(double value) const;
  double value_at(double x) const;
  // Publishes a new value; answers whether it differed.
  bool set_value(double value);
  Rect track() const;

  PublishedCell<double> cell_;
  double min_ = 0;
  double max_ = 1;
  double step_ = 0.05;
  bool capture_ = false;
};

}  // namespace orvo_ui
