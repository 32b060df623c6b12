#include "orvo_ui/widgets/card.h"

#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "widgets/node_support.h"

namespace orvo_ui {

NodeId Card::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  Style style;
  style.direction = FlexDirection::Column;
  style.padding = Edges::all(kPadding);
  return build_with_style(style, tree, context, nodes);
}

Size Card::measure(KnownSize known, AvailableSize available, TextRenderer& text) {
  // The card adds its padding around what the child measures.
  const float pad = 2 * kPadding;
  Size inner;
  if (child_) {
    auto less = [pad](AvailableSpace space) {
      return space.is_definite() ? AvailableSpace::definite(std::max(space.amount - pad, 0.0f)) : space;
    };
    KnownSize child_known{known.width ? std::optional(std::max(*known.width - pad, 0.0f)) : std::nullopt,
                          known.height ? std::optional(std::max(*known.height - pad, 0.0f)) : std::nullopt};
    inner = child_->measure(child_known, {less(available.width), less(available.height)}, text);
  }
  return {known.width.value_or(inner.width + pad), known.height.value_or(inner.height + pad)};
}

void Card::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) { apply_with_child(tree, node, x, y); }

void Card::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                const PresenceContext& presence) {
  scene.fill(RoundedRect::from_rect(rect_, theme.corner_radius), theme.surface, transform);
  scene.stroke(edge_outline(rect_, theme.corner_radius), theme.surface_border, transform);
  if (child_) child_->draw_with_presence(scene, transform, text, theme, presence);
}

namespace card {

Card surface(std::string title, std::unique_ptr<Widget> accessory, std::unique_ptr<Widget> body) {
  Row header;
  header.push(Text(std::move(title)).with_size(kTitleSize).with_bold(true).with_wrap(true));
  if (accessory) {
    header.push(Spacer::flexible());
    header.push(std::move(accessory));
  }
  Column column = Column().with_gap(kHeaderGap);
  column.push(std::move(header));
  column.push(std::move(body));
  return Card(std::make_unique<Column>(std::move(column)));
}

}  // namespace card

}  // namespace orvo_ui
