#pragma once
// What Row and Column share: an ordered list of owned children laid out along one axis, with a gap
// between them, padding around them and alignment on both axes. Operations the type does not supply
// take the Widget provided bodies over these children.
#include <concepts>
#include <memory>
#include <optional>
#include <vector>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class FlexBox : public Widget {
 public:
  // Appends a child; the box owns it from now on.
  void push(std::unique_ptr<Widget> child);
  template <std::derived_from<Widget> W>
  void push(W child) {
    push(std::make_unique<W>(std::move(child)));
  }

  std::size_t child_count() const { return children_.size(); }
  const Widget* child(std::size_t index) const { return index < children_.size() ? children_[index].get() : nullptr; }
  Widget* child(std::size_t index) { return index < children_.size() ? children_[index].get() : nullptr; }
  std::optional<float> gap() const { return gap_; }
  const Edges& padding() const { return padding_; }

  void sync(SyncContext& context) override;
  bool update() override;
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  bool take_structure_dirty() override;
  // True when some child asks for idle syncs.
  bool needs_idle_sync() const override;
  void collect_damage(std::vector<Rect>& damage) const override;
  std::vector<const Widget*> children() const override;
  std::vector<Widget*> children_mut() override;
  Rect get_rect() const override { return rect_; }

 protected:
  explicit FlexBox(FlexDirection direction) : direction_(direction) {}
  // The layout style of this box; Row and Column add their own defaults.
  virtual Style layout_style() const;

  FlexDirection direction_;
  std::vector<std::unique_ptr<Widget>> children_;
  std::vector<NodeId> child_nodes_;
  std::optional<float> gap_;
  Edges padding_;
  std::optional<Align> align_;
  Justify justify_ = Justify::Start;
  Rect rect_;
};

// Builder steps shared by Row and Column; each takes the box by value and gives it back changed.
template <typename Self>
class FlexBuilder : public FlexBox {
 public:
  [[nodiscard]] Self with_gap(float gap) && {
    gap_ = gap;
    return std::move(self());
  }
  [[nodiscard]] Self with_padding(float horizontal, float vertical) && {
    padding_ = Edges::symmetric(horizontal, vertical);
    return std::move(self());
  }
  [[nodiscard]] Self with_align(Align align) && {
    align_ = align;
    return std::move(self());
  }
  [[nodiscard]] Self with_justify(Justify justify) && {
    justify_ = justify;
    return std::move(self());
  }
  [[nodiscard]] Self with_child(std::unique_ptr<Widget> child) && {
    push(std::move(child));
    return std::move(self());
  }

 protected:
  using FlexBox::FlexBox;

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

}  // namespace orvo_ui
