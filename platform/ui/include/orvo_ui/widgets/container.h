#pragma once
// A box around at most one child that shapes the space the child gets: a fixed width, a maximum
// width, a height, and three placement options.
//  - fill: the box takes all the space its parent offers (grows along the parent's axis and
//    stretches across it);
//  - centered: the box is centred across its parent's axis (in a column: horizontally, so a box
//    with a maximum width forms a centred page column; in a row: vertically); a filling box without
//    a width limit stays as wide as its parent;
//  - grow: the box takes the free length along its parent's axis, beside fixed neighbours.
// A box with a maximum width and no width is as wide as its parent allows, up to the maximum.
#include <concepts>
#include <memory>
#include <optional>

#include "orvo_ui/widgets/single_child.h"

namespace orvo_ui {

class Container final : public SingleChild {
 public:
  Container() = default;
  explicit Container(std::unique_ptr<Widget> child) : SingleChild(std::move(child)) {}
  // Boxes a widget given by value. A Container given by value is moved, not wrapped: box it first
  // to put one container inside another.
  template <std::derived_from<Widget> W>
    requires(!std::same_as<W, Container>)
  explicit Container(W child) : SingleChild(std::make_unique<W>(std::move(child))) {}

  [[nodiscard]] Container with_width(float width) &&;
  [[nodiscard]] Container with_max_width(float width) &&;
  [[nodiscard]] Container with_height(float height) &&;
  [[nodiscard]] Container with_fill(bool fill) &&;
  [[nodiscard]] Container with_centered(bool centered) &&;
  [[nodiscard]] Container with_grow(bool grow) &&;

  std::optional<float> width() const { return width_; }
  std::optional<float> max_width() const { return max_width_; }
  std::optional<float> height() const { return height_; }
  bool fill() const { return fill_; }
  bool centered() const { return centered_; }
  bool grow() const { return grow_; }

  std::string_view type_name() const override { return "orvo_ui::widget::container::Container"; }
  std::string_view name() const override { return "Container"; }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;

  Style layout_style() const;

 private:
  std::optional<float> width_;
  std::optional<float> max_width_;
  std::optional<float> height_;
  bool fill_ = false;
  bool centered_ = false;
  bool grow_ = false;
};

}  // namespace orvo_ui
