#pragma once
// Where a widget's laid-out box lies in window coordinates.
#include "orvo_ui/geometry.h"
#include "orvo_ui/layout.h"

namespace orvo_ui {

// The node's computed box, offset by the parent's origin (x, y); an empty rectangle at that origin
// when the tree does not know the node.
Rect laid_out_rect(const LayoutTree& tree, NodeId node, double x, double y);

}  // namespace orvo_ui
