#pragma once
// Empty space: either flexible (takes the free length of its row or column, pushing what follows
// to the far end) or fixed (a step of the spacing scale in both directions).
#include <array>

#include "orvo_ui/widget.h"

namespace orvo_ui {

namespace spacer_kind {
inline constexpr std::uint8_t kFlexible = 0;
inline constexpr std::uint8_t kFixed = 2;
}  // namespace spacer_kind

class Spacer final : public Widget {
 public:
  // The spacing scale in points; a step past its end takes the largest value.
  static constexpr std::array<float, 9> kSpacingScale{0, 2, 4, 8, 12, 16, 24, 32, 48};

  [[nodiscard]] static Spacer flexible() { return Spacer(spacer_kind::kFlexible, 0); }
  [[nodiscard]] static Spacer fixed(std::uint8_t step) { return Spacer(spacer_kind::kFixed, step); }
  static float spacing(std::uint8_t step);

  std::uint8_t kind() const { return kind_; }
  std::uint8_t step() const { return step_; }

  std::string_view type_name() const override { return "orvo_ui::widget::spacer::Spacer"; }
  std::string_view name() const override { return "Spacer"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene&, Affine, TextRenderer&, const Theme&, const PresenceContext&) override {}
  void handle_event(const Event&, EventContext&) override {}
  bool needs_redraw() const override { return false; }
  void collect_damage(std::vector<Rect>&) const override {}
  bool is_layout_dirty() const override { return !laid_out_; }
  bool layout_needs_measure() const override { return is_layout_dirty(); }
  Rect get_rect() const override { return rect_; }

 private:
  Spacer(std::uint8_t kind, std::uint8_t step) : kind_(kind), step_(step) {}

  std::uint8_t kind_;
  std::uint8_t step_;
  bool laid_out_ = false;
  Rect rect_;
};

}  // namespace orvo_ui
