#pragma once
// Lays a widget out the way the frame loop does, with fixed text metrics (each character half an
// em wide, lines 1.25 em high) so rectangles can be computed by hand.
#include "orvo_ui/layout.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "orvo_ui/theme.h"
#include "orvo_ui/widget.h"

namespace orvo_ui::testing {

struct LaidOut {
  LayoutTree tree;
  NodeMap nodes;
  TextRenderer text{TextRenderer::Metrics::Fixed};
  NodeId root = 0;

  void lay_out(Widget& widget, float width, float height) {
    tree.clear();
    nodes.clear();
    LayoutContext context{1.0f, 14.0f, &text, Size{width, height}};
    root = widget.build_layout(tree, context, nodes);
    tree.compute(root, {width, height}, text);
    widget.apply_layout(tree, root, 0, 0);
  }

  Scene draw(Widget& widget, std::optional<Rect> clip) {
    Scene scene;
    widget.draw_with_presence(scene, Affine::identity(), text, Theme::dark(), PresenceContext{clip});
    return scene;
  }
};

}  // namespace orvo_ui::testing
