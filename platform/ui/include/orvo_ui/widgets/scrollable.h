#pragma once
// A viewport onto one taller child. The wheel (and, while focused, the arrow and page keys) moves
// the child; drawing is clipped to the viewport; a descendant asked to be revealed, such as a newly
// focused control, is scrolled into view. The view itself is a Tab stop (with a focus ring) only
// when it scrolls and holds nothing focusable: otherwise moving focus through its content scrolls
// it. Hover follows the pointer when the content moves under it.
#include <concepts>
#include <memory>
#include <optional>

#include "orvo_ui/widgets/single_child.h"

namespace orvo_ui {

class Scrollable final : public SingleChild {
 public:
  // Points moved by one arrow key press.
  static constexpr double kLineStep = 40;

  explicit Scrollable(std::unique_ptr<Widget> child) : SingleChild(std::move(child)) {}
  template <std::derived_from<Widget> W>
    requires(!std::same_as<W, Scrollable>)
  explicit Scrollable(W child) : SingleChild(std::make_unique<W>(std::move(child))) {}

  // How far the child is scrolled, in points from its top.
  double offset() const { return offset_; }
  // The largest offset: content height less viewport height, never negative.
  double max_offset() const;
  // Scrolls to `offset` (clamped) and moves the child's subtree there; answers whether it moved.
  bool scroll_to(double offset);
  // The offset to take at the next layout (clamped then), for a view that replaces another.
  void restore_offset(double offset) { restored_offset_ = offset; }

  std::string_view type_name() const override { return "orvo_ui::widget::scrollable::Scrollable"; }
  std::string_view name() const override { return "Scrollable"; }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  bool adjust_layout_style(Style& style) override;
  bool adjust_layout_with_measure(Style& style, Size) override { return adjust_layout_style(style); }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  bool reveal_descendant(const Widget* target) override;
  std::optional<Rect> child_clip_rect() const override { return rect_; }
  bool is_focusable() const override;
  void set_focus(bool focused) override { focused_ = focused; }
  bool has_focus() const override { return focused_; }
  std::optional<AccessibilityNode> accessibility() const override { return AccessibilityNode{}; }

 private:
  void place_child();

  double offset_ = 0;
  std::optional<double> restored_offset_;
  double content_height_ = 0;
  bool focused_ = false;
  // The tree of the last layout, kept to move the child when scrolling between layouts. The loop
  // keeps its tree alive and lays the widget out again whenever it rebuilds the tree.
  const LayoutTree* tree_ = nullptr;
};

}  // namespace orvo_ui
