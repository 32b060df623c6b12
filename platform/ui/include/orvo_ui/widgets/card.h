#pragma once
// A raised rounded surface around one child. `card::surface` builds the usual titled card: a header
// row with the title (and an optional accessory at its right end) above the body.
#include <memory>
#include <string>

#include "orvo_ui/widgets/single_child.h"

namespace orvo_ui {

class Card final : public SingleChild {
 public:
  static constexpr float kPadding = 16;

  explicit Card(std::unique_ptr<Widget> child) : SingleChild(std::move(child)) {}

  std::string_view type_name() const override { return "orvo_ui::widget::card::Card"; }
  std::string_view name() const override { return "Card"; }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  std::optional<std::pair<Rect, std::string>> tooltip_at(Point) const override { return std::nullopt; }
};

namespace card {

inline constexpr float kTitleSize = 15;
inline constexpr float kHeaderGap = 12;

// A card of a header row (the title, then the accessory at the right end when there is one) above
// the body.
[[nodiscard]] Card surface(std::string title, std::unique_ptr<Widget> accessory, std::unique_ptr<Widget> body);

}  // namespace card

}  // namespace orvo_ui
