#pragma once
// A small line chart of recent values, scaled between their minimum and maximum, or within a fixed
// range when one is given (values outside it are drawn at its edge).
#include <optional>
#include <utility>
#include <vector>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class Sparkline final : public Widget {
 public:
  static constexpr float kDefaultWidth = 96;
  static constexpr float kDefaultHeight = 28;

  explicit Sparkline(std::vector<double> values) : values_(std::move(values)) {}

  [[nodiscard]] Sparkline with_color(Color color) &&;
  [[nodiscard]] Sparkline with_size(float width, float height) &&;
  [[nodiscard]] Sparkline with_range(double low, double high) &&;

  void set_values(std::vector<double> values) { values_ = std::move(values); }
  const std::vector<double>& values() const { return values_; }
  const std::optional<std::pair<double, double>>& range() const { return range_; }

  std::string_view type_name() const override { return "orvo_ui::widget::chart::Sparkline"; }
  std::string_view name() const override { return "Sparkline"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool is_layout_dirty() const override;
  Rect get_rect() const override { return rect_; }

 private:
  std::vector<double> values_;
  std::optional<Color> color_;
  std::optional<std::pair<double, double>> range_;
  float width_ = kDefaultWidth;
  float height_ = kDefaultHeight;
  Rect rect_;
};

}  // namespace orvo_ui
