#pragma once
// One icon of the toolkit's icon set in a square of a given size.
#include <optional>

#include "orvo_ui/icon.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

class IconWidget final : public Widget {
 public:
  static constexpr float kDefaultSize = 20;
  static constexpr double kDefaultStrokeWidth = 1.75;

  explicit IconWidget(Icon icon) : icon_(icon) {}

  [[nodiscard]] IconWidget with_size(float size) &&;
  // Line width in units of the icon's 24-unit grid.
  [[nodiscard]] IconWidget with_stroke_width(double width) &&;
  [[nodiscard]] IconWidget with_color(Color color) &&;

  Icon icon() const { return icon_; }
  float size() const { return size_; }
  double stroke_width() const { return stroke_width_; }

  std::string_view type_name() const override { return "orvo_ui::widget::icon::IconWidget"; }
  std::string_view name() const override { return "IconWidget"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool is_layout_dirty() const override;
  Rect get_rect() const override { return rect_; }

 private:
  Icon icon_;
  float size_ = kDefaultSize;
  double stroke_width_ = kDefaultStrokeWidth;
  std::optional<Color> color_;
  Rect rect_;
};

}  // namespace orvo_ui
